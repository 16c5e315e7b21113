#!/bin/sh
# Renders every image of the game into content/images/ from make_art.py.
#
# Needs (Debian; only where this script runs, never for the build or the game):
#   apt-get install librsvg2-bin optipng netpbm libjpeg-turbo-progs fonts-lato \
#                   fonts-sil-gentium-basic python3
# The SVGs name the font families Lato and Gentium Book Basic, so those packages must be
# installed for the text in the pictures to come out right.
#
# Usage: content-src/art/render.sh [name ...]   (no names: every image)
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for tool in rsvg-convert optipng pngtopnm cjpeg python3; do
    command -v "$tool" >/dev/null || { echo "render.sh: $tool is missing (see the header)" >&2; exit 1; }
done
fc-list | grep -q "Gentium Book Basic" || { echo "render.sh: fonts-sil-gentium-basic is missing" >&2; exit 1; }
fc-list | grep -q "Lato" || { echo "render.sh: fonts-lato is missing" >&2; exit 1; }

python3 "$here/make_art.py" "$work/svg"

wanted=" $* "
while IFS="$(printf '\t')" read -r svg path fmt; do
    name=${svg%.svg}
    if [ $# -gt 0 ] && [ "${wanted#* $name }" = "$wanted" ]; then
        continue
    fi
    out="$root/content/$path"
    mkdir -p "$(dirname "$out")"
    rsvg-convert -o "$work/out.png" "$work/svg/$svg"
    if [ "$fmt" = jpg ]; then
        # Full-screen pictures: baseline JPEG, small enough to load fast from a set's group.
        pngtopnm -mix -background=black "$work/out.png" 2>/dev/null \
            | cjpeg -quality 86 -optimize -outfile "$out"
    else
        optipng -quiet -o2 -strip all -clobber -out "$out" "$work/out.png"
    fi
done < "$work/svg/manifest.tsv"
echo "render.sh: done"
