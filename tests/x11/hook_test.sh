#!/usr/bin/env bash
# The input hook on a private virtual X server. Exits 77 (skipped) only where Xvfb is not installed.
set -u
tests=$1
command -v xvfb-run >/dev/null || { echo "xvfb-run not installed (package xvfb): skipped"; exit 77; }
export XDG_RUNTIME_DIR=$(mktemp -d)
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
# -noreset: the server would otherwise reset when one test closes its last connection, and the next
# test's connection could arrive during the reset.
xvfb-run -a -s "-screen 0 1280x800x24 -noreset" "$tests"  # not exec: the trap removes the folder
