#!/bin/sh
# Figures of the game in a real window on a private Xvfb display, driven from outside with
# xdotool as a player drives it (the clicks and waits of tests/e2e/RealWindowTest.cpp, in the
# window's own coordinates: the game runs windowed, 1024x768, on a 1024x768 screen, no window
# manager, no desktop session bus, dummy audio driver). A first start, not counted, fills the
# driver's shader cache, which every run then keeps, as on a player's machine; each run has a
# fresh per-user folder otherwise. MUSIC_VOLUME=0 (or another value from 0 to 1) starts the game
# with that music volume in its settings; unset, the game's default.
#
#   bench/real_window.sh BUILD_DIR title   [RUNS]
#   bench/real_window.sh BUILD_DIR screens [RUNS] [IDLE_SECONDS] [SETTLE_SECONDS]
#   bench/real_window.sh BUILD_DIR stroke  [RUNS] [SECONDS]
#   bench/real_window.sh BUILD_DIR drag    [RUNS] [SECONDS]
#   bench/real_window.sh BUILD_DIR picture [RUNS]
#
# title:   the time from the start of the process until the title screen takes the click that
#          leaves it, i.e. until its play button is on the screen (the button comes once the
#          title is up and loading is done). A first run waits 25 s and keeps a picture of the
#          button; each measured run then watches that part of the window every 5 ms
#          (bench_window_probe --await-region). RUNS runs left alone (the start screens run out
#          on their timers), then RUNS runs with a click off the button every 0.1 s, as an
#          impatient player skips the start screens.
# screens: processor time and thread wake-ups while idle on the title, the main menu, the
#          options, the first set's puzzle selection, the map and the play screen (no stroke),
#          SETTLE_SECONDS (default 5) after the screen is reached, over IDLE_SECONDS (default
#          20), with the pointer parked on the background, and the game's own frame statistics
#          over the same time (SIGUSR1 before and after); medians of RUNS.
# stroke:  pairs of runs to the play screen of the first puzzle: one stays idle there for
#          SECONDS (default 20), the other holds a stroke across a row of the board for as long,
#          the pointer crossing one cell every 40 ms. The game reports its frame statistics on
#          SIGUSR1 as the period starts, and again at exit with the button still held, so the
#          exit line covers the stroke's frames only: the draw time per frame (mean, 95th
#          percentile, longest) and the frame rate, beside the same of the idle partner.
# drag:    the same pairs on a 10x10 board (the harbour set's lighthouse, whose bottom row is
#          solid, reached through the map after the developer codes that open every set and
#          puzzle), the pointer crossing a cell every 40 ms along the bottom row. Each line also
#          gives the processor time of all the game's threads per frame (cpu_ms_per_frame, from
#          /proc/PID/stat, so it does not depend on the machine's load as wall time does) and the
#          share of partial frames.
# picture: the time from the start of the process to its first mapped window and to the first
#          picture in it that is not black (bench_window_probe --await-picture, watching the middle
#          of the window); RUNS runs.
#
# BUILD_DIR holds pelnora7 and bench/bench_window_probe (a Release build with the benchmarks on;
# PROBE=path takes the probe from elsewhere, e.g. to time an older build with a newer probe).
# Needs Xvfb and xdotool (Debian packages xvfb, xdotool). Every figure is printed with the
# 1-minute load average of the machine at the time. With SHOTS_DIR set (and xwd installed),
# screens and stroke modes leave dumps of the screen there (each sample's end, each stroke's
# start).
set -eu
build=$(cd "$1" && pwd)
mode=$2
runs=${3:-3}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
game="$build/pelnora7"
probe="${PROBE:-$build/bench/bench_window_probe}"
for f in "$game" "$probe"; do
    [ -x "$f" ] || { echo "missing $f" >&2; exit 2; }
done
command -v xdotool >/dev/null || { echo "xdotool is not installed" >&2; exit 2; }

. "$source_dir/bench/xvfb_display.sh"
start_private_xvfb 1024x768
cd "$source_dir"

