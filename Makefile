# Brindlet: set-up, build, run and test on Debian 12.
#   make run     installs what is missing, builds, starts Brindlet
#   make test    installs what is missing, builds, runs the test suite headless
#   make bench   builds and runs the benchmark
#   make test-asan  the test suite under AddressSanitizer and UndefinedBehaviorSanitizer
#   make package    a .deb of Brindlet in build/, checked by lintian and appstreamcli
#   make fuzz       each fuzz target for FUZZ_SECONDS (60) with libFuzzer, growing tests/fuzz/corpus

PACKAGES := cmake g++ make qt6-base-dev qt6-svg-dev fonts-dejavu-core dpkg-dev
FUZZ_PACKAGES := clang libclang-rt-14-dev
FUZZ_TARGETS := codepage ports transcript
FUZZ_SECONDS ?= 60
BUILD := build
JOBS ?= 2
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps build run test bench test-asan package fuzz clean

# Installs those of the Debian packages $(1) that are missing.
define install_missing
	@missing=$$(for p in $(1); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		echo "Installing:" $$missing; \
		$(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi
endef

deps:
	$(call install_missing,$(PACKAGES))

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
	$(call install_missing,lintian appstream)
	appstreamcli validate --no-net packaging/io.brindlet.Brindlet.metainfo.xml
	cd $(BUILD) && cpack
	lintian --fail-on error,warning $(BUILD)/brindlet_*_amd64.deb

fuzz: deps
	$(call install_missing,$(FUZZ_PACKAGES))
	CC=clang CXX=clang++ cmake -S . -B $(BUILD)-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRINDLET_FUZZ=ON
	cmake --build $(BUILD)-fuzz -j$(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	for target in $(FUZZ_TARGETS); do \
		QT_QPA_PLATFORM=offscreen LSAN_OPTIONS=suppressions=tests/fuzz/lsan.supp ./$(BUILD)-fuzz/tests/fuzz_$$target -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
			-artifact_prefix=$(BUILD)-fuzz/ tests/fuzz/corpus/$$target || exit 1; \
	done

clean:
	rm -rf $(BUILD) $(BUILD)-asan $(BUILD)-fuzz
