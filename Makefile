# Two entry points: `make run` starts the main job, `make test` runs every test.
# Each installs missing packages, configures once and builds incrementally.
BUILD_DIR := build

.PHONY: all deps configure build run test format-check unit sanitize threads fuzz fuzz-build bench bench-build clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@[ -f $(BUILD_DIR)/build.ninja ] || cmake --preset default

build: configure
	cmake --build $(BUILD_DIR)

# The demo host on the bundled catalogue; without a display, the screenshot tour.
TOUR_DIR := $(BUILD_DIR)/tour
run: build
	@demo=$$(find $(BUILD_DIR) -type f -name nemro-formula-demo | head -n 1); \
	if [ -z "$$demo" ]; then \
	  echo "make run: nemro-formula-demo was not built (it needs Qt 6: scripts/install-deps)" >&2; exit 1; \
	fi; \
	if [ -n "$${DISPLAY:-}$${WAYLAND_DISPLAY:-}" ]; then \
	  exec "$$demo"; \
	fi; \
	echo "make run: no display. Run it from a desktop session, over ssh -X, or under a"; \
	echo "virtual display: xvfb-run -a make run"; \
	echo "Meanwhile the dialogs are driven offscreen and photographed:"; \
	QT_QPA_PLATFORM=offscreen "$$demo" --tour $(TOUR_DIR) && \
	echo "make run: screenshots of each step are in $(TOUR_DIR)/"

FUZZ_SECONDS ?= 60
# The bounded fuzz run inside `make test`.
CI_FUZZ_SECONDS ?= 15

test: format-check unit sanitize threads fuzz-build
	FUZZ_SECONDS=$(CI_FUZZ_SECONDS) scripts/run-fuzzers

# The tree stays as .clang-format formats it.
format-check: deps
	scripts/check-format

unit: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j2

# The whole Qt-free suite under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	@[ -f build-asan/build.ninja ] || cmake --preset asan
	cmake --build build-asan
	ctest --test-dir build-asan --output-on-failure -j2

# Threads using their own engines, catalogues and lists at once, under ThreadSanitizer.
threads: deps
	@[ -f build-tsan/build.ninja ] || cmake --preset tsan
	cmake --build build-tsan --target thread_tests
	TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/threads/thread_tests

fuzz-build: deps
	@[ -f build-fuzz/build.ninja ] || cmake --preset fuzz
	cmake --build build-fuzz

fuzz: fuzz-build
	FUZZ_SECONDS=$(FUZZ_SECONDS) scripts/run-fuzzers

# Benchmarks beside their peers; not part of `make test`. Prints one table of figures,
# ratios and targets (bench/README.md).
BENCH_DIR := build-bench
BENCH_TARGETS := nemro_bench_engine nemro_bench_scaling nemro_bench_catalogue nemro_bench_dialogs nemro_bench_preview \
                 nemro-formula nemro_bench_prepared

bench-build:
	@scripts/install-bench-deps
	@[ -f $(BENCH_DIR)/build.ninja ] || cmake --preset default -B $(BENCH_DIR) -DNEMRO_BUILD_BENCH=ON
	cmake --build $(BENCH_DIR) --target $(BENCH_TARGETS)

bench: bench-build
	python3 bench/run_bench.py --build $(BENCH_DIR)

clean:
	rm -rf $(BUILD_DIR) build-asan build-fuzz build-tsan $(BENCH_DIR)
