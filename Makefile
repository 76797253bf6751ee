# Thin front end over CMake. `make test` and `make demo` first install what is missing (as root).
.PHONY: all build native win32 setup test test-native test-win test-matrix demo bench clean

all: build

setup:
	@bash tools/setup.sh

build: native win32

native:
	@cmake --preset native >/dev/null
	@cmake --build --preset native

win32:
	@cmake --preset win32 >/dev/null
	@cmake --build --preset win32

test: setup
	@$(MAKE) --no-print-directory build
	@$(MAKE) --no-print-directory test-native test-win

test-native:
	@ctest --preset native --timeout 600

test-win:
	@tools/session.sh tools/test-win.sh

# The end-to-end tier in a 32-bit prefix and with Windows 7 and 10 reported, beside the default.
test-matrix: setup
	@$(MAKE) --no-print-directory win32
	@tools/test-matrix.sh

demo: setup
	@$(MAKE) --no-print-directory win32
	@tools/demo.sh

bench: setup
	@$(MAKE) --no-print-directory win32
	@tools/bench.sh

# Every libFuzzer target of tests/fuzz for FUZZ_SECONDS each (needs clang); `make test` replays the corpora.
FUZZ_SECONDS ?= 60
.PHONY: fuzz
fuzz:
	@FUZZ_SECONDS=$(FUZZ_SECONDS) tools/fuzz.sh

clean:
	rm -rf build/native build/win32
