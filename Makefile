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
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp G_SLICE=always-malloc \
	  ctest --test-dir build-asan --output-on-failure -j $(JOBS)

tsan: deps
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan -j $(JOBS) --target norvo_test_programs
	@TSAN_OPTIONS="halt_on_error=1 suppressions=$(CURDIR)/tests/sanitizers/tsan.supp" G_SLICE=always-malloc \
	  ctest --test-dir build-tsan --output-on-failure -j $(JOBS) -R Thread

# The benchmarks of the real window need a display: without one they run under a virtual one.
bench: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then scripts/bench.sh build; \
	 else xvfb-run -a -s "-screen 0 1920x1080x24" scripts/bench.sh build; fi

fuzz: deps
	@scripts/fuzz.sh $(FUZZ_SECONDS)

run: build
	@scripts/run.sh

clean:
	@rm -rf build build-asan build-tsan build-fuzz
