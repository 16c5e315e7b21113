#!/usr/bin/env python3
"""Writes the frames of the game's movies as SVG files, which render_movie.sh turns into PNG
frames and encodes as SWF movies under content/flash/.

Usage: make_movie.py OUT_FOLDER
  writes OUT_FOLDER/<movie>/frame_NNN.svg for every frame and OUT_FOLDER/movies.tsv with one
  line per movie: movie name, frames per second, width, height.

"lantern": the Lantern House at night in a small brass frame, its beam sweeping round while a
ship crosses the bay; it loops on the credits screen, so the last frame leads into the first.
Drawn from the palette and shapes of make_art.py (docs/content.md, "Art direction").
"""

import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_art as art  # noqa: E402

MOVIES = []  # (name, fps, width, height, [svg text per frame])

W, H = 200, 150
FPS = 12
FRAMES = 48  # four seconds a round


def waves(y, amp, length, shift, colour, opacity=1.0):
    """A band of sea whose crests move by shift pixels; one wave length brings it round."""
    pts = [f"M0 {H} L0 {y}"]
    for x in range(0, W + 9, 8):
        yy = y + amp * math.sin((x + shift) * 2 * math.pi / length)
        pts.append(f"L{x} {yy:.1f}")
    pts.append(f"L{W} {H} Z")
    return f'<path d="{" ".join(pts)}" fill="{colour}" opacity="{opacity}"/>'


def lantern_frame(i):
    t = i / FRAMES  # 0..1 over one round
    lamp_x, lamp_y = 58, 62
    parts = ['<rect width="200" height="150" fill="url(#sky)"/>']
    # Stars twinkle once per round.
    v = 11
    for k in range(22):
        v = (v * 1103515245 + 12345) & 0x7FFFFFFF
        x = 8 + v % 184
        v = (v * 1103515245 + 12345) & 0x7FFFFFFF
        y = 6 + v % 70
        glow = 0.45 + 0.35 * math.sin(2 * math.pi * (t + k / 7))
        parts.append(f'<circle cx="{x}" cy="{y}" r="0.9" fill="{art.WHITE}" opacity="{glow:.2f}"/>')
    # The beam turns once a round: wide and bright when it faces the bay, a sliver behind.
    a = 2 * math.pi * t
    facing = math.cos(a)
    reach = 150 * math.sin(a)
    spread = 6 + 16 * max(0.0, facing)
    strength = 0.10 + 0.22 * max(0.0, facing)
    if abs(reach) > 4:
        end_x = lamp_x + reach
        parts.append(
            f'<path d="M{lamp_x} {lamp_y} L{end_x:.1f} {lamp_y - spread:.1f} '
            f'L{end_x:.1f} {lamp_y + spread * 0.6:.1f} Z" fill="#fff3c0" opacity="{strength:.2f}"/>'
        )
    # Far islands, then the sea in three bands that roll toward the shore.
    parts.append(f'<ellipse cx="150" cy="98" rx="46" ry="9" fill="#1a2a44"/>')
    parts.append(waves(98, 1.5, 50, 50 * t, "#1f3556"))
    # The ship crosses the bay from right to left once a round, out of sight at both ends.
    sx = 230 - 270 * t
    bob = 1.2 * math.sin(2 * math.pi * 3 * t)
    parts.append(
        f'<g transform="translate({sx:.1f},{104 + bob:.1f})">'
        f'<path d="M-14 0 L14 0 L10 6 L-10 6 Z" fill="{art.NIGHT}"/>'
        f'<path d="M-1 0 L-1 -22 L12 -3 Z" fill="{art.PAPER}" opacity="0.85"/>'
        f'<path d="M-3 -1 L-3 -18 L-13 -2 Z" fill="{art.PAPER_DARK}" opacity="0.75"/>'
        f'<circle cx="9" cy="2" r="1.2" fill="{art.BRASS_LIGHT}"/></g>'
    )
    parts.append(waves(110, 2.0, 40, 80 * t, "#1b2f4d"))
    parts.append(waves(124, 2.5, 66, 132 * t, "#16263f"))
    # The Lantern House on its rock.
    parts.append(f'<path d="M20 150 L30 112 L52 104 L84 108 L100 150 Z" fill="{art.NIGHT}"/>')
    parts.append(
        f'<path d="M50 108 L66 108 L63 68 L53 68 Z" fill="{art.PAPER}"/>'
        f'<rect x="51" y="80" width="14" height="4" fill="{art.CORAL}"/>'
        f'<rect x="52" y="94" width="12" height="4" fill="{art.CORAL}"/>'
        f'<rect x="51" y="55" width="14" height="13" fill="{art.BRASS_LIGHT}"/>'
        f'<path d="M49 56 L58 47 L67 56 Z" fill="{art.BRASS}"/>'
    )
    halo = 7 + 7 * max(0.0, facing)
    parts.append(
        f'<circle cx="{lamp_x}" cy="{lamp_y}" r="{halo:.1f}" fill="#fff3c0" '
        f'opacity="{0.25 + 0.35 * max(0.0, facing):.2f}"/>'
    )
    # The brass frame of a picture on the museum's wall.
    # Square outside, so no corner of the video shows past the frame on a light wall.
    parts.append(art.rrect(2, 2, 196, 146, 1, "none", art.BRASS, 4))
    parts.append(art.rrect(7, 7, 186, 136, 6, "none", art.BRASS_LIGHT, 1, 'opacity="0.6"'))
    defs = art.sky("#0e1730", "#2d4670")
    return (
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{W}" height="{H}" '
        f'viewBox="0 0 {W} {H}">\n<defs>{defs}</defs>\n{"".join(parts)}\n</svg>\n'
    )


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    MOVIES.append(("lantern", FPS, W, H, [lantern_frame(i) for i in range(FRAMES)]))
    with open(os.path.join(out, "movies.tsv"), "w") as table:
        for name, fps, w, h, frames in MOVIES:
            folder = os.path.join(out, name)
            os.makedirs(folder, exist_ok=True)
            for i, svg in enumerate(frames):
                with open(os.path.join(folder, f"frame_{i:03d}.svg"), "w") as f:
                    f.write(svg)
            table.write(f"{name}\t{fps}\t{w}\t{h}\n")
    print(f"{len(MOVIES)} movies written to {out}")


if __name__ == "__main__":
    main()
