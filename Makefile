# Brindlet: set-up, build, run and test on Debian 12. On a machine without make,
# ./run.sh and ./test.sh install it first, then call make run and make test.
#   make run     installs what is missing, builds, starts Brindlet
#   make test    installs what is missing, builds, runs the test suite headless
#   make bench   builds and runs the benchmark; its window flood needs xvfb and
#                netcat-openbsd, and compares with rxvt-unicode where installed
#   make test-asan  the test suite under AddressSanitizer and UndefinedBehaviorSanitizer, with
#                   the standard library's own checks (_GLIBCXX_ASSERTIONS)
#   make package    Brindlet's Debian source and binary packages in build/package, checked by lintian
#   make test-releases  make test in clean roots of Debian 12, 13 and unstable, one line each (as root)
#   make fuzz       each fuzz target for FUZZ_SECONDS (60) with libFuzzer, growing tests/fuzz/corpus
#   make test-windows  the test suite's Windows build under Wine, headless, and the Windows
#                   program under Wine talking with the Linux one and with a raw socket
#   make windows    Brindlet for Windows, cross-built with MinGW-w64, as a zip in build/windows;
#                   Qt for Windows is built once into ~/.cache/brindlet (BRINDLET_QT_MINGW_TAR
#                   names a tar file of one built before, to unpack instead)

FUZZ_PACKAGES := clang libclang-rt-14-dev
FUZZ_TARGETS := codepage ports transcript
FUZZ_SECONDS ?= 60
BUILD := build
JOBS ?= 2
VERSION = $(shell dpkg-parsechangelog -S Version)

.PHONY: deps build run test bench test-asan test-releases package fuzz windows test-windows clean

deps:
	sh tools/install-packages.sh

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
	sh bench/window-flood.sh ./$(BUILD)/bench/brindlet_startup_probe

test-asan: deps
	cmake -S . -B $(BUILD)-asan -DCMAKE_BUILD_TYPE=Debug -DBRINDLET_SANITIZE=ON
	cmake --build $(BUILD)-asan -j$(JOBS)
	cd $(BUILD)-asan && QT_QPA_PLATFORM=offscreen UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j$(JOBS)

# Each release's clean root is made once and kept in $(BUILD)/releases.
test-releases:
	sh tools/install-packages.sh mmdebstrap
	sh tools/test-releases.sh $(BUILD)/releases

# dpkg-buildpackage writes beside the checkout, as Debian's tools do; the
# results move into $(BUILD)/package.
package: deps
	sh tools/install-packages.sh debhelper lintian appstream
	appstreamcli validate --no-net packaging/io.brindlet.Brindlet.metainfo.xml
	dpkg-buildpackage -us -uc
	mkdir -p $(BUILD)/package
	mv ../brindlet_$(VERSION).* ../brindlet_$(VERSION)_* ../brindlet-dbgsym_$(VERSION)_* $(BUILD)/package/
	lintian --fail-on error,warning $(BUILD)/package/brindlet_$(VERSION)_amd64.changes

fuzz: deps
	sh tools/install-packages.sh $(FUZZ_PACKAGES)
	CC=clang CXX=clang++ cmake -S . -B $(BUILD)-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRINDLET_FUZZ=ON
	cmake --build $(BUILD)-fuzz -j$(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	for target in $(FUZZ_TARGETS); do \
		QT_QPA_PLATFORM=offscreen LSAN_OPTIONS=suppressions=tests/fuzz/lsan.supp ./$(BUILD)-fuzz/tests/fuzz_$$target -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
			-artifact_prefix=$(BUILD)-fuzz/ tests/fuzz/corpus/$$target || exit 1; \
	done

clean:
	rm -rf $(BUILD) $(BUILD)-asan $(BUILD)-fuzz

# The cross build, in $(BUILD)/windows: Qt for Windows, the tool chain, and the
# icon drawn by the build machine's own tool, from the native build.
WINDOWS_PACKAGES := g++-mingw-w64-x86-64-posix ninja-build dpkg-dev zip wine64 wine xvfb xauth xdotool xclip
windows-configure = qt=$$(sh tools/windows-qt.sh) && \
	QT_WIN_PREFIX=$$qt cmake -S . -B $(BUILD)/windows -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=$(1) \
		-DCMAKE_TOOLCHAIN_FILE=$$qt/lib/cmake/Qt6/qt.toolchain.cmake \
		-DQT_CHAINLOAD_TOOLCHAIN_FILE=$(CURDIR)/tools/mingw-w64-x86_64.cmake \
		-DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
		-DCMAKE_CROSSCOMPILING_EMULATOR=$(CURDIR)/tools/wine-test.sh \
		-DBRINDLET_ICON_TOOL=$(CURDIR)/$(BUILD)/tools/brindlet_icons \
		-DBRINDLET_WINE_CONVERSATION=$(CURDIR)/$(BUILD)/tests/tst_wineconversation && \
	cmake --build $(BUILD)/windows -j$(JOBS)

windows: build
	sh tools/install-packages.sh $(WINDOWS_PACKAGES)
	$(call windows-configure,OFF) && \
	sh tools/windows-package.sh $(BUILD)/windows $$qt $$(dpkg-parsechangelog -S Version | sed 's/-.*//')

test-windows: build
	sh tools/install-packages.sh $(WINDOWS_PACKAGES)
	$(call windows-configure,ON) && \
	cd $(BUILD)/windows && QT_WIN_PREFIX=$$qt xvfb-run -a ctest --output-on-failure -j$(JOBS)
