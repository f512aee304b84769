# The two commands: `make run` and `make test`. Both install what is missing first.
BUILD      ?= build
CMAKE_ARGS ?=
JOBS       ?= 2
WINDOWS    ?= build-windows

.PHONY: run test build setup package demo screenshots contact-sheet layout-overlay listen soak \
        windows windows-test include-graph golden-refresh clean

run: build
	cd $(BUILD)/run && ./hxm

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

build: setup
	cmake -S . -B $(BUILD) $(CMAKE_ARGS)
	cmake --build $(BUILD) -j$(JOBS)

setup:
	./scripts/setup

# The Debian package: $(BUILD)/hxm_<version>_amd64.deb.
package: build
	cmake --build $(BUILD) --target package

demo: build
	cd $(BUILD)/run && ./hxm-demo

screenshots: build
	./scripts/screenshots $(BUILD)

# All 135 pictures on one labelled sheet: build/contact-sheet.png.
contact-sheet: build
	cmake --build $(BUILD) --target contact-sheet

# Every screen's rectangles outlined and named, at 1920x1080 and 1366x768.
layout-overlay: build
	mkdir -p $(BUILD)/layout-overlay
	cd $(BUILD)/run && ../tools/hxm-layout-overlay ../layout-overlay

# The includes between the folders, stacked by floor: $(BUILD)/includes.svg.
include-graph:
	./scripts/include-graph $(BUILD)/includes.svg

# After an intended change to what a screen draws: store the golden frames anew from this
# build (tests/golden/); look at the pictures in $(BUILD)/golden/ before committing them.
golden-refresh: build
	cd $(BUILD) && HXM_GOLDEN_REFRESH=1 ./tests/hxm_tests --gtest_filter='Golden.*'

# Length, peak and RMS of each of the 16 sound files.
listen: build
	./scripts/listen $(BUILD)

# The chaos driver for a long run: SOAK_MINUTES of wall time (30 by default), one seed.
SOAK_MINUTES ?= 30
SOAK_SEED    ?= $(shell date +%s)
soak: build
	$(BUILD)/tools/hxm-chaos --seed $(SOAK_SEED) --minutes $(SOAK_MINUTES)

# The Windows program, cross-built with mingw-w64: $(WINDOWS)/HXM-windows-x64.zip. Its
# libraries are built from Debian's sources once, into $(WINDOWS)/deps; the pictures and
# sounds come from the native build.
windows: setup
	cmake -S . -B $(BUILD) $(CMAKE_ARGS)
	cmake --build $(BUILD) -j$(JOBS) --target hxm_run_data hxm_art
	JOBS=$(JOBS) ./scripts/windows-deps $(WINDOWS)/deps
	cmake -S . -B $(WINDOWS) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake \
	  -DHXM_WINDOWS_PREFIX=$(abspath $(WINDOWS))/deps/prefix -DHXM_HOST_BUILD=$(abspath $(BUILD)) \
	  $(CMAKE_ARGS)
	cmake --build $(WINDOWS) -j$(JOBS)

# The Windows program under Wine (make test runs this too once the Windows build exists).
windows-test: windows
	cmake --build $(BUILD) -j$(JOBS) --target hxm-screenshot hxm-virtual-hub
	cd $(BUILD) && ctest -R '^WindowsBuild\.' --output-on-failure

clean:
	rm -rf $(BUILD)
