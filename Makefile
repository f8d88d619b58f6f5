# `make run` builds and starts the show; `make test` proves everything.
# Each target installs what it needs through scripts/setup.sh first.
BUILD ?= build
SHELL := /bin/bash
.SHELLFLAGS := -o pipefail -c
CMAKE_BUILD = cmake --build $(BUILD) -j2 -- --no-print-directory | sed -u '/Built target/d'

.PHONY: all setup configure build run test contact-sheet clean drill check-sanitize

all: build

setup:
	@bash scripts/setup.sh

configure:
	@test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_RULE_MESSAGES=OFF >/dev/null

# The program and its data set in ./data/, nothing else.
run: setup configure
	@cmake --build $(BUILD) -j2 --target mijotine data -- --no-print-directory | sed -u '/Built target/d'
	./$(BUILD)/mijotine

# Everything: the program, the data set, the tools beside it and the tests.
build: configure
	@$(CMAKE_BUILD)

# Every test; the ones that need a display get a virtual X server with software OpenGL.
test:
	@bash scripts/setup.sh test
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_RULE_MESSAGES=OFF >/dev/null
	@$(CMAKE_BUILD)
	cd $(BUILD) && xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure

# The program with AddressSanitizer and UndefinedBehaviorSanitizer, its unit
# and end-to-end tests with leak detection on, then the damaged-data drill on
# it. Leaks of the system's libraries are suppressed by name in
# tests/sanitize/lsan.supp; the program's own never are.
SANITIZE_BUILD ?= build-sanitize
SANITIZE_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=0 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitize/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
check-sanitize:
	@bash scripts/setup.sh test
	@cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIJOTINE_SANITIZE=ON -DCMAKE_RULE_MESSAGES=OFF >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j2 -- --no-print-directory | sed -u '/Built target/d'
	cd $(SANITIZE_BUILD) && $(SANITIZE_ENV) xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure
	@$(MAKE) --no-print-directory drill BUILD=$(SANITIZE_BUILD)

# Every file of the data set in turn missing, empty, cut in half, random,
# in the wrong format, palettised, greyscale, 1x1 and huge, each run of the
# real program walked through every phase; a table of what it said at the end.
drill: configure
	@cmake --build $(BUILD) -j2 --target mijotine data -- --no-print-directory | sed -u '/Built target/d'
	$(SANITIZE_ENV) python3 tests/drill/drill.py $(BUILD)/mijotine data $(BUILD)/drill

contact-sheet: setup configure
	@cmake --build $(BUILD) --target contact-sheet -- --no-print-directory -s
	@echo "out/contact-sheet.png"

clean:
	rm -rf $(BUILD) data out
