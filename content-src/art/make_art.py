#!/usr/bin/env python3
"""Writes every image of the game as an SVG file, plus a manifest that render.sh turns into the
PNG and JPEG files under content/images/.

Usage: make_art.py OUT_FOLDER
  writes OUT_FOLDER/<name>.svg for each image and OUT_FOLDER/manifest.tsv with one line per
  image: svg file, output path below content/, format (png or jpg).

Everything is drawn from the palette and shapes of the art direction in docs/content.md. Sizes
and cell layouts are fixed by what the game looks up (tests/content/assets.txt lists them and
the content test checks the rendered files against that list), so change a size there first.
"""

import math
import os
import sys

# ---------------------------------------------------------------------------------------------
# Palette (docs/content.md, "Art direction")
NIGHT = "#16213a"      # deepest navy: backgrounds, outlines
SEA = "#23375a"        # navy: button faces, panels on dark
SLATE = "#3a4d72"      # board tiles not yet touched
SLATE_DARK = "#26344f"  # board gaps, marked holes
PAPER = "#f2e6c9"      # parchment: cards, clue margins, revealed tiles
PAPER_DARK = "#e2d1a8"  # parchment shade
INK = "#2b3350"        # text on paper
BRASS = "#c9974a"      # borders, highlights
BRASS_LIGHT = "#efc56e"
TEAL = "#2f8f8a"       # reveal tool, progress
TEAL_LIGHT = "#5cc2b8"
CORAL = "#d0553f"      # mistakes
CORAL_LIGHT = "#f08a6c"
RUST = "#b5471f"       # highlighted clue numbers
FADED = "#a79f8b"      # finished clue numbers
WHITE = "#ffffff"

SANS = "Lato"
SERIF = "Gentium Book Basic"

# Grid sizes: tile pixels and clue margins (game.xml offsets).
GRIDS = {5: (80, 110), 10: (48, 170), 15: (34, 210), 20: (24, 240)}
BOARD_RIM = 12
DEVICE = "ipad"
GAME = "pelnora7"

OUTPUTS = []  # (name, svg text, output path below content/, format)


def emit(name, width, height, body, path, fmt="png", defs=""):
    svg = (
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
        f'viewBox="0 0 {width} {height}">\n<defs>{defs}</defs>\n{body}\n</svg>\n'
    )
    OUTPUTS.append((name, svg, path, fmt))


