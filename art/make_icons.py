#!/usr/bin/env python3
"""Draws the icons of the library, the tray and the applet into art/icons/ (.ico files of 16, 20,
24, 32, 40, 48, 64 and 256 pixels, 32-bit with alpha; the 256 image PNG-compressed).

    make_icons.py                 write the icons
    make_icons.py --check         exit 1 when a committed icon differs from what is drawn
    make_icons.py --preview FILE  also write a PNG sheet: each icon enlarged over a
                                  checkerboard and at its real size on light and dark panels

Every icon is the suite's battery (battery.py) with an emblem: a bolt across it for the
library's own icon, a badge in the lower right corner for the modes and the tray; the applet's
slider grid has battery columns and setting signs.
"""

import math
import os
import sys

sys.dont_write_bytecode = True

# LAYOUT is read through this module by test_art.py, with the drawings.
from battery import (BOLT, LAYOUT, METAL, RIM, SIZES, badged, battery,  # noqa: E402,F401
                     charged_with_bolt, detail_rim, draw_emblem, emblem_frame, small, vertical)
from output import run_icons  # noqa: E402
from raster import Canvas, conic, linear, radial, solid  # noqa: E402
from shapes import (arc_points, circle, outline, place, polygon, quad_bezier, rect,  # noqa: E402
                    rrect, stroke)

HERE = os.path.dirname(os.path.abspath(__file__))
ICON_DIR = os.path.join(HERE, "icons")

# ---------------------------------------------------------------- emblems (unit coordinates)

ARROW = [(0.0, -1.0), (0.92, -0.02), (0.38, -0.02), (0.38, 0.96), (-0.38, 0.96),
         (-0.38, -0.02), (-0.92, -0.02)]


def emblem_plug(cv):
    cx, cy, s, rim = emblem_frame(cv.n)
    if cv.n == 16:
        # Hand-placed so the prongs are whole pixels.
        prongs = [rect(9, 7, 10, 9.5), rect(13, 7, 14, 9.5)]
        body = [rrect(8, 9, 15, 13, 1.2), rect(10.5, 12.5, 12.5, 16)]
    else:
        prongs = place([rrect(-0.52, -1.0, -0.22, -0.30, 0.08),
                        rrect(0.22, -1.0, 0.52, -0.30, 0.08)], cx, cy, s)
        body = place([rrect(-0.78, -0.40, 0.78, 0.34, 0.28),
                      polygon([(-0.46, 0.30), (0.46, 0.30), (0.22, 0.66), (-0.22, 0.66)]),
                      rect(-0.14, 0.6, 0.14, 1.3)], cx, cy, s)
    cv.fill(outline(prongs + body, rim * 2), solid(RIM))
    cv.fill(prongs, vertical(cy, s, METAL))
    cv.fill(body, linear((cx - s, 0), (cx + s, 0), [(0.0, "#ffffff"), (1.0, "#b9c5d1")]))
    if not small(cv.n):
        # Grip ridges on the plug body.
        for dx in (-0.4, 0.0, 0.4):
            cv.fill(place([rect(dx - 0.05, -0.18, dx + 0.05, 0.18)], cx, cy, s),
                    solid("#8795a3"))


def emblem_leaf(cv):
    cx, cy, s, rim = emblem_frame(cv.n)
    base, tip = (-0.78, 0.78), (0.86, -0.86)
    # Control points off the axis, a little towards the tip, for an organic outline; the
    # 16-pixel leaf is fuller so that it stays a leaf and not a line.
    w = 0.82 if small(cv.n) else 0.7
    side_a = quad_bezier(base, (0.25 + w, -0.15 + w), tip, 24)
    side_b = quad_bezier(tip, (0.15 - w, -0.25 - w), base, 24)
    leaf = place([polygon(side_a[:-1] + side_b[:-1])], cx, cy, s)
    stem = place(stroke([(-0.98, 0.98), (-0.55, 0.55)], 0.16), cx, cy, s)
    cv.fill(outline(leaf, rim * 2), solid(RIM))
    cv.fill(outline(stem, rim * 2), solid(RIM))
    cv.fill(stem, solid("#2f8a2f"))
    cv.fill(leaf, linear((cx - s, cy + s), (cx + s, cy - s),
                         [(0.0, "#1f8a37"), (0.55, "#5ccf45"), (1.0, "#c4f58a")]))
    if small(cv.n):
        return
    vein = stroke([(cx + s * x, cy + s * y) for x, y in quad_bezier((-0.6, 0.6), (0.02, 0.02),
                                                                    (0.62, -0.62), 8)],
                  0.11 * s)
    cv.fill(vein, solid("#f0ffe0"), clip=cv.mask(leaf), opacity=0.85)


