#!/usr/bin/env bash
# Every halvernctl command line of cli_commands.txt, once by halvernctl alone on emulated devices and once
# through the running application (offscreen, on the same emulated devices, on a private session bus):
# each line must print the same and exit with the same code both ways. Profile names carry the time they
# were made, so they are masked before comparing. Run under tests/dbus/session_bus.sh.
# Usage: cli_both_ways.sh HALVERN HALVERNCTL COMMAND_FILE
set -u
halvern=$1 ctl=$2 table=$3
devices=mouse,keyboard,mousepad,headset
work=$(mktemp -d)
app_pid=
cleanup() { [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
command -v gdbus >/dev/null || { echo "gdbus not installed (package libglib2.0-bin): skipped"; exit 77; }

mask() { sed -E 's/[0-9]{4}(_[0-9]{2}){5}_[0-9]{3}/PROFILE/g'; }

# Runs every line of the table with `$@` before its words, into folder $1's files N.code, N.out, N.err.
run_table() {
    local into=$1; shift
    local n=0 line
    mkdir -p "$into"
    while IFS= read -r line; do
        case $line in ''|'#'*) continue ;; esac
        n=$((n + 1))
        # shellcheck disable=SC2086 # the line's words are meant to split
        "$@" $line >"$into/$n.out" 2>"$into/$n.err" </dev/null
        echo $? >"$into/$n.code"
        echo "$line" >"$into/$n.line"
    done <"$table"
}

isolated() {  # a home of its own for one way
    export HOME=$work/$1/home XDG_CONFIG_HOME=$work/$1/home/.config XDG_DATA_HOME=$work/$1/home/.local/share
    mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
}

# Alone: nothing holds the bus name, so halvernctl opens its own emulated devices.
(
    isolated alone
    run_table "$work/alone/out" "$ctl" --emulate "$devices" --emulator-state "$work/alone/state"
)

# Through the application: halvernctl without --emulate reaches the application's emulated devices.
isolated app
mkdir -p "$work/app/state"
# The service announces each device once its page has read it: listen before the application starts, so
# no announcement is missed (the monitor's first line says it listens), then wait for all four.
coproc MONITOR { exec dbus-monitor --session "type=signal,interface=org.halvern.Halvern1.Manager,member=DeviceAdded"; }
monitor_pid=$MONITOR_PID
IFS= read -r -t 10 _ <&"${MONITOR[0]}" || { echo "dbus-monitor did not start"; exit 1; }
HALVERN_EMULATE=$devices HALVERN_EMULATOR_STATE=$work/app/state QT_QPA_PLATFORM=offscreen \
    "$halvern" >"$work/app.log" 2>&1 &
app_pid=$!
added=0
while [ $added -lt 4 ] && IFS= read -r -t 30 line <&"${MONITOR[0]}"; do
    case $line in *member=DeviceAdded*) added=$((added + 1)) ;; esac
done
kill "$monitor_pid" 2>/dev/null
if [ $added -lt 4 ]; then
    echo "the application announced $added of its four devices on the bus"; cat "$work/app.log"; exit 1
fi
run_table "$work/app/out" "$ctl"

failed=0
# Standard input reaches the application too: halvernctl reads it and hands over a file of its own.
pattern=$("$ctl" recoil export 1 -)
if [ -z "$pattern" ] || ! "$ctl" recoil import 2 - <<<"$pattern" >/dev/null || [ "$("$ctl" recoil export 2 -)" != "$pattern" ]; then
    echo "an import from standard input through the application did not arrive"; failed=$((failed + 1))
fi

# What a client sees with the desktop's own tools: the objects, their interfaces, a property.
introspection=$(gdbus introspect --session -d org.halvern.Halvern1 -o /org/halvern/Halvern1/devices/mouse)
for interface in Device Lighting Mouse; do
    grep -q "interface org.halvern.Halvern1.$interface " <<<"$introspection" ||
        { echo "the mouse's object lacks org.halvern.Halvern1.$interface"; failed=$((failed + 1)); }
done
if grep -q "org.halvern.Halvern1.Keyboard" <<<"$introspection"; then
    echo "the mouse's object has the keyboard's interface"; failed=$((failed + 1))
fi
kind=$(gdbus call --session -d org.halvern.Halvern1 -o /org/halvern/Halvern1/devices/keyboard \
    -m org.freedesktop.DBus.Properties.Get org.halvern.Halvern1.Device Kind)
[ "$kind" = "(<'keyboard'>,)" ] || { echo "the keyboard's Kind reads $kind"; failed=$((failed + 1)); }

total=0
for code in "$work"/alone/out/*.code; do
    n=$(basename "$code" .code)
    total=$((total + 1))
    for part in code out err; do
        if ! diff <(mask <"$work/alone/out/$n.$part") <(mask <"$work/app/out/$n.$part") >"$work/diff"; then
            echo "DIFFERS ($part): halvernctl $(cat "$work/alone/out/$n.line")"
            cat "$work/diff"
            failed=$((failed + 1))
        fi
    done
done
echo "$total command lines, $failed differences"
[ "$failed" -eq 0 ]
