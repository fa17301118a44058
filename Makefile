# make run: install what is missing, build, run the program under Wine (under Xvfb with a screenshot when there is no display).
# make test: install what is missing, build, run every test under Wine.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps build run test clean
all: build

deps:
	@bash tools/deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@bash tools/run.sh $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure --timeout 900

clean:
	rm -rf $(BUILD)
