#!/usr/bin/env bash
# Installs what is missing, builds, and starts Halvern on emulated devices (a mouse and a keyboard unless
# HALVERN_EMULATE says otherwise). Without a display it shows the same devices through halvernctl.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=true
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
  -DCMAKE_C_COMPILER_LAUNCHER=ccache >/dev/null
cmake --build build -j "$(nproc)" --target halvern halvernctl

export HALVERN_EMULATE=${HALVERN_EMULATE:-mouse,keyboard}
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/src/app/halvern
fi
echo "No display: showing the emulated devices through halvernctl instead." >&2
build/src/cli/halvernctl --emulate "$HALVERN_EMULATE" list
build/src/cli/halvernctl --emulate "$HALVERN_EMULATE" info mouse