def emblem_arrow(cv):
    cx, cy, s, rim = emblem_frame(cv.n)
    shape = place([polygon(ARROW)], cx, cy, s)
    draw_emblem(cv, shape, vertical(cy, s, [(0.0, "#ff9b7a"), (0.5, "#f04a2a"),
                                            (1.0, "#b51c14")]), rim)


def emblem_disc(cv):
    cx, cy, s, rim = emblem_frame(cv.n)
    disc = [circle(cx, cy, s)]
    cv.fill([circle(cx, cy, s + rim)], solid(RIM))
    cv.fill(disc, radial((cx - s * 0.3, cy - s * 0.3), s * 1.5,
                         [(0.0, "#ffffff"), (1.0, "#aab5c0")]))
    # A faint rainbow sheen across the data area.
    sheen = conic((cx, cy), [(0.0, "#ff7ad9"), (0.17, "#7ab8ff"), (0.34, "#7affc6"),
                             (0.5, "#fff07a"), (0.67, "#ff7ad9"), (0.84, "#7ab8ff"),
                             (1.0, "#ff7ad9")], start=-math.pi / 4)
    cv.fill(disc, sheen, opacity=0.45)
    cv.fill([circle(cx, cy, s * 0.42)], solid("#e9eef3"))
    cv.fill(outline([circle(cx, cy, s * 0.42)], max(rim * 0.5, 0.6)), solid("#7d8a97"),
            opacity=0.8)
    hole = [circle(cx, cy, max(s * 0.17, 0.9))]
    cv.fill(outline(hole, rim), solid(RIM))
    cv.erase(hole)
    if cv.n > 32:
        # A play mark on the disc.
        tri = place([polygon([(-0.28, -0.33), (0.34, 0.0), (-0.28, 0.33)])], cx + s * 0.56,
                    cy + s * 0.56, s * 0.8)
        cv.fill(outline(tri, rim * 1.5), solid(RIM))
        cv.fill(tri, vertical(cy + s * 0.56, s * 0.27, [(0.0, "#ffdc8a"), (1.0, "#f08a1c")]))


def emblem_power(cv):
    """The standby/power symbol on a round blue badge."""
    cx, cy, s, rim = emblem_frame(cv.n)
    cv.fill([circle(cx, cy, s + rim)], solid(RIM))
    cv.fill([circle(cx, cy, s)], vertical(cy, s, [(0.0, "#7cc6ff"), (1.0, "#1b5fc0")]))
    if small(cv.n):
        # One-pixel lines centred on pixel centres.
        r = {16: 3.0, 20: 3.5, 24: 4.0}[cv.n]
        w, gap, top, foot, ry = 1.0, 0.62, cy - r - 0.5, cy, cy
    else:
        w, r, gap, top, foot, ry = s * 0.18, s * 0.52, 0.7, cy - s * 0.7, cy - s * 0.05, cy
    ring = arc_points(cx, ry, r, r, -math.pi / 2 + gap, 3 * math.pi / 2 - gap)
    cv.fill(stroke(ring, w) + stroke([(cx, top), (cx, foot)], w), solid("#ffffff"))


def emblem_gauge(cv):
    """A dial with its needle upright: the middle of the range."""
    cx, cy, s, rim = emblem_frame(cv.n)
    cv.fill([circle(cx, cy, s + rim)], solid(RIM))
    cv.fill([circle(cx, cy, s)], radial((cx - s * 0.3, cy - s * 0.4), s * 1.6,
                                        [(0.0, "#ffffff"), (1.0, "#b8c4cf")]))
    pivot = (cx, cy + s * 0.22)
    band = 1.2 if cv.n == 16 else s * 0.26
    radius = 2.8 if cv.n == 16 else s * 0.6
    # Green, yellow and red thirds of the scale, from the left round to the right.
    for colour, a0, a1 in (("#2fb84a", 1.10, 1.38), ("#f7c531", 1.38, 1.62),
                           ("#e8402a", 1.62, 1.90)):
        cv.fill(stroke(arc_points(pivot[0], pivot[1], radius, radius, math.pi * a0,
                                  math.pi * a1), band, caps=False), solid(colour))
    w = 1.0 if cv.n == 16 else s * 0.14
    tip = (cx, pivot[1] - (3.2 if cv.n == 16 else s * 0.72))
    cv.fill(stroke([pivot, tip], w), solid(RIM))
    cv.fill([circle(pivot[0], pivot[1], 1.0 if cv.n == 16 else s * 0.17)], solid(RIM))


