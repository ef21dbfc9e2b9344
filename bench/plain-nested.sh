#!/usr/bin/env bash
# plain-nested.sh FL_EMPTY: what vexa --nested does at the least, the plain way a shell script
# does it: Xephyr at depth 8 in a window on $DISPLAY, its number read from -displayfd, then
# twm and the fl_empty yardstick inside. Prints "DISPLAY=:N" once the screen takes
# connections; SIGTERM ends all three, the server last.
set -u
fifo=$(mktemp -u)
mkfifo "$fifo"
exec 3<>"$fifo"
rm "$fifo"
rc=$(mktemp)
printf 'NoGrabServer\nRandomPlacement\nUsePPosition "on"\n' >"$rc"
Xephyr -displayfd 3 -screen 1024x768x8 -title "Plain 8-bit screen" -noreset -nolisten tcp \
    >/dev/null 2>&1 &
server=$!
read -r number <&3
echo "DISPLAY=:$number"
DISPLAY=:$number twm -f "$rc" >/dev/null 2>&1 &
wm=$!
DISPLAY=:$number "$1" FlEmpty >/dev/null 2>&1 &
app=$!
trap 'kill $app $wm 2>/dev/null; wait $app $wm; kill $server; wait $server; rm -f "$rc"; exit 0' TERM
wait
