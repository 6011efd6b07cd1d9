# The Windows program's builds (MinGW-w64 cross compilers) and the tests
# that run under Wine.
#
#   make build-windows-x64   64-bit build: what the tests run under Wine
#   make build-windows-x86   32-bit build: the exe for users; built, never run
#   make test-windows        both builds, then every Windows test program
#                            under Wine 64-bit (ctest in build/windows-x64)

.PHONY: build-windows-x64 build-windows-x86 test-windows

build-windows-x64: deps
	cmake --preset windows-x64 >/dev/null
	cmake --build --preset windows-x64 -j $(JOBS)

build-windows-x86: deps
	cmake --preset windows-x86 >/dev/null
	cmake --build --preset windows-x86 -j $(JOBS)

test-windows: build-windows-x64 build-windows-x86 wine-template
	ctest --test-dir build/windows-x64 --output-on-failure -j $(JOBS)

TEST_TARGETS += test-windows
