# drelbin: the two commands of the README, and the ones behind them.
#
#   make run    build the Linux program and start it
#   make test   build everything and run every test
#
# Each area of the project adds its own targets in mk/*.mk and appends the
# ones that `make test` must run to TEST_TARGETS.

SHELL := /bin/bash
JOBS ?= $(shell nproc)
CMAKE_PRESET_LINUX := linux

TEST_TARGETS :=

.PHONY: all deps build run test test-core format
all: build

deps:
	@scripts/deps

build: deps
	cmake --preset $(CMAKE_PRESET_LINUX) >/dev/null
	cmake --build --preset $(CMAKE_PRESET_LINUX) -j $(JOBS)

test-core: build
	ctest --preset $(CMAKE_PRESET_LINUX) -j $(JOBS)

TEST_TARGETS += test-core

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

include $(sort $(wildcard mk/*.mk))

# Every area's tests; a failure in one stops the run.
test: $(TEST_TARGETS)
	@echo "make test: all passed ($(TEST_TARGETS))"