# From the start to the title with its play button: the start screens take about 13 s on
# their timers; the margin covers a loaded machine.
title_wait=25
# The play button of the title (window coordinates), and a part of it to watch.
play_button_x=512
play_button_y=575
play_button_area=432,555,160,40
# The board of the first story puzzle (5x5): tiles of 80 pixels from (486, 238). Column 2 is
# solid all the way down, so a stroke from there reveals.
grid_x=486
grid_y=238
tile=80
stroke_row=2
stroke_start=2

load() { cut -d' ' -f1 /proc/loadavg; }

# The environment of a game run with a fresh per-user folder named after $1 (and the music
# volume asked for), as a command prefix.
game_env() {
    mkdir -p "$work/$1" "$work/shader-cache"
    if [ -n "${MUSIC_VOLUME:-}" ]; then
        mkdir -p "$work/$1/Pelnora Studio/Pelnora 7"
        printf '<?xml version="1.0" encoding="ISO-8859-1"?>\n<settings music-volume="%s"/>\n' \
            "$MUSIC_VOLUME" >"$work/$1/Pelnora Studio/Pelnora 7/settings.xml"
    fi
    echo env -u DBUS_SESSION_BUS_ADDRESS SDL_AUDIODRIVER=dummy XDG_DATA_HOME="$work/$1" \
        MESA_SHADER_CACHE_DIR="$work/shader-cache"
}

# Starts the game with a fresh per-user folder named after $1; sets pid, win and log.
start_game() {
    log="$work/$1.log"
    # shellcheck disable=SC2046
    $(game_env "$1") "$game" >"$log" 2>&1 &
    pid=$!
    win=""
    for _ in $(seq 300); do
        win=$(xdotool search --name '^Pelnora 7$' 2>/dev/null | head -n 1) || true
        [ -n "$win" ] && return 0
        sleep 0.1
    done
    echo "the game's window did not appear" >&2
    exit 1
}

# Ends the game as the window manager would (SIGTERM); its exit statistics line goes to
# $work/stats.
stop_game() {
    kill -TERM "$pid"
    wait "$pid" || true
    grep -h 'Frame statistics' "$log" | tail -n 1 >"$work/stats"
    [ -s "$work/stats" ] || echo "no statistics line in $log" >&2
}

# The uncounted start that fills the shader cache.
start_game warm-up
sleep 8
kill -TERM "$pid"
wait "$pid" || true

click() {
    xdotool mousemove --window "$win" "$1" "$2" click 1
    sleep "${3:-2}"
}
# The pointer on the background, over no button (a hovered button may animate).
park() { xdotool mousemove --window "$win" 1000 20; }

to_main_menu() {
    click $play_button_x $play_button_y 2
    xdotool type --delay 80 Ann
    xdotool key Return
    sleep 3
}
to_options() { click 512 398 3; }
close_options() { click 646 582 2; }
# The story's first time: the opening letter, the tutorial declined, the first set's puzzles.
to_puzzle_select() {
    click 512 258 3
    click 512 688 3
    click 646 458 4
}
to_map() { click 240 718 6; }
to_play() {
    click 112 171 3
    click 512 658 6
}
# Every set and puzzle opened by the developer codes, then through the map to the harbour set's
# fifth puzzle, a 10x10 board whose tiles of 48 start at (477, 229).
to_play10() {
    xdotool type --delay 80 mowlasek
    xdotool type --delay 80 pirdanux
    sleep 1
    to_map
    click 248 575 6
    click 112 267 6
}

# Idle figures of the running game on the current screen after settling, with the game's own
# frame statistics over the same time (SIGUSR1 makes it log them, at its next step, for the
# time since the last report): "screen idle_cpu_percent=... frames_per_s=... draw_ms_mean=..."
sample() {
    park
    sleep "$settle"
    report
    figures=$("$probe" --settle 0 --idle "$idle" --attach "$pid")
    report
    # To check by eye that each sample shows the screen it is named after.
    if [ -n "${SHOTS_DIR:-}" ] && command -v xwd >/dev/null; then
        xwd -root -silent -out "$SHOTS_DIR/$1.xwd"
    fi
    echo "$1 $figures $(frame_figures "$(tail -n 1 "$work/reports")") load=$(load)" |
        tee -a "$work/samples"
}

