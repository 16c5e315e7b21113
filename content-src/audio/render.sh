#!/bin/sh
# Renders every sound description (content-src/audio/*.sfx) and score (content-src/music/*.score)
# into the game's files:
#   sounds up to one second long  -> content/sounds/<name>.wav (16-bit PCM, read directly)
#   longer sounds                 -> content/sounds/<name>.ogg (Ogg Vorbis)
#   sounds of the play screen      -> content/sounds/ipad/ (the list play_only below)
#   scores                        -> content/music/<name>.ogg (Ogg Vorbis, one seamless loop)
# (content/sounds and content/music hold only what this script writes.)
#
# Usage: content-src/audio/render.sh <p7_synth> [name ...]
#   <p7_synth>  the synthesiser, built with: cmake --build <build> --target p7_synth
#   name ...    only these sources (file names without extension); default: all of them
#
# Needs oggenc, which only this script uses (never the build or the game):
#   apt-get install vorbis-tools
set -eu

synth=${1:?usage: render.sh <p7_synth> [name ...]}
shift
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
sounds="$root/content/sounds"
music="$root/content/music"
command -v oggenc >/dev/null 2>&1 || { echo "oggenc missing: apt-get install vorbis-tools" >&2; exit 1; }
mkdir -p "$sounds" "$music"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Heard only while a puzzle is played or ends. Their path holds the device word, so the puzzle's
# loading screen loads them with the board's pictures (the catalogue's "PlayAssets" group) and
# the title and the menus do without their decoded samples.
play_only="glow reveal5 reveal10 reveal15 reveal20 tile_solid tile_hole tile_invalid number_pop
hint_trail hint_use hint_reveal mistake_mark explosion tiles_fall tool_switch level_complete
level_fail"

selected() {
    name=$1
    shift
    [ $# -eq 0 ] && return 0
    for want in "$@"; do
        [ "$want" = "$name" ] && return 0
    done
    return 1
}

for source in "$here"/*.sfx; do
    name=$(basename "$source" .sfx)
    selected "$name" "$@" || continue
    line=$("$synth" "$source" "$scratch/$name.wav")
    seconds=${line% s}
    seconds=${seconds##* }
    rm -f "$sounds/$name.wav" "$sounds/$name.ogg" "$sounds/ipad/$name.wav" "$sounds/ipad/$name.ogg"
    folder=$sounds
    for play in $play_only; do
        [ "$play" = "$name" ] && folder=$sounds/ipad
    done
    mkdir -p "$folder"
    # Short sounds stay PCM: they are small and load without decoding.
    if awk "BEGIN { exit !($seconds <= 1.0) }"; then
        mv "$scratch/$name.wav" "$folder/$name.wav"
        echo "${folder#"$root/content/sounds"}/$name.wav $seconds s"
    else
        oggenc -Q -q 3 -o "$folder/$name.ogg" "$scratch/$name.wav"
        echo "${folder#"$root/content/sounds"}/$name.ogg $seconds s"
    fi
done

for source in "$root"/content-src/music/*.score; do
    [ -e "$source" ] || continue
    name=$(basename "$source" .score)
    selected "$name" "$@" || continue
    out=$("$synth" "$source" "$scratch/$name.wav")
    seconds=$(echo "$out" | sed -n 's/.* \([0-9.]*\) s$/\1/p')
    # oggenc keeps the exact length, so the loop's end still meets its start. Quality 3 keeps
    # the coding error small where the two meet (the start is coded without the end before it)
    # and two dozen minute-long loops near 15 MB.
    oggenc -Q -q 3 -o "$music/$name.ogg" "$scratch/$name.wav"
    echo "music/$name.ogg $seconds s"
done
