#!/usr/bin/env bash
# Runs a test program on a private D-Bus session bus of its own (dbus-run-session starts the daemon and
# stops it afterwards), so it never meets the desktop's bus or another test's. Exits 77 (skipped) only
# where dbus-run-session is not installed.
set -u
command -v dbus-run-session >/dev/null || { echo "dbus-run-session not installed (package dbus): skipped"; exit 77; }
unset DBUS_SESSION_BUS_ADDRESS
exec dbus-run-session -- "$@"
