#!/usr/bin/env bash
# Installs what is missing, builds, and shows the program at work on emulated devices: the device slots it
# claims and the information block each device reports.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target halvernctl

ctl=build/src/cli/halvernctl
emulate=${HALVERN_EMULATE:-mouse,keyboard}
"$ctl" --emulate "$emulate" list
"$ctl" --emulate "$emulate" info mouse
"$ctl" --emulate "$emulate" info keyboard
