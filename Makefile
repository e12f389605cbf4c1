# A thin wrapper over CMake: every target configures what it needs and builds.
.PHONY: all prerequisites build run test test-sanitize coverage lint fuzz bench clean

BUILD_DIR := build
RELEASE := $(BUILD_DIR)/release
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

all: build

# What the build needs: CMake, Ninja, a C++20 compiler and GoogleTest. On
# Debian and Ubuntu the missing ones are installed with apt-get; elsewhere they
# are named and make stops. Silent when all of it is there.
prerequisites:
	@tools/prerequisites

# CMAKE_ARGS passes options to the first configure, e.g. -DMORDAVELLE_WERROR=ON.
$(RELEASE)/build.ninja: | prerequisites
	cmake --preset release $(CMAKE_ARGS)

build: $(RELEASE)/build.ninja
	cmake --build $(RELEASE) -j $(JOBS)

# Builds the program alone and starts it in a scratch folder filled with the sample lists.
run: $(RELEASE)/build.ninja
	cmake --build $(RELEASE) --target mordavelle -j $(JOBS)
	rm -rf $(BUILD_DIR)/try
	mkdir -p $(BUILD_DIR)/try
	cp examples/*.txt $(BUILD_DIR)/try/
	cd $(BUILD_DIR)/try && ../release/mordavelle

# What the tests use beside the build: strace to stop and fail a run at a
# chosen system call, attr and acl to give results attributes and access
# lists. Installed by the same step as the build's; a test whose tool is
# still missing (off Debian) says so and is skipped.
TEST_TOOLS := strace attr acl

test: build
	@tools/prerequisites $(TEST_TOOLS)
	ctest --test-dir $(RELEASE) --output-on-failure -j $(JOBS)

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize:
	cmake --preset sanitize $(CMAKE_ARGS)
	cmake --build $(BUILD_DIR)/sanitize -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --test-dir $(BUILD_DIR)/sanitize --output-on-failure -j $(JOBS)

# Which lines and functions of src/ the whole suite reaches, with gcovr
# (Debian: apt-get install gcovr): a summary here, every file's lines in
# build/coverage/index.html. The Windows platform is measured by its own tests.
coverage:
	cmake --preset coverage $(CMAKE_ARGS)
	cmake --build $(BUILD_DIR)/coverage -j $(JOBS)
	find $(BUILD_DIR)/coverage -name '*.gcda' -delete
	GCOV_ERROR_FILE=/dev/null ctest --test-dir $(BUILD_DIR)/coverage -j $(JOBS)
	gcovr -r . --filter src/ --exclude 'src/platform/.*_windows\.cpp' $(BUILD_DIR)/coverage \
		--html-details $(BUILD_DIR)/coverage/index.html --print-summary

# clang-tidy over the product's sources, with the checks in .clang-tidy.
lint: $(RELEASE)/build.ninja
	git ls-files 'src/*.cpp' | grep -v _windows | xargs clang-tidy -p $(RELEASE) --quiet

# Each fuzzing target for FUZZ_SECONDS (ten minutes unless set), starting from
# the saved corpus; new inputs go to build/fuzz/corpus, findings to build/fuzz.
FUZZ_SECONDS ?= 600
FUZZ_TARGETS := split extract sort sets session
fuzz:
	cmake --preset fuzz
	cmake --build $(BUILD_DIR)/fuzz -j $(JOBS)
	for target in $(FUZZ_TARGETS); do \
		mkdir -p $(BUILD_DIR)/fuzz/corpus/$$target && \
		$(BUILD_DIR)/fuzz/fuzz/fuzz-$$target -max_total_time=$(FUZZ_SECONDS) -close_fd_mask=3 \
			-dict=fuzz/mordavelle.dict -artifact_prefix=$(BUILD_DIR)/fuzz/$$target- \
			$(BUILD_DIR)/fuzz/corpus/$$target fuzz/corpus/$$target || exit 1; \
	done

# Times every command beside the standard tools at 1 and 10 million addresses.
# The generated data (about 2 GB) stays in build/bench-data for later runs.
BENCH_SIZES ?= 1000000,10000000
bench: build
	$(RELEASE)/bench/mordavelle-micro
	python3 bench/compare.py $(RELEASE)/mordavelle-recording $(RELEASE)/bench/mordavelle-generate \
		--sizes $(BENCH_SIZES) --data $(BUILD_DIR)/bench-data

# The Windows program, cross-built with MinGW-w64: build/windows/mordavelle.exe.
WINDOWS := $(BUILD_DIR)/windows
WIN_HOST := $(BUILD_DIR)/win-host
.PHONY: windows windows-test dist

$(WINDOWS)/build.ninja:
	cmake --preset windows $(CMAKE_ARGS)

windows: $(WINDOWS)/build.ninja
	cmake --build $(WINDOWS) --target mordavelle -j $(JOBS)

# Its end-to-end tests, run under Wine in a prefix of their own in $(WIN_HOST).
windows-test: windows
	cmake -S tests/windows -B $(WIN_HOST) -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build $(WIN_HOST) -j $(JOBS)
	ctest --test-dir $(WIN_HOST) --output-on-failure -j $(JOBS)

# The zip for Windows users: build/dist/mordavelle-<version>-windows-x64.zip,
# the program and a short text in Windows line ends, and SHA256SUMS beside it.
# The preset is applied again, so that a build folder configured before it
# named build/dist gets that folder too.
dist: $(WINDOWS)/build.ninja
	cmake --preset windows $(CMAKE_ARGS) > /dev/null
	cmake --build $(WINDOWS) --target dist -j $(JOBS)

# Installing on Linux: bin/mordavelle, share/man/man1/mordavelle.1.gz and
# share/doc/mordavelle/ (README.md, copyright, changelog.gz) under PREFIX.
# DESTDIR, when set, goes in front of every path, as packagers expect. Each
# install adds the files it put to INSTALLED, DESTDIR included (CMake's own
# list leaves it out), and `make uninstall` removes them.
PREFIX ?= /usr/local
PACKAGE := $(BUILD_DIR)/package
INSTALLED := $(BUILD_DIR)/installed.txt
.PHONY: install uninstall package

install: build
	cmake --install $(RELEASE) --prefix $(PREFIX)
	awk -v destdir="$$DESTDIR" '{ print destdir $$0 }' $(RELEASE)/install_manifest.txt >> $(INSTALLED)

# The program's own folder of documents goes with its files. The list is kept
# until every file on it is gone.
uninstall:
	@[ -f $(INSTALLED) ] || { echo "Nothing to remove: make install has put nothing ($(INSTALLED) is not there)"; exit 0; }; \
	sort -u $(INSTALLED) | while IFS= read -r file; do \
		[ -z "$$file" ] || rm -fv "$$file" || exit 1; \
		case $$file in */doc/mordavelle/*) rmdir "$${file%/*}" 2> /dev/null || true;; esac; \
	done && rm $(INSTALLED)

# Packages made by CPack from the same install: a .deb (its Depends found by
# dpkg-shlibdeps) and a .tar.gz, in build/package/.
package: build
	rm -rf $(PACKAGE)
	cd $(RELEASE) && cpack -B $(abspath $(PACKAGE))
	rm -rf $(PACKAGE)/_CPack_Packages
	@ls -1 $(PACKAGE)/*

clean:
	rm -rf $(BUILD_DIR)
