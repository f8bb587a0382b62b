# Front door: `make demo` shows the program at work under Wine, `make check` runs every test.
PRESETS := host win64 win32
JOBS ?= $(shell nproc)

.PHONY: deps build check demo dist clean

deps:
	tools/install-deps

build: deps
	@for p in $(PRESETS); do \
	  cmake --preset $$p >/dev/null && cmake --build --preset $$p -j $(JOBS) || exit 1; \
	done

# Every test layer is registered with the host build's CTest, which reports them all.
check: build
	ctest --test-dir build/host --output-on-failure -j $(JOBS)

demo: build
	tools/demo

clean:
	rm -rf build dist
