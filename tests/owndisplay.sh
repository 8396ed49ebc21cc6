#!/bin/bash
# Runs one test program on an X server of its own. The test programs run side
# by side, and on a shared screen one program's window can take the keyboard
# focus from another's. Without Xvfb the program uses whatever DISPLAY is set.
command -v Xvfb >/dev/null || exec "$@"
number=$(mktemp)
server=
child=
finish() {
    [ -n "$child" ] && kill "$child" 2>/dev/null
    [ -n "$server" ] && kill "$server" 2>/dev/null
    rm -f "$number"
}
trap finish EXIT
trap 'exit 143' TERM INT
# -displayfd lets the server take a free display number and tell us which.
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$number" 2>/dev/null &
server=$!
until [ -s "$number" ]; do
    kill -0 "$server" 2>/dev/null || { echo "Xvfb did not start" >&2; exit 1; }
    sleep 0.05
done
DISPLAY=":$(head -n1 "$number")" "$@" &
child=$!
wait "$child"
status=$?
child=
exit "$status"
