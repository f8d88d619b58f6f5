# Two commands do everything: `make run` and `make test`.
BUILD ?= build
SHELL := /bin/bash
.SHELLFLAGS := -o pipefail -c

.PHONY: all setup configure build run test contact-sheet clean

all: build

setup:
	@bash scripts/setup.sh

configure: setup
	@test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_RULE_MESSAGES=OFF >/dev/null

# Builds the program, the tests and the data set in ./data/.
build: configure
	@cmake --build $(BUILD) -j2 -- --no-print-directory | sed -u '/Built target/d'

run: build
	./$(BUILD)/mijotine

# Every test; the ones that need a display get a virtual X server with software OpenGL.
test: build
	cd $(BUILD) && xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure

contact-sheet: build
	@cmake --build $(BUILD) --target contact-sheet -- --no-print-directory -s
	@echo "out/contact-sheet.png"

clean:
	rm -rf $(BUILD) data out
