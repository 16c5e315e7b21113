#!/usr/bin/env python3
"""Writes the image entries of content/properties/assets.xml from make_art.py's manifest and the
cells listed in tests/content/assets.txt.

Usage: catalogue.py            rewrite the image entries in place
       catalogue.py --check    exit 1 when the catalogue's image entries are not what it would write

Only the lines between the markers "<!-- images: start -->" and "<!-- images: end -->" of each
group are replaced, so sound and track entries (and anything else) stay as they are. Images go
to the group their path selects: "images/sets/" to "SetAssets" (a set's loading screen loads
the background named in sets7.xml), "images/ipad/" to "PlayAssets" (a puzzle's loading screen
loads the paths that hold the device word), everything else to "Startup".
"""

import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
CATALOGUE = os.path.join(ROOT, "content", "properties", "assets.xml")
EXPECTED = os.path.join(ROOT, "tests", "content", "assets.txt")

# The label-box atlas: nine pieces with 16-pixel borders.
PIECES = {
    "textbox": [(f"textbox_{c}{r}", x, y, w, h)
                for r, y, h in (("t", 0, 16), ("c", 16, 32), ("b", 48, 16))
                for c, x, w in (("l", 0, 16), ("c", 16, 32), ("r", 48, 16))],
}

# Image flags (bit 0: a frame change may cross-fade, so the frames are composed in between). A
# hint bulb fades from its lit frame to the empty one when it is spent.
FLAGS = {"HintBulb_ipad": 1}


def group_of(path):
    if path.startswith("images/sets/"):
        return "SetAssets"
    if path.startswith("images/ipad/"):
        return "PlayAssets"
    return "Startup"


def read_cells():
    cells = {}
    with open(EXPECTED) as f:
        for line in f:
            fields = line.split("|")[0].split()
            if len(fields) >= 4 and fields[0] == "image":
                c, r = fields[3].split("x")
                cells[fields[1]] = (int(c), int(r))
    return cells


def entries():
    with tempfile.TemporaryDirectory() as work:
        subprocess.run([sys.executable, os.path.join(HERE, "make_art.py"), work], check=True,
                       stdout=subprocess.DEVNULL)
        with open(os.path.join(work, "manifest.tsv")) as f:
            manifest = [line.rstrip("\n").split("\t") for line in f if line.strip()]
    cells = read_cells()
    groups = {"Startup": [], "PlayAssets": [], "SetAssets": []}
    for svg, path, _fmt in manifest:
        name = svg[:-4]
        cols, rows = cells.get(name, (1, 1))
        attrs = f'name="{name}" path="{path}"'
        if cols != 1:
            attrs += f' cols="{cols}"'
        if rows != 1:
            attrs += f' rows="{rows}"'
        if name in FLAGS:
            attrs += f' flags="{FLAGS[name]}"'
        if name in PIECES:
            lines = [f"    <image {attrs}>"]
            for piece, x, y, w, h in PIECES[name]:
                lines.append(f'      <piece name="{piece}" x="{x}" y="{y}" width="{w}" '
                             f'height="{h}"/>')
            lines.append("    </image>")
        else:
            lines = [f"    <image {attrs}/>"]
        groups[group_of(path)].extend(lines)
    return groups


def rewrite(text, groups):
    for group, lines in groups.items():
        pattern = re.compile(
            r'(<group name="' + group + r'"[^>]*>\n)(.*?)(\s*</group>)', re.S)
        match = pattern.search(text)
        if match is None:
            sys.exit(f"catalogue.py: no group {group} in {CATALOGUE}")
        inner = match.group(2)
        block = "    <!-- images: start (written by content-src/art/catalogue.py) -->\n" + \
            "\n".join(lines) + "\n    <!-- images: end -->\n"
        marked = re.compile(r"    <!-- images: start.*?<!-- images: end -->\n?", re.S)
        if marked.search(inner):
            inner = marked.sub(lambda _m: block, inner, count=1).rstrip("\n")
        else:
            # First run: drop the group's old image entries, keep everything else.
            inner = re.sub(r"    <image [^>]*/>\n?", "", inner)
            inner = re.sub(r"    <image [^>]*[^/]>\n(?:      <piece [^>]*/>\n)*    </image>\n",
                           "", inner)
            inner = block + inner
        text = text[:match.start(2)] + inner + text[match.end(2):]
    return text


def main():
    with open(CATALOGUE) as f:
        old = f.read()
    new = rewrite(old, entries())
    if "--check" in sys.argv:
        if new != old:
            print("assets.xml image entries are out of date: run content-src/art/catalogue.py")
            sys.exit(1)
        return
    if new != old:
        with open(CATALOGUE, "w") as f:
            f.write(new)
    print("assets.xml: image entries written")


if __name__ == "__main__":
    main()
