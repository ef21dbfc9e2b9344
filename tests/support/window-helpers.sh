# Bash helpers for tests that drive windows with xdotool, xprop and xwininfo.
# Source it; every wait polls with a deadline instead of sleeping a fixed time.

fail() { echo "FAIL: $*" >&2; exit 1; }

# wait_window NAME [SECONDS]: prints the id of the one mapped window titled exactly NAME.
wait_window() {
    local name=$1 deadline=$((SECONDS + ${2:-10})) id
    while [ $SECONDS -le $deadline ]; do
        id=$(xdotool search --onlyvisible --name "^${name}\$" 2>/dev/null | head -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.05
    done
    return 1
}

# wait_gone ID [SECONDS]: waits until window ID is no longer mapped.
wait_gone() {
    local deadline=$((SECONDS + ${2:-10}))
    while [ $SECONDS -le $deadline ]; do
        xwininfo -id "$1" 2>/dev/null | grep -q 'IsViewable' || return 0
        sleep 0.05
    done
    return 1
}

# count_windows NAME: the number of mapped windows titled exactly NAME.
count_windows() { xdotool search --onlyvisible --name "^${1}\$" 2>/dev/null | wc -l; }

# count_made NAME: the number of windows titled exactly NAME, mapped or not yet mapped.
count_made() { xdotool search --name "^${1}\$" 2>/dev/null | wc -l; }

# is_viewable ID
is_viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'IsViewable'; }

# transient_for ID: the decimal id of the window that ID is transient for, if any.
transient_for() {
    local hex
    hex=$(xprop -id "$1" WM_TRANSIENT_FOR 2>/dev/null | grep -o '0x[0-9a-f]*' | head -n 1)
    [ -n "$hex" ] && printf '%d\n' "$hex"
}

# window_text ID PROPERTY: the STRING property as xprop prints it (lists as "a", "b").
window_text() { xprop -id "$1" -notype "$2" 2>/dev/null; }

# pointer_into ID: puts the pointer inside window ID, so that keys reach it under any
# focus policy.
pointer_into() { xdotool mousemove --window "$1" 20 20; }

# handled ID [SECONDS]: returns once the program owning window ID has handled everything
# sent to it before: the test driver answers VEXA_TEST_PING on its window with VEXA_TEST_PONG.
handled() {
    local token="$RANDOM$RANDOM" deadline=$((SECONDS + ${2:-10}))
    xprop -id "$1" -f VEXA_TEST_PING 8s -set VEXA_TEST_PING "$token" || return 1
    while [ $SECONDS -le $deadline ]; do
        xprop -id "$1" VEXA_TEST_PONG 2>/dev/null | grep -qF "\"$token\"" && return 0
        sleep 0.05
    done
    return 1
}

# centre_of ID: "X Y", the centre of window ID in root coordinates.
centre_of() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
        /Width:/ {w=$2} /Height:/ {h=$2} END {print int(x + w / 2), int(y + h / 2)}'
}

# centred_over A B [TOLERANCE]: true when the centres of windows A and B are at most
# TOLERANCE pixels apart on each axis (a window manager's frame may shift one of them).
centred_over() {
    local a b
    read -r -a a <<<"$(centre_of "$1")"
    read -r -a b <<<"$(centre_of "$2")"
    local dx=$((a[0] - b[0])) dy=$((a[1] - b[1])) tolerance=${3:-30}
    [ ${dx#-} -le "$tolerance" ] && [ ${dy#-} -le "$tolerance" ]
}
