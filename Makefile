SHELL := /bin/bash
# make run    install what building and running the editor needs (Debian 12), build it, start it
# make test   also install the test tools, build everything, run every test
# make check  also install the sanitizer and fuzzing tools; make test, then the tests under
#             AddressSanitizer + UndefinedBehaviorSanitizer, then a short run of every fuzz
#             target on its seeds
# make bench  build and run the benchmarks
# make seeds  write fuzz/seeds/ again from the seed generator
# make install PREFIX=DIR   build the editor and quorvel-cli and install them under DIR
#             (default /usr/local) with the help texts, desktop entry, MIME type, icon, manual
#             pages and AppStream file
# Every build made here treats warnings as errors (QUORVEL_WERROR).

BUILD      ?= build
SAN_BUILD  ?= build-asan
FUZZ_SECONDS ?= 15
# The sanitizer build: -O1 with line tables, as AddressSanitizer recommends; it compiles much
# faster than -O2 with full debug information and still gives file and line in its reports.
SAN_OPT    ?= -O1 -g1 -DNDEBUG
JOBS       ?= $(shell nproc)

# qt6-image-formats-plugins: the WebP and TIFF readers.
RUN_PACKAGES   := cmake ninja-build g++ make qt6-base-dev libgl-dev fonts-dejavu-core qt6-image-formats-plugins
# xvfb and xauth: a virtual display for tests of the windows on a real X server.
# desktop-file-utils and libxml2-utils: the checks of the desktop entry and the MIME package.
# man-db and appstream: the checks of the manual pages and the AppStream file.
TEST_PACKAGES  := $(RUN_PACKAGES) libgtest-dev libbenchmark-dev xvfb xauth desktop-file-utils libxml2-utils man-db appstream
CHECK_PACKAGES := $(TEST_PACKAGES) clang libclang-rt-14-dev
PREFIX     ?= /usr/local
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

CMAKE_FLAGS := -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVEL_WERROR=ON

export QT_QPA_PLATFORM ?= offscreen

.PHONY: all deps-run deps-test deps-check configure build run test check sanitize fuzz bench seeds clean install

all: build

# Installs those of the listed packages that are missing.
define install-missing
	@missing=""; for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi
endef

deps-run:
	$(call install-missing,$(RUN_PACKAGES))
deps-test:
	$(call install-missing,$(TEST_PACKAGES))
deps-check:
	$(call install-missing,$(CHECK_PACKAGES))

# Everything: the editor, the command-line tool, tests, fuzz targets, benchmarks.
configure: deps-test
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS) -DQUORVEL_TESTS=ON -DQUORVEL_BENCH=ON

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Only the editor. A build folder made here builds no tests and needs no test tools; one made by
# make build or make test keeps its tests.
run: deps-run
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS) $(if $(wildcard $(BUILD)/CMakeCache.txt),,-DQUORVEL_TESTS=OFF -DQUORVEL_BENCH=OFF)
	cmake --build $(BUILD) -j $(JOBS) --target quorvel
	env -u QT_QPA_PLATFORM $(BUILD)/quorvel

# Configured for PREFIX, so the editor also knows where its help texts were installed.
install: deps-run
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS) -DCMAKE_INSTALL_PREFIX=$(PREFIX) $(if $(wildcard $(BUILD)/CMakeCache.txt),,-DQUORVEL_TESTS=OFF -DQUORVEL_BENCH=OFF)
	cmake --build $(BUILD) -j $(JOBS)
	cmake --install $(BUILD) --prefix $(PREFIX)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

sanitize: deps-check
	CC=clang CXX=clang++ cmake -S . -B $(SAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_C_FLAGS_RELWITHDEBINFO="$(SAN_OPT)" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$(SAN_OPT)" \
	  -DQUORVEL_WERROR=ON -DQUORVEL_TESTS=ON -DQUORVEL_SANITIZE=ON -DQUORVEL_FUZZ=ON
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/.ci/lsan.supp UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

fuzz: sanitize
	@set -e; shopt -s nullglob; for target in $(SAN_BUILD)/fuzz/*_fuzz; do \
	  name=$$(basename $$target _fuzz); work=$(SAN_BUILD)/fuzz-corpus/$$name; mkdir -p $$work; \
	  echo "fuzzing $$name for $(FUZZ_SECONDS) s"; \
	  inputs=fuzz/seeds/$$name; if [ -d fuzz/crashes/$$name ]; then inputs="$$inputs fuzz/crashes/$$name"; fi; \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/.ci/lsan.supp UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  $$target -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=4096 -print_final_stats=0 \
	    -artifact_prefix=$(SAN_BUILD)/fuzz-corpus/$$name- $$work $$inputs 2>&1 | tail -n 3; \
	  test $${PIPESTATUS[0]} -eq 0; \
	done

check: deps-check test sanitize fuzz

bench: build
	@for b in $(BUILD)/bench/*_bench; do echo "== $$b"; $$b; done

seeds: configure
	cmake --build $(BUILD) -j $(JOBS) --target generate_seeds
	$(BUILD)/fuzz/generate_seeds fuzz/seeds

clean:
	rm -rf $(BUILD) $(SAN_BUILD)