def emblem_lock(cv):
    cx, cy, s, rim = emblem_frame(cv.n)
    if cv.n == 16:
        # Pixel-placed: a bright one-pixel shackle round a dark hole, a gold body with a
        # one-pixel keyhole.
        cv.fill([rrect(9, 7, 16, 12, 1.2)], solid(RIM))
        cv.fill([rect(10, 8, 15, 9), rect(10, 8, 11, 11), rect(14, 8, 15, 11)],
                solid("#eef2f6"))
        cv.fill([rrect(9, 11, 16, 16, 0.8)], solid(RIM))
        cv.fill([rect(10, 12, 15, 15)], vertical(13.5, 1.5, [(0.0, "#ffe383"),
                                                           (1.0, "#e09b16")]))
        cv.fill([rect(12, 13, 13, 14)], solid("#6b4a10"))
        return
    sw = s * 0.2
    shackle = stroke(arc_points(cx, cy - s * 0.28, s * 0.42, s * 0.5, math.pi, 2 * math.pi),
                     sw, caps=False)
    shackle += [rect(cx - s * 0.42 - sw / 2, cy - s * 0.3, cx - s * 0.42 + sw / 2, cy),
                rect(cx + s * 0.42 - sw / 2, cy - s * 0.3, cx + s * 0.42 + sw / 2, cy)]
    body = [rrect(cx - s * 0.78, cy - s * 0.12, cx + s * 0.78, cy + s, s * 0.2)]
    cv.fill(outline(shackle + body, rim * 2), solid(RIM))
    cv.fill(shackle, vertical(cy - s * 0.5, s * 0.5, METAL))
    cv.fill(body, vertical(cy + s * 0.45, s * 0.55, [(0.0, "#ffe79a"), (0.5, "#f6bd2c"),
                                                     (1.0, "#c98612")]))
    cv.fill([circle(cx, cy + s * 0.34, s * 0.14),
             rect(cx - s * 0.06, cy + s * 0.34, cx + s * 0.06, cy + s * 0.7)],
            solid("#6b4a10"))


def charge_bolt(cv, box):
    """A white bolt across the charge (32 pixels and up; smaller it would be mush)."""
    if small(cv.n):
        return
    ix0, iy0, ix1, iy1 = box
    h = (iy1 - iy0) / 2.0
    shape = place([polygon(BOLT)], (ix0 + ix1) / 2.0 - h * 0.55, (iy0 + iy1) / 2.0, h * 0.8)
    cv.fill(shape, solid("#ffffff"), opacity=0.9)


# ---------------------------------------------------------------- the applet's grid icons


def band(level, charge):
    """A battery column of the slider grid: the charge of its band; grey while not in effect."""
    def draw(n):
        cv = Canvas(n)
        battery(cv, level, charge)
        return cv
    return draw


def plug(cv, cx, cy, s, lit):
    """A mains plug with its cable, upright, filling a box of half side s around (cx, cy)."""
    rim = max(1.0, s / 12.0)
    prongs = place([rrect(-0.42, -1.0, -0.18, -0.45, 0.06),
                    rrect(0.18, -1.0, 0.42, -0.45, 0.06)], cx, cy, s)
    body = place([rrect(-0.66, -0.52, 0.66, 0.22, 0.22),
                  polygon([(-0.42, 0.2), (0.42, 0.2), (0.2, 0.56), (-0.2, 0.56)]),
                  rect(-0.12, 0.5, 0.12, 1.0)], cx, cy, s)
    cv.fill(outline(prongs + body, rim * 2), solid(RIM))
    cv.fill(prongs, vertical(cy - s * 0.7, s * 0.3, METAL))
    shell = [(0.0, "#ffe27a"), (0.5, "#f5b82a"), (1.0, "#c98612")] if lit else \
        [(0.0, "#f2f4f6"), (1.0, "#a9b3bd")]
    cv.fill(body, linear((cx - s, 0), (cx + s, 0), shell))
    if not small(cv.n):
        for dx in (-0.33, 0.0, 0.33):
            cv.fill(place([rect(dx - 0.05, -0.36, dx + 0.05, 0.06)], cx, cy, s),
                    solid("#8a5a10" if lit else "#7f8b97"))