# Asks the game for its statistics line and appends it to $work/reports.
report() {
    before=$(grep -c 'Frame statistics' "$log" || true)
    kill -USR1 "$pid"
    for _ in $(seq 100); do
        [ "$(grep -c 'Frame statistics' "$log" || true)" -gt "$before" ] && break
        sleep 0.02
    done
    grep 'Frame statistics' "$log" | tail -n 1 >>"$work/reports"
}

# The frame rate and draw times of a statistics line, as name=value words.
frame_figures() {
    partial=$(echo "$1" | sed -n 's/.*, \([0-9]*\) partial frames.*/\1/p')
    echo "$1" | sed -n 's/.* \([0-9]*\) frames in \([0-9]*\) ms.* \([0-9]*\) idle waits.*mean \([0-9.]*\) ms, 95th percentile \([0-9.]*\) ms, max \([0-9.]*\) ms.*/\1 \2 \3 \4 \5 \6/p' |
        awk -v partial="${partial:--1}" '{ s = $2 > 0 ? $2 / 1000 : 1
               printf "frames=%d frames_per_s=%.1f idle_waits_per_s=%.1f draw_ms_mean=%s draw_ms_p95=%s draw_ms_max=%s partial_frames=%s", $1, $1 / s, $3 / s, $4, $5, $6, partial }'
}

field() { tr ' ' '\n' | grep "^$1=" | cut -d= -f2; }

case $mode in
title)
    ref="$work/play_button.ppm"
    run_probe() {
        name=$1
        shift
        # shellcheck disable=SC2046
        $(game_env "$name") "$probe" --region $play_button_area "$@" -- "$game" 2>"$work/$name.log"
    }
    run_probe calibrate --settle $title_wait --idle 0.5 --save-region "$ref" >/dev/null
    for kind in unattended clicked; do
        : >"$work/$kind"
        for i in $(seq "$runs"); do
            if [ $kind = clicked ]; then
                # Clicks off the button every 0.1 s from the first window on.
                rm -f "$work/stop"
                (
                    while [ ! -e "$work/stop" ]; do
                        w=$(xdotool search --name '^Pelnora 7$' 2>/dev/null | head -n 1) || true
                        [ -n "$w" ] && xdotool mousemove --window "$w" 100 100 click 1 2>/dev/null
                        sleep 0.1
                    done
                ) &
                clicker=$!
            fi
            line=$(run_probe "$kind$i" --settle 0.5 --idle 0.5 --await-region "$ref")
            if [ $kind = clicked ]; then
                touch "$work/stop"
                wait "$clicker" || true
            fi
            loading=$(sed -n 's/.*Loading finished: .* after \([0-9]*\) ms.*/\1/p' "$work/$kind$i.log")
            echo "$kind $line loading_finished_ms=$loading load=$(load)" | tee -a "$work/$kind"
        done
    done
    for kind in unattended clicked; do
        for key in map_ms ready_ms loading_finished_ms; do
            echo "median $kind $key: $(field $key <"$work/$kind" | median)"
        done
    done
    ;;
screens)
    idle=${4:-20}
    settle=${5:-5}
    : >"$work/samples"
    for i in $(seq "$runs"); do
        start_game "menus$i"
        sleep $title_wait
        sample title
        to_main_menu
        sample main_menu
        to_options
        sample options
        close_options
        to_puzzle_select
        sample puzzle_select
        to_map
        sample map
        stop_game
        start_game "play$i"
        sleep $title_wait
        to_main_menu
        to_puzzle_select
        to_play
        sample play
        stop_game
    done
    for screen in title main_menu options puzzle_select map play; do
        grep "^$screen " "$work/samples" >"$work/screen" || true
        echo "median $screen: $(for key in idle_cpu_percent wakeups_per_s frames_per_s \
            idle_waits_per_s draw_ms_mean; do printf '%s=%s ' $key "$(field $key <"$work/screen" | median)"; done)"
    done
    ;;
