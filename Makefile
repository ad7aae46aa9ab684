# make demo  - build and run the bundled example program
# make test  - build and run every test, also under AddressSanitizer and UBSan
# make build - build the runner and the module only
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan

.PHONY: all deps build build-asan demo test test-fast bench clean

all: build

deps:
	@bash scripts/ensure-deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

$(ASAN_BUILD)/build.ninja: | deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKES_SANITIZE=ON -DKES_BENCH=OFF

build: $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

build-asan: $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)

demo: build
	cd examples && ../$(BUILD)/kestravine demo.kes

test-fast: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test: build build-asan
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

bench: build
	@JOBS=$(JOBS) bash bench/run.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
