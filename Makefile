# Set-up, build, run and test on Debian 12. `make run` and `make test` install
# what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
FUZZ_SECONDS ?= 60
FUZZ_SMOKE_SECONDS ?= 5

.PHONY: all deps configure build run demo test check check-package fuzz-smoke check-sanitized package clean screenshots

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

# Every test, as CI runs it: the whole suite built with AddressSanitizer and
# UndefinedBehaviorSanitizer, each fuzz target for a few seconds, and the Debian
# package of the optimised programs. `make check` runs the suite on the optimised
# build as well (what a developer runs between commits).
test: check-sanitized fuzz-smoke check-package

check: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

# The package needs only the programs and their manual pages, not the tests.
check-package: configure
	cmake --build $(BUILD) -j$(JOBS) --target vorel vorelctl vorel-sim vorel_man_pages
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -L package

fuzz-smoke: deps
	FUZZ_SECONDS=$(FUZZ_SMOKE_SECONDS) FUZZ_JOBS=$(JOBS) ./fuzz/run.sh

# Optimised a little (-O1) so the windows' timed tests keep their pace under the
# sanitizers; no timing programs; the kill test saves fewer times; no package.
SANITIZED ?= build-asan
check-sanitized: deps
	cmake -S . -B $(SANITIZED) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
	  -DVOREL_SANITIZE=ON -DVOREL_BENCH=OFF
	cmake --build $(SANITIZED) -j$(JOBS)
	cd $(SANITIZED) && QT_QPA_PLATFORM=offscreen VOREL_SAVE_KILLS=100 \
	  ctest --output-on-failure -j$(JOBS) -LE package

# Every window as a PNG in build/screenshots (not kept in the repository).
screenshots: build
	./scripts/screenshots.sh $(BUILD)

# The Debian package, build/vorel_VERSION_ARCH.deb: sudo apt install ./build/vorel_*.deb
package: build
	cmake --build $(BUILD) --target package

clean:
	rm -rf $(BUILD) $(SANITIZED) build-fuzz

# Every fuzz target for FUZZ_SECONDS on a scratch copy of its seeds, built with clang
# into build-fuzz (fuzz/run.sh).
.PHONY: fuzz
fuzz: deps
	FUZZ_SECONDS=$(FUZZ_SECONDS) ./fuzz/run.sh
