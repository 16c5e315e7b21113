#!/usr/bin/env python3
"""Turns flat pictures (every solid cell '#') of the set sources into ink-and-wash drawings, in
place: an outline cell is ink, an inner cell a lighter wash, and a corner cell with two open
sides takes a shaped tile (a triangle where the outline runs on diagonally, else a rounded
corner). Only the picture characters change, never which cells are solid, so every puzzle keeps
its proof. An authoring aid: run it, look at the contact sheet (docs/content.md), touch up by hand.

Usage: shade_pictures.py SET_FILE...
"""

import sys

INNER = "+"
# Open sides -> (triangle, rounded corner), ink shade (docs/content.md, "ArtTiles").
CORNERS = {
    ("up", "left"): ("S", "R"),
    ("up", "right"): ("A", "T"),
    ("down", "left"): ("W", "F"),
    ("down", "right"): ("Q", "G"),
}
# Where the outline of each corner runs on diagonally: the two diagonal neighbours.
SLOPES = {
    ("up", "left"): ((1, -1), (-1, 1)),
    ("up", "right"): ((-1, -1), (1, 1)),
    ("down", "left"): ((-1, -1), (1, 1)),
    ("down", "right"): ((1, -1), (-1, 1)),
}


def shade(rows):
    n = len(rows)

    def solid(a, b):
        return 0 <= a < n and 0 <= b < n and rows[b][a] != "."

    out = []
    for b in range(n):
        line = ""
        for a in range(n):
            if not solid(a, b):
                line += "."
                continue
            open_sides = tuple(side for side, (da, db) in
                               (("up", (0, -1)), ("down", (0, 1)), ("left", (-1, 0)), ("right", (1, 0)))
                               if not solid(a + da, b + db))
            if open_sides in CORNERS:
                triangle, rounded = CORNERS[open_sides]
                slope = any(solid(a + da, b + db) for da, db in SLOPES[open_sides])
                line += triangle if slope else rounded
            else:
                line += "#" if open_sides else INNER
        out.append(line)
    return out


def main():
    for path in sys.argv[1:]:
        lines = open(path).read().split("\n")
        k = 0
        changed = 0
        while k < len(lines):
            if lines[k].startswith("puzzle "):
                first = k + 1
                n = len(lines[first].strip())
                rows = lines[first:first + n]
                if set("".join(rows)) <= {"#", "."}:
                    lines[first:first + n] = shade(rows)
                    changed += 1
                k = first + n
            else:
                k += 1
        with open(path, "w") as f:
            f.write("\n".join(lines))
        print(f"{path}: {changed} flat pictures shaded")


if __name__ == "__main__":
    main()
