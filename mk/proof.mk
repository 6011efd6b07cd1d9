# Proof under faults and bad input: the whole native test suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, and the libFuzzer targets.
# (The fault cases, the syscall budget and valgrind are tests of the native
# suite, so test-core runs them.)
#
#   make test-asan    build/linux-asan: every native test, sanitized
#   make fuzz-smoke   each fuzz target for FUZZ_SMOKE_SECONDS on its seeds
#   make fuzz         each fuzz target for FUZZ_SECONDS (default 600)

FUZZ_SECONDS ?= 600
FUZZ_SMOKE_SECONDS ?= 20
FUZZ_BUILD := $(CURDIR)/build/linux-fuzz
FUZZ_TARGETS := $(notdir $(wildcard tests/fuzz/corpus/*))

.PHONY: test-asan fuzz-build fuzz-smoke fuzz

test-asan: deps
	cmake --preset linux-asan >/dev/null
	cmake --build --preset linux-asan -j $(JOBS)
	ctest --preset linux-asan -j $(JOBS)

fuzz-build: deps
	cmake --preset linux-fuzz >/dev/null
	cmake --build --preset linux-fuzz -j $(JOBS) --target $(addprefix drelbin_fuzz_,$(FUZZ_TARGETS))

# Each target grows its own corpus under the build folder from the seeds in
# the tree, and stops at the first crash or broken property (its input is
# left in $(FUZZ_BUILD)/findings/<target>/).  Paths are absolute: a target
# may change its current folder.
fuzz-smoke fuzz: fuzz-build
	@set -e; seconds=$(if $(filter fuzz,$@),$(FUZZ_SECONDS),$(FUZZ_SMOKE_SECONDS)); \
	for target in $(FUZZ_TARGETS); do \
	  corpus=$(FUZZ_BUILD)/corpus/$$target; findings=$(FUZZ_BUILD)/findings/$$target; \
	  mkdir -p $$corpus $$findings; \
	  echo "fuzz: $$target for $$seconds s"; \
	  $(FUZZ_BUILD)/tests/fuzz/drelbin_fuzz_$$target -max_total_time=$$seconds \
	    -timeout=10 -rss_limit_mb=1024 -print_final_stats=1 -artifact_prefix=$$findings/ \
	    $$corpus $(CURDIR)/tests/fuzz/corpus/$$target 2>$(FUZZ_BUILD)/fuzz-$$target.log \
	    || { tail -n 60 $(FUZZ_BUILD)/fuzz-$$target.log; exit 1; }; \
	  grep -E '^stat::number_of_executed_units' $(FUZZ_BUILD)/fuzz-$$target.log; \
	done

TEST_TARGETS += test-asan fuzz-smoke
