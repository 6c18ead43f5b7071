#!/usr/bin/env python3
"""Draws the switcher's skin into switcher/skin/imgs/: its PNGs and the artist's source
stand-in. The results are committed; the build only packs them (switcher/skin/CMakeLists.txt).

    make_skin.py             write the images
    make_skin.py --check     exit 1 when a committed image differs from what is drawn

Geometry follows the popup's fixed layout (client pixels of the 356 x 245 window):
battery indicator at (30, 25) 110 x 160 with its text in the bottom 40 pixels, scroll-up button
(140, 6), scheme list (140, 28) four rows of 24, scroll-down button (140, 123), action list
(140, 160) three rows of 24. Rows and buttons are opaque because their controls never erase
what lies beneath; only the list overlay cells (highlight, active mark) are translucent, as they
are drawn over the row background.

Colour key: the popup is a layered window keyed on RGB(0x30, 0x30, 0x30). Outside the rounded
panel dlg.png is fully transparent and carries that colour; no opaque pixel of any image drawn
on the popup is allowed to be exactly that colour, or it would show as a hole.

Scales: every image the popup draws is drawn again at 1.25, 1.5 and 2 times (120, 144 and 192
dpi), from the same geometry multiplied out before the shapes are cut into chords, not
resampled. The 1x set is main/ with the names the program has always read; the others are
main@125/, main@150/ and main@200/ with the same file names (the percentage of the set).
A scaled length is round(length * scale), halves up, as the popup rounds its coordinates, so
that an image is exactly the size of the control that shows it; strips of frames or states
are that many whole frames wide. The preview (sample.png) and the artist's file exist once.
"""

import math
import os
import struct
import sys

sys.dont_write_bytecode = True

import raster  # noqa: E402
import shapes  # noqa: E402
from imagefile import png_bytes  # noqa: E402
from output import run  # noqa: E402
from raster import Canvas, rgba, with_alpha  # noqa: E402
from shapes import COARSE, ring  # noqa: E402
from strokefont import text_shape, text_width  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
SKIN_DIR = os.path.normpath(os.path.join(HERE, "..", "switcher", "skin", "imgs"))

# The sets: the folder of each and its scale.
SETS = (("main", 1.0), ("main@125", 1.25), ("main@150", 1.5), ("main@200", 2.0))

KEY = (0x30, 0x30, 0x30)

DLG_W, DLG_H = 356, 245
CELL_W, CELL_H = 211, 24
FRAME_W, FRAME_H = 110, 160
INDICATOR = (30, 25)
UP_BUTTON = (140, 6)
SCHEME_LIST = (140, 28)
DOWN_BUTTON = (140, 123)
ACTION_LIST = (140, 160)
PANE_X = 137          # left edge of the dark pane that holds the lists

# Palette.
BORDER = rgba("#0b0e14")
LEFT_TOP = rgba("#46526a")
LEFT_BOTTOM = rgba("#232938")
PANE = rgba("#151a24")
ROW_TOP = rgba("#222a39")
ROW_BOTTOM = rgba("#1b212d")
ACCENT = rgba("#48bdff")
ACCENT_DEEP = rgba("#1d72cf")
ACTION = rgba("#ffb347")
ACTION_DEEP = rgba("#d9731f")
MARK = rgba("#4fd98a")
MARK_DEEP = rgba("#23a85b")
TEXT = rgba("#ffffff")
TEXT_DIM = rgba("#8e9bb1")
TEXT_FAINT = rgba("#5d6a80")
WHITE = rgba("#ffffff")
BLACK = rgba("#000000")

# Charge colours of frames 0..5 and how full each one is drawn.
LEVELS = [
    (0.07, rgba("#ff4b3e"), rgba("#b3231b")),
    (0.21, rgba("#ff8d2e"), rgba("#c2520f")),
    (0.43, rgba("#ffd23d"), rgba("#c79a12")),
    (0.66, rgba("#c2e44a"), rgba("#7fa619")),
    (0.86, rgba("#5fdc6b"), rgba("#2c9c3a")),
    (1.00, rgba("#39e08e"), rgba("#15a35c")),
]


