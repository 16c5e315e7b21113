#!/bin/sh
# Start-up and idle figures of the game beside a bare SDL2 + OpenGL window, under a private
# Xvfb display with no desktop session bus (as on a bare X server), in interleaved runs.
#
#   bench/startup_idle.sh BUILD_DIR [RUNS] [IDLE_SECONDS] [SETTLE_SECONDS]
#
# The idle time is measured after SETTLE_SECONDS (default 16) from the first mapped window, by
# when the game has loaded and its start screens have given way to the title screen.
# BUILD_DIR holds pelnora7, bench/bench_bare_window and bench/bench_window_probe (a Release build
# with the benchmarks on). Each run prints the probe's line for the game and for the bare window;
# the last lines are the medians and the game/bare ratios. Needs Xvfb (Debian package xvfb).
set -eu
build=$(cd "$1" && pwd)
runs=${2:-3}
idle=${3:-20}
settle=${4:-16}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
game="$build/pelnora7"
bare="$build/bench/bench_bare_window"
probe="$build/bench/bench_window_probe"
for f in "$game" "$bare" "$probe"; do
    [ -x "$f" ] || { echo "missing $f" >&2; exit 2; }
done
. "$source_dir/bench/xvfb_display.sh"
start_private_xvfb 1280x1024

# No session bus: the variable is removed, as on a machine without a desktop session.
run() {
    env -u DBUS_SESSION_BUS_ADDRESS DISPLAY="$display" SDL_AUDIODRIVER=dummy \
        XDG_DATA_HOME="$work/data" "$probe" --settle "$settle" --idle "$idle" -- "$@"
}

cd "$source_dir"
: >"$work/game"
: >"$work/bare"
for i in $(seq "$runs"); do
    line=$(run "$game" 2>>"$work/game.err"); echo "game $line"; echo "$line" >>"$work/game"
    line=$(run "$bare" 2>>"$work/bare.err"); echo "bare $line"; echo "$line" >>"$work/bare"
done

# Medians of each figure, and the game's over the bare window's.
field_median() {
    tr ' ' '\n' <"$1" | grep "^$2=" | cut -d= -f2 | median
}
for key in map_ms idle_cpu_percent wakeups_per_s rss_mb; do
    g=$(field_median "$work/game" $key)
    b=$(field_median "$work/bare" $key)
    echo "median $key: game $g bare $b" \
        "$(awk -v g="$g" -v b="$b" 'BEGIN { if (b > 0) printf "ratio %.3f diff %.3f", g / b, g - b; else printf "diff %.3f", g - b }')"
done
