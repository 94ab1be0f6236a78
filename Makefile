# The two commands of the README, `make run` and `make test`, and `make check`
# for quick iteration on the engine.
BUILD_DIR      ?= build
SAN_BUILD_DIR  ?= build-sanitize
ZORL_HOME      ?= $(HOME)/.zorl
JOBS           ?= 2
GENERATOR      := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")

PREFIX         ?= /usr/local

.PHONY: run test test-sanitize check deps build build-sanitize bench install clean

run: build
	@mkdir -p "$(ZORL_HOME)"
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

bench: build
	@for b in $(BUILD_DIR)/bench/*; do [ -x "$$b" ] && [ -f "$$b" ] && "$$b"; done; true

clean:
	rm -rf $(BUILD_DIR) $(SAN_BUILD_DIR)
