# make run: install what is missing, build, run the program under Wine (under Xvfb with a screenshot
#           in build/screenshot.png when there is no display).
# make test: install what is missing, build, run every test under Wine.
# make bench: build, run the paint and the grid benchmarks under Wine as the tests run, print their figures.
BUILD ?= build

.PHONY: all deps build run test bench screenshots clean
all: build

deps:
	@bash tools/deps.sh

build: deps
	@bash tools/build.sh $(BUILD)

run: build
	@bash tools/run.sh $(BUILD)

test: build
	@bash tools/test.sh $(BUILD)

bench: build
	@bash tools/bench.sh $(BUILD)

# Pictures of the dialog on recorded systems for the README (docs/dialog-*.png).
screenshots: build
	@bash tools/screenshots.sh $(BUILD)

clean:
	rm -rf $(BUILD)
