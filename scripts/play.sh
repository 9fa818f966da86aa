#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it from its run directory.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
installMissingPackages "${BUILD_PACKAGES[@]}"
cmake -S . -B build -DBUILD_TESTING=OFF
cmake --build build -j"$(nproc)"
cd build/run
exec ./vessa-or-korrin
