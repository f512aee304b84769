# The two commands: `make run` and `make test`. Both install what is missing first.
BUILD      ?= build
CMAKE_ARGS ?=
JOBS       ?= 2

.PHONY: run test build setup demo screenshots contact-sheet layout-overlay listen clean

run: build
	cd $(BUILD)/run && ./hxm

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

build: setup
	cmake -S . -B $(BUILD) $(CMAKE_ARGS)
	cmake --build $(BUILD) -j$(JOBS)

setup:
	./scripts/setup

demo: build
	cd $(BUILD)/run && ./hxm-demo

screenshots: build
	./scripts/screenshots $(BUILD)

clean:
	rm -rf $(BUILD)
