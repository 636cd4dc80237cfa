# Two commands matter: `make test` and `make demo`. See README.md.
BUILD_DIR ?= build
ASAN_DIR  ?= build-asan
FUZZ_DIR  ?= build-fuzz
WIN_DIR   ?= build-windows
# Seconds each fuzz target runs: FUZZ_SECONDS in `make fuzz`, FUZZ_SMOKE_SECONDS in `make test`.
FUZZ_SECONDS       ?= 120
FUZZ_SMOKE_SECONDS ?= 5
JOBS      ?= $(shell nproc)

.PHONY: all deps build build-asan build-fuzz fuzz fuzz-smoke test test-fast test-windows windows demo package format clean bench soak

all: build

deps:
	bash tools/install-deps.sh

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWICK_WERROR=ON

$(ASAN_DIR)/build.ninja:
	cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARNWICK_SANITIZE=ON -DTARNWICK_WERROR=ON

build: $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

build-asan: $(ASAN_DIR)/build.ninja
	cmake --build $(ASAN_DIR) -j $(JOBS)

# The Windows program, cross-built with MinGW-w64 into one static .exe, and its zip.
$(WIN_DIR)/build.ninja:
	cmake -S . -B $(WIN_DIR) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
		-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWICK_WERROR=ON

windows: deps $(WIN_DIR)/build.ninja
	cmake --build $(WIN_DIR) -j $(JOBS)

# The Windows build's tests under Wine (the Linux build brings the simulator and helpers).
test-windows: windows build
	bash tools/wine-tests.sh $(WIN_DIR) $(BUILD_DIR)

# The fuzz targets: clang with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer.
$(FUZZ_DIR)/build.ninja:
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DTARNWICK_FUZZ=ON -DTARNWICK_WERROR=OFF

build-fuzz: $(FUZZ_DIR)/build.ninja
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzz-all

fuzz: deps build-fuzz
	bash tools/run-fuzz.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

# A few seconds of each target from its corpus, so that they keep building and running.
fuzz-smoke: build-fuzz
	bash tools/run-fuzz.sh $(FUZZ_DIR) $(FUZZ_SMOKE_SECONDS)

# Installs what is missing, builds every configuration and runs every test in each, after
# a short run of each fuzz target; the Windows build's tests run under Wine.
test: deps build build-asan windows
	$(MAKE) fuzz-smoke
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --test-dir $(ASAN_DIR) --output-on-failure -j $(JOBS)
	bash tools/wine-tests.sh $(WIN_DIR) $(BUILD_DIR)

# The plain build only, for a quick round while working.
test-fast: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# Builds only what the demo runs. ARGS go to the program at a terminal (ARGS=--text: the
# terminal front end at a desktop).
DEMO_TARGETS = tarnwick-uploader tarnwick-receiver-sim tarnwick-sample-image
demo: deps $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS) --target $(DEMO_TARGETS)
	@bash tools/demo.sh $(BUILD_DIR) $(ARGS)

# The Debian package of the plain build, in $(BUILD_DIR)/packages/, checked by lintian
# when it is installed.
package: deps build
	cd $(BUILD_DIR) && cpack -G DEB
	@if command -v lintian >/dev/null; then lintian $(BUILD_DIR)/packages/tarnwick-uploader_*.deb; \
	else echo "lintian is not installed: the package was not checked"; fi

# The Linux benches; the one of the program as a process also runs the Windows program
# under Wine.
bench: build windows
	@bash tools/wine-tests.sh $(WIN_DIR) $(BUILD_DIR) --bench; true

# Long runs that the test suite leaves out: twenty uploads back to back of one process
# (ten timer-stepped, ten input-driven) to the paced simulator, each flash compared with
# its image (a few minutes).
soak: build
	$(BUILD_DIR)/tools/bench-drivers --runs 10 --size 131072

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(FUZZ_DIR) $(WIN_DIR)