# ------------------------------------------------------------------ shared pieces


class Scale:
    """The scale of the set being drawn: every coordinate below is in 1x pixels, and the
    helpers multiply it out (a set is drawn whole at one scale, see files())."""
    k = 1.0


def S(v):
    return v * Scale.k


def px(v):
    """A length in whole pixels of the set: halves round up, as the popup rounds."""
    return int(math.floor(v * Scale.k + 0.5))


def canvas(w, h):
    return Canvas(px(w), px(h), COARSE)


def points(pts):
    return [(S(x), S(y)) for x, y in pts]


# The skin's pieces are whole shapes, drawn at COARSE detail.
def rect(x0, y0, x1, y1):
    return [shapes.rect(S(x0), S(y0), S(x1), S(y1))]


def circle(cx, cy, r):
    return [shapes.circle(S(cx), S(cy), S(r), COARSE)]


def round_rect(x0, y0, x1, y1, r):
    r = tuple(S(c) for c in r) if isinstance(r, tuple) else S(r)
    return [shapes.rrect(S(x0), S(y0), S(x1), S(y1), r, COARSE)]


def stroke(pts, width):
    return shapes.stroke(points(pts), S(width), detail=COARSE)


def strokes(lines, width):
    return shapes.strokes([points(line) for line in lines], S(width), COARSE)


def text(label, x, baseline, size, weight=1.0, tracking=0.0):
    return text_shape(label, S(x), S(baseline), S(size), S(weight), S(tracking))


def linear(p0, p1, stops):
    return raster.linear(points([p0])[0], points([p1])[0], stops)


def radial(center, radius, stops, squash=1.0):
    return raster.radial(points([center])[0], S(radius), stops, squash)


def pill(x0, y0, x1, y1, r=6.0):
    return round_rect(x0, y0, x1, y1, r)


def bevel(canvas, shape_outer, shape_inner, color, opacity=1.0):
    canvas.fill(ring(shape_outer, shape_inner), color, opacity)


def glow(canvas, shape, color, radius, opacity=1.0):
    layer = Canvas(canvas.w, canvas.h, COARSE)
    layer.fill(shape, color)
    layer.blur(px(radius))
    canvas.paste(layer, 0, 0, opacity)


def bolt_shape(cx, cy, s):
    """A lightning bolt centred on (cx, cy), s pixels tall."""
    pts = [(0.10, -0.50), (-0.30, 0.06), (-0.02, 0.06), (-0.12, 0.50), (0.30, -0.08), (0.02, -0.08)]
    return [points([(cx + x * s, cy + y * s) for x, y in pts])]


# ------------------------------------------------------------------ dialog background


def left_pane_paint():
    base = linear((0, 0), (60, DLG_H), [(0.0, LEFT_TOP), (1.0, LEFT_BOTTOM)])
    return base


