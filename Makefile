# A thin wrapper over CMake: every target configures what it needs and builds.
.PHONY: all build run test clean

BUILD_DIR := build
RELEASE := $(BUILD_DIR)/release
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

all: build

$(RELEASE)/build.ninja:
	cmake --preset release

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

clean:
	rm -rf $(BUILD_DIR)
