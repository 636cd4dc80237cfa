# Two commands matter: `make test` and `make demo`. See README.md.
BUILD_DIR ?= build
ASAN_DIR  ?= build-asan
JOBS      ?= $(shell nproc)

.PHONY: all deps build build-asan test test-fast demo package format clean bench

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

# Installs what is missing, builds both configurations and runs every test in both.
test: deps build build-asan
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --test-dir $(ASAN_DIR) --output-on-failure -j $(JOBS)

# The plain build only, for a quick round while working.
test-fast: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

demo: deps build
	@bash tools/demo.sh $(BUILD_DIR)

# The Debian package of the plain build, in $(BUILD_DIR)/packages/.
package: deps build
	cd $(BUILD_DIR) && cpack -G DEB

bench: build
	@for b in $(BUILD_DIR)/tools/bench-*; do [ -x "$$b" ] && "$$b"; done; true

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR)
