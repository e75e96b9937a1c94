#!/usr/bin/env bash
# The program as a native Wayland client: a private headless weston, then the program on Qt's Wayland
# platform with an emulated mouse. Passes when its top-level surface is configured, titled "Halvern" and
# given a buffer, read from the client's own protocol log (WAYLAND_DEBUG). Exits 77 (skipped) only where
# weston or Qt's Wayland platform plugin is not installed.
set -u
program=$1
command -v weston >/dev/null || { echo "weston not installed (package weston): skipped"; exit 77; }
compgen -G "/usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so" >/dev/null ||
  { echo "Qt's Wayland platform not installed (package qt6-wayland): skipped"; exit 77; }

work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
mkdir -m 700 "$XDG_RUNTIME_DIR"
socket=wayland-halvern-test
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null && wait "$app" 2>/dev/null
  kill "$weston" 2>/dev/null && wait "$weston" 2>/dev/null
  rm -rf "$work"
}
weston --backend=headless-backend.so --socket=$socket --idle-time=0 >"$work/weston.log" 2>&1 &
weston=$!
trap cleanup EXIT

# Waits until the command succeeds, for at most $1 tenths of a second.
within() {
  local tenths=$1; shift
  for ((i = 0; i < tenths; i++)); do "$@" && return 0; sleep 0.1; done
  return 1
}
within 100 test -S "$XDG_RUNTIME_DIR/$socket" || { echo "weston did not start:"; cat "$work/weston.log"; exit 1; }

env -u DISPLAY QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=$socket WAYLAND_DEBUG=client \
  HALVERN_EMULATE=mouse "$program" >"$work/app.log" 2>&1 &
app=$!
shown() {
  grep -q 'xdg_toplevel@[0-9]*\.set_title("Halvern")' "$work/app.log" &&
    grep -q 'xdg_surface@[0-9]*\.ack_configure' "$work/app.log" &&
    grep -q 'wl_surface@[0-9]*\.attach(wl_buffer@' "$work/app.log"
}
if within 300 shown; then
  echo "the window is shown under weston (headless)"
  exit 0
fi
echo "no window under weston; the program's last lines:"
grep -v '^\[' "$work/app.log" | tail -20
exit 1
