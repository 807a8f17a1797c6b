# The front door. `make demo` runs the main job, `make test` builds both programs
# and runs every test. Both install whatever is missing first (apt-get, as root).
JOBS ?= $(shell nproc)

.PHONY: demo test deps host win32 clean

# The demo builds only what it runs (the set-up program, winsim, the package).
demo: deps
	cmake --preset host >/dev/null
	JOBS=$(JOBS) scripts/demo.sh

test: deps host win32
	ctest --preset host -j$(JOBS)
	scripts/check-setup-exe.sh build/win32/Setup.exe

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