def dialog_background():
    c = canvas(DLG_W, DLG_H)
    outer = round_rect(0, 0, DLG_W, DLG_H, 10)
    inner = round_rect(1, 1, DLG_W - 1, DLG_H - 1, 9)
    c.fill(outer, BORDER)
    c.fill(inner, left_pane_paint())
    # Soft light from the top left over the battery side.
    c.fill(inner, radial((40, 10), 190, [(0.0, with_alpha(WHITE, 0.10)), (1.0, with_alpha(WHITE, 0.0))], 1.3))
    # Top edge highlight.
    bevel(c, round_rect(1, 1, DLG_W - 1, DLG_H - 1, 9), round_rect(1, 2, DLG_W - 1, DLG_H - 1, 9),
          with_alpha(WHITE, 0.16))

    # The dark pane of the lists, with a bevelled seam towards the battery side.
    c.fill(round_rect(PANE_X, 1, DLG_W - 1, DLG_H - 1, (0, 9, 9, 0)), PANE)
    c.fill(rect(PANE_X - 1, 1, PANE_X, DLG_H - 1), BORDER)
    c.fill(rect(PANE_X - 2, 2, PANE_X - 1, DLG_H - 2), with_alpha(WHITE, 0.07))

    # Title: a bolt and the program's name.
    c.fill(bolt_shape(18.5, 13, 12), linear((0, 7), (0, 19), [(0.0, rgba("#9fe0ff")), (1.0, ACCENT)]))
    title = "PROFILE SWITCHER"
    c.fill(text(title, 27, 16.5, 6.6, 1.25, tracking=0.9), rgba("#d3dbe8"))

    # The well the battery stands in (the indicator's frames repeat this area).
    ix, iy = INDICATOR
    well = round_rect(ix + 4, iy + 2, ix + 106, iy + 116, 12)
    c.fill(well, with_alpha(BLACK, 0.24))
    bevel(c, round_rect(ix + 4, iy + 2, ix + 106, iy + 116, 12),
          round_rect(ix + 4, iy + 4, ix + 106, iy + 116, 12), with_alpha(BLACK, 0.35))
    bevel(c, round_rect(ix + 4, iy + 2, ix + 106, iy + 117, 12),
          round_rect(ix + 4, iy + 2, ix + 106, iy + 116, 12), with_alpha(WHITE, 0.10))

    # Grip dots: the popup is dragged by its surface.
    for i in range(3):
        c.fill(circle(75 + (i - 1) * 9, 226, 1.6), with_alpha(WHITE, 0.22))

    # Scheme section header, shown where the scroll-up button is when it is hidden.
    bx, by = UP_BUTTON
    label = "POWER SCHEMES"
    size = 5.6
    lw = text_width(label, size, 0.9)
    lx = bx + (CELL_W - lw) / 2
    c.fill(text(label, lx, by + 15, size, 1.05, tracking=0.9), TEXT_FAINT)
    for x0, x1 in ((bx + 14, lx - 8), (lx + lw + 8, bx + CELL_W - 14)):
        c.fill(rect(x0, by + 12, x1, by + 13), with_alpha(WHITE, 0.07))

    # No row slots: the lists draw the rows that show an item, and where there is none the
    # plain pane shows (an empty slot would look like a row without its text).

    # Seam between the scheme section and the actions.
    sy = (DOWN_BUTTON[1] + CELL_H + ACTION_LIST[1]) // 2
    c.fill(rect(PANE_X + 12, sy - 1, DLG_W - 12, sy), with_alpha(BLACK, 0.55))
    c.fill(rect(PANE_X + 12, sy, DLG_W - 12, sy + 1), with_alpha(WHITE, 0.05))

    c.keep_inside(outer)
    return c


# ------------------------------------------------------------------ battery frames


BODY = (33, 22, 77, 108)     # battery shell in frame pixels
CAP = (45, 15, 65, 23)


def battery_shell(c, bright=1.0):
    x0, y0, x1, y1 = BODY
    shell = round_rect(x0, y0, x1, y1, 9)
    hollow = round_rect(x0 + 3, y0 + 3, x1 - 3, y1 - 3, 6.5)
    metal = linear((x0, 0), (x1, 0), [(0.0, rgba("#8b96a8")), (0.3, rgba("#eef2f7")),
                                      (0.55, rgba("#c6cedb")), (1.0, rgba("#7a8597"))])
    cx0, cy0, cx1, cy1 = CAP
    c.fill(round_rect(cx0, cy0, cx1, cy1 + 3, (2.5, 2.5, 0, 0)), metal, bright)
    c.fill(ring(shell, hollow), metal, bright)
    c.fill(hollow, linear((0, y0), (0, y1), [(0.0, rgba("#0a0d13")), (1.0, rgba("#121722"))]))


def battery_gloss(c):
    x0, y0, x1, y1 = BODY
    hollow = round_rect(x0 + 3, y0 + 3, x1 - 3, y1 - 3, 6.5)
    gloss = Canvas(c.w, c.h, COARSE)
    gloss.fill(round_rect(x0 + 6, y0 + 6, x0 + 13, y1 - 6, 3.5),
               linear((0, y0), (0, y1), [(0.0, with_alpha(WHITE, 0.34)), (1.0, with_alpha(WHITE, 0.06))]))
    gloss.keep_inside(hollow)
    c.paste(gloss)


