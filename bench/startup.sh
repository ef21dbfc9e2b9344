#!/usr/bin/env bash
# startup.sh [ROUNDS] [RUNS]: the time from exec to the mapping of the main window, and the
# peak resident memory once it is shown, Vexa against fl_empty (an FLTK window with a menu
# bar and nothing else), on a private 8-bit Xvfb. Rounds alternate which program goes first.
set -euo pipefail
source "$(dirname "$0")/bench-lib.sh"
rounds=${1:-6}
runs=${2:-5}

for t in start_latency fl_empty; do build_tool "$t"; done
start_xvfb
home=$(vexa_config)
export XDG_CONFIG_HOME=$home

start_once() {  # start_once OUT NAME COMMAND...
    local out=$1 name=$2
    shift 2
    "$(tool start_latency)" "$name" 1 -- "$@" | sed -n 's/.*median \([0-9.]*\) ms.*/\1/p' >>"$out"
}
peak_rss() {  # peak_rss OUT NAME COMMAND...: VmHWM in kB once the window is shown
    local out=$1 name=$2 pid
    shift 2
    "$@" >/dev/null 2>&1 &
    pid=$!
    window_named "$name" >/dev/null
    awk '/^VmHWM/ { print $2 }' "/proc/$pid/status" >>"$out"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
}
for r in $(seq "$rounds"); do
    for _ in $(seq "$runs"); do
        if [ $((r % 2)) -eq 1 ]; then
            start_once "$work/vexa-start" Vexa "$VEXA"
            start_once "$work/empty-start" FlEmpty "$(tool fl_empty)" FlEmpty
        else
            start_once "$work/empty-start" FlEmpty "$(tool fl_empty)" FlEmpty
            start_once "$work/vexa-start" Vexa "$VEXA"
        fi
    done
    peak_rss "$work/vexa-rss" Vexa "$VEXA"
    peak_rss "$work/empty-rss" FlEmpty "$(tool fl_empty)" FlEmpty
done

echo "Start-up, exec -> map (ms), and peak RSS once shown (kB), Vexa vs fl_empty ($rounds rounds)"
table_head
row "start to map (ms)" "$work/vexa-start" "$work/empty-start"
row "peak RSS (kB)" "$work/vexa-rss" "$work/empty-rss"
