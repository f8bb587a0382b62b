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

# What ships: the 32-bit exe and its checksum.
dist: deps
	cmake --preset win32 >/dev/null && cmake --build --preset win32 -j $(JOBS)
	mkdir -p dist
	cp build/win32/Brontiv.exe dist/Brontiv.exe
	cd dist && sha256sum Brontiv.exe >SHA256SUMS

clean:
	rm -rf build dist
