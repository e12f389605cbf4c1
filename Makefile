# A thin wrapper over CMake: every target configures what it needs and builds.
.PHONY: all build run test test-sanitize lint bench clean

BUILD_DIR := build
RELEASE := $(BUILD_DIR)/release
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

all: build

# CMAKE_ARGS passes options to the first configure, e.g. -DMORDAVELLE_WERROR=ON.
$(RELEASE)/build.ninja:
	cmake --preset release $(CMAKE_ARGS)

build: $(RELEASE)/build.ninja
	cmake --build $(RELEASE) -j $(JOBS)

# Starts the program in a scratch folder filled with the sample lists.
run: build
	rm -rf $(BUILD_DIR)/try
	mkdir -p $(BUILD_DIR)/try
	cp examples/*.txt $(BUILD_DIR)/try/
	cd $(BUILD_DIR)/try && ../release/mordavelle

test: build
	ctest --test-dir $(RELEASE) --output-on-failure -j $(JOBS)

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize:
	cmake --preset sanitize $(CMAKE_ARGS)
	cmake --build $(BUILD_DIR)/sanitize -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --test-dir $(BUILD_DIR)/sanitize --output-on-failure -j $(JOBS)

# clang-tidy over the product's sources, with the checks in .clang-tidy.
lint: $(RELEASE)/build.ninja
	git ls-files 'src/*.cpp' | grep -v platform_windows | xargs clang-tidy -p $(RELEASE) --quiet

# Times every command beside the standard tools at 1 and 10 million addresses.
# The generated data (about 2 GB) stays in build/bench-data for later runs.
BENCH_SIZES ?= 1000000,10000000
bench: build
	$(RELEASE)/bench/mordavelle-micro
	python3 bench/compare.py $(RELEASE)/mordavelle-bench $(RELEASE)/bench/mordavelle-generate \
		--sizes $(BENCH_SIZES) --data $(BUILD_DIR)/bench-data

clean:
	rm -rf $(BUILD_DIR)
