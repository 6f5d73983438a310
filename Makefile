# Two commands a newcomer needs:
#   make run    set up, build everything, export the bundled example
#   make test   set up, build everything, run the tests
# Both install missing Debian packages first (as root) and build with -j2.

BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS       ?= 2
PREFIX     ?= /usr/local
CMAKE_FLAGS ?=

.PHONY: all setup configure build install run test asan-test fuzz bench examples pictures studio-picture format clean

all: build

setup:
	@bash tools/setup.sh

$(BUILD)/CMakeCache.txt: | setup
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

configure: setup $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j$(JOBS)

# The program, its module, the example, the manual page and the bash
# completion under PREFIX: make install PREFIX=$$HOME/.local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

run: build
	bash tools/run_example.sh $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer.
asan-test: setup
	cmake -S . -B $(ASAN_BUILD) -DVEXMARK_SANITIZE=ON -DVEXMARK_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j$(JOBS)

# Builds the libFuzzer harnesses with clang and runs each for FUZZ_SECONDS
# (not part of make test): make fuzz FUZZ_SECONDS=600
# Crashes of the importer library are checked against the program, which
# must refuse them cleanly: it is built first.
fuzz: build
	@bash tools/setup.sh fuzz
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DVEXMARK_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(FUZZ_BUILD) -j$(JOBS) --target fuzzers
	PROGRAM=$(BUILD)/vexmark bash tools/run_fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# The stage benchmarks, then whole exports of generated scenes timed as a
# user runs them, then the studio's redraws against the whole run (Markdown
# tables; BENCH_RUNS runs each, median).
BENCH_RUNS ?= 5
bench: build
	@bash tools/setup.sh bench
	$(BUILD)/vexmark_bench --benchmark_min_time=0.1
	bash bench/whole_export.sh $(BUILD) $(BENCH_RUNS)
	bash bench/studio_redraw.sh $(BUILD) $(BENCH_RUNS)

# Remakes the bundled example scenes and the README's pictures.
examples: build
	bash tools/make_examples.sh $(BUILD)

pictures: build
	bash tools/make_pictures.sh $(BUILD)

# The README's picture of the studio page, taken by its browser test.
studio-picture: build
	VEXMARK_STUDIO_SCREENSHOT=docs/studio.png node tests/studio/page_test.mjs \
	  $(BUILD)/vexmark examples $(BUILD)/studio/node_modules

format:
	find host sdk core polygons capture visibility lines plotter eps output shell app tests bench -name '*.cpp' -o -name '*.h' 2>/dev/null \
	  | xargs -r clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
