#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless: plain, under the
# sanitizers and memcheck, fuzzed for a while, and on the installed and packaged game.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
installMissingPackages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

# build DIR TARGETS [CMAKE OPTION...]: configured so that a test it cannot build stops it.
build() {
    cmake -S . -B "$1" -DVOK_REQUIRE_TESTS=ON "${@:3}" >/dev/null
    cmake --build "$1" -j"$(nproc)" ${2:+--target $2}
}

build build-test ""
ctest --test-dir build-test --output-on-failure
build build-asan unitTests -DCMAKE_BUILD_TYPE=Debug -DVOK_SANITIZE=address
ctest --test-dir build-asan -L unit --output-on-failure
build build-tsan timerTests -DCMAKE_BUILD_TYPE=Debug -DVOK_SANITIZE=thread
ctest --test-dir build-tsan -L timer --output-on-failure
bash tests/e2e/Scenarios.sh memcheck build-test/run/vessa-or-korrin build-test/tests/e2e/libvokFixedTime.so
CC=clang CXX=clang++ build build-fuzz "highScoreFuzz boardFuzz datafileFuzz" -DVOK_FUZZ=ON -DBUILD_TESTING=OFF
# The datafile fuzzer starts from the game's own files; what it finds goes to a corpus of its own.
for target in highScoreFuzz boardFuzz "datafileFuzz corpus run/Gfx"; do
    (cd build-fuzz && mkdir -p corpus && tests/fuzz/$target -max_total_time=20 2>&1 | tail -n 1)
done
bash tests/package/PackageTest.sh build-test
