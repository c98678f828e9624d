# Vetrinova: `make run` builds and starts the program, `make test` builds and runs every test.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps build run test clean screenshots package

all: build

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@BUILD=$(BUILD) scripts/run

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# A picture of every window, from a sample program folder, into $(BUILD)/screenshots/ (not a test).
screenshots: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target screenshots

# Vetrinova-<version>-linux-x86_64.tar.gz in $(BUILD): the program folder, ready to unpack.
package: build
	cd $(BUILD) && cpack -G TGZ

clean:
	rm -rf $(BUILD)

# Fuzzing with clang's libFuzzer (not part of `make test`): FUZZ_SECONDS per target.
FUZZ_SECONDS ?= 600
.PHONY: fuzz
fuzz:
	@scripts/install-deps clang-14 libclang-rt-14-dev
	cmake -S . -B build-fuzz -DVETRINOVA_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build-fuzz -j $(JOBS)
	scripts/run-fuzzers build-fuzz/tests/fuzz $(FUZZ_SECONDS)

# Every test built with AddressSanitizer and UndefinedBehaviorSanitizer in build-sanitize/. The leak
# check at exit crashes on the thread-local blocks of plugins Qt loads unless __tls_get_addr is left alone.
SANITIZE_FLAGS = -O1 -g -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined
.PHONY: test-sanitize
test-sanitize: deps
	cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="$(SANITIZE_FLAGS)" \
	    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
	cmake --build build-sanitize -j $(JOBS)
	cd build-sanitize && ASAN_OPTIONS=detect_leaks=1:intercept_tls_get_addr=0:suppressions=$(CURDIR)/tests/sanitize/asan.supp \
	    LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitize/lsan.supp:print_suppressions=0 \
	    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

# Benchmarks (not part of `make test`): the data is made once per size in $(BENCH_DATA), then one
# table, the peak memory of the 100 000-card search and export grid, the long outputs (the PDF of a
# whole list, Magazzino.xlsx) each in its own process, and the longest stall of the window's event
# loop during each long job; last the list print against an older build of it and Qt's PDF engine alone
# (scripts/bench-listprint). BENCH_ARGS go to the table, e.g. BENCH_ARGS=--benchmark_filter=search.
BENCH_DATA ?= $(BUILD)/bench-data
BENCH_ARGS ?=
.PHONY: bench
bench:
	@scripts/install-deps libbenchmark-dev libsqlite3-dev
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS) --target make-archive bench-vetrinova bench-durable bench-outputs bench-safetycopy bench-import bench-jobs bench-listprint bench-labels bench-movements bench-prices
	@for n in 1000 10000 100000; do \
	  dir=$(BENCH_DATA)/cards-$$n; \
	  if [ ! -f $$dir/.made ] || [ $(BUILD)/bench/make-archive -nt $$dir/.made ]; then \
	    rm -rf $$dir && QT_QPA_PLATFORM=offscreen $(BUILD)/bench/make-archive $$dir --cards $$n \
	      --photos 1 --photo-size 4000x3000 --lists 1 --pages 20 --seed 9 && touch $$dir/.made || exit 1; \
	  fi; \
	done
	@for set in "list-100 --cards 0 --lists 1 --pages 100" "photos-1000 --cards 1000 --photos 1000 --photo-size 800x600"; do \
	  set -- $$set; dir=$(BENCH_DATA)/$$1; shift; \
	  if [ ! -f $$dir/.made ] || [ $(BUILD)/bench/make-archive -nt $$dir/.made ]; then \
	    rm -rf $$dir && QT_QPA_PLATFORM=offscreen $(BUILD)/bench/make-archive $$dir "$$@" --seed 9 && touch $$dir/.made || exit 1; \
	  fi; \
	done
	$(BUILD)/bench/bench-vetrinova $(BENCH_DATA) $(BENCH_ARGS)
	@$(BUILD)/bench/bench-vetrinova $(BENCH_DATA) --peak search
	@$(BUILD)/bench/bench-vetrinova $(BENCH_DATA) --peak export
	@$(BUILD)/bench/bench-durable $(BENCH_DATA)
	@$(BUILD)/bench/bench-outputs $(BENCH_DATA) wholelist 25
	@for what in wholelist xlsx xlsx-photos; do $(BUILD)/bench/bench-outputs $(BENCH_DATA) $$what || exit 1; done
	@$(BUILD)/bench/bench-safetycopy $(BENCH_DATA)
	@$(BUILD)/bench/bench-import
	@$(BUILD)/bench/bench-prices $(BENCH_DATA)
	@$(BUILD)/bench/bench-jobs $(BENCH_DATA)
	@scripts/bench-listprint $(BUILD) $(JOBS)
	@$(BUILD)/bench/bench-labels
	@$(BUILD)/bench/bench-movements