def charge(c, fraction, light, deep):
    x0, y0, x1, y1 = BODY
    inner = round_rect(x0 + 5, y0 + 5, x1 - 5, y1 - 5, 4.5)
    top = y0 + 5
    bottom = y1 - 5
    level = bottom - (bottom - top) * fraction
    layer = Canvas(c.w, c.h, COARSE)
    layer.fill(rect(x0, level, x1, y1),
               linear((x0 + 5, 0), (x1 - 5, 0), [(0.0, deep), (0.38, light), (0.62, light), (1.0, deep)]))
    # Surface of the charge, a little brighter.
    layer.fill(rect(x0, level, x1, level + 1.5), with_alpha(WHITE, 0.35))
    # Cell seams.
    for k in range(1, 5):
        sy = bottom - (bottom - top) * k / 5
        if sy > level + 2:
            layer.fill(rect(x0, sy - 0.6, x1, sy + 0.6), with_alpha(BLACK, 0.28))
    layer.keep_inside(inner)
    c.paste(layer)


def battery_frame(backdrop, n):
    c = backdrop.copy()
    x0, y0, x1, y1 = BODY
    body = round_rect(x0, y0, x1, y1, 9)
    if n <= 5:
        fraction, light, deep = LEVELS[n]
        glow(c, body, light, 9, 0.28)
        battery_shell(c)
        charge(c, fraction, light, deep)
        if n == 0:
            mark = strokes([[(55, 48), (55, 68)]], 4.2) + circle(55, 78, 2.4)
            glow(c, mark, light, 4, 0.6)
            c.fill(mark, light)
    elif n == 6:
        glow(c, body, ACCENT, 10, 0.35)
        battery_shell(c)
        inner = round_rect(x0 + 5, y0 + 5, x1 - 5, y1 - 5, 4.5)
        c.fill(inner, radial((55, 65), 40, [(0.0, with_alpha(ACCENT, 0.45)), (1.0, with_alpha(ACCENT_DEEP, 0.15))]))
        bolt = bolt_shape(56, 65, 50)
        glow(c, bolt, rgba("#ffe27a"), 4, 0.8)
        c.fill(bolt, linear((0, 40), (0, 90), [(0.0, rgba("#fff3b0")), (1.0, rgba("#ffc21a"))]))
    else:
        battery_shell(c, 0.55)
        for i, a in enumerate((1.0, 0.65, 0.35)):
            c.fill(circle(45 + i * 10, 65, 3.0), with_alpha(ACCENT, a))
    battery_gloss(c)
    return c


def battery_strip(dialog):
    ix, iy = INDICATOR
    backdrop = dialog.crop(px(ix), px(iy), px(FRAME_W), px(FRAME_H))
    strip = Canvas(px(FRAME_W) * 8, px(FRAME_H), COARSE)
    frames = [battery_frame(backdrop, n) for n in range(8)]
    for n, f in enumerate(frames):
        strip.paste(f, n * px(FRAME_W), 0)
    return strip, frames


# ------------------------------------------------------------------ list rows and buttons


