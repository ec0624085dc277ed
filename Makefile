# make run   installs what is missing, builds, and starts Vowline Desktop
# make test  installs what is missing, builds, and runs every test: the normal build, the
#            core under AddressSanitizer and UndefinedBehaviorSanitizer, and bounded fuzz runs
#            of the PDB, vCard and CSV readers
FUZZ_SECONDS ?= 60
VCARD_FUZZ_SECONDS ?= 30
CSV_FUZZ_SECONDS ?= 30
# The vCard and CSV seeds include address books and guest lists of a few hundred KB, whose
# encodings, damaged cards and long values only show at that length.
TEXT_FUZZ_MAX_LEN ?= 524288

.PHONY: run test deps build test-main test-asan test-fuzz bench clean

run: build
	./build/default/bin/vowline

test: test-main test-asan test-fuzz

deps:
	@./tools/install-deps.sh

build: deps
	cmake --preset default
	cmake --build --preset default

test-main: build
	ctest --preset default

test-asan: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

test-fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz
	mkdir -p build/fuzz/corpus
	# An input that takes over a second is a finding like a crash: nothing may be slow to read.
	./build/fuzz/bin/pdb_fuzzer -max_total_time=$(FUZZ_SECONDS) -timeout=1 -rss_limit_mb=2048 \
	    -dict=fuzz/pdb.dict -print_final_stats=1 build/fuzz/corpus fuzz/corpus
	mkdir -p build/fuzz/vcard_corpus
	./build/fuzz/bin/vcard_fuzzer -max_total_time=$(VCARD_FUZZ_SECONDS) -timeout=1 -rss_limit_mb=2048 \
	    -max_len=$(TEXT_FUZZ_MAX_LEN) -print_final_stats=1 build/fuzz/vcard_corpus fuzz/vcard_corpus
	mkdir -p build/fuzz/csv_corpus
	./build/fuzz/bin/csv_fuzzer -max_total_time=$(CSV_FUZZ_SECONDS) -timeout=1 -rss_limit_mb=2048 \
	    -max_len=$(TEXT_FUZZ_MAX_LEN) -print_final_stats=1 build/fuzz/csv_corpus fuzz/csv_corpus

# The store benchmark of the normal build, with a build of the portable field values beside it.
bench: build
	cmake --preset portable
	cmake --build --preset portable --target bench_store
	./build/default/bin/bench_store --beside build/portable/bin/bench_store

clean:
	rm -rf build
