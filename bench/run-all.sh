#!/usr/bin/env bash
# run-all.sh: every end-to-end benchmark in turn (readout, repaint, start-up, nested start,
# start-up on hostile stores, --watch alone and beside a cycling palette, a menu command during a clipboard flood), each on its
# own private Xvfb. Numbers are ratios to yardsticks measured in the same run; they are not
# tests and nothing gates on them.
set -euo pipefail
here=$(dirname "$0")
"$here/readout.sh" </dev/null
echo
"$here/repaint.sh" </dev/null
echo
"$here/startup.sh" </dev/null
echo
"$here/nested.sh" </dev/null
echo
"$here/hostile-store.sh" </dev/null
echo
"$here/watch.sh" </dev/null
echo
"$here/watch-cycle.sh" </dev/null
echo
"$here/clipboard-flood.sh" </dev/null
