# make build  - configure and build every program (build/bin)
# make test   - install what is missing, build, and run every test under Wine
BUILD_DIR ?= build
TOOLCHAIN := $(CURDIR)/cmake/mingw-i686.cmake
JOBS ?= $(shell nproc)

.PHONY: all build test deps configure clean

all: build

deps:
	./scripts/install-deps.sh

configure:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_TOOLCHAIN_FILE=$(TOOLCHAIN) -DCMAKE_BUILD_TYPE=Release

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: deps
	$(MAKE) build
	cd $(BUILD_DIR) && ctest --output-on-failure

clean:
	-WINEPREFIX=$(CURDIR)/$(BUILD_DIR)/wineprefix wineserver -k 2>/dev/null
	rm -rf $(BUILD_DIR)
