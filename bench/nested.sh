#!/usr/bin/env bash
# nested.sh [ROUNDS] [RUNS]: the time from starting `vexa --nested` to Vexa's window shown in
# the nested 8-bit screen, against the same done the plain way by plain-nested.sh (Xephyr,
# twm and the fl_empty yardstick), on a private 24-bit Xvfb with Render standing in for the
# desktop. Rounds alternate which goes first.
set -euo pipefail
source "$(dirname "$0")/bench-lib.sh"
rounds=${1:-6}
runs=${2:-3}

build_tool fl_empty
gcc -O2 -o "$work/tools/nested_latency" "$bench_dir/nested_latency.c" -lX11 ||
    die "cannot build nested_latency"
start_xvfb 1280x1024x24
home=$(vexa_config)
export XDG_CONFIG_HOME=$home

vexa_once() { "$(tool nested_latency)" Vexa "$work/vexa" -- "$VEXA" --nested >/dev/null; }
plain_once() {
    "$(tool nested_latency)" FlEmpty "$work/plain" -- \
        bash "$bench_dir/plain-nested.sh" "$(tool fl_empty)" >/dev/null
}
for r in $(seq "$rounds"); do
    for _ in $(seq "$runs"); do
        if [ $((r % 2)) -eq 1 ]; then
            vexa_once
            plain_once
        else
            plain_once
            vexa_once
        fi
    done
done

echo "vexa --nested: start to Vexa's window shown in the 8-bit screen (ms), against Xephyr,"
echo "twm and fl_empty started by a script ($rounds rounds of $runs)"
table_head
row "start to window (ms)" "$work/vexa" "$work/plain"
