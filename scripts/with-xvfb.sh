#!/bin/sh
# Runs a command on a private Xvfb server: picks a free display number itself, waits for the
# server to accept connections, exports DISPLAY, and stops the server when the command ends.
#   scripts/with-xvfb.sh COMMAND [ARGS...]
# The screen is 1024x768x24 unless XVFB_SCREEN says otherwise.
set -eu

screen="${XVFB_SCREEN:-1024x768x24}"
fifo_dir=$(mktemp -d)
fifo="$fifo_dir/display"
mkfifo "$fifo"

# -displayfd: Xvfb chooses an unused display and writes its number once it is ready.
# -noreset: by default the server resets itself each time its last client disconnects, and a
# client that connects during the reset is refused ("could not reach the X server"); tests that
# open and close displays one after another hit that window now and then.
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$fifo" >"$fifo_dir/xvfb.log" 2>&1 &
xvfb_pid=$!

cleanup() {
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    rm -rf "$fifo_dir"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

display=""
# The read blocks until Xvfb has written the number; a timeout guards a server that dies.
if ! display=$(timeout 60 head -n 1 "$fifo"); then
    echo "with-xvfb: Xvfb did not start" >&2
    cat "$fifo_dir/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$display"

status=0
"$@" || status=$?
# A server that went away under the command explains many an odd failure: say so.
if ! kill -0 "$xvfb_pid" 2>/dev/null; then
    echo "with-xvfb: the X server on $DISPLAY ended while the command ran; its log:" >&2
    cat "$fifo_dir/xvfb.log" >&2
fi
exit "$status"
