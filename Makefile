# Kesselfass 3D: the two commands of the README and a few helpers.
#   make play    install what is missing, build, start the game
#   make test    install what is missing (test tools too), build, run every test
#   make bench   build and run the benchmarks (release build)
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: play test bench build deps test-deps clean

deps:
	sh scripts/install-deps.sh

test-deps:
	sh scripts/install-deps.sh --test

build: deps
	cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DKF_BUILD_TESTS=OFF -DKF_BUILD_BENCH=OFF
	cmake --build build/release -j $(JOBS)

play: build
	./build/release/platform/kesselfass3d

test: test-deps
	sh scripts/run-tests.sh

bench: test-deps
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DKF_BUILD_TESTS=OFF -DKF_BUILD_BENCH=ON
	cmake --build build/bench -j $(JOBS)
	sh scripts/run-benchmarks.sh build/bench

clean:
	rm -rf build
