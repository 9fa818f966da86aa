#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless: in-process, on the
# whole game plain and sanitized, fuzzed for a while, and on the installed and packaged game.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
installMissingPackages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

# build DIR TARGETS [CMAKE OPTION...]: configured so that a test it cannot build stops it.
build() { cmake -S . -B "$1" -DVOK_REQUIRE_TESTS=ON "${@:3}" >/dev/null && cmake --build "$1" -j"$(nproc)" ${2:+--target $2}; }

# check DIR TARGETS LABELS [CMAKE OPTION...]: built, then its tests of those labels run.
check() { build "$1" "$2" "${@:4}" && ctest --test-dir "$1" -L "$3" --output-on-failure; }
check build-test "" .
check build-asan "unitTests vessa-or-korrin vokFixedTime" "unit|e2e" -DCMAKE_BUILD_TYPE=Debug -DVOK_SANITIZE=address
check build-tsan unitTests unit -DCMAKE_BUILD_TYPE=Debug -DVOK_SANITIZE=thread
CC=clang CXX=clang++ build build-fuzz datafileFuzz -DVOK_FUZZ=ON -DBUILD_TESTING=OFF
# From the game's datafiles and a small one of each object kind, packed and not: one change a run keeps their form.
(cd build-fuzz && mkdir -p corpus && tests/fuzz/datafileFuzz -max_total_time=60 -mutate_depth=1 -dict=../tests/fuzz/datafile.dict corpus run/Gfx ../tests/fuzz/seeds 2>&1 | tail -n 1)
bash tests/package/PackageTest.sh build-test
# The Windows build, the same zip built again from another folder, and all of it under Wine.
VOK_WINDOWS_TESTS=ON bash scripts/windows.sh | tail -n 2
VOK_WINDOWS_OUT=build-windows-again bash scripts/windows.sh >/dev/null
cmp build-windows/vessa-or-korrin-*-win64.zip build-windows-again/vessa-or-korrin-*-win64.zip
bash tests/windows/WineTest.sh build-windows/game build-test/run/vessa-or-korrin
