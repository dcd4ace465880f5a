# Two entry points: `make run` starts the main job, `make test` runs every test.
# Each installs missing packages, configures once and builds incrementally.
BUILD_DIR := build

.PHONY: all deps configure build run test clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@[ -f $(BUILD_DIR)/build.ninja ] || cmake --preset default

build: configure
	cmake --build $(BUILD_DIR)

run: build
	$(BUILD_DIR)/tools/cli/nemro-formula postfix 'ROUND(A1*2,2)&"元"'

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j2

clean:
	rm -rf $(BUILD_DIR)
