# Entry points: `make demo` and `make test` (see README.md).
BUILD_TEST    := build/test
BUILD_RELEASE := build/release
BUILD_FUZZ    := build/fuzz
CMAKE_GEN     := -G Ninja
FUZZ_SECONDS  ?= 300
FUZZ_TARGETS  ?= load expression mutation notation mmscript run

.PHONY: all deps release test demo pictures bench fuzz format clean

all: release

deps:
	@scripts/install-deps.sh

release: deps
	cmake -S . -B $(BUILD_RELEASE) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DZEVA_TESTS=OFF
	cmake --build $(BUILD_RELEASE)

test: deps
	cmake -S . -B $(BUILD_TEST) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DZEVA_SANITIZE=ON
	cmake --build $(BUILD_TEST)
	cd $(BUILD_TEST) && ctest --output-on-failure -j2

demo: release
	scripts/demo.sh $(BUILD_RELEASE)/bin/zevac

# The README's picture of the library example, drawn anew into docs/.
pictures: release
	cp $(BUILD_RELEASE)/docs/library-main.svg docs/library-main.svg

bench: deps
	cmake -S . -B build/bench $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DZEVA_TESTS=OFF -DZEVA_BENCH=ON
	cmake --build build/bench
	scripts/bench.sh build/bench/bin

# Each fuzz target in turn for FUZZ_SECONDS; new inputs and findings go to
# build/fuzz/runs/TARGET/.
fuzz: deps
	cmake -S . -B $(BUILD_FUZZ) $(CMAKE_GEN) -DCMAKE_CXX_COMPILER=clang++ \
	  -DCMAKE_BUILD_TYPE=Debug -DZEVA_FUZZ=ON -DZEVA_TESTS=OFF
	cmake --build $(BUILD_FUZZ) --target fuzzers
	for t in $(FUZZ_TARGETS); do \
	  fuzz/run.sh $(BUILD_FUZZ)/bin/fuzz_$$t $(FUZZ_SECONDS) \
	    $(BUILD_FUZZ)/runs/$$t || exit 1; \
	done

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