def row_cell(kind, state):
    """One 211 x 24 cell: 0 row, 1 highlight overlay, 2 active-mark overlay, 3 unused."""
    c = canvas(CELL_W, CELL_H)
    slot = pill(2.5, 2.5, CELL_W - 2.5, CELL_H - 2.5)
    slot_in = pill(3.5, 3.5, CELL_W - 3.5, CELL_H - 3.5, 5)
    accent, deep = (ACCENT, ACCENT_DEEP) if kind == "scheme" else (ACTION, ACTION_DEEP)
    if state in (0, 3):
        dim = 0.55 if state == 3 else 1.0
        c.fill(rect(0, 0, CELL_W, CELL_H), PANE)
        c.fill(slot, linear((0, 2), (0, 22), [(0.0, ROW_TOP), (1.0, ROW_BOTTOM)]), dim)
        bevel(c, slot, pill(2.5, 3.5, CELL_W - 2.5, CELL_H - 2.5), with_alpha(WHITE, 0.07 * dim))
        if kind == "scheme":
            c.fill(ring(circle(26, 12, 5.6), circle(26, 12, 4.4)), with_alpha(WHITE, 0.24 * dim))
        else:
            c.fill(stroke([(24, 8), (28, 12), (24, 16)], 1.6), with_alpha(WHITE, 0.32 * dim))
    elif state == 1:
        c.fill(slot, linear((0, 2), (0, 22), [(0.0, with_alpha(accent, 0.50)), (1.0, with_alpha(deep, 0.42))]))
        bevel(c, slot, slot_in, with_alpha(accent, 0.95))
        c.fill(pill(4, 4, CELL_W - 4, 11, (4.5, 4.5, 0, 0)), with_alpha(WHITE, 0.10))
    else:
        c.fill(circle(26, 12, 8.5), with_alpha(MARK, 0.22))
        c.fill(circle(26, 12, 6.6), linear((0, 6), (0, 18), [(0.0, MARK), (1.0, MARK_DEEP)]))
        c.fill(stroke([(22.6, 12.3), (25.1, 14.8), (29.5, 9.6)], 1.9), WHITE)
        c.fill(pill(2.5, 5, 5.0, CELL_H - 5, 1.2), MARK)
    return c


def cell_strip(cell, kind):
    """The four states of a list row or button, side by side as the control reads them."""
    strip = Canvas(px(CELL_W) * 4, px(CELL_H), COARSE)
    for state in range(4):
        strip.paste(cell(kind, state), state * px(CELL_W), 0)
    return strip


def chevron(direction, cx, cy):
    d = -1 if direction == "up" else 1
    return [(cx - 6.5, cy - 3 * d), (cx, cy + 3 * d), (cx + 6.5, cy - 3 * d)]


def button_cell(direction, state):
    """One 211 x 24 state: 0 normal, 1 hover, 2 pressed, 3 unused (drawn as disabled)."""
    c = canvas(CELL_W, CELL_H)
    c.fill(rect(0, 0, CELL_W, CELL_H), PANE)
    slot = pill(2.5, 2.5, CELL_W - 2.5, CELL_H - 2.5)
    slot_in = pill(3.5, 3.5, CELL_W - 3.5, CELL_H - 3.5, 5)
    cx, cy = CELL_W / 2, 12.0
    if state == 0:
        c.fill(slot, linear((0, 2), (0, 22), [(0.0, rgba("#252e3e")), (1.0, rgba("#1c2330"))]))
        bevel(c, slot, pill(2.5, 3.5, CELL_W - 2.5, CELL_H - 2.5), with_alpha(WHITE, 0.08))
        arrow = rgba("#a9b8cd")
    elif state == 1:
        c.fill(slot, linear((0, 2), (0, 22), [(0.0, rgba("#2b3a52")), (1.0, rgba("#212c3e"))]))
        bevel(c, slot, slot_in, with_alpha(ACCENT, 0.75))
        glow(c, stroke(chevron(direction, cx, cy), 2.4), ACCENT, 3, 0.9)
        arrow = rgba("#7fd2ff")
    elif state == 2:
        c.fill(slot, linear((0, 2), (0, 22), [(0.0, rgba("#0e121a")), (1.0, rgba("#171d28"))]))
        bevel(c, slot, pill(2.5, 4.5, CELL_W - 2.5, CELL_H - 2.5), with_alpha(BLACK, 0.6))
        bevel(c, slot, slot_in, with_alpha(ACCENT, 0.45))
        cy += 1
        arrow = ACCENT
    else:
        c.fill(slot, rgba("#1a1f29"))
        arrow = rgba("#465063")
    # Faint rails either side of the arrow.
    for x0, x1 in ((18, cx - 18), (cx + 18, CELL_W - 18)):
        c.fill(rect(x0, cy - 0.5, x1, cy + 0.5), with_alpha(WHITE, 0.05 if state != 3 else 0.02))
    c.fill(stroke(chevron(direction, cx, cy), 2.3), arrow)
    return c


# ------------------------------------------------------------------ preview


def list_text(c, text, x, y, width):
    # The program shows names longer than 20 characters as 17 and an ellipsis.
    if len(text) > 20:
        text = text[:17] + "..."
    shape = text_shape(text, x + 50, y + 15.5, 8.4, 1.15)  # the preview is drawn at 1x only
    c.fill(shape, TEXT)


