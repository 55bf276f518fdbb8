# Set-up, build, run and test on Debian 12. `make run` and `make test` install
# what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build run demo test package clean

all: build

deps:
	./scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j$(JOBS)

run: build
	./$(BUILD)/vorel

# The tool with a simulated controller inside it: a live controller at once.
demo: build
	./$(BUILD)/vorel --demo

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

# The Debian package, build/vorel_VERSION_ARCH.deb: sudo apt install ./build/vorel_*.deb
package: build
	cmake --build $(BUILD) --target package

clean:
	rm -rf $(BUILD)

# Every fuzz target for FUZZ_SECONDS on a scratch copy of its seeds, built with clang
# into build-fuzz (fuzz/run.sh).
FUZZ_SECONDS ?= 60
.PHONY: fuzz
fuzz: deps
	FUZZ_SECONDS=$(FUZZ_SECONDS) ./fuzz/run.sh
