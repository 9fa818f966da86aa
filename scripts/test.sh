#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: unit, property, timer
# and end-to-end (headless, under Xvfb), the sanitizer builds, a whole session
# under valgrind, the installed game and the Debian package.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
installMissingPackages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
jobs=$(nproc)

cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-test -j"$jobs"

# AddressSanitizer + UndefinedBehaviorSanitizer over the unit and property tests.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVOK_SANITIZE=address
cmake --build build-asan -j"$jobs" --target unitTests propertyTests
ctest --test-dir build-asan -L 'unit|property' --output-on-failure -j"$jobs"

# ThreadSanitizer over the timer test: two timer threads against the main loop's readers.
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DVOK_SANITIZE=thread
cmake --build build-tsan -j"$jobs" --target timerTests
ctest --test-dir build-tsan -L timer --output-on-failure

# A whole session (both game types, options, high scores) under valgrind's memcheck.
VOK_E2E_VALGRIND=1 build-test/tests/e2e/e2eTests --gtest_filter='MemorySession.*'

# The installed game and the Debian package, played as a player would.
bash tests/package/install-test.sh build-test
if [ "$(id -u)" -eq 0 ]; then
    bash tests/package/package-test.sh build-test
else
    echo "package test skipped: it installs a package and a user, so it needs root"
fi

ctest --test-dir build-test --output-on-failure