def mains(lit):
    def draw(n):
        cv = Canvas(n)
        plug(cv, n / 2.0, n / 2.0, n * 0.46, lit)
        return cv
    return draw


def sign_processor(cv, cx, cy, s, rim):
    pins = []
    for i in (-0.5, 0.0, 0.5):
        pins += [rect(cx + s * (i - 0.1), cy - s, cx + s * (i + 0.1), cy + s),
                 rect(cx - s, cy + s * (i - 0.1), cx + s, cy + s * (i + 0.1))]
    cv.fill(pins, solid("#9aa5b0"))
    chip = [rrect(cx - s * 0.74, cy - s * 0.74, cx + s * 0.74, cy + s * 0.74, s * 0.12)]
    cv.fill(outline(chip, rim * 2), solid(RIM))
    cv.fill(chip, vertical(cy, s * 0.74, [(0.0, "#5a6875"), (1.0, "#27313b")]))
    core = [rect(cx - s * 0.36, cy - s * 0.36, cx + s * 0.36, cy + s * 0.36)]
    cv.fill(core, vertical(cy, s * 0.36, [(0.0, "#ffe79a"), (1.0, "#d9971a")]))


def sign_brightness(cv, cx, cy, s, rim):
    rays = []
    for k in range(8):
        a = k * math.pi / 4
        rays += stroke([(cx + math.cos(a) * s * 0.62, cy + math.sin(a) * s * 0.62),
                        (cx + math.cos(a) * s * 1.0, cy + math.sin(a) * s * 1.0)],
                       max(1.0, s * 0.24))
    cv.fill(outline(rays, rim * 1.2), solid(RIM))
    cv.fill(rays, solid("#f7b21f"))
    disc = [circle(cx, cy, s * 0.56)]
    cv.fill([circle(cx, cy, s * 0.56 + rim)], solid(RIM))
    cv.fill(disc, radial((cx - s * 0.15, cy - s * 0.15), s * 0.7,
                         [(0.0, "#fff6b0"), (1.0, "#f5a614")]))


def sign_monitor(cv, cx, cy, s, rim):
    frame = [rrect(cx - s, cy - s * 0.78, cx + s, cy + s * 0.5, s * 0.1)]
    cv.fill(frame, solid(RIM))
    cv.fill([rect(cx - s + rim * 1.6, cy - s * 0.78 + rim * 1.6, cx + s - rim * 1.6,
                  cy + s * 0.5 - rim * 1.6)],
            linear((cx - s, cy - s), (cx + s, cy + s), [(0.0, "#9ed6ff"), (1.0, "#1f5fc4")]))
    stand = [polygon([(cx - s * 0.16, cy + s * 0.5), (cx + s * 0.16, cy + s * 0.5),
                      (cx + s * 0.24, cy + s * 0.8), (cx - s * 0.24, cy + s * 0.8)]),
             rrect(cx - s * 0.56, cy + s * 0.78, cx + s * 0.56, cy + s, s * 0.08)]
    cv.fill(stand, solid("#56626e"))


def sign_disk(cv, cx, cy, s, rim):
    box = [rrect(cx - s, cy - s * 0.55, cx + s, cy + s * 0.55, s * 0.18)]
    cv.fill(outline(box, rim * 2), solid(RIM))
    cv.fill(box, vertical(cy, s * 0.55, [(0.0, "#f3f5f7"), (1.0, "#9aa5b0")]))
    cv.fill([rect(cx - s * 0.8, cy + s * 0.08, cx + s * 0.3, cy + s * 0.2)], solid("#56626e"))
    cv.fill([circle(cx + s * 0.62, cy + s * 0.14, max(0.8, s * 0.13))], solid("#2fd04a"))


