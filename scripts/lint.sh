#!/usr/bin/env bash
# clang-format and clang-tidy on the C++ files changed since the main line (the merge base with main or
# origin/main); on the main line itself, the files of the last commit. The tree as a whole is not held to
# the format yet, so files nobody touched are left alone. clang-tidy reads the compile commands of
# build-asan (a clang build), configured here when missing.
set -euo pipefail
cd "$(dirname "$0")/.."

base=""
for main in main origin/main; do
  git rev-parse -q --verify "$main^{commit}" >/dev/null || continue
  base=$(git merge-base HEAD "$main") && break
done
if [ -z "$base" ] || [ "$base" = "$(git rev-parse HEAD)" ]; then
  base=$(git rev-parse -q --verify 'HEAD~1^{commit}' || true)
fi
if [ -z "$base" ]; then
  echo "lint: no earlier commit to compare with (a shallow clone?): nothing to check"
  exit 0
fi

mapfile -t changed < <(git diff --name-only --diff-filter=ACMR "$base" -- '*.cpp' '*.h' | sort)
if [ ${#changed[@]} -eq 0 ]; then
  echo "lint: no C++ file changed since $(git rev-parse --short "$base")"
  exit 0
fi
echo "lint: ${#changed[@]} C++ files changed since $(git rev-parse --short "$base")"

echo "--- clang-format"
clang-format --dry-run --Werror "${changed[@]}"

echo "--- clang-tidy"
if [ ! -f build-asan/compile_commands.json ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
    "-DCMAKE_CXX_FLAGS_DEBUG=-g -O1" -DHALVERN_SANITIZE=ON -DHALVERN_BENCH=OFF >/dev/null
fi
# Sources to analyse: the changed .cpp files, and for a changed header its own .cpp. Warnings are shown
# for those files and the changed headers only, not for everything they include.
sources=()
filter=""
for file in "${changed[@]}"; do
  filter+="${filter:+|}$(printf '%s' "$PWD/$file" | sed 's/[.[\*^$()+?{|]/\\&/g')"
  candidate=${file%.h}.cpp
  [ -f "$candidate" ] || continue
  if grep -q "\"file\": \"$PWD/$candidate\"" build-asan/compile_commands.json; then
    sources+=("$candidate")
  elif [[ $file == *.cpp ]]; then
    echo "lint: $candidate is not compiled in build-asan: not analysed"
  fi
done
if [ ${#sources[@]} -eq 0 ]; then
  echo "lint: nothing to analyse"
  exit 0
fi
mapfile -t sources < <(printf '%s\n' "${sources[@]}" | sort -u)
printf '%s\n' "${sources[@]}" | xargs -P "$(nproc)" -n 1 clang-tidy -p build-asan --quiet "--header-filter=^($filter)$"
echo "lint: clean"
