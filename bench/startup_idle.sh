#!/bin/sh
# Start-up, idle and memory figures of the game beside a bare SDL2 + OpenGL window and, when they
# are installed, two desktop picture-logic games a player might use instead (Debian packages
# sgt-puzzles: "pattern", GTK; picmi: Qt), on a private 1024x768 Xvfb display (no window
# manager), in interleaved runs.
#
#   bench/startup_idle.sh BUILD_DIR [RUNS] [IDLE_SECONDS] [SETTLE_SECONDS] [SCREEN_SETTLE_SECONDS]
#
# Start: a first round, not counted, starts every program once so that the driver's shader cache
# holds their shaders, as on a player's machine after the first start. Then each run starts
# every program in turn under bench_window_probe, which times the first
# mapped window from the fork, then after SETTLE_SECONDS (default 16: the game has loaded and
# its start screens have given way to the title) reads the processor time of all threads and
# their wake-ups (voluntary context switches: sleeps that ended) over IDLE_SECONDS (default 20),
# and the resident memory at the end.
# Screens (RUNS > 0 and xdotool installed): after one uncounted run, each run then drives the
# game as a player does through the title, the main menu, the map, the play screen of the first
# puzzle and back again (main menu, map, play), each screen measured the same way
# SCREEN_SETTLE_SECONDS (default 5) after it was reached, with the pointer parked on the
# background. Memory should not climb from one visit of a screen to the next.
#
# BOARD=20 plays a 20x20 board instead (the coral set's last puzzle, reached through the map
# after the developer codes that open every set and puzzle, as in bench/real_window.sh drag), and
# goes back to it through the map on the second visit.
#
# The bare window is a typical game loop: events, a clear and a present 60 times a second.
# Every program gets a fresh per-user folder per run (the shader caches excepted); the caller's
# session bus is kept, as a player's desktop has one. MUSIC_VOLUME=0 (or another value from 0
# to 1) starts the game with that music volume in its settings; unset, the game's default.
# BEFORE_BUILD=DIR adds the game of another build (e.g. the tree before a change) as the program
# "before", started in the same interleaved rounds; SCREENS=0 leaves the screens out (for the
# start figures alone, in many rounds). BUILD_DIR holds pelnora7, bench/bench_bare_window and
# bench/bench_window_probe (a Release build with the benchmarks on). The last lines are the
# medians, and each program's difference from the bare window. Needs Xvfb (Debian package xvfb)
# and, for the screens, xdotool.
set -eu
# A player's desktop has a session bus (the Qt game does not start without one); without one
# here, the whole measurement runs inside a private one.
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] && command -v dbus-run-session >/dev/null; then
    exec dbus-run-session -- "$0" "$@"
fi
build=$(cd "$1" && pwd)
runs=${2:-3}
idle=${3:-20}
settle=${4:-16}
screen_settle=${5:-5}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
game="$build/pelnora7"
bare="$build/bench/bench_bare_window"
probe="$build/bench/bench_window_probe"
for f in "$game" "$bare" "$probe"; do
    [ -x "$f" ] || { echo "missing $f" >&2; exit 2; }
done
. "$source_dir/bench/xvfb_display.sh"
start_private_xvfb 1024x768
cd "$source_dir"

# The peers, when installed.
programs="game bare"
if [ -n "${BEFORE_BUILD:-}" ]; then
    before_game="$(cd "$BEFORE_BUILD" && pwd)/pelnora7"
    [ -x "$before_game" ] || { echo "missing $before_game" >&2; exit 2; }
    programs="$programs before"
fi
for peer in /usr/games/sgt-pattern /usr/games/pattern /usr/bin/sgt-pattern; do
    [ -x "$peer" ] && { gtk_game=$peer; programs="$programs gtk"; break; }
done
for peer in /usr/games/picmi /usr/bin/picmi; do
    [ -x "$peer" ] && { qt_game=$peer; programs="$programs qt"; break; }
done
command_of() {
    case $1 in
    game) echo "$game" ;;
    bare) echo "$bare" ;;
    before) echo "$before_game" ;;
    gtk) echo "$gtk_game" ;;
    qt) echo "$qt_game" ;;
    esac
}

load() { cut -d' ' -f1 /proc/loadavg; }

# A fresh per-user folder for one run of program $1: data, configuration and cache. The
# driver's shader cache is kept from run to run, and so is the game's own cache of translated
# effects and decoded sounds ("cached" in its folder), as both are on a player's machine after
# the first start; the uncounted rounds below fill them. Each build keeps its own, as the
# translations are kept per build.
fresh_home() {
    game_folder="$work/home/data/Pelnora Studio/Pelnora 7"
    mkdir -p "$work/game-cache"
    # The game writes through no link, so its cache moves in and out whole (this runs in a
    # subshell: the folder's program is noted in a file).
    if [ -d "$game_folder/cached" ]; then
        mv "$game_folder/cached" "$work/game-cache/$(cat "$work/home/program")"
    fi
    rm -rf "$work/home"
    mkdir -p "$game_folder" "$work/home/config" "$work/home/cache" "$work/shader-cache"
    if [ -d "$work/game-cache/$1" ]; then
        mv "$work/game-cache/$1" "$game_folder/cached"
    fi
    echo "$1" >"$work/home/program"
    if [ -n "${MUSIC_VOLUME:-}" ]; then
        printf '<?xml version="1.0" encoding="ISO-8859-1"?>\n<settings music-volume="%s"/>\n' \
            "$MUSIC_VOLUME" >"$game_folder/settings.xml"
    fi
    set -- env SDL_AUDIODRIVER=dummy XDG_DATA_HOME="$work/home/data" \
        XDG_CONFIG_HOME="$work/home/config" XDG_CACHE_HOME="$work/home/cache" \
        MESA_SHADER_CACHE_DIR="$work/shader-cache"
    echo "$@"
}

