#!/usr/bin/env bash
# Runs gtest programs built with ThreadSanitizer: run.sh BUILD_FOLDER KNOWN_RACES PROGRAM...
# A data race fails the run, except in the tests that KNOWN_RACES lists ("<program> <Suite.Test>" per
# line, # starts a comment): those still run, and must pass, but their race reports are only printed and
# summed up (one line per report: the test, then the top frame of each of the two racing accesses). A
# listed test that no longer races is named, so it can leave the list.
set -uo pipefail
build=$1 known=$2
shift 2
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
export TSAN_OPTIONS="second_deadlock_stack=1 halt_on_error=0 ${TSAN_OPTIONS:-}"
status=0
summary=()

# One line per race report in a log: the two stacks' first frames inside our code.
summarise() {
  awk -v test="$2" '
    /WARNING: ThreadSanitizer:/ { kind = $0; sub(/.*ThreadSanitizer: /, "", kind); sub(/ \(pid=.*/, "", kind)
                                  n = 0; frames[1] = frames[2] = ""; inreport = 1; next }
    inreport && /^  (Write|Read|Previous|Atomic|Mutex|Location|Thread)/ { n++; want = 1; next }
    inreport && want && /#[0-9]+ / && /\/src\/|\/tests\// {
      frame = $0; sub(/^ *#[0-9]+ /, "", frame); sub(/ \/.*\/(src|tests)\//, " ", frame); sub(/ \(.*$/, "", frame)
      if (n <= 2) frames[n] = frame; want = 0; next }
    inreport && /^SUMMARY: ThreadSanitizer/ { print test ": " kind ": " frames[1] "  <->  " frames[2]; inreport = 0 }
  ' "$1"
}

for program in "$@"; do
  exe=$build/$program
  name=${program##*/}
  mapfile -t racy < <(awk -v p="$name" '!/^#/ && $1 == p { print $2 }' "$known")
  exclude=$(IFS=:; echo "${racy[*]:-}")

  echo "--- $name"
  if ! TSAN_OPTIONS="$TSAN_OPTIONS exitcode=66" "$exe" --gtest_filter="*${exclude:+-$exclude}" \
      >"$logs/$name.log" 2>&1; then
    cat "$logs/$name.log"
    echo "tsan: $name failed (a test failed, or ThreadSanitizer found a race in a test not known to race)"
    status=1
  else
    tail -n 3 "$logs/$name.log"
  fi

  for test in "${racy[@]}"; do
    log="$logs/$name.$test.log"
    if ! TSAN_OPTIONS="$TSAN_OPTIONS exitcode=0" "$exe" --gtest_filter="$test" >"$log" 2>&1; then
      cat "$log"
      echo "tsan: $name $test failed"
      status=1
    fi
    if ! grep -q "^SUMMARY: ThreadSanitizer" "$log"; then
      summary+=("$name $test: no race any more; take it off $known")
    else
      mapfile -t -O "${#summary[@]}" summary < <(summarise "$log" "$name $test")
    fi
  done
done

if [ ${#summary[@]} -gt 0 ]; then
  echo "--- known races (tests listed in $known)"
  printf '%s\n' "${summary[@]}"
fi
exit $status
