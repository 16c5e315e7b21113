#!/bin/sh
# What the shader effects cost: the game with its effects and the same game with the named
# constant "shaders" at 0 (a copy of the data folder, -changedir), in interleaved runs on a
# private 1024x768 Xvfb display. Each run reads the resident memory (and its file-backed part)
# at the title 16 s after the start, then goes as a new player to the first set's puzzle
# selection and on to the map, and reads the processor time of all threads over the first 4.5 s
# on the map (the sea's glints) and over 10 s from 7.7 s on (at rest).
#
#   bench/effects_cost.sh BUILD_DIR [RUNS] [warm|cold]
#
# warm (the default): every run starts with the translated effects a first, uncounted start left
# in the per-user cache, as every start after the first does; cold: every run is a first start
# and translates the effects. BUILD_DIR holds pelnora7 (a Release build). Needs Xvfb and xdotool.
set -eu
build=$(cd "$1" && pwd)
runs=${2:-3}
cache_mode=${3:-warm}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
game="$build/pelnora7"
[ -x "$game" ] || { echo "missing $game" >&2; exit 2; }
command -v xdotool >/dev/null || { echo "xdotool is not installed" >&2; exit 2; }
. "$source_dir/bench/xvfb_display.sh"
start_private_xvfb 1024x768

cp -r "$source_dir/content" "$work/off"
sed -i 's|<constant name="shaders" value="1"/>|<constant name="shaders" value="0"/>|' \
    "$work/off/properties/constants.xml"

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
rss() { awk '/^VmRSS/ { print $2 }' "/proc/$1/status"; }
rss_file() { awk '/^RssFile/ { print $2 }' "/proc/$1/status"; }
user="$work/home/Pelnora Studio/Pelnora 7"
click() {
    xdotool mousemove "$1" "$2" click 1
    sleep "$3"
}

one_run() {
    rm -rf "$work/home"
    mkdir -p "$user"
    if [ "$cache_mode" = warm ] && [ -d "$work/cache" ]; then
        cp -r "$work/cache" "$user/cached"
    fi
    # shellcheck disable=SC2068
    XDG_DATA_HOME="$work/home" SDL_AUDIODRIVER=dummy "$game" $@ >/dev/null 2>&1 &
    pid=$!
    sleep 16
    title=$(rss $pid)
    title_file=$(rss_file $pid)
    click 512 575 2
    xdotool type Ann
    xdotool key Return
    sleep 3
    click 512 258 3
    click 512 688 3
    click 646 458 4
    click 240 718 0.2
    xdotool mousemove 1000 20
    t0=$(ticks $pid)
    sleep 4.5
    t1=$(ticks $pid)
    sleep 3.2
    t2=$(ticks $pid)
    sleep 10
    t3=$(ticks $pid)
    map=$(rss $pid)
    kill $pid
    wait $pid 2>/dev/null || true
    if [ "$cache_mode" = warm ] && [ ! -d "$work/cache" ] && [ -d "$user/cached" ]; then
        cp -r "$user/cached" "$work/cache"
    fi
    echo "$title $((t1 - t0)) $((t3 - t2)) $map $title_file"
}

if [ "$cache_mode" = warm ]; then
    one_run >/dev/null  # fills the cache
fi
for i in $(seq "$runs"); do
    echo "effects on:  $(one_run)"
    echo "effects off: $(one_run -changedir "$work/off")"
done | tee "$work/runs"
echo "columns: title kB, ticks (1/100 s) in the first 4.5 s on the map, ticks over 10 s at rest"
echo "on the map, map kB, title kB file-backed ($cache_mode starts)"
for state in on off; do
    for column in 3 4 5 6 7; do
        grep "effects $state" "$work/runs" | awk -v c="$column" '{ print $c }' | median | tr '\n' ' '
    done
    echo "(effects $state, medians)"
done