def strip(cell_w, cell_h, cells, cols, draw):
    """Cells side by side (cols per row, row-major); draw(i) returns the body of cell i in its
    own 0..cell_w, 0..cell_h coordinates."""
    parts = []
    for i in range(cells):
        x = (i % cols) * cell_w
        y = (i // cols) * cell_h
        parts.append(
            f'<g transform="translate({x},{y})"><svg width="{cell_w}" height="{cell_h}" '
            f'overflow="hidden">{draw(i)}</svg></g>'
        )
    return "\n".join(parts)


def text(x, y, s, size, fill, family=SANS, weight="normal", anchor="middle", style="normal",
         extra=""):
    s = s.replace("&", "&amp;").replace("<", "&lt;")
    return (
        f'<text x="{x}" y="{y}" font-family="{family}" font-size="{size}" font-weight="{weight}" '
        f'font-style="{style}" text-anchor="{anchor}" fill="{fill}" {extra}>{s}</text>'
    )


def rrect(x, y, w, h, r, fill, stroke="none", sw=0, extra=""):
    return (
        f'<rect x="{x}" y="{y}" width="{w}" height="{h}" rx="{r}" ry="{r}" fill="{fill}" '
        f'stroke="{stroke}" stroke-width="{sw}" {extra}/>'
    )


def grad(gid, stops, vertical=True):
    coords = 'x1="0" y1="0" x2="0" y2="1"' if vertical else 'x1="0" y1="0" x2="1" y2="0"'
    s = "".join(f'<stop offset="{o}" stop-color="{c}"/>' for o, c in stops)
    return f'<linearGradient id="{gid}" {coords}>{s}</linearGradient>'


def rgrad(gid, stops):
    s = "".join(
        f'<stop offset="{o}" stop-color="{c}" stop-opacity="{a}"/>' for o, c, a in stops
    )
    return f'<radialGradient id="{gid}" cx="0.5" cy="0.5" r="0.5">{s}</radialGradient>'


def star_path(cx, cy, r_out, r_in, points=5, rot=-90):
    pts = []
    for k in range(points * 2):
        r = r_out if k % 2 == 0 else r_in
        a = math.radians(rot + k * 180 / points)
        pts.append(f"{cx + r * math.cos(a):.2f},{cy + r * math.sin(a):.2f}")
    return "M" + " L".join(pts) + " Z"


def compass(cx, cy, r, fill, opacity=1.0):
    """The compass rose that marks the game's own things (logo, loading, cards)."""
    big = star_path(cx, cy, r, r * 0.18, 4, -90)
    small = star_path(cx, cy, r * 0.62, r * 0.12, 4, -45)
    return (
        f'<g opacity="{opacity}"><circle cx="{cx}" cy="{cy}" r="{r * 0.8:.1f}" fill="none" '
        f'stroke="{fill}" stroke-width="{max(1, r * 0.05):.1f}"/>'
        f'<path d="{small}" fill="{fill}" opacity="0.6"/><path d="{big}" fill="{fill}"/></g>'
    )


# ---------------------------------------------------------------------------------------------
# Buttons: every button image is a strip of 4 cells stacked vertically: normal, over, down,
# disabled. Tool and map buttons use the disabled cell for "selected" and "locked".

FACE = [SEA, "#2e4c78", "#1a2944", "#59606e"]
RIM = [BRASS, BRASS_LIGHT, BRASS, "#8a8f99"]


def button_cell(w, h, state, label=None, size=24, radius=12):
    dy = 1 if state == 2 else 0
    d = [grad(f"face{state}", [(0, FACE[state]), (1, NIGHT if state != 3 else "#4a505c")])]
    body = rrect(2, 3, w - 4, h - 4, radius, "#000000", extra='opacity="0.35"')
    body += rrect(2, 1 + dy, w - 4, h - 4, radius, f"url(#face{state})", RIM[state], 2.5)
    body += rrect(7, 5 + dy, w - 14, (h - 10) * 0.42, radius * 0.7, WHITE,
                  extra='opacity="0.10"')
    if label:
        body += text(w / 2, h / 2 + size * 0.36 + dy, label, size,
                     WHITE if state != 3 else "#c9ccd3", weight="bold")
    return f"<defs>{''.join(d)}</defs>{body}"


def make_buttons():
    emit("menubutton", 240, 240, strip(240, 60, 4, 1, lambda i: button_cell(240, 60, i)),
         "images/ui/menubutton.png")
    for name, state in (("button", 0), ("button_over", 1), ("button_down", 2)):
        emit(name, 240, 60, button_cell(240, 60, state), f"images/ui/{name}.png")
    emit("menu_button", 300, 224, strip(300, 56, 4, 1, lambda i: button_cell(300, 56, i)),
         "images/ui/menu_button.png")
    emit("play_game_btn", 260, 320,
         strip(260, 80, 4, 1, lambda i: button_cell(260, 80, i, "Play", 34, 18)),
         "images/title/play_game_btn.png")

    def check(i):
        b = button_cell(72, 48, i, radius=10)
        dy = 1 if i == 2 else 0
        col = WHITE if i != 3 else "#c9ccd3"
        return b + (f'<path d="M24 {25 + dy} L33 {34 + dy} L49 {16 + dy}" fill="none" '
                    f'stroke="{col}" stroke-width="5" stroke-linecap="round" '
                    f'stroke-linejoin="round"/>')

    emit("enter_name_btn", 72, 192, strip(72, 48, 4, 1, check), "images/ui/enter_name_btn.png")

    def profile(i):
        # A row of the profile list: paper tab, brass when selected (cell 2).
        fill = [PAPER, "#fbf3de", BRASS_LIGHT, PAPER_DARK][i]
        body = rrect(2, 3, 376, 42, 8, "#000000", extra='opacity="0.3"')
        body += rrect(2, 1, 376, 42, 8, fill, INK if i == 2 else BRASS, 2)
        body += compass(26, 22, 13, INK if i != 3 else FADED, 0.8)
        return body

    emit("profile_btn", 380, 184, strip(380, 46, 4, 1, profile), "images/ui/profile_btn.png")


def tool_cell(state, icon):
    # Cell 3 (the button disabled) is the tool in use: lit brass ring.
    face = [SEA, "#2e4c78", "#1a2944", "#2b5f72"][state]
    rim = [BRASS, BRASS_LIGHT, BRASS, BRASS_LIGHT][state]
    dy = 1 if state == 2 else 0
    body = f'<circle cx="48" cy="50" r="42" fill="#000" opacity="0.35"/>'
    if state == 3:
        body += f'<circle cx="48" cy="48" r="46" fill="{BRASS_LIGHT}" opacity="0.35"/>'
    body += f'<circle cx="48" cy="{48 + dy}" r="42" fill="{face}" stroke="{rim}" stroke-width="4"/>'
    body += f'<g transform="translate(0,{dy})">{icon}</g>'
    return body


BRUSH_ICON = (
    f'<g transform="rotate(-40 48 48)">'
    f'<rect x="44" y="14" width="8" height="38" rx="4" fill="{BRASS_LIGHT}"/>'
    f'<rect x="41" y="50" width="14" height="8" fill="#9aa3b5"/>'
    f'<path d="M40 58 L56 58 L58 80 Q48 86 38 80 Z" fill="{PAPER}"/>'
    f'<path d="M43 64 L44 80 M48 64 L48 82 M53 64 L52 80" stroke="{PAPER_DARK}" '
    f'stroke-width="1.5"/></g>'
)
SHOVEL_ICON = (
    f'<g transform="rotate(35 48 48)">'
    f'<rect x="45" y="12" width="6" height="40" rx="3" fill="{BRASS_LIGHT}"/>'
    f'<rect x="38" y="10" width="20" height="7" rx="3" fill="{BRASS_LIGHT}"/>'
    f'<path d="M36 52 L60 52 L60 70 Q48 88 36 70 Z" fill="#b9c1cf" stroke="#7d879b" '
    f'stroke-width="2"/></g>'
)


def make_tools():
    emit("tile_tool_btn", 96, 384, strip(96, 96, 4, 1, lambda i: tool_cell(i, BRUSH_ICON)),
         "images/ui/tile_tool_btn.png")
    emit("mark_tool_btn", 96, 384, strip(96, 96, 4, 1, lambda i: tool_cell(i, SHOVEL_ICON)),
         "images/ui/mark_tool_btn.png")
    # Pointer pictures that follow the mouse over the board: the brush's bristles point to the
    # top left, the shovel's blade to the top right. Their scripts (brushcursor, shovelcursor)
    # put the hot spot on those working ends, so move the offsets there with the drawing.
    emit(f"BrushCursor_{DEVICE}", 48, 48,
         f'<g transform="translate(-10,-6) scale(0.62) rotate(180 48 48)">{BRUSH_ICON}</g>',
         f"images/{DEVICE}/brush_cursor_{DEVICE}.png")
    emit(f"ShovelCursor_{DEVICE}", 48, 48,
         f'<g transform="translate(-6,-8) scale(0.62) rotate(180 48 48)">{SHOVEL_ICON}</g>',
         f"images/{DEVICE}/shovel_cursor_{DEVICE}.png")


def make_controls():
    def box(checked, hover):
        fill = "#fbf3de" if hover else PAPER
        body = rrect(3, 4, 34, 34, 6, "#000", extra='opacity="0.3"')
        body += rrect(3, 3, 34, 34, 6, fill, BRASS_LIGHT if hover else BRASS, 3)
        if checked:
            body += (f'<path d="M10 20 L17 28 L31 11" fill="none" stroke="{TEAL}" '
                     f'stroke-width="5" stroke-linecap="round" stroke-linejoin="round"/>')
        return body

    emit("Checkbox", 40, 40, box(False, False), "images/ui/checkbox.png")
    emit("Checkbox_hover", 40, 40, box(False, True), "images/ui/checkbox_hover.png")
    emit("Checkbox_checked", 40, 40, box(True, False), "images/ui/checkbox_checked.png")
    emit("Checkbox_Checked_hover", 40, 40, box(True, True),
         "images/ui/checkbox_checked_hover.png")
    emit("Slider", 280, 20,
         rrect(2, 6, 276, 9, 4.5, NIGHT, BRASS, 1.5)
         + "".join(f'<rect x="{12 + k * 25.6:.1f}" y="8" width="1.5" height="5" '
                   f'fill="{BRASS}" opacity="0.6"/>' for k in range(11)),
         "images/ui/slider.png")
    emit("Slider_Thumb", 28, 36,
         f'<path d="M4 4 H24 V24 L14 33 L4 24 Z" fill="{BRASS_LIGHT}" stroke="{INK}" '
         f'stroke-width="2" stroke-linejoin="round"/>'
         f'<path d="M10 10 V22 M14 10 V22 M18 10 V22" stroke="{BRASS}" stroke-width="2"/>',
         "images/ui/slider_thumb.png")
    note = (f'<path d="M14 28 V10 L30 6 V24" fill="none" stroke="{PAPER}" stroke-width="3"/>'
            f'<ellipse cx="11" cy="28" rx="5" ry="4" fill="{PAPER}"/>'
            f'<ellipse cx="27" cy="24" rx="5" ry="4" fill="{PAPER}"/>')
    speaker = (f'<path d="M6 15 H12 L20 8 V32 L12 25 H6 Z" fill="{PAPER}"/>'
               f'<path d="M25 13 Q30 20 25 27 M29 9 Q37 20 29 31" fill="none" '
               f'stroke="{PAPER}" stroke-width="2.5" stroke-linecap="round"/>')
    mouse = (f'<rect x="11" y="5" width="18" height="30" rx="9" fill="none" stroke="{PAPER}" '
             f'stroke-width="2.5"/><path d="M20 5 V16 M11 16 H29" stroke="{PAPER}" '
             f'stroke-width="2"/><path d="M33 12 L37 20 L33 28" fill="none" '
             f'stroke="{BRASS_LIGHT}" stroke-width="2"/>')
    for name, icon in (("IconMusicVolume", note), ("IconSoundVolume", speaker),
                       ("IconMouseSpeed", mouse)):
        emit(name, 40, 40, icon, f"images/ui/{name.lower()}.png")


# ---------------------------------------------------------------------------------------------
# Panels

def paper_card(x, y, w, h, r=14, border=True):
    body = rrect(x + 3, y + 5, w, h, r, "#000", extra='opacity="0.35"')
    body += rrect(x, y, w, h, r, "url(#paper)", BRASS if border else "none", 3 if border else 0)
    if border:
        body += rrect(x + 8, y + 8, w - 16, h - 16, max(2, r - 6), "none", BRASS, 1,
                      extra='opacity="0.6"')
    return body


PAPER_DEFS = grad("paper", [(0, "#f7eed6"), (1, PAPER_DARK)])


def make_panels():
    rule = (f'<path d="M60 76 H540" stroke="{BRASS}" stroke-width="1.5" opacity="0.7"/>'
            + compass(300, 76, 9, BRASS, 0.9))
    emit("Dialog", 600, 460, paper_card(4, 4, 588, 448, 18) + rule, "images/ui/dialog.png",
         defs=PAPER_DEFS)
    # The same card as short as a question or a notice of up to three lines needs: the text
    # under the rule, the buttons under the text and the rim close under the buttons.
    emit("QuestionCard", 600, 296, paper_card(4, 4, 588, 284, 18) + rule,
         "images/ui/question_card.png", defs=PAPER_DEFS)
    # Name entry: the whole screen dimmed, with a card near the top that holds the question
    # (drawn by the game at y 75), the name box and the OK button.
    body = f'<rect width="1024" height="768" fill="{NIGHT}" opacity="0.55"/>'
    body += paper_card(272, 30, 480, 250, 18)
    # The box leaves room round the widest ten-letter name in the name font (the game sizes its
    # field to that name, about 220 pixels, centred on x 512).
    body += rrect(392, 132, 240, 45, 8, WHITE, BRASS, 2, extra='opacity="0.9"')
    emit("EnterName", 1024, 768, body, "images/title/enter_name.png", defs=PAPER_DEFS)
    # The explorer's journal page: level screens, letters, tips.
    body = paper_card(6, 6, 468, 588, 10)
    for k in range(16):
        y = 90 + k * 30
        body += f'<line x1="40" y1="{y}" x2="440" y2="{y}" stroke="#b9c6d6" stroke-width="1"/>'
    body += f'<line x1="62" y1="20" x2="62" y2="580" stroke="{CORAL}" stroke-width="1" opacity="0.5"/>'
    emit("JournalPage", 480, 600, body, "images/ui/journal_page.png", defs=PAPER_DEFS)
    # Ribbon banner for place names (map, puzzle selection).
    body = (f'<path d="M6 14 H40 V58 L26 48 L6 58 Z" fill="#8e6a2e"/>'
            f'<path d="M474 14 H440 V58 L454 48 L474 58 Z" fill="#8e6a2e"/>'
            + rrect(30, 4, 420, 50, 6, "url(#ribbon)", BRASS_LIGHT, 2))
    emit("Banner", 480, 64, body, "images/ui/banner.png",
         defs=grad("ribbon", [(0, "#2e4c78"), (1, SEA)]))
    # Label box frame: nine pieces of a 64 x 64 atlas (16-pixel borders).
    body = (rrect(1, 1, 62, 62, 12, "#fbf3de", BRASS, 2)
            + rrect(5, 5, 54, 54, 8, "none", BRASS, 1, extra='opacity="0.5"'))
    emit("textbox", 64, 64, body, "images/ui/textbox.png")
    emit("Compass", 96, 96, compass(48, 48, 44, BRASS_LIGHT), "images/ui/compass.png")

    def star(kind):
        colour = {"StarComplete": BRASS_LIGHT, "StarHint": TEAL_LIGHT,
                  "StarMistake": CORAL_LIGHT}[kind]

        def cell(i):
            p = star_path(24, 25, 21, 9)
            if i == 0:
                return f'<path d="{p}" fill="{NIGHT}" opacity="0.35" stroke="{FADED}" stroke-width="2"/>'
            return (f'<path d="{p}" fill="{colour}" stroke="{INK}" stroke-width="2" '
                    f'stroke-linejoin="round"/>'
                    f'<path d="{star_path(24, 25, 9, 4)}" fill="{WHITE}" opacity="0.45"/>')
        return cell

    for kind in ("StarComplete", "StarHint", "StarMistake"):
        emit(kind, 96, 48, strip(48, 48, 2, 2, star(kind)), f"images/ui/{kind.lower()}.png")

    def sparkle(i):
        r = [6, 12, 16, 10][i]
        return (f'<circle cx="16" cy="16" r="{r * 0.7}" fill="url(#glow)"/>'
                f'<path d="{star_path(16, 16, r, r * 0.22, 4)}" fill="{WHITE}"/>')

    emit("Sparkle", 128, 32, strip(32, 32, 4, 4, sparkle), "images/ui/sparkle.png",
         defs=rgrad("glow", [(0, BRASS_LIGHT, 0.9), (1, BRASS_LIGHT, 0)]))


# ---------------------------------------------------------------------------------------------
# Puzzle selection: puzzle buttons (4 cells: normal, over, down, disabled) and small grids.

def make_selection():
    def puzzle_button(kind):
        def cell(i):
            if kind == "locked":
                face, rim = "#4a505c", "#7d828d"
            elif kind == "complete":
                # The solved picture's icon is an ink drawing: it needs the paper under it.
                face, rim = PAPER, BRASS
            else:
                face, rim = "#2b5f72", TEAL_LIGHT
            if i == 1:
                rim = BRASS_LIGHT
            dy = 1 if i == 2 else 0
            body = rrect(3, 4, 58, 58, 10, "#000", extra='opacity="0.35"')
            body += rrect(3, 2 + dy, 58, 58, 10, face, rim, 3)
            if kind == "locked":
                body += (f'<rect x="23" y="30" width="18" height="14" rx="2" fill="#7d828d"/>'
                         f'<path d="M26 30 V25 A6 6 0 0 1 38 25 V30" fill="none" '
                         f'stroke="#7d828d" stroke-width="3"/>')
            elif kind == "current":
                body += text(32, 43 + dy, "?", 30, PAPER, SERIF, "bold")
            return body
        return cell

    for name, kind in (("ui_Puzzle_Incomplete", "locked"), ("ui_Puzzle_Complete", "complete"),
                       ("ui_Puzzle_Current", "current")):
        emit(name, 64, 256, strip(64, 64, 4, 1, puzzle_button(kind)),
             f"images/select/{name.lower()}.png")
    emit("ui_Puzzle_Current_Over", 64, 64,
         f'<rect x="0" y="0" width="64" height="64" rx="12" fill="url(#glow)"/>'
         + rrect(3, 2, 58, 58, 10, "none", BRASS_LIGHT, 4),
         "images/select/ui_puzzle_current_over.png",
         defs=rgrad("glow", [(0, BRASS_LIGHT, 0.0), (0.7, BRASS_LIGHT, 0.25),
                             (1, BRASS_LIGHT, 0.6)]))
    for n in GRIDS:
        cs = 200.0 / n
        body = rrect(0, 0, 206, 206, 6, BRASS) + f'<rect x="3" y="3" width="200" height="200" fill="{SLATE_DARK}"/>'
        for k in range(n):
            for m in range(n):
                body += (f'<rect x="{3 + k * cs + 0.5:.2f}" y="{3 + m * cs + 0.5:.2f}" '
                         f'width="{cs - 1:.2f}" height="{cs - 1:.2f}" fill="{SLATE}"/>')
        body += text(103, 124, "?", 60, PAPER, SERIF, "bold", extra='opacity="0.35"')
        emit(f"SmallGrid{n}_{GAME}", 206, 206, body, f"images/select/small_grid{n}_{GAME}.png")


# ---------------------------------------------------------------------------------------------
# The board, per grid size: background with clue margins, the vertical clue panel, tiles and
# highlights. Tile images must be exactly one tile wide: the grid reads its tile size from the
# width of "G<N>TileHighlight_<device>".

def make_board():
    for n, (tile, off) in GRIDS.items():
        # The picture hangs offset-x left of and offset-y above the first tile; a paper rim of
        # BOARD_RIM pixels closes it on the right and at the bottom.
        side = off + n * tile + BOARD_RIM
        body = rrect(1.5, 1.5, side - 3, side - 3, 16, "url(#paper)", BRASS, 3)
        # Alternate bands behind every second clue line help the eye follow a line.
        for k in range(n):
            if k % 2 == 1:
                body += (f'<rect x="{off + k * tile}" y="8" width="{tile}" height="{off - 12}" '
                         f'fill="{PAPER_DARK}" opacity="0.6"/>')
                body += (f'<rect x="8" y="{off + k * tile}" width="{off - 12}" height="{tile}" '
                         f'fill="{PAPER_DARK}" opacity="0.6"/>')
        body += compass(off / 2, off / 2, off * 0.3, BRASS, 0.5)
        body += f'<rect x="{off - 4}" y="{off - 4}" width="{n * tile + 8}" height="{n * tile + 8}" rx="4" fill="{NIGHT}"/>'
        gap = 1 if tile < 40 else 2
        for a in range(n):
            for b in range(n):
                body += (f'<rect x="{off + a * tile + gap}" y="{off + b * tile + gap}" '
                         f'width="{tile - 2 * gap}" height="{tile - 2 * gap}" fill="url(#fog)"/>')
        for k in range(5, n, 5):
            p = off + k * tile
            body += (f'<line x1="{p}" y1="{off - 4}" x2="{p}" y2="{off + n * tile + 4}" '
                     f'stroke="{BRASS}" stroke-width="2"/>'
                     f'<line x1="{off - 4}" y1="{p}" x2="{off + n * tile + 4}" y2="{p}" '
                     f'stroke="{BRASS}" stroke-width="2"/>')
        defs = PAPER_DEFS + grad("fog", [(0, "#44587f"), (1, SLATE)])
        emit(f"Grid{n}_{DEVICE}", side, side, body, f"images/{DEVICE}/grid{n}_{DEVICE}.png",
             defs=defs)
        # The row-clue panel left of the board: its width is the clue margin.
        h = side
        vbody = rrect(0, 0, off, h, 14, "url(#paper)", BRASS, 3)
        emit(f"Grid{n}_V_{DEVICE}", off, h, vbody, f"images/{DEVICE}/grid{n}_v_{DEVICE}.png",
             defs=PAPER_DEFS)

        g = 1 if tile < 40 else 2
        r = max(2, tile // 10)
        # Revealed solid tile: restored paper with a soft edge.
        solid = (rrect(g, g, tile - 2 * g, tile - 2 * g, r, "url(#solid)")
                 + rrect(g, g, tile - 2 * g, (tile - 2 * g) * 0.35, r, WHITE,
                         extra='opacity="0.25"'))
        emit(f"G{n}TileSolid_{DEVICE}", tile, tile, solid,
             f"images/{DEVICE}/g{n}_tile_solid_{DEVICE}.png",
             defs=grad("solid", [(0, "#fbf3de"), (1, "#d9c493")]))
        # Marked hole: the fog cleared to dark water, with a small brass ring.
        mark = (rrect(g, g, tile - 2 * g, tile - 2 * g, r, SLATE_DARK)
                + f'<circle cx="{tile / 2}" cy="{tile / 2}" r="{tile * 0.14:.1f}" fill="none" '
                  f'stroke="{BRASS}" stroke-width="{max(1.5, tile * 0.05):.1f}" opacity="0.8"/>')
        emit(f"G{n}TileMark_{DEVICE}", tile, tile, mark,
             f"images/{DEVICE}/g{n}_tile_mark_{DEVICE}.png")
        # A mistake: coral cross drawn over the tile the player got wrong.
        q = tile * 0.28
        miss = (f'<path d="M{q} {q} L{tile - q} {tile - q} M{tile - q} {q} L{q} {tile - q}" '
                f'stroke="{CORAL}" stroke-width="{max(3, tile * 0.12):.1f}" '
                f'stroke-linecap="round"/>')
        emit(f"G{n}TileMiss_{DEVICE}", tile, tile, miss,
             f"images/{DEVICE}/g{n}_tile_miss_{DEVICE}.png")
        sw = max(2, tile * 0.07)
        hl = (rrect(sw / 2, sw / 2, tile - sw, tile - sw, r, TEAL_LIGHT, TEAL_LIGHT, sw,
                    extra='fill-opacity="0.35"'))
        emit(f"G{n}TileHighlight_{DEVICE}", tile, tile, hl,
             f"images/{DEVICE}/g{n}_tile_highlight_{DEVICE}.png")
        ml = (rrect(sw / 2, sw / 2, tile - sw, tile - sw, r, BRASS_LIGHT, BRASS_LIGHT, sw,
                    extra='fill-opacity="0.35"'))
        emit(f"G{n}MarkHighlight_{DEVICE}", tile, tile, ml,
             f"images/{DEVICE}/g{n}_mark_highlight_{DEVICE}.png")
        cl = rrect(sw / 2, sw / 2, tile - sw, tile - sw, r, "none", WHITE, sw)
        emit(f"G{n}CursorHighlight_{DEVICE}", tile, tile, cl,
             f"images/{DEVICE}/g{n}_cursor_highlight_{DEVICE}.png")


# The clue number sheet: 25 columns (the numbers 1..25) by 8 rows. Rows 0-3 serve grids up to
# 15 x 15, rows 4-7 the same four looks smaller for 20 x 20: highlighted line, normal, finished
# clue, position along a stroke.
NUMBER_CELL = 36
NUMBER_ROWS = [
    (RUST, 22, "bold", None), (INK, 22, "bold", None), (FADED, 22, "normal", None),
    (WHITE, 20, "bold", NIGHT),
]


def make_numbers():
    parts = []
    c = NUMBER_CELL
    for row in range(8):
        colour, size, weight, outline = NUMBER_ROWS[row % 4]
        if row >= 4:
            size = round(size * 0.75)
        for col in range(25):
            x = col * c + c / 2
            y = row * c + c / 2 + size * 0.36
            extra = ""
            if outline:
                extra = (f'stroke="{outline}" stroke-width="3" paint-order="stroke" '
                         f'stroke-linejoin="round"')
            parts.append(text(x, y, str(col + 1), size, colour, weight=weight, extra=extra))
    emit("GridNumbers", 25 * c, 8 * c, "\n".join(parts), "images/board/grid_numbers.png")


# The picture-tile sheet: 18 white shapes on transparency, one row of 64 x 64 cells, in the
# column order docs/content.md gives ("ArtTiles").
ART_CELL = 64
# The tiles are one ink-wash blue; the game darkens each by its shade down to ink, and a solved
# picture lies on paper (tools/ContactSheet.cpp draws with the same colour).
ART_WASH = "#60709e"


def art_shape(k):
    s = ART_CELL
    h = s / 2
    shapes = {
        0: f'<rect width="{s}" height="{s}"/>',
        1: f'<path d="M0 0 H{s} L0 {s} Z"/>',
        2: f'<path d="M0 0 H{s} V{s} Z"/>',
        3: f'<path d="M0 0 L{s} {s} H0 Z"/>',
        4: f'<path d="M{s} 0 V{s} H0 Z"/>',
        5: f'<path d="M{h} 0 H{s} V{s} H0 V{h} A{h} {h} 0 0 1 {h} 0 Z"/>',
        6: f'<path d="M0 0 H{h} A{h} {h} 0 0 1 {s} {h} V{s} H0 Z"/>',
        7: f'<path d="M0 0 H{s} V{s} H{h} A{h} {h} 0 0 1 0 {h} Z"/>',
        8: f'<path d="M0 0 H{s} V{h} A{h} {h} 0 0 1 {h} {s} H0 Z"/>',
        9: f'<rect width="{s}" height="{h}"/>',
        10: f'<rect y="{h}" width="{s}" height="{h}"/>',
        11: f'<rect width="{h}" height="{s}"/>',
        12: f'<rect x="{h}" width="{h}" height="{s}"/>',
        13: f'<circle cx="{h}" cy="{h}" r="{h}"/>',
        14: f'<path d="M0 {h} A{h} {h} 0 0 1 {s} {h} V{s} H0 Z"/>',
        15: f'<path d="M0 0 H{s} V{h} A{h} {h} 0 0 1 0 {h} Z"/>',
        16: f'<path d="M{h} 0 H{s} V{s} H{h} A{h} {h} 0 0 1 {h} 0 Z"/>',
        17: f'<path d="M0 0 H{h} A{h} {h} 0 0 1 {h} {s} H0 Z"/>',
    }
    return f'<g fill="{ART_WASH}" shape-rendering="geometricPrecision">{shapes[k]}</g>'


def make_art_tiles():
    emit("ArtTiles", 18 * ART_CELL, ART_CELL, strip(ART_CELL, ART_CELL, 18, 18, art_shape),
         "images/board/art_tiles.png")


# ---------------------------------------------------------------------------------------------
# Play screen HUD and meters

def make_hud():
    body = f'<rect width="240" height="768" fill="url(#hud)"/>'
    body += f'<rect x="236" y="0" width="4" height="768" fill="{BRASS}"/>'
    body += compass(120, 700, 40, BRASS, 0.25)
    for k in range(9):
        y = 60 + k * 70
        body += f'<circle cx="{20 + (k % 3) * 6}" cy="{y}" r="2" fill="{BRASS}" opacity="0.3"/>'
    emit(f"hud_back_{DEVICE}", 240, 768, body, f"images/{DEVICE}/hud_back_{DEVICE}.png",
         defs=grad("hud", [(0, SEA), (1, NIGHT)]))
    panel = lambda w, h: (rrect(2, 2, w - 4, h - 4, 14, NIGHT, BRASS, 2, extra='fill-opacity="0.75"')
                          + f'<line x1="20" y1="36" x2="{w - 20}" y2="36" stroke="{BRASS}" '
                            f'stroke-width="1" opacity="0.6"/>')
    emit(f"HintMeter_{DEVICE}", 240, 120, panel(240, 120),
         f"images/{DEVICE}/hint_meter_{DEVICE}.png")
    emit(f"MistakeMeter_{DEVICE}", 240, 200, panel(240, 200),
         f"images/{DEVICE}/mistake_meter_{DEVICE}.png")

    # Hint bulb: a lantern in 12 cells: 0 cold, 1-10 filling with light from the bottom, 11 lit.
    def bulb(i):
        w, h = 44, 60
        level = min(i, 10) / 10.0
        glass_top, glass_bottom = 14, 50
        fill_y = glass_bottom - (glass_bottom - glass_top) * level
        lit = i == 11
        body = ""
        if lit:
            body += f'<circle cx="22" cy="32" r="22" fill="url(#halo)"/>'
        body += f'<rect x="14" y="4" width="16" height="6" rx="2" fill="{BRASS}"/>'
        body += f'<path d="M22 0 V4" stroke="{BRASS}" stroke-width="2"/>'
        body += (f'<clipPath id="g{i}"><rect x="10" y="{glass_top}" width="24" '
                 f'height="{glass_bottom - glass_top}" rx="10"/></clipPath>')
        body += (f'<rect x="10" y="{glass_top}" width="24" height="{glass_bottom - glass_top}" '
                 f'rx="10" fill="{SLATE_DARK}"/>')
        if i > 0:
            colour = "#ffe39a" if lit else BRASS_LIGHT
            body += (f'<rect x="10" y="{fill_y:.1f}" width="24" height="{glass_bottom - fill_y:.1f}" '
                     f'fill="{colour}" clip-path="url(#g{i})" opacity="{1 if lit else 0.8}"/>')
        body += (f'<rect x="10" y="{glass_top}" width="24" height="{glass_bottom - glass_top}" '
                 f'rx="10" fill="none" stroke="{BRASS}" stroke-width="2.5"/>')
        body += f'<rect x="12" y="{glass_bottom}" width="20" height="6" rx="2" fill="{BRASS}"/>'
        body += f'<path d="M16 17 V40" stroke="{WHITE}" stroke-width="2" opacity="0.3"/>'
        return body

    emit(f"HintBulb_{DEVICE}", 12 * 44, 60, strip(44, 60, 12, 12, bulb),
         f"images/{DEVICE}/hint_bulb_{DEVICE}.png",
         defs=rgrad("halo", [(0, "#ffe39a", 0.8), (1, "#ffe39a", 0)]))

    # Mistake marks: 2 cells, 0 unspent (a whole compass token), 1 spent (cracked, coral).
    def chance(size):
        def cell(i):
            c = size / 2
            r = size * 0.42
            if i == 0:
                return (f'<circle cx="{c}" cy="{c}" r="{r}" fill="{SEA}" stroke="{BRASS}" '
                        f'stroke-width="3"/>' + compass(c, c, r * 0.75, BRASS_LIGHT))
            q = size * 0.3
            return (f'<circle cx="{c}" cy="{c}" r="{r}" fill="#5a2a26" stroke="{CORAL}" '
                    f'stroke-width="3"/>'
                    f'<path d="M{q} {q} L{size - q} {size - q} M{size - q} {q} L{q} {size - q}" '
                    f'stroke="{CORAL_LIGHT}" stroke-width="{size * 0.1:.1f}" stroke-linecap="round"/>')
        return cell

    emit(f"chanceLarge_{DEVICE}", 96, 48, strip(48, 48, 2, 2, chance(48)),
         f"images/{DEVICE}/chance_large_{DEVICE}.png")
    emit(f"chanceSmall_{DEVICE}", 80, 40, strip(40, 40, 2, 2, chance(40)),
         f"images/{DEVICE}/chance_small_{DEVICE}.png")
    emit(f"TrailDot_{DEVICE}", 24, 24,
         f'<circle cx="12" cy="12" r="12" fill="url(#dot)"/>',
         f"images/{DEVICE}/trail_dot_{DEVICE}.png",
         defs=rgrad("dot", [(0, WHITE, 1), (0.35, BRASS_LIGHT, 0.9), (1, BRASS_LIGHT, 0)]))
    emit(f"MissDot_{DEVICE}", 24, 24,
         f'<circle cx="12" cy="12" r="12" fill="url(#dot)"/>',
         f"images/{DEVICE}/miss_dot_{DEVICE}.png",
         defs=rgrad("dot", [(0, WHITE, 1), (0.35, CORAL_LIGHT, 0.9), (1, CORAL, 0)]))

    def burst(i):
        r = [20, 40, 56, 62][i]
        a = [1, 0.9, 0.6, 0.25][i]
        return (f'<circle cx="64" cy="64" r="{r}" fill="url(#burst)" opacity="{a}"/>'
                f'<path d="{star_path(64, 64, r, r * 0.35, 8, -90 + i * 11)}" fill="{CORAL_LIGHT}" '
                f'opacity="{a * 0.8}"/>')

    emit(f"Explosion_{DEVICE}", 512, 128, strip(128, 128, 4, 4, burst),
         f"images/{DEVICE}/explosion_{DEVICE}.png",
         defs=rgrad("burst", [(0, "#fff3d0", 1), (0.5, BRASS_LIGHT, 0.8), (1, CORAL, 0)]))


# ---------------------------------------------------------------------------------------------
# Logo screen (on white): the studio's name, "Pelnora Studio". The five letter pictures keep the
# asset names the logo screen looks up (B, R, O, K, E, and the second and fourth tilted) and
# show S, T, U, D and I; the ball is the brass O that bounces over them and lands last, in 3
# cells (normal, squashed, more squashed, resting on the cell's bottom); the trail it leaves
# writes "Pelnora" above them; then the small print.

STUDIO_WORD = "Pelnora"
# The letters drop at x = 242, 330, 414, 505 and 596 (the second and fourth move 4 and 6 to the
# left when the ball dips them), and the ball's hops are longer than those steps: it comes to rest
# about 98 pixels after each of its bounces' letters. So each letter's tile stands a little
# further right in its picture than the one before, the tiles 78 wide and 22 apart, and the O
# comes to rest 22 after the I, as one more tile. The ball aims its first bounce at the middle of
# the second picture: that picture is wide enough (transparent on the right) to put the middle
# over its tile. (key, letter, picture width, tile's left edge in it, colour)
LETTERS = [("B", "S", 82, 2, "#23375a"), ("R", "T", 138, 18, "#2f8f8a"),
           ("O", "U", 110, 30, "#c9974a"), ("K", "D", 125, 45, "#d0553f"),
           ("E", "I", 128, 48, "#3a4d72")]
LETTER_TILE = 78
LETTER_H = 105


def letter_body(ch, left, colour, angle=0.0):
    shrink = 0.86 if angle else 1.0  # a dipped letter turns about its tile's foot
    mid = left + LETTER_TILE / 2
    g = (f'<g transform="rotate({angle} {mid} {LETTER_H}) translate({mid} {LETTER_H}) '
         f'scale({shrink}) translate({-mid} {-LETTER_H})">'
         + rrect(left, 6, LETTER_TILE, LETTER_H - 8, 14, colour)
         + rrect(left, 2, LETTER_TILE, LETTER_H - 8, 14, colour, NIGHT, 2)
         + text(mid, LETTER_H - 24, ch, 76, WHITE, SANS, "900")
         + "</g>")
    return g


def ring_path(cx, cy, rx, ry, thickness):
    """An O: the outer and the inner ellipse of a ring, to be filled even-odd."""
    def ellipse(a, b):
        return (f"M{cx - a:.1f},{cy} a{a:.1f},{b:.1f} 0 1,0 {2 * a:.1f},0 "
                f"a{a:.1f},{b:.1f} 0 1,0 {-2 * a:.1f},0 Z ")
    return ellipse(rx, ry) + ellipse(rx - thickness, ry - thickness * 0.9)


def make_logo():
    for key, ch, w, left, colour in LETTERS:
        emit(key, w, LETTER_H, letter_body(ch, left, colour),
             f"images/logo/letter_{key.lower()}.png")
    for key, angle in (("R", -9.0), ("K", 12.0)):
        ch, w, left, colour = next((c, lw, x, col) for k, c, lw, x, col in LETTERS if k == key)
        emit(f"{key}_Tilt", w, LETTER_H, letter_body(ch, left, colour, angle),
             f"images/logo/letter_{key.lower()}_tilt.png")

    # The O leans to the left of its cell: where it comes to rest, that is nearer the I.
    def ball(i):
        rx, ry = [(36, 40), (42, 33), (46, 27)][i]
        cx = 50 - (48 - rx) // 2 - 6
        cy = 101 - ry - 1
        return (f'<ellipse cx="{cx}" cy="{100 - 2}" rx="{rx * 0.9}" ry="3" fill="#000" '
                f'opacity="0.15"/>'
                f'<path d="{ring_path(cx, cy, rx, ry, 17)}" fill="url(#ball)" fill-rule="evenodd" '
                f'stroke="{NIGHT}" stroke-width="2"/>'
                f'<ellipse cx="{cx - rx * 0.55}" cy="{cy - ry * 0.55}" rx="{rx * 0.18}" '
                f'ry="{ry * 0.12}" fill="{WHITE}" opacity="0.6" '
                f'transform="rotate(-40 {cx - rx * 0.55} {cy - ry * 0.55})"/>')

    emit("Ball", 300, 101, strip(100, 101, 3, 3, ball), "images/logo/ball.png",
         defs=rgrad("ball", [(0, BRASS_LIGHT, 1), (1, BRASS, 1)]))
    # The trail is drawn from 229 pixels left of the screen's middle: the word stands centred.
    emit("Trail", 408, 60, text(229, 44, STUDIO_WORD, 46, BRASS, SERIF, "bold", style="italic",
                                extra=f'stroke="{NIGHT}" stroke-width="1"'),
         "images/logo/trail.png")
    emit("createdby", 300, 30, text(150, 22, "a puzzle voyage from", 20, INK, SERIF, style="italic"),
         "images/logo/createdby.png")
    emit("BrokelTM", 30, 18, text(15, 14, "TM", 13, INK, SANS, "bold"),
         "images/logo/brokel_tm.png")


# ---------------------------------------------------------------------------------------------
# Full-screen pictures (JPEG): a sky and layered land for each place of the story, dimmed toward
# the bottom so that the board and the cards read over them.

def sky(top, bottom):
    return grad("sky", [(0, top), (1, bottom)])


def hills(y, amp, period, phase, colour, opacity=1.0, width=1024, height=768):
    pts = [f"M0 {height} L0 {y}"]
    for x in range(0, width + 33, 32):
        yy = y + amp * math.sin(x / period + phase) + amp * 0.4 * math.sin(x / (period * 0.37) + phase * 2)
        pts.append(f"L{x} {yy:.1f}")
    pts.append(f"L{width} {height} Z")
    return f'<path d="{" ".join(pts)}" fill="{colour}" opacity="{opacity}"/>'


def stars_field(count, seed, y_max=420, colour=WHITE):
    out = []
    v = seed
    for _ in range(count):
        v = (v * 1103515245 + 12345) & 0x7FFFFFFF
        x = v % 1024
        v = (v * 1103515245 + 12345) & 0x7FFFFFFF
        y = v % y_max
        v = (v * 1103515245 + 12345) & 0x7FFFFFFF
        r = 0.6 + (v % 100) / 70.0
        out.append(f'<circle cx="{x}" cy="{y}" r="{r:.1f}" fill="{colour}" opacity="{0.4 + (v % 60) / 100:.2f}"/>')
    return "".join(out)


def vignette():
    return ('<rect width="1024" height="768" fill="url(#vig)"/>',
            rgrad("vig", [(0.55, "#000000", 0), (1, "#000000", 0.45)]))


def motif(place):
    """The one thing each place is remembered by, drawn in silhouette."""
    if place == "saltmere":  # lighthouse on a rock, boats
        return (f'<path d="M760 520 L800 520 L792 330 L768 330 Z" fill="{PAPER}"/>'
                f'<rect x="770" y="380" width="20" height="18" fill="{CORAL}"/>'
                f'<rect x="772" y="440" width="16" height="18" fill="{CORAL}"/>'
                f'<rect x="764" y="310" width="32" height="22" fill="{NIGHT}"/>'
                f'<path d="M796 318 L1024 260 L1024 360 Z" fill="#fff3c0" opacity="0.25"/>'
                f'<path d="M690 540 Q780 500 860 540 Z" fill="{NIGHT}"/>'
                f'<path d="M200 560 L270 560 L256 574 L214 574 Z M236 560 V500 L266 550 Z" fill="{NIGHT}" opacity="0.8"/>')
    if place == "fernhollow":  # tall trees
        out = ""
        for k, x in enumerate((90, 200, 330, 700, 830, 950)):
            h = 260 + (k * 47) % 90
            out += (f'<rect x="{x - 8}" y="{600 - h * 0.35}" width="16" height="{h * 0.4}" fill="#2a2016"/>'
                    f'<path d="M{x} {600 - h} L{x + 60} {600 - h * 0.3} L{x - 60} {600 - h * 0.3} Z" fill="#1f4a35"/>')
        return out
    if place == "amberdune":  # sun temple on the dunes
        return (f'<circle cx="760" cy="220" r="70" fill="#ffd98a" opacity="0.8"/>'
                f'<path d="M620 470 L760 330 L900 470 Z" fill="#8a5a2b"/>'
                f'<path d="M660 430 H860 M690 400 H830 M720 370 H800" stroke="#6e4520" stroke-width="4"/>')
    if place == "glimmerfrost":  # snow peaks
        return (f'<path d="M300 520 L520 170 L740 520 Z" fill="#6b7fa6"/>'
                f'<path d="M455 275 L520 170 L585 275 L550 255 L520 285 L490 255 Z" fill="{WHITE}"/>'
                f'<path d="M620 520 L800 260 L980 520 Z" fill="#566a92"/>'
                f'<path d="M755 325 L800 260 L845 325 L815 310 Z" fill="{WHITE}"/>')
    if place == "brasswick":  # gears and a bridge
        out = ""
        for cx, cy, r in ((200, 300, 90), (330, 420, 60), (820, 260, 110)):
            out += (f'<path d="{star_path(cx, cy, r, r * 0.82, 12)}" fill="{BRASS}" opacity="0.55"/>'
                    f'<circle cx="{cx}" cy="{cy}" r="{r * 0.35}" fill="{NIGHT}" opacity="0.6"/>')
        out += (f'<path d="M0 540 Q512 380 1024 540" fill="none" stroke="{NIGHT}" stroke-width="18"/>'
                + "".join(f'<line x1="{x}" y1="{540 - 160 * math.sin(math.pi * x / 1024):.0f}" x2="{x}" y2="600" stroke="{NIGHT}" stroke-width="6"/>'
                          for x in range(80, 1000, 96)))
        return out
    if place == "coral":  # reef and bubbles
        out = ""
        for k, x in enumerate((120, 260, 640, 820, 930)):
            out += (f'<path d="M{x} 640 Q{x - 30} 560 {x - 10} 500 M{x} 640 Q{x + 20} 540 {x + 40} 480 '
                    f'M{x} 640 Q{x} 560 {x + 5} 520" stroke="{CORAL}" stroke-width="{12 - k}" fill="none" stroke-linecap="round"/>')
        for k in range(24):
            out += f'<circle cx="{(k * 97) % 1024}" cy="{(k * 173) % 500 + 40}" r="{3 + k % 5}" fill="none" stroke="{WHITE}" opacity="0.35"/>'
        return out
    if place == "emberfall":  # smoking island
        return (f'<path d="M380 560 L520 290 L560 290 L700 560 Z" fill="#3a2224"/>'
                f'<path d="M520 290 L540 320 L560 290 Z" fill="{CORAL_LIGHT}"/>'
                f'<circle cx="560" cy="220" r="50" fill="#6b5a5a" opacity="0.5"/>'
                f'<circle cx="610" cy="150" r="70" fill="#6b5a5a" opacity="0.35"/>'
                f'<circle cx="690" cy="80" r="90" fill="#6b5a5a" opacity="0.2"/>')
    if place == "windward":  # windmills and a kite
        out = ""
        for x, s in ((260, 1.0), (780, 0.8)):
            out += (f'<g transform="translate({x},{470}) scale({s})"><path d="M-20 120 L-10 0 L10 0 L20 120 Z" fill="{NIGHT}"/>'
                    + "".join(f'<rect x="-6" y="-110" width="12" height="110" fill="{PAPER}" opacity="0.85" transform="rotate({a})"/>' for a in (20, 110, 200, 290))
                    + '</g>')
        # The kite flies in the top-left corner, above the puzzle buttons: the HUD column hides it
        # whole on the play screen and no card's or button's edge cuts it on the other screens.
        out += f'<path d="M150 15 L185 55 L150 105 L115 55 Z" fill="{CORAL}"/><path d="M150 105 Q140 125 60 128" stroke="{PAPER}" fill="none" stroke-width="2"/>'
        return out
    if place == "moonwater":  # moon, reeds, fireflies
        out = f'<circle cx="760" cy="160" r="60" fill="#f4efd6"/><circle cx="785" cy="145" r="54" fill="#1d2b45"/>'
        for k in range(40):
            x = 20 + k * 26
            h = 80 + (k * 37) % 90
            out += f'<path d="M{x} 640 Q{x + 8} {640 - h / 2} {x + 3} {640 - h}" stroke="#1b2a20" stroke-width="4" fill="none"/>'
        for k in range(18):
            out += f'<circle cx="{(k * 211) % 1024}" cy="{430 + (k * 53) % 150}" r="3" fill="#f6f0a0" opacity="0.8"/>'
        return out
    if place == "starfall":  # observatory dome
        return (f'<path d="M640 520 V440 A110 110 0 0 1 860 440 V520 Z" fill="{NIGHT}"/>'
                f'<rect x="730" y="330" width="24" height="110" fill="{SLATE}" transform="rotate(30 742 440)"/>'
                f'<path d="M200 120 L420 60" stroke="{WHITE}" stroke-width="2" opacity="0.7"/>')
    if place == "desk":  # a desk lamp's pool of light on wood
        return (f'<ellipse cx="512" cy="430" rx="420" ry="260" fill="#ffe3a0" opacity="0.18"/>'
                f'<rect x="640" y="470" width="260" height="180" rx="6" fill="{PAPER}" opacity="0.85" transform="rotate(-8 770 560)"/>'
                # The cup stands wholly under the HUD column and the finished picture's frame.
                f'<circle cx="120" cy="470" r="60" fill="#e8dcc0" opacity="0.9"/><circle cx="120" cy="470" r="44" fill="#6b3f25"/>')
    if place == "cabinet":  # shelves with parcels
        out = ""
        for y in (200, 380, 560):
            out += f'<rect x="80" y="{y}" width="864" height="14" fill="#3b2615"/>'
            for k in range(7):
                w = 60 + (k * 29) % 50
                out += f'<rect x="{120 + k * 115}" y="{y - w * 0.8}" width="{w}" height="{w * 0.8}" fill="#a27a4a" stroke="#5a3b1f" stroke-width="3"/>'
        return out
    if place == "menagerie":  # arches with leaves
        out = ""
        for x in (170, 512, 854):
            out += f'<path d="M{x - 120} 700 V330 A120 120 0 0 1 {x + 120} 330 V700" fill="none" stroke="#caa86a" stroke-width="16" opacity="0.6"/>'
        for k in range(30):
            out += f'<ellipse cx="{(k * 137) % 1024}" cy="{(k * 71) % 260 + 20}" rx="26" ry="10" fill="#3f7a4f" opacity="0.6" transform="rotate({(k * 47) % 180} {(k * 137) % 1024} {(k * 71) % 260 + 20})"/>'
        return out
    if place == "attic":  # roof beams, a round window, a globe
        return (f'<path d="M0 0 L512 -120 L1024 0 V90 L512 -20 L0 90 Z" fill="#2c1d12"/>'
                f'<circle cx="512" cy="230" r="90" fill="#9fb4d4" opacity="0.5" stroke="#3b2615" stroke-width="14"/>'
                f'<path d="M512 140 V320 M422 230 H602" stroke="#3b2615" stroke-width="8"/>'
                f'<circle cx="820" cy="520" r="80" fill="#2f6f8a" stroke="{BRASS}" stroke-width="6"/>'
                f'<path d="M820 440 V600" stroke="{BRASS}" stroke-width="4"/>')
    return ""


PLACES = {
    # name: sky top, sky bottom, far land, near land, ground, stars
    "desk": ("#4a3524", "#2c1d12", "#5a3f28", "#4a331f", "#3a2818", False),
    "saltmere": ("#7fb3c9", "#f1d9a8", "#5d7f95", "#3f6278", "#23375a", False),
    "fernhollow": ("#a8c9a0", "#e9e0b8", "#5e8a62", "#3f6b4a", "#264532", False),
    "amberdune": ("#f0b66d", "#f7e2b0", "#d8a15a", "#c4874a", "#9c6436", False),
    "glimmerfrost": ("#9db8dc", "#e8eef6", "#b8c8e0", "#8ea3c6", "#dfe7f2", False),
    "brasswick": ("#7a6a5a", "#d9c29a", "#8b7355", "#6b5640", "#4a3b2c", False),
    "coral": ("#1f6f8b", "#0f3550", "#195a70", "#134a5c", "#0d3344", False),
    "emberfall": ("#c8705a", "#f2c08a", "#6b3a34", "#4f2a2a", "#2e1a1c", False),
    "windward": ("#8fc3e6", "#eaf2da", "#a9c67a", "#8cae5e", "#6e9446", False),
    "moonwater": ("#1d2b45", "#33507a", "#22384f", "#1a2d3a", "#121f28", True),
    "starfall": ("#0c1226", "#2a3a66", "#1c2747", "#141c36", "#0c1226", True),
    "cabinet": ("#5a4030", "#2e2018", "#4a3526", "#3c2a1e", "#2a1d14", False),
    "menagerie": ("#6f8f6a", "#d8d2a6", "#56744e", "#42603e", "#2e4a2e", False),
    "attic": ("#6a5440", "#2e2218", "#4e3c2c", "#3e2f22", "#2a1f16", False),
}


def make_backgrounds():
    for place, (top, bottom, far, near, ground, night) in PLACES.items():
        vig, vdefs = vignette()
        body = '<rect width="1024" height="768" fill="url(#sky)"/>'
        if night:
            body += stars_field(160, len(place) * 7919)
        interior = place in ("desk", "cabinet", "attic")
        if not interior:
            body += hills(430, 30, 140, len(place), far)
        body += motif(place)
        if not interior:
            body += hills(560, 22, 90, len(place) * 2, near)
            body += hills(660, 12, 60, len(place) * 3, ground)
        else:
            body += f'<rect y="620" width="1024" height="148" fill="{ground}"/>'
        body += vig
        emit(f"set_{place}", 1024, 768, body, f"images/sets/set_{place}.jpg", "jpg",
             defs=sky(top, bottom) + vdefs)


def make_screens():
    vig, vdefs = vignette()
    # Title: night sea under the lantern's beam, the archipelago on the horizon.
    body = '<rect width="1024" height="768" fill="url(#sky)"/>' + stars_field(200, 77, 380)
    # The lighthouse stands on the eastern island, clear of the logo and its subtitle (centred
    # from y 163 to 413); its beams sweep across the sky behind them.
    body += f'<path d="M900 318 L-100 120 L-100 260 Z" fill="#fff3c0" opacity="0.12"/>'
    body += f'<path d="M900 318 L1124 170 L1124 290 Z" fill="#fff3c0" opacity="0.12"/>'
    for k, (x, w) in enumerate(((120, 160), (330, 90), (700, 200), (900, 110))):
        body += f'<ellipse cx="{x}" cy="470" rx="{w}" ry="{26 + k * 6}" fill="#1a2a44"/>'
    body += hills(480, 4, 40, 1, "#1f3556") + hills(560, 6, 50, 2, "#1b2f4d") + hills(660, 8, 60, 3, "#16263f")
    body += (f'<path d="M884 456 L916 456 L910 326 L890 326 Z" fill="{PAPER}" opacity="0.9"/>'
             f'<rect x="886" y="308" width="28" height="20" fill="{BRASS_LIGHT}"/>'
             f'<circle cx="900" cy="318" r="30" fill="#fff3c0" opacity="0.25"/>')
    body += vig
    emit("TitleBackground", 1024, 768, body, "images/title/title_background.jpg", "jpg",
         defs=sky("#0e1730", "#2d4670") + vdefs)
    # Main menu, tips, credits: the museum's entrance hall in lamplight.
    body = '<rect width="1024" height="768" fill="url(#sky)"/>'
    for x in (110, 330, 694, 914):
        body += (f'<rect x="{x - 40}" y="80" width="80" height="560" fill="#3b2a1c"/>'
                 f'<rect x="{x - 50}" y="60" width="100" height="30" fill="#4a3526"/>'
                 f'<rect x="{x - 50}" y="630" width="100" height="30" fill="#4a3526"/>')
    body += f'<ellipse cx="512" cy="360" rx="330" ry="300" fill="#ffe3a0" opacity="0.12"/>'
    body += compass(512, 700, 70, BRASS, 0.35) + f'<rect y="660" width="1024" height="108" fill="#2a1d14" opacity="0.7"/>'
    body += vig
    emit("MenuBackground", 1024, 768, body, "images/menu/menu_background.jpg", "jpg",
         defs=sky("#5a4030", "#2a1d14") + vdefs)
    # The explorer's letters: her desk with an open letter (the text is drawn by the game).
    body = '<rect width="1024" height="768" fill="url(#sky)"/>'
    for k in range(9):
        body += f'<rect y="{k * 90}" width="1024" height="3" fill="#000" opacity="0.15"/>'
    body += (f'<rect x="142" y="36" width="740" height="696" fill="#000" opacity="0.35" transform="rotate(-1 512 384)"/>'
             f'<rect x="132" y="26" width="740" height="696" fill="url(#letter)" transform="rotate(-1 512 384)"/>'
             f'<path d="M172 90 H832" stroke="{BRASS}" stroke-width="2" transform="rotate(-1 512 384)"/>'
             f'<circle cx="840" cy="680" r="38" fill="{CORAL}" opacity="0.85"/>'
             + compass(840, 680, 26, "#7a2a1f", 0.8))
    body += vig
    emit("LetterBackground", 1024, 768, body, "images/menu/letter_background.jpg", "jpg",
         defs=sky("#5a3f28", "#3a2818") + grad("letter", [(0, "#fbf3de"), (1, PAPER)]) + vdefs)
    # Start splashes: the studio card and a quiet card before the title.
    body = f'<rect width="1024" height="768" fill="{PAPER}"/>' + compass(512, 300, 110, BRASS, 0.9)
    body += text(512, 500, STUDIO_WORD + " Studio", 52, INK, SERIF, "bold")
    body += text(512, 545, "charts, lanterns and small puzzles", 22, INK, SERIF, style="italic")
    emit("splash", 1024, 768, body, "images/logo/splash.jpg", "jpg")
    body = f'<rect width="1024" height="768" fill="{NIGHT}"/>' + stars_field(120, 5)
    body += text(512, 370, "Best played with the sound on", 34, PAPER, SERIF, style="italic")
    body += compass(512, 450, 24, BRASS, 0.8)
    emit("splash2", 1024, 768, body, "images/logo/splash2.jpg", "jpg")
    # Title logo: "Pelnora" with the seven as a compass needle.
    body = (text(455, 150, "Pelnora", 124, "#000000", SERIF, "bold", "end", extra='opacity="0.4" transform="translate(4,5)"')
            + text(455, 150, "Pelnora", 124, PAPER, SERIF, "bold", "end", extra=f'stroke="{NIGHT}" stroke-width="3" paint-order="stroke"')
            + f'<circle cx="542" cy="112" r="72" fill="{SEA}" stroke="{BRASS_LIGHT}" stroke-width="6"/>'
            + compass(542, 112, 60, BRASS, 0.6)
            + text(542, 146, "7", 104, BRASS_LIGHT, SERIF, "bold", extra=f'stroke="{NIGHT}" stroke-width="3" paint-order="stroke"')
            + text(310, 225, "a voyage in hidden pictures", 28, PAPER, SERIF, style="italic",
                   extra=f'stroke="{NIGHT}" stroke-width="4" paint-order="stroke"'))
    emit("GameLogo", 620, 250, body, "images/title/game_logo.png")
    emit("Loadingbar_base", 420, 30,
         rrect(2, 2, 416, 26, 13, NIGHT, BRASS, 2, extra='fill-opacity="0.8"'),
         "images/title/loadingbar_base.png")
    emit("Loadingbar_Top", 420, 30, rrect(5, 5, 410, 20, 10, "url(#fill)"),
         "images/title/loadingbar_top.png",
         defs=grad("fill", [(0, TEAL_LIGHT), (1, TEAL)]))


# ---------------------------------------------------------------------------------------------
# World map and its place buttons (4 cells: normal, over, down, disabled = not reached yet).

def read_map_places():
    """Each story place with a map position, from the set sources: id -> (x, y, English name)."""
    here = os.path.dirname(os.path.abspath(__file__))
    src = os.path.dirname(here)
    places = {}
    for file in sorted(os.listdir(src)):
        if not (file.startswith("story_") and file.endswith(".txt")):
            continue
        place, name, pos = None, None, None
        with open(os.path.join(src, file)) as f:
            for line in f:
                words = line.split(";")[0].split()
                if len(words) >= 3 and words[0] == "set":
                    place, name = words[1], " ".join(words[2:])
                elif len(words) == 3 and words[0] == "map":
                    pos = (int(words[1]), int(words[2]))
        if place and pos and pos != (0, 0):
            places[place] = (pos[0], pos[1], name)
    return places


MAP_SETS = read_map_places()
MAP_BUTTON = 72


def place_glyph(place, colour):
    c = MAP_BUTTON / 2
    g = {
        "saltmere": f'<path d="M32 52 L40 52 L38 22 L34 22 Z M31 20 H41 V16 H31 Z" fill="{colour}"/>',
        "fernhollow": f'<path d="M36 14 L50 44 H22 Z M33 44 H39 V54 H33 Z" fill="{colour}"/>',
        "amberdune": f'<path d="M18 50 L36 24 L54 50 Z" fill="{colour}"/><circle cx="50" cy="22" r="6" fill="{colour}"/>',
        "glimmerfrost": f'<path d="M14 52 L30 24 L38 36 L44 28 L58 52 Z" fill="{colour}"/>',
        "brasswick": f'<path d="{star_path(36, 36, 18, 14, 8)}" fill="{colour}"/><circle cx="36" cy="36" r="6" fill="{SEA}"/>',
        "coral": f'<path d="M36 54 V34 M36 40 L26 28 M36 36 L46 24 M26 28 V20 M46 24 V18" stroke="{colour}" stroke-width="4" stroke-linecap="round" fill="none"/>',
        "emberfall": f'<path d="M16 52 L30 28 H42 L56 52 Z" fill="{colour}"/><circle cx="40" cy="18" r="5" fill="{colour}" opacity="0.7"/>',
        "windward": f'<path d="M34 54 L36 30 L38 54 Z" fill="{colour}"/>' + "".join(f'<rect x="34.5" y="14" width="3" height="16" fill="{colour}" transform="rotate({a} 36 30)"/>' for a in (0, 90, 180, 270)),
        "moonwater": f'<path d="M44 16 A18 18 0 1 0 52 44 A14 14 0 1 1 44 16 Z" fill="{colour}"/>',
        "starfall": f'<path d="{star_path(36, 36, 18, 7)}" fill="{colour}"/>',
    }[place]
    return g


def make_map():
    defs = sky("#2f5f86", "#1d3c5c")
    body = '<rect width="1024" height="768" fill="url(#sky)"/>'
    # Sea texture: faint wave marks.
    for k in range(120):
        x = (k * 389) % 1024
        y = (k * 211) % 768
        body += f'<path d="M{x} {y} q6 -4 12 0 t12 0" stroke="#9fc4dd" stroke-width="1.5" fill="none" opacity="0.35"/>'
    # The islands under each place (a paper-coloured land blob), the route between them in story
    # order and each place's name written on the sea beside its island, as on a chart.
    route = ["saltmere", "fernhollow", "amberdune", "glimmerfrost", "brasswick", "coral",
             "emberfall", "windward", "moonwater", "starfall"]
    centre = {p: (MAP_SETS[p][0] + 36, MAP_SETS[p][1] + 36) for p in route}
    for k, place in enumerate(route):
        cx, cy = centre[place]
        body += (f'<ellipse cx="{cx + 4}" cy="{cy + 8}" rx="{70 + k % 3 * 10}" ry="{48 + k % 2 * 8}" '
                 f'fill="#000" opacity="0.2"/>'
                 f'<ellipse cx="{cx}" cy="{cy}" rx="{70 + k % 3 * 10}" ry="{48 + k % 2 * 8}" '
                 f'fill="{PAPER}" stroke="{PAPER_DARK}" stroke-width="6"/>')
    # A leg that would cross another island bends around it (control points of a cubic curve).
    detours = {("amberdune", "glimmerfrost"): ((440, 430), (455, 255))}
    path = "M{},{}".format(*centre[route[0]])
    dots = []  # points along the route, a few pixels apart, to keep the names off it
    for a, b in zip(route, route[1:]):
        (ax, ay), (bx, by) = centre[a], centre[b]
        if (a, b) in detours:
            (c1x, c1y), (c2x, c2y) = detours[(a, b)]
            path += f" C{c1x},{c1y} {c2x},{c2y} {bx},{by}"
            dots += [((1 - t) ** 3 * ax + 3 * (1 - t) ** 2 * t * c1x + 3 * (1 - t) * t * t * c2x
                      + t ** 3 * bx,
                      (1 - t) ** 3 * ay + 3 * (1 - t) ** 2 * t * c1y + 3 * (1 - t) * t * t * c2y
                      + t ** 3 * by) for t in (i / 200 for i in range(201))]
        else:
            path += f" L{bx},{by}"
            dots += [(ax + (bx - ax) * t, ay + (by - ay) * t) for t in (i / 100 for i in range(101))]
    body += (f'<path d="{path}" fill="none" stroke="{CORAL}" stroke-width="3" '
             f'stroke-dasharray="2 10" stroke-linecap="round" opacity="0.9"/>')

    def crossed(x, y, name):
        """Whether the route runs through a name written centred on (x, y) (a generous guess
        at its box: about 9 pixels a letter, 17 high, and a margin for the dashes' width)."""
        half = len(name) * 4.5 + 8
        return any(x - half <= px <= x + half and y - 22 <= py <= y + 10 for px, py in dots)

    # Every name sits below its island, centred under it; above it where the route would run
    # through it below.
    for k, place in enumerate(route):
        cx, cy = centre[place]
        ry = 48 + k % 2 * 8
        x, y, anchor = cx, cy + ry + 24, "middle"
        if crossed(x, y, MAP_SETS[place][2]):
            y = cy - ry - 12
        body += text(x, y, MAP_SETS[place][2], 17, PAPER, SERIF, "bold", anchor,
                     extra=f'stroke="{NIGHT}" stroke-width="4" stroke-linejoin="round" '
                           f'paint-order="stroke"')
    # The rose sits in open water west of the route.
    body += compass(96, 360, 60, BRASS_LIGHT, 0.8)
    body += rrect(8, 8, 1008, 752, 10, "none", BRASS, 6)
    emit("WorldMap", 1024, 768, body, "images/map/world_map.jpg", "jpg", defs=defs)
    for place in MAP_SETS:
        def cell(i, place=place):
            face = [SEA, "#2e4c78", "#1a2944", "#59606e"][i]
            rim = [BRASS, BRASS_LIGHT, BRASS, "#8a8f99"][i]
            colour = [PAPER, WHITE, PAPER, "#b4b8c0"][i]
            dy = 1 if i == 2 else 0
            body = f'<circle cx="36" cy="38" r="32" fill="#000" opacity="0.35"/>'
            if i == 1:
                body += f'<circle cx="36" cy="36" r="35" fill="{BRASS_LIGHT}" opacity="0.4"/>'
            body += f'<circle cx="36" cy="{36 + dy}" r="31" fill="{face}" stroke="{rim}" stroke-width="4"/>'
            body += f'<g transform="translate(0,{dy})">{place_glyph(place, colour)}</g>'
            return body
        emit(f"map_{place}_btn_{GAME}", MAP_BUTTON, MAP_BUTTON * 4,
             strip(MAP_BUTTON, MAP_BUTTON, 4, 1, cell), f"images/map/map_{place}_btn_{GAME}.png")


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for make in (make_buttons, make_tools, make_controls, make_panels, make_selection,
                 make_board, make_numbers, make_art_tiles, make_hud, make_logo,
                 make_backgrounds, make_screens, make_map):
        make()
    names = set()
    with open(os.path.join(out, "manifest.tsv"), "w") as manifest:
        for name, svg, path, fmt in OUTPUTS:
            if name in names:
                sys.exit(f"image {name} is made twice")
            names.add(name)
            with open(os.path.join(out, name + ".svg"), "w") as f:
                f.write(svg)
            manifest.write(f"{name}.svg\t{path}\t{fmt}\n")
    print(f"{len(OUTPUTS)} images written to {out}")


if __name__ == "__main__":
    main()
