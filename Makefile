# The front door. `make demo` runs the main job, `make test` builds both programs
# and runs every test. Both install whatever is missing first (apt-get, as root).
JOBS ?= $(shell nproc)

.PHONY: demo test deps host win32 asan tsan clean

# The demo builds only what it runs (the set-up program, winsim, the package).
demo: deps
	cmake --preset host >/dev/null
	JOBS=$(JOBS) scripts/demo.sh

test: deps host win32
	ctest --preset host -j$(JOBS)
	scripts/check-setup-exe.sh build/win32/Setup.exe
	$(MAKE) asan tsan

# The host tests under AddressSanitizer and UndefinedBehaviorSanitizer (all
# but the Windows suite), and the worker and cancel tests under
# ThreadSanitizer, each in its own tree (build/asan, build/tsan).
asan: deps
	cmake --preset asan >/dev/null
	cmake --build --preset asan -j$(JOBS)
	ctest --preset asan -j$(JOBS)

tsan: deps
	cmake --preset tsan >/dev/null
	cmake --build --preset tsan -j$(JOBS)
	ctest --preset tsan -j$(JOBS)

deps:
	@scripts/install-deps.sh

host:
	cmake --preset host >/dev/null
	cmake --build --preset host -j$(JOBS)

win32:
	cmake --preset win32 >/dev/null
	cmake --build --preset win32 -j$(JOBS)

clean:
	rm -rf build demo