stroke | drag)
    seconds=${4:-20}
    last_cell=4
    navigate=to_play
    if [ "$mode" = drag ]; then
        grid_x=477
        grid_y=229
        tile=48
        stroke_row=9
        stroke_start=2
        last_cell=9
        navigate=to_play10
    fi
    y=$((grid_y + stroke_row * tile + tile / 2))
    : >"$work/strokes"
    for i in $(seq "$runs"); do
        for kind in idle stroke; do
            start_game "$kind$i"
            sleep $title_wait
            to_main_menu
            to_puzzle_select
            $navigate
            park
            sleep 2
            if [ $kind = stroke ]; then
                # One stroke held down, the pointer going to and fro along the row one cell at
                # a time, for the whole time.
                set -- mousemove --window "$win" $((grid_x + stroke_start * tile + tile / 2)) $y \
                    mousedown 1
                cell=$stroke_start
                step=-1
                n=0
                while [ $n -lt $((seconds * 25)) ]; do
                    if [ $((cell + step)) -lt 0 ] || [ $((cell + step)) -gt $last_cell ]; then
                        step=$((-step))
                    fi
                    cell=$((cell + step))
                    set -- "$@" sleep 0.04 mousemove --window "$win" \
                        $((grid_x + cell * tile + tile / 2)) $y
                    n=$((n + 1))
                done
                xdotool "$@" &
                mover=$!
                sleep 0.3
                report
                if [ -n "${SHOTS_DIR:-}" ] && command -v xwd >/dev/null; then
                    xwd -root -silent -out "$SHOTS_DIR/stroke$i.xwd"
                fi
                figures=$("$probe" --settle 0 --idle $((seconds - 1)) --attach "$pid")
                wait $mover
            else
                report
                figures=$("$probe" --settle 0 --idle $((seconds - 1)) --attach "$pid")
                sleep 1
            fi
            # Ended with the button still down: the last period holds the stroke's frames only.
            stop_game
            xdotool mouseup 1
            line="$figures $(frame_figures "$(cat "$work/stats")")"
            # All threads' processor time per frame: the process's share of a core over the
            # period, over the frames a second in it.
            per_frame=$(echo "$line" | awk '{ for (i = 1; i <= NF; ++i) { split($i, kv, "=")
                v[kv[1]] = kv[2] } }
                END { if (v["frames_per_s"] > 0) printf "%.2f", v["idle_cpu_percent"] * 10 / v["frames_per_s"]; else print "-" }')
            echo "$kind $line cpu_ms_per_frame=$per_frame load=$(load)" | tee -a "$work/strokes"
        done
    done
    for kind in idle stroke; do
        grep "^$kind " "$work/strokes" >"$work/kind" || true
        echo "median play screen, $kind: $(for key in frames_per_s draw_ms_mean draw_ms_p95 \
            draw_ms_max idle_cpu_percent wakeups_per_s cpu_ms_per_frame partial_frames; do
                printf '%s=%s ' $key "$(field $key <"$work/kind" | median)"; done)"
    done
    ;;
picture)
    : >"$work/pictures"
    for i in $(seq "$runs"); do
        # shellcheck disable=SC2046
        line=$($(game_env "p$i") "$probe" --region 480,352,64,64 --await-picture --settle 0.5 --idle 0.5 -- \
            "$game" 2>"$work/p$i.log")
        echo "picture $line load=$(load)" | tee -a "$work/pictures"
    done
    for key in map_ms picture_ms; do
        echo "median $key: $(field $key <"$work/pictures" | median)"
    done
    ;;
*)
    echo "unknown mode $mode (title, screens, stroke, drag or picture)" >&2
    exit 2
    ;;
esac
