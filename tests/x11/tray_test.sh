#!/usr/bin/env bash
# The tray under X11: a private virtual X server with a tray host (trayer), then the tray test of the
# application, which waits until the tray host has taken the tray. Exits 77 (skipped) only where Xvfb or
# trayer is not installed.
set -u
tests=$1
command -v xvfb-run >/dev/null || { echo "xvfb-run not installed (package xvfb): skipped"; exit 77; }
command -v trayer >/dev/null || { echo "trayer not installed (package trayer): skipped"; exit 77; }
export XDG_RUNTIME_DIR=$(mktemp -d)
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
unset QT_QPA_PLATFORM
export HALVERN_TRAY_HOST_STARTING=1
exec xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  trayer --expand true --SetDockType true >/dev/null 2>&1 &
  tray=$!
  "$0" --gtest_filter=Tray.* 2>&1 | tee /dev/stderr | grep -q "\[  PASSED  \] 2 tests"
  status=$?
  kill $tray 2>/dev/null
  wait $tray 2>/dev/null
  exit $status' "$tests"
