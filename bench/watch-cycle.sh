#!/usr/bin/env bash
# watch-cycle.sh [STEPS] [RATE] [IDLE_SECONDS]: vexa --watch beside a palette-cycling
# client (watch_cycle: 16 entries rotated with one XStoreColors a step), on a private 8-bit
# Xvfb: how many of the states --watch reports and in order, the delay from a step's
# request to its line, and how often --watch wakes on an unchanging screen. Once more with
# a client that only flushes its steps (the server then passes on each one when it next
# writes to a client). With BASELINE naming another vexa binary (an older build), the
# first run for it too, each on a fresh server.
set -euo pipefail
source "$(dirname "$0")/bench-lib.sh"
steps=${1:-5000}
rate=${2:-1000}
idle=${3:-30}

mkdir -p "$work/tools"
gcc -O2 -o "$work/tools/watch_cycle" "$bench_dir/watch_cycle.c" -lX11 -lpthread ||
    die "cannot build watch_cycle"
export XDG_CONFIG_HOME
XDG_CONFIG_HOME=$(vexa_config)

run() {  # run LABEL BINARY [--flush]
    start_xvfb
    printf '%-16s ' "$1"
    "$(tool watch_cycle)" ${3:-} "$steps" "$rate" "$idle" -- "$2" --watch || die "watch_cycle failed"
    kill "$x_server_pid"
    wait "$x_server_pid" 2>/dev/null || true
}
echo "--watch beside $steps steps at $rate steps/s (16 entries, one XStoreColors a step); wake-ups over ${idle} s at rest"
run vexa "$VEXA"
run "vexa, --flush" "$VEXA" --flush
[ -z "${BASELINE:-}" ] || run baseline "$BASELINE"
