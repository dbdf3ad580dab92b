# Developer entry points. `make run` and `make test` work on a fresh Debian 12 machine.
BUILD ?= build
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test bench asan clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt:
	@scripts/install-deps
	cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release

configure: $(BUILD)/CMakeCache.txt

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/src/chronomate $(ARGS)

test: build
	scripts/run-tests $(BUILD)

bench: build
	@for b in $(BUILD)/bench/*_bench; do echo "== $$b"; $$b; done

# The headless core and its tests under AddressSanitizer and UndefinedBehaviorSanitizer.
asan: deps
	cmake -S . -B build-asan $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DCHRONOMATE_CORE_ONLY=ON -DCHRONOMATE_SANITIZE=ON
	cmake --build build-asan -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir build-asan --output-on-failure -j2

clean:
	rm -rf $(BUILD) build-asan
