# Sourced by the real-window measurement scripts under bench/: starts a private Xvfb display on
# the first free display number from 97 up, with a scratch folder, both gone when the script
# ends.
#
#   start_private_xvfb WIDTHxHEIGHT
#
# Sets display (":N"), work (the scratch folder) and xvfb (the server's process id), and exports
# DISPLAY. Needs Xvfb (Debian package xvfb).
start_private_xvfb() {
    command -v Xvfb >/dev/null || { echo "Xvfb is not installed" >&2; exit 2; }
    number=97
    while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do
        number=$((number + 1))
    done
    display=":$number"
    work=$(mktemp -d)
    Xvfb "$display" -screen 0 "$1x24" -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb=$!
    trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
    trap 'exit 130' INT TERM
    for _ in $(seq 100); do
        [ -e "/tmp/.X11-unix/X$number" ] && break
        sleep 0.05
    done
    export DISPLAY="$display"
}

# The median of the numbers on standard input, one a line.
median() {
    sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
