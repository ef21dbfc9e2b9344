# Starting an X server on a free display number, for scripts/run, the tests' with-xvfb and the
# benchmarks. Sourced, not run.

# start_x_server LOG COMMAND [ARGUMENT...]: starts the X server COMMAND (Xvfb, Xephyr) with
# -displayfd, which makes it pick a free display number and tell it once it accepts
# clients, and waits for that. Sets x_server_pid and x_server_display (":N"). When the
# server ends first, or has not answered within X_SERVER_WAIT seconds (60), prints its log
# on standard error and returns 1.
start_x_server() {
    local log=$1 fifo fd number="" waited=0
    shift
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    exec {fd}<>"$fifo" # read and write: opening a FIFO so does not wait for the server
    rm -f "$fifo"
    "$@" -displayfd "$fd" >"$log" 2>&1 &
    x_server_pid=$!
    until read -r -t 1 -u "$fd" number; do
        if ! kill -0 "$x_server_pid" 2>/dev/null || [ $((waited += 1)) -ge "${X_SERVER_WAIT:-60}" ]; then
            exec {fd}>&-
            echo "$1 did not start:" >&2
            cat "$log" >&2
            kill "$x_server_pid" 2>/dev/null
            return 1
        fi
    done
    exec {fd}>&-
    x_server_display=":$number"
}
