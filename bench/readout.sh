#!/usr/bin/env bash
# readout.sh [ROUNDS] [MOTIONS]: the delay from a pointer motion to the title change during
# a readout, Vexa against mock_readout (the least a readout can do), on a private 8-bit
# Xvfb. On the grid: along Vexa's grid (256 x 1, 2-pixel tiles) and along the mock's window.
# Off the window: over mock_painter's columns of pixel values 0..255, under a colormap of 256
# distinct colours. Rounds alternate which program goes first.
set -euo pipefail
source "$(dirname "$0")/bench-lib.sh"
rounds=${1:-6}
motions=${2:-150}

for t in readout_latency mock_readout mock_painter; do build_tool "$t"; done
start_xvfb

# Distinct colours, so that each column of mock_painter reads out differently.
colours=()
for i in $(seq 0 255); do
    colours+=(--color "$i=$(printf %02x%02x%02x "$i" $(((255 - i) & 255)) $(((i * 7) & 255)))")
done
[ -x "$HOLDER" ] || die "no colormap holder at $HOLDER (build first, or set HOLDER)"
# The holder keeps its colormap while its standard input stays open.
mkfifo "$work/holder.in"
exec 8<>"$work/holder.in"
"$HOLDER" "${colours[@]}" --geometry 32x32+980+730 --name Holder <&8 >/dev/null 2>&1 &
pids+=($!)
window_named Holder >/dev/null

start_vexa "$(vexa_config 'View\Columns=256' 'View\Rows=1' 'View\Borders=0')" 512 100 20 200
vexa=$vexa_window
background "$(tool mock_readout)"
mock=$(window_named Mock)
background "$(tool mock_painter)" 512 281 300 400
painter=$(window_named MockPainter)
eval "$(xdotool getwindowgeometry --shell "$painter")"
# The painted area lies below the painter's 25-pixel strip.
ox=$X oy=$((Y + 25)) ow=$WIDTH oh=$((HEIGHT - 25))

measure() {  # measure WIN MODE OUT
    "$(tool readout_latency)" "$1" "$motions" "$2" "$ox" "$oy" "$ow" "$oh" "$3" >>"$work/log" ||
        die "readout_latency failed: $(tail -n 1 "$work/log")"
}
for r in $(seq "$rounds"); do
    for mode in grid off; do
        if [ $((r % 2)) -eq 1 ]; then
            measure "$vexa" "$mode" "$work/vexa-$mode"
            measure "$mock" "$mode" "$work/mock-$mode"
        else
            measure "$mock" "$mode" "$work/mock-$mode"
            measure "$vexa" "$mode" "$work/vexa-$mode"
        fi
    done
done

echo "Readout, motion -> title, µs ($rounds rounds of $motions motions, Vexa vs mock_readout)"
table_head
row "readout on the grid" "$work/vexa-grid" "$work/mock-grid"
row "readout off the window" "$work/vexa-off" "$work/mock-off"
if grep -q "misses [1-9]" "$work/log"; then
    echo "note: some motions changed no title within 200 ms:"
    grep "misses [1-9]" "$work/log"
fi
