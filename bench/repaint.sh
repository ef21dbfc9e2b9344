#!/usr/bin/env bash
# repaint.sh [ROUNDS] [REPAINTS]: the time from an exposure of the client area to the last
# Damage event of its repaint, Vexa's grid (16 x 16 with borders, and 256 x 1) against
# mock_painter (one XPutImage of an 8-bit image of the same size), on a private 8-bit Xvfb.
# Rounds alternate which program goes first.
set -euo pipefail
source "$(dirname "$0")/bench-lib.sh"
rounds=${1:-6}
repaints=${2:-50}
width=520 height=545  # a 16 x 16 grid of 32 x 32 tiles below the 25-pixel menu bar

for t in expose_latency mock_painter; do build_tool "$t"; done
start_xvfb

background "$(tool mock_painter)" "$width" "$height" 500 10
mock=$(window_named MockPainter)
start_vexa "$(vexa_config 'View\Columns=16' 'View\Rows=16' 'View\Borders=1')" "$width" "$height" 0 0
grid16=$vexa_window

measure() {  # measure WIN OUT
    "$(tool expose_latency)" "$1" "$repaints" "$2" >>"$work/log" 2>&1 ||
        die "expose_latency failed"
}
run_rounds() {  # run_rounds VEXA_WIN LABEL
    for r in $(seq "$rounds"); do
        if [ $((r % 2)) -eq 1 ]; then
            measure "$1" "$work/vexa-$2"; measure "$mock" "$work/mock-$2"
        else
            measure "$mock" "$work/mock-$2"; measure "$1" "$work/vexa-$2"
        fi
    done
}
run_rounds "$grid16" 16x16
kill "$vexa_pid"
wait "$vexa_pid" 2>/dev/null || true
start_vexa "$(vexa_config 'View\Columns=256' 'View\Rows=1' 'View\Borders=0')" "$width" "$height" 0 0
grid256=$vexa_window
run_rounds "$grid256" 256x1

echo "Repaint after expose, µs ($rounds rounds of $repaints, ${width}x$((height - 25)) client area, Vexa vs mock_painter)"
table_head
row "grid repaint, 16x16 with borders" "$work/vexa-16x16" "$work/mock-16x16"
row "grid repaint, 256x1" "$work/vexa-256x1" "$work/mock-256x1"
awk '{ n[$2]++ } END { for (k in n) printf "damage events per repaint: %s (%d times)\n", k, n[k] }' \
    "$work/vexa-16x16" "$work/vexa-256x1"
