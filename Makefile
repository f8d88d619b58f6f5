# `make run` builds and starts the show; `make test` proves everything; `make
# check` runs the quick tests.
# Each target installs what it needs through scripts/setup.sh first.
BUILD ?= build
SHELL := /bin/bash
.SHELLFLAGS := -o pipefail -c
CMAKE_BUILD = cmake --build $(BUILD) -j2 -- --no-print-directory | sed -u '/Built target/d'

.PHONY: all setup configure build run test check contact-sheet clean web serve-web package install uninstall video screenshots drill check-sanitize

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

# Every test, each GoogleTest case in a process of its own, the slow and the
# end-to-end ones too (not the batches, which `make check` runs in their place);
# the ones that need a display get a virtual X server with software OpenGL.
XVFB = xvfb-run -a -s "-screen 0 1024x768x24"
test:
	@bash scripts/setup.sh test
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_RULE_MESSAGES=OFF >/dev/null
	@$(CMAKE_BUILD)
	@BUILD=$(BUILD) bash web/build.sh >/dev/null
	cd $(BUILD) && WEB_OUT_READY=1 $(XVFB) ctest --output-on-failure -LE batch

# The quick tier: builds what changed, then every unit test, each GoogleTest
# program's cases in a few processes side by side, the layout and the docs
# check; not the slow cases nor the end-to-end runs (docs/testing.md). Two of
# ctest's slots a core: a batch that draws takes two, one that mostly waits one.
CHECK_JOBS ?= $(shell echo $$(( $$(nproc) * 2 )))
check:
	@bash scripts/setup.sh test
	@test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_RULE_MESSAGES=OFF >/dev/null
	@$(CMAKE_BUILD)
	cd $(BUILD) && $(XVFB) ctest --output-on-failure -L check -j $(CHECK_JOBS)

# (Left out here too: the minute-long recording of a tour whose quit comes
# while loading, after which LeakSanitizer reports two blocks that libx264
# allocated itself; not yet understood, it runs in `make test`.)
# The program with AddressSanitizer and UndefinedBehaviorSanitizer, its unit
# and end-to-end tests with leak detection on (not the package's and the web
# page's, which test no code of the program's own build), then the damaged-data drill on
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
	cd $(SANITIZE_BUILD) && $(SANITIZE_ENV) $(XVFB) ctest --output-on-failure -LE batch -E '^(e2e_(package|reproducible|web)|Recorder\.ATourWhoseQuitComesWhileLoadingStillEnds)$$' 
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

# The show in a web page: out/web/, then served on this machine.
WEB_PORT ?= 8080
web:
	@BUILD=$(BUILD) bash web/build.sh

serve-web: web
	@echo "The show is at http://127.0.0.1:$(WEB_PORT)/ (Ctrl+C stops the server)"
	@python3 -m http.server $(WEB_PORT) --bind 127.0.0.1 --directory out/web >/dev/null

# The Debian package, built with debhelper over CMake in build/deb, into out/.
# debian/rules is run as dpkg-buildpackage would run it (no root needed), but
# without writing into the folder above this one.
# Reproducible: every date in the packages is the last commit's (or, outside a
# git checkout, the changelog's, which debhelper takes then), and file order,
# paths and owners are dpkg's and debhelper's normalised ones.
DEB_ENV = DEB_BUILD_OPTIONS="parallel=2 $$DEB_BUILD_OPTIONS" DEB_RULES_REQUIRES_ROOT=no \
	$(if $(SOURCE_DATE_EPOCH),SOURCE_DATE_EPOCH=$(SOURCE_DATE_EPOCH))
SOURCE_DATE_EPOCH ?= $(shell [ "$$(git -C $(CURDIR) rev-parse --show-toplevel 2>/dev/null)" = "$(CURDIR)" ] && \
	git -C $(CURDIR) log -1 --format=%ct)
package:
	@bash scripts/setup.sh package
	@dpkg-checkbuilddeps
	@rm -f debian/debhelper-build-stamp
	$(DEB_ENV) debian/rules build
	@mkdir -p out
	$(DEB_ENV) MIJOTINE_DEB_DIR=out debian/rules binary
	@ls out/mijotine_*.deb out/mijotine-record_*.deb

# Installs under PREFIX (through sudo when not root); `make uninstall` removes
# every file it put there and every folder it had to create.
PREFIX ?= /usr/local
SUDO := $(if $(filter 0,$(shell id -u)),,sudo)
install: setup configure
	@cmake -S . -B $(BUILD) -DCMAKE_INSTALL_PREFIX=$(PREFIX) >/dev/null
	@cmake --build $(BUILD) -j2 --target installable -- --no-print-directory | sed -u '/Built target/d'
	$(SUDO) env DESTDIR="$(DESTDIR)" cmake --install $(BUILD)

uninstall:
	$(SUDO) env DESTDIR="$(DESTDIR)" cmake -DMANIFEST=$(abspath $(BUILD))/install_manifest.txt -P cmake/uninstall.cmake
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
	rm -rf $(BUILD) $(BUILD)-web data out debian/mijotine debian/mijotine-record debian/tmp debian/.debhelper debian/files \
		debian/*.substvars debian/*.debhelper.log debian/debhelper-build-stamp
