#!/usr/bin/env bash
# clipboard-flood.sh [ROUNDS] [SHRINKS] [REQUESTS]: the delay from the key that chooses View >
# Shrink to Fit to Vexa's new window size while another client has just asked the clipboard
# owner (Vexa, after Edit > Copy) for its targets REQUESTS times (100,000), against the same
# command with no requests, on a private 8-bit Xvfb. Rounds alternate which goes first.
set -euo pipefail
source "$(dirname "$0")/bench-lib.sh"
rounds=${1:-6}
shrinks=${2:-5}
requests=${3:-100000}

build_local menu_latency
start_xvfb
start_vexa "$(vexa_config)" 256 96 384 336
xdotool windowfocus --sync "$vexa_window" key --delay 60 alt+e c
owner() { xclip -selection clipboard -t TARGETS -o >/dev/null 2>&1; }
for _ in $(seq 100); do owner && break; sleep 0.1; done
owner || die "Vexa did not take the clipboard"

measure() {  # measure REQUESTS OUT
    "$(tool menu_latency)" "$vexa_window" "$shrinks" "$1" "$2" >>"$work/log" ||
        die "menu_latency failed: $(tail -n 1 "$work/log")"
}
for r in $(seq "$rounds"); do
    if [ $((r % 2)) -eq 1 ]; then
        measure "$requests" "$work/flood"; measure 0 "$work/idle"
    else
        measure 0 "$work/idle"; measure "$requests" "$work/flood"
    fi
done

echo "Shrink to Fit, key -> new size, µs ($rounds rounds of $shrinks, during $requests clipboard requests vs none)"
table_head
row "menu command during a clipboard flood" "$work/flood" "$work/idle"
