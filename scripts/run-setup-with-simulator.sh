#!/usr/bin/env bash
# Opens the setup program against two simulated modules, so that it can be
# tried with no module on the desk. Builds nothing.
#
#   scripts/run-setup-with-simulator.sh [BUILD_FOLDER]     (default ./build)
#
# Port 1 (the "Init" port) is the first simulator, port 2 the second: press
# "Init" and see "TK28950 Ready"; on the "Memory" tab choose port 2 for the
# file transfers. Extra simulator options (for both) may be given in
# TK28950_SIM_ARGS, e.g. TK28950_SIM_ARGS="--pace 38400 --drop 0.01".
# The control is registered in a registry of this run only; the simulators
# stop when the window closes.
set -euo pipefail

build="${1:-./build}"
bin="$(cd "$build/bin" 2>/dev/null && pwd)" || {
    echo "no $build/bin: build the project first (cmake --build $build)" >&2
    exit 2
}
for file in tk28950-sim tk28950-regsvr PrjTK28950 libTK28950.so; do
    if [ ! -e "$bin/$file" ]; then
        echo "missing $bin/$file: build the project first (cmake --build $build)" >&2
        exit 2
    fi
done

work="$(mktemp -d "${TMPDIR:-/tmp}/tk28950-setup.XXXXXX")"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

# Starts one simulator; sets "device" to the device path it opened.
start_simulator() {
    local name="$1"
    # shellcheck disable=SC2086 # the extra options are meant to split
    "$bin/tk28950-sim" --eeprom "$work/$name.eeprom" ${TK28950_SIM_ARGS:-} \
        >"$work/$name.out" 2>"$work/$name.err" &
    pids+=("$!")
    for _ in $(seq 100); do
        if [ "$(wc -l <"$work/$name.out")" -ge 1 ]; then
            device="$(head -n 1 "$work/$name.out")"
            return 0
        fi
        sleep 0.1
    done
    echo "the simulator $name did not start:" >&2
    cat "$work/$name.err" >&2
    return 1
}

start_simulator first
TK28950_PORT_1="$device"
start_simulator second
TK28950_PORT_2="$device"
export TK28950_PORT_1 TK28950_PORT_2
export TK28950_REGISTRY="$work/registry.ini"
"$bin/tk28950-regsvr" "$bin/libTK28950.so" >/dev/null

echo "port 1: $TK28950_PORT_1, port 2: $TK28950_PORT_2"
"$bin/PrjTK28950"
