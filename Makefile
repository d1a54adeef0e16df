SHELL := /bin/bash
# make run    install what is missing (Debian 12), build, start the editor
# make test   install what is missing, build, run every test
# make check  make test, then the tests under AddressSanitizer + UndefinedBehaviorSanitizer,
#             then a short run of every fuzz target on its seeds
# make bench  build and run the benchmarks

BUILD      ?= build
SAN_BUILD  ?= build-asan
FUZZ_SECONDS ?= 20
JOBS       ?= $(shell nproc)

PACKAGES := cmake ninja-build g++ make qt6-base-dev libgl-dev libgtest-dev libbenchmark-dev \
            clang libclang-rt-14-dev fonts-dejavu-core xvfb xauth
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

export QT_QPA_PLATFORM ?= offscreen

.PHONY: all deps build run test check sanitize fuzz bench clean

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	env -u QT_QPA_PLATFORM ./$(BUILD)/quorvel

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

$(SAN_BUILD)/build.ninja: | deps
	CC=clang CXX=clang++ cmake -S . -B $(SAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DQUORVEL_SANITIZE=ON -DQUORVEL_FUZZ=ON

sanitize: deps $(SAN_BUILD)/build.ninja
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/.ci/lsan.supp UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

fuzz: sanitize
	@set -e; shopt -s nullglob; for target in $(SAN_BUILD)/fuzz/*_fuzz; do \
	  name=$$(basename $$target _fuzz); work=$(SAN_BUILD)/fuzz-corpus/$$name; mkdir -p $$work; \
	  echo "fuzzing $$name for $(FUZZ_SECONDS) s"; \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/.ci/lsan.supp UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  $$target -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=4096 -print_final_stats=0 \
	    -artifact_prefix=$(SAN_BUILD)/fuzz-corpus/$$name- $$work fuzz/seeds/$$name 2>&1 | tail -n 3; \
	  test $${PIPESTATUS[0]} -eq 0; \
	done

check: test sanitize fuzz

bench: build
	@for b in $(BUILD)/bench/*_bench; do echo "== $$b"; $$b; done

clean:
	rm -rf $(BUILD) $(SAN_BUILD)
