# `make run` builds and starts the show; `make test` proves everything.
# Each target installs what it needs through scripts/setup.sh first.
BUILD ?= build
SHELL := /bin/bash
.SHELLFLAGS := -o pipefail -c
CMAKE_BUILD = cmake --build $(BUILD) -j2 -- --no-print-directory | sed -u '/Built target/d'

.PHONY: all setup configure build run test contact-sheet video screenshots clean

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

contact-sheet: setup configure
	@cmake --build $(BUILD) --target contact-sheet -- --no-print-directory -s
	@echo "out/contact-sheet.png"

# The recorder and the data set, with FFmpeg's libraries installed first.
RECORDER = @bash scripts/setup.sh video && \
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_RULE_MESSAGES=OFF >/dev/null && \
	cmake --build $(BUILD) -j2 --target mijotine-record data -- --no-print-directory | sed -u '/Built target/d'

# The whole show, as the built-in tour watches it, in out/mijotine.mp4.
video:
	$(RECORDER)
	@mkdir -p out
	./$(BUILD)/mijotine-record out/mijotine.mp4

# PNG stills of every screen of the show in out/stills/.
screenshots:
	$(RECORDER)
	./$(BUILD)/mijotine-record --tour docs/stills.tour --stills out/stills

clean:
	rm -rf $(BUILD) data out
