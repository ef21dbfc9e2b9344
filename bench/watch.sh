#!/usr/bin/env bash
# watch.sh [ROUNDS] [CHANGES]: the delay from a colour stored into the installed colormap to
# the line vexa --watch prints about it, against a bare watcher that reads the colormap every
# 20 ms as --watch does without RECORD (watch_latency --poll), on a private 8-bit Xvfb.
# Rounds alternate which watcher goes first.
set -euo pipefail
source "$(dirname "$0")/bench-lib.sh"
rounds=${1:-6}
changes=${2:-40}

build_local watch_latency
start_xvfb
[ -x "$HOLDER" ] || die "no colormap holder at $HOLDER (build first, or set HOLDER)"
mkfifo "$work/holder.in"
exec 8<>"$work/holder.in"
"$HOLDER" --color 0-255=102030 --geometry 32x32+980+730 --name Holder <&8 >/dev/null 2>&1 &
pids+=($!)
window_named Holder >/dev/null
export XDG_CONFIG_HOME
XDG_CONFIG_HOME=$(vexa_config)

measure() {  # measure OUT COMMAND...
    local out=$1
    shift
    "$(tool watch_latency)" "$changes" "$out" -- "$@" >>"$work/log" ||
        die "watch_latency failed: $(tail -n 1 "$work/log")"
}
for r in $(seq "$rounds"); do
    if [ $((r % 2)) -eq 1 ]; then
        measure "$work/vexa" "$VEXA" --watch
        measure "$work/poll" "$(tool watch_latency)" --poll
    else
        measure "$work/poll" "$(tool watch_latency)" --poll
        measure "$work/vexa" "$VEXA" --watch
    fi
done

echo "--watch, colour stored -> line printed, µs ($rounds rounds of $changes changes, Vexa vs a bare 20 ms poller)"
table_head
row "--watch line after a change" "$work/vexa" "$work/poll"
