# Shared by the benchmark scripts: the yardsticks built from the shared perf folder, a
# private 8-bit Xvfb, Vexa started on a fresh settings store, and the statistics.
# Sourced, not run.

bench_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$bench_dir")
source "$repo/scripts/x-server.sh"
PERF_TOOLS=${PERF_TOOLS:-$(dirname "$repo")/shared/tools/perf}
BUILD=${BUILD:-$repo/build}
VEXA=${VEXA:-$BUILD/src/app/vexa}
HOLDER=${HOLDER:-$BUILD/tests/support/vexa-test-colormap-holder}

work=$(mktemp -d)
pids=()
cleanup() {
    local status=$? p
    set +e  # some programs may have ended already
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT

die() { echo "$(basename "$0"): $*" >&2; exit 1; }

[ -x "$VEXA" ] || die "no vexa binary at $VEXA (build first, or set VEXA)"
[ -d "$PERF_TOOLS" ] || die "no yardsticks at $PERF_TOOLS (set PERF_TOOLS)"

# build_tool NAME: compiles one yardstick into $work/tools as its README says.
build_tool() {
    mkdir -p "$work/tools"
    case "$1" in
        readout_latency) gcc -O2 -o "$work/tools/$1" "$PERF_TOOLS/$1.c" -lX11 -lXtst ;;
        expose_latency) gcc -O2 -o "$work/tools/$1" "$PERF_TOOLS/$1.c" -lX11 -lXdamage ;;
        fl_empty) g++ -O2 -o "$work/tools/$1" "$PERF_TOOLS/$1.cxx" $(fltk-config --cxxflags --ldflags) ;;
        *) gcc -O2 -o "$work/tools/$1" "$PERF_TOOLS/$1.c" -lX11 ;;
    esac || die "cannot build $1"
}
# build_local NAME: compiles one of the bench folder's own tools (NAME.c) into $work/tools.
build_local() {
    mkdir -p "$work/tools"
    gcc -O2 -o "$work/tools/$1" "$bench_dir/$1.c" -lX11 -lXtst || die "cannot build $1"
}
tool() { echo "$work/tools/$1"; }

# start_xvfb [WxHxDEPTH]: a private server, by default 8-bit PseudoColor; exports DISPLAY.
start_xvfb() {
    start_x_server "$work/xvfb.log" Xvfb -screen 0 "${1:-1024x768x8}" -nolisten tcp -noreset ||
        die "Xvfb did not start"
    pids+=("$x_server_pid")
    export DISPLAY=$x_server_display
}

# background COMMAND...: runs a program for the rest of the script.
background() {
    "$@" >/dev/null 2>&1 &
    pids+=($!)
}

# window_named NAME: the id of the mapped top-level window titled NAME, waited for.
window_named() {
    local id
    id=$(timeout 10 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1) || true
    [ -n "$id" ] || die "no window named $1"
    echo "$id"
}

# vexa_config [Section\\Entry=value]...: a settings folder in which this version already
# ran (no About window at start) with the given DWORD values; prints its path.
vexa_config() {
    local home version
    home=$(mktemp -d -p "$work")
    mkdir -p "$home/vexa"
    version=$(printf %08x 65542)
    {
        printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Varnel\\Vexa\\CurrentVersion]\n'
        printf '"Version"=dword:%s\n' "$version"
        local pair section entry
        for pair in "$@"; do
            section=${pair%%\\*} entry=${pair#*\\}
            printf '\n[HKEY_LOCAL_MACHINE\\Software\\Varnel\\Vexa\\%s]\n"%s"=dword:%08x\n' \
                "$section" "${entry%%=*}" "${entry#*=}"
        done
    } >"$home/vexa/system.reg"
    echo "$home"
}

# start_vexa HOME W H X Y: Vexa on the settings in HOME, its window moved and sized; sets
# vexa_pid and vexa_window. (Not in a command substitution: the pid must reach cleanup.)
start_vexa() {
    XDG_CONFIG_HOME=$1 "$VEXA" >/dev/null 2>&1 &
    vexa_pid=$!
    pids+=("$vexa_pid")
    vexa_window=$(window_named Vexa)
    xdotool windowsize --sync "$vexa_window" "$2" "$3" windowmove --sync "$vexa_window" "$4" "$5" \
        >/dev/null 2>&1 || xdotool windowsize "$vexa_window" "$2" "$3" windowmove "$vexa_window" "$4" "$5"
    sleep 0.3  # let the relayout and repaint settle before timing starts
}

# stats FILE: "median p90 count" of the numbers in the first column of FILE.
stats() {
    sort -g "$1" | awk '{ v[NR] = $1 } END {
        if (NR == 0) { print "nan nan 0"; exit }
        m = v[int((NR + 1) / 2)]; p = v[int(NR * 0.9 + 0.5) > 0 ? int(NR * 0.9 + 0.5) : 1]
        printf "%.1f %.1f %d\n", m, p, NR }'
}

# row LABEL VEXA_FILE YARDSTICK_FILE: one line of the results table.
row() {
    local a b
    read -r am ap an <<<"$(stats "$2")"
    read -r bm bp bn <<<"$(stats "$3")"
    awk -v l="$1" -v am="$am" -v ap="$ap" -v an="$an" -v bm="$bm" -v bp="$bp" -v bn="$bn" 'BEGIN {
        printf "| %s | %s / %s | %s / %s | %.2f / %.2f | %d / %d |\n", l, am, ap, bm, bp,
            (bm > 0 ? am / bm : 0), (bp > 0 ? ap / bp : 0), an, bn }'
}

table_head() {
    echo "| measure | Vexa median / p90 | yardstick median / p90 | ratio median / p90 | samples |"
    echo "|---|---|---|---|---|"
}
