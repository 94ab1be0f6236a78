# The two commands of the README, `make run` and `make test`, and `make check`
# for quick iteration on the engine.
BUILD_DIR      ?= build
SAN_BUILD_DIR  ?= build-sanitize
FUZZ_BUILD_DIR ?= build-fuzz
FUZZ_TIME      ?= 60
FUZZ_TARGETS   ?= $(notdir $(wildcard fuzz/corpus/*))
# Every input starts a client in a fresh folder: a memory file system, where
# there is one, makes that several times cheaper.
FUZZ_TMPDIR    ?= $(shell test -w /dev/shm && echo /dev/shm)
ZORL_HOME      ?= $(HOME)/.zorl
JOBS           ?= 2
GENERATOR      := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")

PREFIX         ?= /usr/local

DIST_DIR       ?= dist

.PHONY: run test test-sanitize check deps build build-sanitize bench install fuzz deb clean

# A new configuration folder is the user's alone (it will hold passwords and
# logs); an existing one keeps its mode.
run: build
	@mkdir -p -m 700 "$(ZORL_HOME)"
	@if [ -z "$${DISPLAY:-}$${WAYLAND_DISPLAY:-}$${QT_QPA_PLATFORM:-}" ]; then \
	    echo "zorl: no display found (DISPLAY and WAYLAND_DISPLAY are not set)"; exit 1; fi
	cd "$(ZORL_HOME)" && exec "$(CURDIR)/$(BUILD_DIR)/zorl"

# Everything, twice: the normal tree and the whole client under
# AddressSanitizer and UndefinedBehaviorSanitizer.
test: build build-sanitize
	cd $(SAN_BUILD_DIR) && ctest --output-on-failure -j$(JOBS)
	cd $(BUILD_DIR) && ctest --output-on-failure -j$(JOBS)

test-sanitize: build-sanitize
	cd $(SAN_BUILD_DIR) && ctest --output-on-failure -j$(JOBS)

# The engine and its tests alone, in the normal tree: no widgets, no network.
check: deps $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j$(JOBS) --target zorl_engine_tests
	cd $(BUILD_DIR) && ctest --output-on-failure -j$(JOBS) -L 'engine|check'

deps:
	@sh scripts/install-deps.sh

$(BUILD_DIR)/CMakeCache.txt:
	@$(MAKE) --no-print-directory deps
	cmake -S . -B $(BUILD_DIR) -G "$(GENERATOR)"

$(SAN_BUILD_DIR)/CMakeCache.txt:
	@$(MAKE) --no-print-directory deps
	cmake -S . -B $(SAN_BUILD_DIR) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Debug -DZORL_SANITIZE=ON

build: deps $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j$(JOBS)

build-sanitize: deps $(SAN_BUILD_DIR)/CMakeCache.txt
	cmake --build $(SAN_BUILD_DIR) -j$(JOBS)

# The client with its desktop entry and icon, under PREFIX (DESTDIR honoured).
# The desktop entry names the installed paths, so PREFIX is configured in.
install: deps $(BUILD_DIR)/CMakeCache.txt
	cmake -S . -B $(BUILD_DIR) -DCMAKE_INSTALL_PREFIX="$(PREFIX)"
	cmake --build $(BUILD_DIR) -j$(JOBS) --target zorl
	cmake --install $(BUILD_DIR)

# A Debian package from debian/, without tests, checked by lintian. It lands
# in DIST_DIR; dpkg-buildpackage writes beside the tree, so only this
# version's files are taken from there, and the tree is cleaned afterwards.
deb:
	@sh scripts/install-deps.sh deb
	dpkg-buildpackage -us -uc -b -j$(JOBS)
	@v=$$(dpkg-parsechangelog -S Version); a=$$(dpkg-architecture -qDEB_HOST_ARCH); \
	    mkdir -p $(DIST_DIR) && for f in ../zorl_$${v}_$${a}.deb ../zorl-dbgsym_$${v}_$${a}.deb \
	        ../zorl_$${v}_$${a}.changes ../zorl_$${v}_$${a}.buildinfo; do \
	        [ ! -f "$$f" ] || mv "$$f" $(DIST_DIR)/; done; \
	    debian/rules clean >/dev/null; \
	    lintian --info $(DIST_DIR)/zorl_$${v}_$${a}.changes; \
	    ls $(DIST_DIR)/zorl_$${v}_$${a}.deb

bench: build
	@for b in $(BUILD_DIR)/bench/*; do [ -x "$$b" ] && [ -f "$$b" ] && "$$b"; done; true

# The fuzz targets under clang and libFuzzer, each run FUZZ_TIME seconds from
# the seeds in fuzz/corpus (FUZZ_TARGETS="ini ident" for some of them); what they find goes to $(FUZZ_BUILD_DIR)/corpus
# and $(FUZZ_BUILD_DIR)/crashes (see fuzz/README.md). Not part of `make test`,
# which replays the seeds and past crashes.
fuzz:
	@sh scripts/install-deps.sh fuzz
	@test -f $(FUZZ_BUILD_DIR)/CMakeCache.txt || CC=clang CXX=clang++ \
	    cmake -S . -B $(FUZZ_BUILD_DIR) -G "$(GENERATOR)" -DZORL_FUZZ=ON
	cmake --build $(FUZZ_BUILD_DIR) -j$(JOBS)
	@mkdir -p $(FUZZ_BUILD_DIR)/crashes
	@for t in $(FUZZ_TARGETS); do [ -x $(FUZZ_BUILD_DIR)/fuzz/fuzz_$$t ] || continue; mkdir -p $(FUZZ_BUILD_DIR)/corpus/$$t; \
	    log=$(FUZZ_BUILD_DIR)/fuzz_$$t.log; echo "fuzz_$$t: $(FUZZ_TIME) s"; \
	    $(if $(FUZZ_TMPDIR),TMPDIR=$(FUZZ_TMPDIR)) $(FUZZ_BUILD_DIR)/fuzz/fuzz_$$t -max_total_time=$(FUZZ_TIME) -timeout=10 \
	        -print_final_stats=1 -dict=fuzz/dict/$$t.dict \
	        -artifact_prefix=$(FUZZ_BUILD_DIR)/crashes/$$t- \
	        $(FUZZ_BUILD_DIR)/corpus/$$t fuzz/corpus/$$t >$$log 2>&1; rc=$$?; \
	    grep -E '^#[0-9]+.*(pulse|DONE)|^stat::number_of_executed|^SUMMARY|^invariant' $$log | tail -n 4; \
	    [ $$rc -eq 0 ] || { echo "fuzz_$$t failed, see $$log"; exit 1; }; done

clean:
	rm -rf $(BUILD_DIR) $(SAN_BUILD_DIR) $(FUZZ_BUILD_DIR) $(DIST_DIR)
