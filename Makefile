# Set-up, build, run and test. Both `make run` and `make test` install any
# missing Debian packages first and are quiet when nothing has changed.

BUILD      := build
ASAN_BUILD := build-asan
JOBS       := $(shell nproc 2>/dev/null || echo 2)

# `make test WERROR=ON` (as CI runs it) treats compiler warnings as errors;
# off by default, so that a newer compiler's new warnings do not stop a build.
WERROR     ?= OFF

# `make install PREFIX=/usr DESTDIR=/tmp/stage` installs under $(DESTDIR)$(PREFIX).
PREFIX     ?= /usr/local
DESTDIR    ?=

.PHONY: all deps build run installables install package format format-check test test-release test-asan test-armhf fuzz bench gallery clean

all: build

deps:
	@sh scripts/install-deps.sh

# Progress lines of the generated makefiles are switched off so that a build
# with nothing to do prints nothing.
CMAKE_QUIET := -DCMAKE_RULE_MESSAGES=OFF -DCMAKE_TARGET_MESSAGES=OFF

$(BUILD)/CMakeCache.txt: Makefile | deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DPM5544_WERROR=$(WERROR) $(CMAKE_QUIET) >/dev/null

$(ASAN_BUILD)/CMakeCache.txt: Makefile | deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DPM5544_SANITIZE=ON -DPM5544_WERROR=$(WERROR) $(CMAKE_QUIET) >/dev/null

# A build configured with another WERROR is configured again, quietly.
werror = @grep -qx 'PM5544_WERROR:BOOL=$(WERROR)' $(1)/CMakeCache.txt || cmake -S . -B $(1) -DPM5544_WERROR=$(WERROR) >/dev/null

build: deps $(BUILD)/CMakeCache.txt
	$(call werror,$(BUILD))
	@cmake --build $(BUILD) --target pm5544 pm5544-inspect -j $(JOBS) -- --no-print-directory -s

run: build
	@./$(BUILD)/pm5544 pm5544.png

# Everything that is installed (the programs of PM5544_PROGRAMS and the library).
installables: deps $(BUILD)/CMakeCache.txt
	$(call werror,$(BUILD))
	@cmake --build $(BUILD) --target installables -j $(JOBS) -- --no-print-directory -s

install: installables
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# The Debian package, build/pm5544_<version>_<arch>.deb.
package: installables
	@cd $(BUILD) && cpack -G DEB

# Every C and C++ file of the project, in the style of .clang-format.
FORMATTED := $(shell git ls-files '*.c' '*.cpp' '*.h' 2>/dev/null || \
	find . -path './build*' -prune -o -path './.cache' -prune -o \( -name '*.c' -o -name '*.cpp' -o -name '*.h' \) -print)

format: deps
	@clang-format -i $(FORMATTED)

# Fails, naming each place, where a file is not as `make format` leaves it.
format-check: deps
	@clang-format --dry-run --Werror $(FORMATTED) || { echo "Not formatted: run make format" >&2; exit 1; }

test: format-check test-release test-asan

test-release: deps $(BUILD)/CMakeCache.txt
	$(call werror,$(BUILD))
	@cmake --build $(BUILD) -j $(JOBS) -- --no-print-directory -s
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-asan: deps $(ASAN_BUILD)/CMakeCache.txt
	$(call werror,$(ASAN_BUILD))
	@cmake --build $(ASAN_BUILD) -j $(JOBS) -- --no-print-directory -s
	@ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# The 32-bit ARM (armhf) build: cross-built, tested under qemu-arm and compared
# with build/pm5544. The cross tools and sysroot are set up once in .cache/armhf.
test-armhf: build
	@JOBS=$(JOBS) WERROR=$(WERROR) bash scripts/test-armhf.sh

# The libFuzzer targets of fuzz/, built with clang and the sanitizers in
# build-fuzz/, each run for FUZZ_SECONDS on its corpus (fuzz/run.sh).
FUZZ_SECONDS ?= 60

fuzz: deps
	@FUZZ_SECONDS=$(FUZZ_SECONDS) JOBS=$(JOBS) sh fuzz/run.sh

bench: deps
	@cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DPM5544_BENCH=ON -DPM5544_TESTS=OFF $(CMAKE_QUIET) >/dev/null
	@cmake --build build-bench -j $(JOBS) -- --no-print-directory -s
	@for b in build-bench/bench/bench_*; do $$b; done
	@$(MAKE) --no-print-directory build
	@bash bench/compare-ffmpeg.sh $(BUILD)/pm5544

# The README's previews of the card, made by pm5544-inspect from files pm5544 writes.
gallery: build
	@sh scripts/gallery.sh $(BUILD) docs/gallery

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-bench build-armhf build-fuzz
