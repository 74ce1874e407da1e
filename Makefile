# Brindlet: set-up, build, run and test on Debian 12.
#   make run     installs what is missing, builds, starts Brindlet
#   make test    installs what is missing, builds, runs the test suite headless
#   make bench   builds and runs the benchmark
#   make test-asan  the test suite under AddressSanitizer and UndefinedBehaviorSanitizer
#   make package    a .deb of Brindlet in build/

PACKAGES := cmake g++ make qt6-base-dev fonts-dejavu-core dpkg-dev
BUILD := build
JOBS ?= 2
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps build run test bench test-asan package clean

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		echo "Installing:" $$missing; \
		$(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)

run: build
	./$(BUILD)/src/brindlet

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

bench: build
	QT_QPA_PLATFORM=offscreen ./$(BUILD)/bench/brindlet_bench

test-asan: deps
	cmake -S . -B $(BUILD)-asan -DCMAKE_BUILD_TYPE=Debug -DBRINDLET_SANITIZE=ON
	cmake --build $(BUILD)-asan -j$(JOBS)
	cd $(BUILD)-asan && QT_QPA_PLATFORM=offscreen UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j$(JOBS)

package: build
	cd $(BUILD) && cpack

clean:
	rm -rf $(BUILD) $(BUILD)-asan
