# make bench: the registry lookup in a Wine prefix beside a memmem scan of
# the same bytes; fails when the lookup takes more than 3 times the scan.
# Built by `make build` (and so by `make test`), run only here.
.PHONY: bench
bench: build
	build/linux/bench/drelbin_bench $(BENCH_ARGS)
