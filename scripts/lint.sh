#!/usr/bin/env bash
# clang-format and clang-tidy on the C++ files changed since the main line (the merge base with main or
# origin/main); on the main line itself, the files of the last commit. The tree as a whole is not held to
# the format yet, so files nobody touched are left alone. clang-tidy reads the compile commands of
# build-asan (a clang build), configured here when missing.
set -euo pipefail
cd "$(dirname "$0")/.."

# A merge left half done is never committed: no conflict markers anywhere in the tree.
if git grep -nE '^(<<<<<<<|>>>>>>>)( |$)' -- . ':!tests/fuzz/corpus' >&2; then
  echo "lint: conflict markers left in the files above" >&2
  exit 1
fi

# HALVERN_LINT_BASE=COMMIT checks everything changed since COMMIT instead (after merges, say).
base=${HALVERN_LINT_BASE:-}
for main in main origin/main; do
  [ -z "$base" ] || break
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
  cmake -S . -B build-asan -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
    "-DCMAKE_CXX_FLAGS_DEBUG=-g -O1" -DHALVERN_SANITIZE=ON -DHALVERN_BENCH=OFF >/dev/null
fi
# Qt sources include the files moc writes: make them (quick when they are there already).
mapfile -t autogen < <(ninja -C build-asan -t targets all | sed -n 's/^\([A-Za-z0-9_]*_autogen\): phony$/\1/p')
[ ${#autogen[@]} -eq 0 ] || cmake --build build-asan --target "${autogen[@]}" >/dev/null

# Sources to analyse: the changed .cpp files, and for a changed header its own .cpp, each with the compile
# commands of build-asan, or of build-fuzz for the fuzz harnesses. Warnings are shown for those files and
# the changed headers only, not for everything they include.
filter=""
declare -A database=()
for file in "${changed[@]}"; do
  filter+="${filter:+|}$(printf '%s' "$PWD/$file" | sed 's/[.[\*^$()+?{|]/\\&/g')"
  candidate=${file%.*}.cpp
  [ -f "$candidate" ] || continue
  for build in build-asan build-fuzz; do
    if [ -f "$build/compile_commands.json" ] && grep -qF "\"file\": \"$PWD/$candidate\"" "$build/compile_commands.json"; then
      database[$candidate]=$build
      break
    fi
  done
  [ -n "${database[$candidate]:-}" ] || echo "lint: $candidate is not compiled in build-asan or build-fuzz: not analysed"
done
if [ ${#database[@]} -eq 0 ]; then
  echo "lint: nothing to analyse"
  exit 0
fi
echo "lint: clang-tidy on ${#database[@]} files"
for source in "${!database[@]}"; do printf '%s\n%s\n' "${database[$source]}" "$source"; done |
  HEADER_FILTER="^($filter)$" xargs -P "$(nproc)" -n 2 sh -c 'clang-tidy -p "$0" --quiet "--header-filter=$HEADER_FILTER" "$1"' 2>&1 |
  sed '/^[0-9]* warnings\{0,1\} generated\.$/d'  # the count of warnings it did not show
echo "lint: clean"
