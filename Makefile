# The two commands of the README: `make run` and `make test`.
BUILD_DIR      ?= build
ASAN_BUILD_DIR ?= build-asan
ZORL_HOME      ?= $(HOME)/.zorl
JOBS           ?= 2
GENERATOR      := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")

.PHONY: run test deps build build-asan test-asan test-all bench clean

run: build
	@mkdir -p "$(ZORL_HOME)"
	@if [ -z "$${DISPLAY:-}$${WAYLAND_DISPLAY:-}$${QT_QPA_PLATFORM:-}" ]; then \
	    echo "zorl: no display found (DISPLAY and WAYLAND_DISPLAY are not set)"; exit 1; fi
	cd "$(ZORL_HOME)" && exec "$(CURDIR)/$(BUILD_DIR)/zorl"

test: build build-asan
	cd $(ASAN_BUILD_DIR) && ctest --output-on-failure -j$(JOBS)
	cd $(BUILD_DIR) && ctest --output-on-failure -j$(JOBS)

deps:
	@sh scripts/install-deps.sh

$(BUILD_DIR)/CMakeCache.txt:
	@$(MAKE) --no-print-directory deps
	cmake -S . -B $(BUILD_DIR) -G "$(GENERATOR)"

$(ASAN_BUILD_DIR)/CMakeCache.txt:
	@$(MAKE) --no-print-directory deps
	cmake -S . -B $(ASAN_BUILD_DIR) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Debug \
	      -DZORL_WITH_QT=OFF -DZORL_SANITIZE=ON

build: deps $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j$(JOBS)

build-asan: deps $(ASAN_BUILD_DIR)/CMakeCache.txt
	cmake --build $(ASAN_BUILD_DIR) -j$(JOBS)

bench: build
	@for b in $(BUILD_DIR)/bench/*; do [ -x "$$b" ] && [ -f "$$b" ] && "$$b"; done; true

clean:
	rm -rf $(BUILD_DIR) $(ASAN_BUILD_DIR)
