#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: unit, property and
# end-to-end (headless, under Xvfb), then the sanitizer builds.
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

ctest --test-dir build-test --output-on-failure
