#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test twice: once in the normal build (g++, warnings as
# errors) and once in a clang build with AddressSanitizer and UndefinedBehaviorSanitizer, which also builds
# the fuzz targets and runs each for a short smoke.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/install-deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
  -DHALVERN_SANITIZE=ON -DHALVERN_FUZZ=ON -DHALVERN_BENCH=OFF
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan --output-on-failure -j "$jobs"
