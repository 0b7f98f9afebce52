# The two commands of the README, plus sanitizer, benchmark and fuzz runs.
# Every target installs missing Debian packages first (scripts/install-deps.sh).

FUZZ_SECONDS ?= 10
JOBS ?= 2

.PHONY: all deps build test sanitize asan tsan bench fuzz run clean

all: build

deps:
	@scripts/install-deps.sh

build/build.ninja: | deps
	@cmake --preset default >/dev/null

build: deps build/build.ninja
	@cmake --build --preset default -j $(JOBS)

test: build
	@ctest --test-dir build --output-on-failure -j $(JOBS)

# The whole suite under AddressSanitizer + UndefinedBehaviorSanitizer, then the threaded tests
# (suites whose name contains "Thread") under ThreadSanitizer.
sanitize: asan tsan

asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)
	@ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	  ctest --test-dir build-asan --output-on-failure -j $(JOBS)

tsan: deps
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan -j $(JOBS) --target norvo_test_programs
	@TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan --output-on-failure -j $(JOBS) -R Thread

bench: build
	@for b in build/bench/*Bench; do echo "== $$b"; $$b || exit 1; done

fuzz: deps
	@scripts/fuzz.sh $(FUZZ_SECONDS)

run: build
	@scripts/run.sh

clean:
	@rm -rf build build-asan build-tsan build-fuzz
