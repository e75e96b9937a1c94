#!/bin/bash
# Runs the openrgb-sdk client test against the application, offscreen, with emulated devices and a
# private configuration. Usage: rgb_client_test.sh HALVERN_BINARY WORK_FOLDER
# Skips (77) where node or npm is missing, or the pinned client cannot be installed (no registry).
set -u
halvern=$1
work=$2
here=$(cd "$(dirname "$0")" && pwd)

command -v node > /dev/null && command -v npm > /dev/null || { echo "node or npm missing: skipped"; exit 77; }
mkdir -p "$work"
cp "$here/package.json" "$here/package-lock.json" "$work/"
if [ ! -d "$work/node_modules/openrgb-sdk" ] || [ "$here/package-lock.json" -nt "$work/node_modules" ]; then
    if ! (cd "$work" && npm ci --no-audit --no-fund --loglevel=error); then
        echo "the pinned openrgb-sdk client could not be installed: skipped"
        exit 77
    fi
fi

home=$(mktemp -d)
trap 'kill $app 2> /dev/null; wait $app 2> /dev/null; rm -rf "$home"' EXIT
mkdir -p "$home/config/Halvern" "$home/data" "$home/runtime"
chmod 700 "$home/runtime"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
echo "{\"RgbServer\": {\"Enabled\": true, \"Port\": $port}}" > "$home/config/Halvern/settings.json"

HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_RUNTIME_DIR=$home/runtime \
    QT_QPA_PLATFORM=offscreen HALVERN_EMULATE=mouse,keyboard,headset HALVERN_CAPTURE=$home/capture.txt \
    DBUS_SESSION_BUS_ADDRESS=disabled: "$halvern" > "$home/halvern.log" 2>&1 &
app=$!

NODE_PATH=$work/node_modules node "$here/openrgb_client_test.js" "$port" "$home/capture.txt" \
    "$home/runtime/Halvern-$(id -u).sock"
code=$?
[ $code -eq 0 ] || { echo "--- halvern's output"; tail -20 "$home/halvern.log"; }
exit $code
