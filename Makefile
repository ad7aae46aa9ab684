# make demo  - build and run the bundled example program
# make test  - build and run every test (not the benchmarks), also under AddressSanitizer and UBSan
# make build - build the runner and the module only (no test or benchmark target)
# make all   - build every target: runner, module, tests, benchmarks
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan

.PHONY: all deps build build-all build-tests build-asan demo test test-fast bench clean

all: build-all

deps:
	@bash scripts/ensure-deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

# The sanitized tree links the plain tree's compiled test code (the same code in both:
# built without the sanitizers) rather than compiling it again, so the plain tree's
# tests are built first.
$(ASAN_BUILD)/build.ninja: $(BUILD)/build.ninja | deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKES_SANITIZE=ON -DKES_BENCH=OFF \
	  -DKES_TEST_OBJECTS_FROM=$(abspath $(BUILD))

# The runner depends on the module, so naming it builds both and nothing else: the
# demo is ready in the time these two take to compile.
build: $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target kestravine

build-all: $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target all benchmarks

# Everything the tests need (the default target: all but the benchmarks).
build-tests: $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

build-asan: build-tests $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)

demo: build
	cd examples && $(abspath $(BUILD))/kestravine demo.kes

test-fast: build-tests
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test: build-tests build-asan
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

bench: build-all
	@JOBS=$(JOBS) bash bench/run.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
