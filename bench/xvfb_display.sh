# Sourced by the real-window measurement scripts under bench/: starts a private Xvfb display on
# a free display number the server picks itself (so that measurements run side by side never
# share a display), with a scratch folder, both gone when the script ends.
#
#   start_private_xvfb WIDTHxHEIGHT
#
# Sets display (":N"), work (the scratch folder) and xvfb (the server's process id), and exports
# DISPLAY. Needs Xvfb (Debian package xvfb).
start_private_xvfb() {
    command -v Xvfb >/dev/null || { echo "Xvfb is not installed" >&2; exit 2; }
    work=$(mktemp -d)
    # The server writes the number it took once it accepts connections.
    Xvfb -displayfd 3 -noreset -screen 0 "$1x24" -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb=$!
    trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
    trap 'exit 130' INT TERM
    for _ in $(seq 200); do
        [ -s "$work/display" ] && break
        sleep 0.05
    done
    number=$(head -n 1 "$work/display")
    [ -n "$number" ] || { echo "Xvfb did not start" >&2; exit 2; }
    display=":$number"
    export DISPLAY="$display"
}

# The median of the numbers on standard input, one a line.
median() {
    sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
