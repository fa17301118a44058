# make run: install what is missing, build, run the program under Wine (under Xvfb with a screenshot
#           in build/screenshot.png when there is no display).
# make test: install what is missing, build, run every test under Wine.
# make bench: build, run the paint, grid, check and summary benchmarks under Wine as the tests run, print their figures.
# make dist: build the shipped programs, write dist/netvetter-<version>.zip and dist/SHA256SUMS (signed
#            with NV_SIGN_PFX / NV_SIGN_PASS when given).
# make repro: build the release twice, in two temporary folders, and compare the bytes.
BUILD ?= build

.PHONY: all deps build run test bench screenshots dist repro clean
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

dist: deps
	@bash tools/dist.sh $(BUILD)

repro: deps
	@bash tools/repro.sh

clean:
	rm -rf $(BUILD) dist
