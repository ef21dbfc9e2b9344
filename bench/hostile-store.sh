#!/usr/bin/env bash
# hostile-store.sh [ROUNDS] [RUNS]: the time from exec to the mapping of Vexa's window on
# settings stores that once kept it from starting (a key nested 300,000 levels deep, 40,000
# sibling keys, a FIFO in place of the file), against fl_empty (an FLTK window with a menu
# bar and nothing else), on a private 8-bit Xvfb. Every run starts from a fresh copy of the
# store. Rounds alternate which program goes first.
set -euo pipefail
source "$(dirname "$0")/bench-lib.sh"
rounds=${1:-6}
runs=${2:-3}

for t in start_latency fl_empty; do build_tool "$t"; done
start_xvfb
python3 - "$work" <<'PY'
import sys
head = ("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Varnel\\Vexa\\CurrentVersion]\n"
        "\"Version\"=dword:00010006\n")
with open(sys.argv[1] + "/deep.reg", "w") as out:
    out.write(head + "\n[HKEY_LOCAL_MACHINE\\Software" + "\\a" * 300000 + "]\n")
with open(sys.argv[1] + "/siblings.reg", "w") as out:
    out.write(head)
    for i in range(40000):
        out.write("\n[HKEY_LOCAL_MACHINE\\Software\\Sibling%d]\n\"Value\"=dword:%d\n"
                  % (i, 10000000 + i))
PY

start_once() {  # start_once OUT NAME COMMAND...
    local out=$1 name=$2
    shift 2
    "$(tool start_latency)" "$name" 1 -- "$@" | sed -n 's/.*median \([0-9.]*\) ms.*/\1/p' >>"$out"
}
vexa_on() {  # vexa_on STORE OUT: one start of Vexa on a fresh copy of STORE (deep, siblings, fifo)
    local home
    home=$(mktemp -d -p "$work")
    mkdir -p "$home/vexa"
    if [ "$1" = fifo ]; then mkfifo "$home/vexa/system.reg"; else cp "$work/$1.reg" "$home/vexa/system.reg"; fi
    XDG_CONFIG_HOME=$home start_once "$2" Vexa "$VEXA"
    rm -rf "$home"
}
for r in $(seq "$rounds"); do
    for _ in $(seq "$runs"); do
        for store in deep siblings fifo; do
            if [ $((r % 2)) -eq 1 ]; then
                vexa_on "$store" "$work/vexa-$store"
                start_once "$work/empty-$store" FlEmpty "$(tool fl_empty)" FlEmpty
            else
                start_once "$work/empty-$store" FlEmpty "$(tool fl_empty)" FlEmpty
                vexa_on "$store" "$work/vexa-$store"
            fi
        done
    done
done

echo "Start-up on hostile stores, exec -> map (ms), Vexa vs fl_empty ($rounds rounds of $runs)"
table_head
row "a key nested 300,000 deep" "$work/vexa-deep" "$work/empty-deep"
row "40,000 sibling keys" "$work/vexa-siblings" "$work/empty-siblings"
row "a FIFO for the store" "$work/vexa-fifo" "$work/empty-fifo"