# The uncounted round that fills the shader cache.
for name in $programs; do
    # shellcheck disable=SC2046
    $(fresh_home $name) "$probe" --settle 6 --idle 1 -- $(command_of $name) >/dev/null 2>&1 || true
done

: >"$work/start"
for i in $(seq "$runs"); do
    for name in $programs; do
        # shellcheck disable=SC2046
        line=$($(fresh_home $name) "$probe" --settle "$settle" --idle "$idle" -- \
            $(command_of $name) 2>>"$work/$name.err") || line="failed: $(tail -n 1 "$work/$name.err")"
        echo "start $name $line load=$(load)" | tee -a "$work/start"
    done
done

# The game's screens, as tests/e2e/RealWindowTest.cpp clicks them (window coordinates).
click() {
    xdotool mousemove --window "$win" "$1" "$2" click 1
    sleep "${3:-3}"
}
sample() {
    xdotool mousemove --window "$win" 1000 20
    # Run 0 only fills the caches with what the screens after the title translate and decode.
    [ "$i" = 0 ] && return
    sleep "$screen_settle"
    echo "screen $1 $("$probe" --settle 0 --idle "$idle" --attach "$pid") load=$(load)" |
        tee -a "$work/start"
}
if command -v xdotool >/dev/null && [ "$runs" -gt 0 ] && [ "${SCREENS:-1}" != 0 ]; then
    for i in $(seq 0 "$runs"); do
        # shellcheck disable=SC2046
        $(fresh_home game) "$game" >"$work/screens$i.log" 2>&1 &
        pid=$!
        sleep 25
        win=$(xdotool search --name '^Pelnora 7$' | head -n 1)
        sample title
        click 512 575 2
        xdotool type --delay 80 Ann
        xdotool key Return
        sleep 3
        sample main_menu
        # The opening letter, the tutorial declined, the first set's puzzles, its map.
        click 512 258
        click 512 688
        click 646 458 4
        if [ "${BOARD:-5}" = 20 ]; then
            xdotool type --delay 80 mowlasek
            xdotool type --delay 80 pirdanux
            sleep 1
        fi
        click 240 718 6
        sample map
        for visit in 1 2; do
            if [ "${BOARD:-5}" = 20 ]; then
                # The second time from the main menu: the story's button, which now opens the
                # map. From the map: the coral set, whose last puzzle is chosen on arrival, and
                # that puzzle.
                if [ $visit = 2 ]; then
                    sample main_menu_again
                    click 512 258 6
                    sample map_again
                fi
                click 894 594 6
                click 208 362 8
            else
                # The map's menu button; the story's button, now the set's puzzles; the first
                # puzzle and its play button.
                click 160 748
                [ $visit = 2 ] && sample main_menu_again
                click 512 258 4
                if [ $visit = 2 ]; then
                    click 240 718 6
                    sample map_again
                    click 160 748
                    click 512 258 4
                fi
                click 112 171
                click 512 658 6
            fi
            [ $visit = 1 ] && sample play || sample play_again
            # The play screen's menu, its main-menu button and the confirmation: back to the main
            # menu, then (the first story puzzle) the set and its map.
            click 120 698 2
            click 646 574 2
            click 377 458 4
            if [ "${BOARD:-5}" != 20 ]; then
                click 512 258 4
                click 240 718 6
            fi
        done
        kill -TERM "$pid"
        wait "$pid" || true
    done
fi

# Medians of each figure per program and screen, and the difference from the bare window.
median_of() {
    grep "^$1 " "$work/start" | tr ' ' '\n' | grep "^$2=" | cut -d= -f2 | median
}
for key in map_ms idle_cpu_percent wakeups_per_s rss_mb; do
    b=$(median_of "start bare" $key)
    for name in $programs; do
        v=$(median_of "start $name" $key)
        echo "median start $name $key: $v" \
            "$(awk -v v="$v" -v b="$b" 'BEGIN { if (b > 0) printf "(bare %s: ratio %.3f, diff %.3f)", b, v / b, v - b }')"
    done
done
for screen in title main_menu map play main_menu_again map_again play_again; do
    grep -q "^screen $screen " "$work/start" || continue
    echo "median screen $screen: $(for key in idle_cpu_percent wakeups_per_s rss_mb; do
        printf '%s=%s ' $key "$(median_of "screen $screen" $key)"; done)" \
        "rss_mb over bare: $(awk -v v="$(median_of "screen $screen" rss_mb)" \
            -v b="$(median_of "start bare" rss_mb)" 'BEGIN { printf "%.1f", v - b }')"
done
