#!/bin/sh
# Processor time of the game on the main menu and on the credits, where the credits movie plays
# (Release build, private 1024x768 Xvfb, software GL, a fresh per-user folder), read from
# /proc over 20 s per screen, and its resident memory (VmRSS) at the end of each. Clicks as in
# tests/e2e/RealWindowTest.cpp.
#
#   bench/movie_idle.sh BUILD_DIR/pelnora7
#
# Needs Xvfb, xdotool and bc.
set -eu
game=$1
n=200
while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
disp=:$n
Xvfb $disp -noreset -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xpid=$!
sleep 2
export DISPLAY=$disp SDL_AUDIODRIVER=dummy
home=$(mktemp -d)
XDG_DATA_HOME=$home HOME=$home "$game" >/dev/null 2>&1 &
gpid=$!
sleep 25
win=$(xdotool search --name '^Pelnora 7$' | head -n 1)
click() { xdotool mousemove --window "$win" "$1" "$2" click 1; sleep "${3:-3}"; }
cpu() { awk '{print $14 + $15}' /proc/$gpid/stat; }
measure() {
    xdotool mousemove --window "$win" 1000 20; sleep 5
    a=$(cpu); sleep 20; b=$(cpu)
    rss=$(awk '/^VmRSS:/ { printf "%.1f", $2 / 1024 }' /proc/$gpid/status)
    echo "$1: $(echo "scale=2; ($b - $a) / 20" | bc) % of a core over 20 s, resident $rss MiB"
}
click 512 575 2
xdotool type --delay 80 Ann; xdotool key Return; sleep 4
measure "main menu"
click 512 538 4
measure "credits"
click 512 690 4
measure "main menu again"
kill $gpid; sleep 1; kill $xpid; rm -rf "$home"