def sample(dialog, frames):
    c = dialog.copy()
    ix, iy = INDICATOR
    c.paste(frames[3], ix, iy)
    label = "62%"
    w = text_width(label, 7.6)
    c.fill(text_shape(label, ix + (FRAME_W - w) / 2, iy + 120 + 12, 7.6, 1.1), TEXT)

    schemes = ["Balanced", "Power saver", "High performance", "Presentation", "Quiet office"]
    sx, sy = SCHEME_LIST
    for r in range(4):
        y = sy + 24 * r
        c.paste(row_cell("scheme", 0), sx, y)
        if r == 1:
            c.paste(row_cell("scheme", 1), sx, y)
        if r == 0:
            c.paste(row_cell("scheme", 2), sx, y)
        list_text(c, schemes[r], sx, y, 120)
    c.paste(button_cell("down", 0), *DOWN_BUTTON)

    ax, ay = ACTION_LIST
    for r, name in enumerate(["Sleep", "Restart", "Shut Down", None]):
        y = ay + 24 * r
        c.paste(row_cell("action", 0), ax, y)
        if name:
            list_text(c, name, ax, y, 130)
    c.keep_inside(round_rect(0, 0, DLG_W, DLG_H, 10))
    return c


# ------------------------------------------------------------------ the artist's source


def xcf_stub(width, height):
    """An XCF header for an empty RGB canvas: the artist's working file travels with the
    skin but is never read by the program."""
    out = bytearray(b"gimp xcf file\0")
    out += struct.pack(">III", width, height, 0)     # RGB image
    out += struct.pack(">II", 17, 1) + b"\x01"       # compression: RLE
    out += struct.pack(">II", 0, 0)                  # end of image properties
    out += struct.pack(">I", 0)                      # no layers
    out += struct.pack(">I", 0)                      # no channels
    return bytes(out)


# ------------------------------------------------------------------ output


def png(canvas, size):
    """The canvas as a PNG for the keyed popup: clear pixels carry the key colour, and an
    opaque pixel that would come out exactly as the key is nudged one step in blue."""
    assert (canvas.w, canvas.h) == size, size
    pixels = []
    for r, g, b, a in canvas.rgba8():
        if a == 0:
            r, g, b = KEY
        elif a == 255 and (r, g, b) == KEY:
            b += 1
        pixels.append((r, g, b, a))
    return png_bytes(canvas.w, canvas.h, pixels, adaptive=True)


def scaled_set(folder, k):
    """The images the popup draws, at one scale, in the set's folder."""
    Scale.k = k
    try:
        dialog = dialog_background()
        strip, frames = battery_strip(dialog)
        # The dialog alone shows the start-up picture where the indicator sits.
        dialog_with_battery = dialog.copy()
        dialog_with_battery.paste(frames[7], px(INDICATOR[0]), px(INDICATOR[1]))
        cell = (px(CELL_W) * 4, px(CELL_H))
        out = [("dlg.png", png(dialog_with_battery, (px(DLG_W), px(DLG_H)))),
               ("bt.png", png(strip, (px(FRAME_W) * 8, px(FRAME_H)))),
               ("slist.png", png(cell_strip(row_cell, "scheme"), cell)),
               ("plist.png", png(cell_strip(row_cell, "action"), cell)),
               ("btnup.png", png(cell_strip(button_cell, "up"), cell)),
               ("btndown.png", png(cell_strip(button_cell, "down"), cell))]
        if k == 1.0:
            out.append(("sample.png", png(sample(dialog, frames), (356, 245))))
            out.append(("btxx.xcf", xcf_stub(880, 160)))
        return [(os.path.join(folder, name), data) for name, data in out]
    finally:
        Scale.k = 1.0


def files(_args):
    for folder, k in SETS:
        yield from scaled_set(folder, k)


def main(argv=None):
    return run(argv, __doc__.splitlines()[0], SKIN_DIR, files, "make_skin.py")


if __name__ == "__main__":
    sys.exit(main())
