#!/usr/bin/env bash
# The tray under X11: a virtual X server with a tray host (trayer), then the tray test of the application.
# Exits 77 (skipped) where Xvfb or trayer is missing.
set -u
tests=$1
command -v xvfb-run >/dev/null && command -v trayer >/dev/null || { echo "no Xvfb or trayer: skipped"; exit 77; }
export XDG_RUNTIME_DIR=$(mktemp -d)
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
unset QT_QPA_PLATFORM
exec xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  trayer --expand true --SetDockType true >/dev/null 2>&1 &
  tray=$!
  sleep 1
  "$0" --gtest_filter=Tray.* 2>&1 | tee /dev/stderr | grep -q "\[  PASSED  \] 1 test"
  status=$?
  kill $tray 2>/dev/null
  exit $status' "$tests"
