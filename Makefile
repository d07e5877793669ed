# Kesselfass 3D: the two commands of the README and a few helpers.
#   make play    install what is missing, build, start the game
#   make test    install what is missing (test tools too), build, run every test
#   make bench   build and run the benchmarks (release build)
#   make soak    the long soak run under the sanitizers
#   make stress  every window, Wine and browser test ROUNDS times (default 5), both cores busy
#   make package the Debian package for players, in build/package/
#   make fresh-check  the README's commands on a new minimal Debian root (slow; needs root)
#   make windows the Windows game and tools, cross-built into build/windows/
#   make package-windows  kesselfass3d-<version>-windows-x64.zip and kesselfass3d-<version>-setup.exe
#   make web     the game as a web page (Emscripten, WebGL) in build/web/
#   make serve-web  serves build/web/ on http://127.0.0.1:8000/
#   make package-web  kesselfass3d-<version>-web.zip, the page for any static web host
#   make bench-web    the page's sizes, load time and frame time in headless chromium
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: play test bench soak stress build deps test-deps package fresh-check clean windows \
	windows-deps package-windows web web-deps serve-web package-web bench-web

deps:
	sh scripts/install-deps.sh

test-deps:
	sh scripts/install-deps.sh --test

build: deps
	cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DKF_BUILD_TESTS=OFF -DKF_BUILD_BENCH=OFF
	cmake --build build/release --target kesselfass3d -j $(JOBS)

play: build
	./build/release/platform/kesselfass3d

test: test-deps
	sh scripts/run-tests.sh

bench: test-deps
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DKF_BUILD_TESTS=OFF -DKF_BUILD_BENCH=ON
	cmake --build build/bench -j $(JOBS)
	sh scripts/run-benchmarks.sh build/bench

# 45,000 ticks (30 minutes of game time) of random input with frames, under the sanitizers.
soak: test-deps
	cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DKF_SANITIZE=ON -DKF_BUILD_BENCH=OFF
	cmake --build build/test --target soak -j $(JOBS)
	ASAN_OPTIONS=quarantine_size_mb=8 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/render/lsan.supp:print_suppressions=0 \
	    scripts/with-xvfb.sh build/test/tests/soak/soak --ticks 45000 --warmup 5000 --frame-every 4

# Tests that drive a real window or browser must hold with the machine saturated: each runs ROUNDS
# times beside stress-ng's CPU hogs, and the failures of each are counted.
ROUNDS ?= 5
stress: test-deps
	sh scripts/stress-tests.sh $(ROUNDS)

package:
	sh scripts/install-deps.sh --package
	cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DKF_BUILD_TESTS=OFF -DKF_BUILD_BENCH=OFF
	cmake --build build/release --target kesselfass3d -j $(JOBS)
	rm -f build/package/kesselfass3d_*.deb
	cpack --config build/release/CPackConfig.cmake -B build/package
	@ls build/package/kesselfass3d_*.deb

fresh-check:
	bash scripts/fresh-check.sh

windows-deps:
	sh scripts/install-deps.sh --windows

windows: windows-deps
	cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	    -DCMAKE_BUILD_TYPE=Release
	cmake --build build/windows -j $(JOBS)

# The Windows game for players, beside the Makefile: the exe and how to play it in a zip, and
# an installer (CPack's NSIS generator; desktop/windows/).
WINDOWS_VERSION = $(shell awk '/^project.Kesselfass3D VERSION/ {print $$3}' CMakeLists.txt)
WINDOWS_ZIP = kesselfass3d-$(WINDOWS_VERSION)-windows-x64.zip
WINDOWS_SETUP = kesselfass3d-$(WINDOWS_VERSION)-setup.exe

package-windows: windows
	sh scripts/package-windows.sh build/windows $(WINDOWS_ZIP)
	cpack -G NSIS64 --config build/windows/CPackConfig.cmake -B build/package-windows
	cp build/package-windows/$(WINDOWS_SETUP) $(WINDOWS_SETUP)
	@echo "package-windows: $(WINDOWS_SETUP)"

web-deps:
	sh scripts/install-deps.sh --web

web: web-deps
	sh scripts/build-web.sh $(JOBS)

serve-web: web
	python3 scripts/serve-web.py --port 8000 build/web

bench-web: test-deps web-deps
	sh scripts/build-web.sh $(JOBS) test-page
	/usr/bin/python3 bench/web/web_bench.py build/web build/web-test

WEB_ZIP = kesselfass3d-$(WINDOWS_VERSION)-web.zip

# The page's files, and the licence texts of what the music loads beside them.
WEB_LICENCES = build/web-licences

package-web: web
	rm -f $(WEB_ZIP)
	rm -rf $(WEB_LICENCES) && mkdir -p $(WEB_LICENCES)
	cp build/npm/node_modules/js-synthesizer/externals/LICENSE.fluidsynth.txt \
	    $(WEB_LICENCES)/LICENSE.fluidsynth.txt
	cp build/npm/node_modules/js-synthesizer/LICENSE $(WEB_LICENCES)/LICENSE.js-synthesizer.txt
	cp /usr/share/doc/timgm6mb-soundfont/copyright $(WEB_LICENCES)/LICENSE.TimGM6mb.txt
	cd build/web && zip -q -r ../../$(WEB_ZIP) index.html page.js page_input.js page_sound.js \
	    page_load.js page_storage.js page.css sw.js manifest.webmanifest icon.png icon-192.png \
	    icon-512.png icon-maskable-512.png kesselfass3d.js kesselfass3d.wasm music_worklet.js \
	    libfluidsynth-2.4.6.js js-synthesizer.worklet.min.js TimGM6mb.sf2
	cd $(WEB_LICENCES) && zip -q ../../$(WEB_ZIP) LICENSE.*
	@echo "package-web: $(WEB_ZIP)"

clean:
	rm -rf build
