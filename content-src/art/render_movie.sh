#!/bin/sh
# Renders the game's movies into content/flash/ from make_movie.py: every frame as an SVG, then
# a PNG, then the frames encoded as an SWF movie with Sorenson Spark video (the game's movie
# player reads its video stream).
#
# Needs (Debian; only where this script runs, never for the build or the game):
#   apt-get install librsvg2-bin ffmpeg python3
#
# Usage: content-src/art/render_movie.sh [name ...]   (no names: every movie)
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for tool in rsvg-convert ffmpeg python3; do
    command -v "$tool" >/dev/null || { echo "render_movie.sh: $tool is missing (see the header)" >&2; exit 1; }
done

python3 "$here/make_movie.py" "$work"

wanted=" $* "
while IFS="$(printf '\t')" read -r name fps width height; do
    if [ $# -gt 0 ] && [ "${wanted#* $name }" = "$wanted" ]; then
        continue
    fi
    for svg in "$work/$name"/frame_*.svg; do
        rsvg-convert -w "$width" -h "$height" -o "${svg%.svg}.png" "$svg"
    done
    mkdir -p "$root/content/flash"
    # A key frame every second keeps a rewind cheap; quality 4 keeps the brass lines clean at
    # a few kilobytes a frame. No metadata, so the same frames give the same file.
    ffmpeg -v error -y -f image2 -framerate "$fps" -i "$work/$name/frame_%03d.png" \
        -c:v flv1 -q:v 4 -g "$fps" -pix_fmt yuv420p -map_metadata -1 -fflags +bitexact \
        -flags:v +bitexact -f swf "$root/content/flash/$name.swf"
    echo "render_movie.sh: content/flash/$name.swf ($(wc -c < "$root/content/flash/$name.swf") bytes)"
done < "$work/movies.tsv"
