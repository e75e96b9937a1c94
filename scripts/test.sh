#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test, one stage per build configuration:
#   release  g++ Release (-O3), warnings as errors: everything built, every test, the Debian package
#   asan     clang AddressSanitizer + UndefinedBehaviorSanitizer at -O1: every test
#   tsan     clang ThreadSanitizer at -O1: the device, devices, lighting, app (with the window's) and
#            integration tests, built alone
#   fuzz     clang libFuzzer with ASan + UBSan: only the fuzz targets, each for a short smoke
#   lint     clang-format and clang-tidy on the files changed since the main line
# HALVERN_STAGES="release lint" runs some of them. Each configuration has a build folder of its own
# (build-release, build-asan, build-tsan, build-fuzz) and every compile goes through ccache.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)
stages=${HALVERN_STAGES:-release asan tsan fuzz lint}

scripts/install-deps.sh

# ccache keys on paths relative to the checkout, so a clone elsewhere reuses what another one compiled.
export CCACHE_BASEDIR=$root
# Debug builds (-g) would otherwise hash the build folder's absolute path too.
export CCACHE_NOHASHDIR=true
common=(-G Ninja -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache -DHALVERN_WERROR=ON)
clang=(-DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-g -O1"
  -DHALVERN_BENCH=OFF)

# Compiles served from the cache and compiles that missed it, so far.
ccache_counts() {
  ccache --print-stats 2>/dev/null | awk '$1 ~ /^(direct|preprocessed)_cache_hit$/ { h += $2 }
                                          $1 == "cache_miss" { m += $2 } END { print h + 0, m + 0 }'
}
read -r hits_before misses_before < <(ccache_counts)

timings=()
stage_start=0
begin() {
  echo "=== stage $1"
  stage_start=$SECONDS
}
finish() { timings+=("$(printf '%-8s %4ds' "$1" $((SECONDS - stage_start)))"); }

release() {
  begin release
  cmake -S . -B build-release "${common[@]}" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr
  cmake --build build-release -j "$jobs"
  ctest --test-dir build-release --output-on-failure -j "$jobs"
  (cd build-release && cpack -G DEB)
  finish release
}

asan() {
  begin asan
  cmake -S . -B build-asan "${common[@]}" "${clang[@]}" -DHALVERN_SANITIZE=ON
  cmake --build build-asan -j "$jobs"
  ctest --test-dir build-asan --output-on-failure -j "$jobs"
  finish asan
}

tsan() {
  begin tsan
  cmake -S . -B build-tsan "${common[@]}" "${clang[@]}" -DHALVERN_TSAN=ON
  # The device objects' own tests (mouse, keyboard, device queue, faults) are in integration_tests; the
  # window with its device list and pages, on the devices' threads, in app_gui_tests.
  # input_tests holds the kernel input hook's reader thread.
  local programs=(tests/unit/device/device_tests tests/unit/devices/devices_tests tests/unit/app/app_tests
    tests/unit/lighting/lighting_tests tests/unit/input/input_tests tests/integration/integration_tests
    tests/app_gui/app_gui_tests)
  cmake --build build-tsan -j "$jobs" --target "${programs[@]##*/}"
  # Qt and GLib are not built with ThreadSanitizer: the memory calls they make themselves are ignored.
  TSAN_OPTIONS="suppressions=$root/tests/tsan/qt.supp" QT_QPA_PLATFORM=offscreen \
    tests/tsan/run.sh build-tsan tests/tsan/known_races.txt "${programs[@]}"
  finish tsan
}

fuzz() {
  begin fuzz
  cmake -S . -B build-fuzz "${common[@]}" "${clang[@]}" -DHALVERN_SANITIZE=ON -DHALVERN_FUZZ=ON -DHALVERN_GUI=OFF
  cmake --build build-fuzz -j "$jobs" --target halvern_fuzz_targets
  ctest --test-dir build-fuzz --output-on-failure -j "$jobs" -L fuzz
  finish fuzz
}

lint() {
  begin lint
  scripts/lint.sh
  finish lint
}

for stage in $stages; do
  case $stage in
    release | asan | tsan | fuzz | lint) "$stage" ;;
    *) echo "test.sh: unknown stage $stage" >&2; exit 2 ;;
  esac
done

echo "=== stage times"
printf '%s\n' "${timings[@]}"
read -r hits misses < <(ccache_counts)
echo "ccache: $((hits - hits_before)) hits, $((misses - misses_before)) misses in this run"
