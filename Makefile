# The two commands a newcomer needs: `make run` and `make test`. Both install what is missing.
.PHONY: all deps native windows fuzz-build fuzz test test-native test-windows run bench package \
	zoomed-screenshot format clean

all: native windows

deps:
	@scripts/install-deps.sh

native: deps
	cmake --preset native
	cmake --build --preset native

windows: deps
	cmake --preset mingw
	cmake --build --preset mingw

# clang's libFuzzer targets in build/fuzz; `make test` runs their short fixed-seed smoke tests.
fuzz-build: deps
	cmake --preset fuzz
	cmake --build --preset fuzz

# Runs each fuzz target for FUZZ_SECONDS, one after the other; corpora grow in build/fuzz/corpus
# and findings land in build/fuzz/fuzz/artifacts.
FUZZ_SECONDS ?= 60
fuzz: fuzz-build
	build/fuzz/fuzz/run-fuzzers.sh $(FUZZ_SECONDS)

test-native: native fuzz-build
	ctest --preset native
	ctest --preset fuzz

test-windows: windows
	scripts/with-xvfb.sh ctest --preset mingw

# Native tests first, then everything under Wine; ctest's summary of the Wine run ends it.
test: test-native test-windows

# Benchmarks (not part of `make test`): meshes of 10k to 4M triangles in build/bench-meshes,
# the native figures, then the Windows build's under Wine, then a summary table.
bench: deps
	bench/run-bench.sh

# Opens the viewer under Wine in examples/; without a display, photographs it on Xvfb instead.
run: windows
	scripts/run-viewer.sh

# build/velmora-1M-zoomed.png: a mesh of a million triangles zoomed in until its numbers can be read.
zoomed-screenshot: windows
	scripts/zoomed-screenshot.sh

# build/mingw/Velmora-<version>-win64.zip: velmora.exe, the example meshes and the README; and
# build/mingw/Velmora-<version>-win64.msi, the installer, which every Windows build makes.
package: windows
	cd build/mingw && cpack -G ZIP

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
