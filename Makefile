# The front door. `make demo` runs the main job, `make test` builds both programs
# and runs every test. Both install whatever is missing first (apt-get, as root).
JOBS ?= $(shell nproc)

# Seconds each fuzz target runs in `make fuzz`: about one minute in all.
FUZZ_SECONDS ?= 6

.PHONY: demo test deps host win32 asan tsan fuzz clean

# The demo builds only what it runs (the set-up program, winsim, the package).
demo: deps
	cmake --preset host >/dev/null
	JOBS=$(JOBS) scripts/demo.sh

test: deps host win32
	ctest --preset host -j$(JOBS)
	scripts/check-setup-exe.sh build/win32/Setup.exe
	$(MAKE) --no-print-directory asan tsan fuzz

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

# Every fuzz target (clang, libFuzzer, ASan+UBSan) for FUZZ_SECONDS each over
# its seed corpus; fails on any finding. The long run: scripts/fuzz-campaign.py.
fuzz: deps
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j$(JOBS)
	FUZZ_SECONDS=$(FUZZ_SECONDS) scripts/fuzz-run.sh

clean:
	rm -rf build demo