def sign_standby(cv, cx, cy, s, rim):
    """A crescent moon: a disc with a bite taken out, rimmed on both edges."""
    R, bx, by, r = s * 1.0, cx + s * 0.6, cy - s * 0.42, s * 0.62
    whole = [circle(cx, cy, R + rim)]
    cv.fill(whole, solid(RIM))
    cv.fill([circle(cx, cy, R)], linear((cx - s, cy - s), (cx + s, cy + s),
                                        [(0.0, "#fff1a0"), (1.0, "#e0a11a")]))
    cv.fill([circle(bx, by, r + rim)], solid(RIM), clip=cv.mask(whole))
    cv.erase([circle(bx, by, r)])


def sign_hibernate(cv, cx, cy, s, rim):
    """A snowflake on a round ice-blue badge."""
    cv.fill([circle(cx, cy, s + rim)], solid(RIM))
    cv.fill([circle(cx, cy, s)], vertical(cy, s, [(0.0, "#9fdcff"), (1.0, "#1f6fc4")]))
    w = max(1.0, s * 0.13)
    arms = []
    for k in range(3):
        a = k * math.pi / 3 + math.pi / 2
        dx, dy = math.cos(a) * s * 0.72, math.sin(a) * s * 0.72
        arms += stroke([(cx - dx, cy - dy), (cx + dx, cy + dy)], w)
        if not small(cv.n):
            for sign in (-1, 1):
                px, py = cx + sign * dx * 0.6, cy + sign * dy * 0.6
                for b in (0.6, -0.6):
                    ex = math.cos(a + b) * s * 0.26 * sign
                    ey = math.sin(a + b) * s * 0.26 * sign
                    arms += stroke([(px, py), (px + ex, py + ey)], w * 0.8)
    cv.fill(arms, solid("#ffffff"))


def row(sign, ac):
    """A row of the slider grid: its setting's sign, with a plug badge for AC modes."""
    def draw(n):
        cv = Canvas(n)
        rim = detail_rim(n)
        if ac:
            sign(cv, n * 0.42, n * 0.42, n * 0.36, rim)
            cx, cy, half, _ = emblem_frame(n)
            cv.fill([circle(cx, cy, half + rim)], solid(RIM))
            cv.fill([circle(cx, cy, half)], solid("#ffffff"))
            plug(cv, cx, cy, half * 0.82, True)
        else:
            sign(cv, n / 2.0, n / 2.0, n * 0.44, rim)
        return cv
    return draw


# File name -> drawing. The icon library takes the first six in this order.
ICONS = [
    ("power.ico", charged_with_bolt("green")),     # the library's own icon
    ("full_power.ico", badged(1.0, "bright", emblem_plug, charge_bolt)),
    ("long_life.ico", badged(1.0, "teal", emblem_leaf)),
    ("normal.ico", badged(0.5, "blue", emblem_gauge)),
    ("high_power.ico", badged(1.0, "orange", emblem_arrow)),
    ("dvd_playback.ico", badged(0.75, "purple", emblem_disc)),
    ("tray.ico", badged(0.75, "steel", emblem_power)),
    ("tray_read_only.ico", badged(0.75, "grey", emblem_lock)),
    ("band_full.ico", band(1.0, "green")),
    ("band_high.ico", band(0.75, "green")),
    ("band_middle.ico", band(0.5, "orange")),
    ("band_low.ico", band(0.25, "red")),
    ("band_full_idle.ico", band(1.0, "pale")),
    ("band_high_idle.ico", band(0.75, "pale")),
    ("band_middle_idle.ico", band(0.5, "pale")),
    ("band_low_idle.ico", band(0.25, "pale")),
    ("mains.ico", mains(True)),
    ("mains_idle.ico", mains(False)),
] + [("row_%s%s.ico" % (name, "_ac" if ac else ""), row(sign, ac))
     for ac in (False, True)
     for name, sign in (("processor", sign_processor), ("brightness", sign_brightness),
                        ("monitor", sign_monitor), ("disk", sign_disk),
                        ("standby", sign_standby), ("hibernate", sign_hibernate))]


def main(argv=None):
    return run_icons(argv, __doc__.splitlines()[0], ICON_DIR, ICONS, SIZES, "make_icons.py")


if __name__ == "__main__":
    sys.exit(main())
