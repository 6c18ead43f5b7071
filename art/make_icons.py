#!/usr/bin/env python3
"""Draws the suite's icons and writes them as .ico files (48, 32 and 16 pixels, 32-bit with
alpha) into art/icons/.

    make_icons.py                 write the icons
    make_icons.py --check         exit 1 when a committed icon differs from what is drawn
    make_icons.py --preview FILE  also write a PNG sheet: each icon enlarged over a
                                  checkerboard and at its real size on light and dark panels

Every icon is one battery drawn the same way (a dark rim, a pale case, a coloured charge whose
length and colour tell the mode) with an emblem: a bolt across it for the library's own icon,
a badge in the lower right corner for the modes and the tray. The battery is laid out by hand
per size so that its rim falls on whole pixels; emblems are drawn in unit coordinates and
scaled, with hand-placed variants where 16 pixels need them.
"""

import argparse
import functools
import math
import os
import sys

sys.dont_write_bytecode = True

from icofile import ico_bytes, png_bytes
from raster import (Canvas, arc_points, circle, conic, linear, outline, place, polygon,
                    quad_bezier, radial, rect, rrect, solid, stroke)

SIZES = (48, 32, 16)
HERE = os.path.dirname(os.path.abspath(__file__))
ICON_DIR = os.path.join(HERE, "icons")

RIM = "#1d2935"          # every outline
CASE = [(0.0, "#ffffff"), (1.0, "#c5d0db")]
METAL = [(0.0, "#fbfcfd"), (1.0, "#97a4b1")]

CHARGE = {
    "green": [(0.0, "#a8f07a"), (0.45, "#4fcf4a"), (1.0, "#1f9a35")],
    "bright": [(0.0, "#e4ff8a"), (0.45, "#8ee43c"), (1.0, "#33b02c")],
    "teal": [(0.0, "#8af0d6"), (0.45, "#2fc9a0"), (1.0, "#0f8f73")],
    "blue": [(0.0, "#9ed6ff"), (0.45, "#4a9cf0"), (1.0, "#1f5fc4")],
    "orange": [(0.0, "#ffe08a"), (0.45, "#ffa634"), (1.0, "#e0651a")],
    "purple": [(0.0, "#dcc2ff"), (0.45, "#a77bf0"), (1.0, "#6b3fc7")],
    "steel": [(0.0, "#c2e2ff"), (0.45, "#6fa9e6"), (1.0, "#2f6bb8")],
    "grey": [(0.0, "#e6eaee"), (0.45, "#b5bec7"), (1.0, "#7f8b97")],
}

# Battery body and terminal (x0, y0, x1, y1) in pixels, corner radius, rim width, and the
# emblem's square (centre x, centre y, half side including its rim).
LAYOUT = {
    16: dict(body=(0, 2, 13, 11), radius=1.6, rim=1.0, nub=(13, 4, 15, 9), nub_radius=0.6,
             emblem=(11.5, 11.5, 4.5)),
    32: dict(body=(1, 5, 26, 22), radius=3.0, rim=1.0, nub=(26, 10, 29, 17), nub_radius=1.0,
             emblem=(23.0, 23.0, 9.0)),
    48: dict(body=(2, 8, 39, 33), radius=4.5, rim=2.0, nub=(39, 15, 44, 26), nub_radius=1.5,
             emblem=(34.5, 34.5, 13.5)),
}


# ---------------------------------------------------------------- the battery


def battery(cv, level, charge, symbol=None):
    """The common battery; `level` 0..1 is the charge length, `symbol` draws into the
    charge area (given the canvas and the inner box)."""
    n = cv.n
    L = LAYOUT[n]
    x0, y0, x1, y1 = L["body"]
    rim, r = L["rim"], L["radius"]
    nx0, ny0, nx1, ny1 = L["nub"]
    # The terminal sits under the body so that the body's rim runs across its root.
    cv.fill([rrect(nx0 - r, ny0, nx1, ny1, L["nub_radius"])], solid(RIM))
    if n > 16:
        cv.fill([rect(nx0, ny0 + rim, nx1 - rim, ny1 - rim)],
                linear((0, ny0), (0, ny1), METAL))
    cv.fill([rrect(x0, y0, x1, y1, r)], solid(RIM))
    ix0, iy0, ix1, iy1 = x0 + rim, y0 + rim, x1 - rim, y1 - rim
    inner = [rrect(ix0, iy0, ix1, iy1, max(r - rim, 0.5))]
    cv.fill(inner, linear((0, iy0), (0, iy1), CASE))
    if level > 0:
        gap = 0 if n == 16 else (1 if n == 32 else 1.5)
        cx0, cy0, cy1 = ix0 + gap, iy0 + gap, iy1 - gap
        cx1 = cx0 + round((ix1 - gap - cx0) * level)
        clip = cv.mask(inner)
        body = [rrect(cx0, cy0, cx1, cy1, max(r - rim - gap, 0.5))]
        cv.fill(body, linear((0, cy0), (0, cy1), CHARGE[charge]), clip=clip)
        # A gloss band on the upper part reads as a rounded cell.
        gloss = [rect(cx0, cy0, cx1, cy0 + (cy1 - cy0) * 0.42)]
        cv.fill(gloss, solid("#ffffff"), clip=cv.mask(body), opacity=0.32)
    # A one-pixel shine under the top rim lifts the case off dark task bars.
    if n > 16:
        cv.fill([rect(ix0 + r * 0.6, iy0, ix1 - r * 0.6, iy0 + 1)], solid("#ffffff"),
                opacity=0.55)
    if symbol:
        symbol(cv, (ix0, iy0, ix1, iy1))


def emblem_frame(n):
    cx, cy, half = LAYOUT[n]["emblem"]
    rim = LAYOUT[n]["rim"]
    return cx, cy, half - rim / 2.0, rim


def draw_emblem(cv, shape, paint, rim):
    cv.fill(outline(shape, rim * 2), solid(RIM))
    cv.fill(shape, paint)


def vertical(cy, half, stops):
    return linear((0, cy - half), (0, cy + half), stops)


# ---------------------------------------------------------------- emblems (unit coordinates)

BOLT = [(0.02, -1.0), (0.62, -1.0), (0.16, -0.22), (0.62, -0.22), (-0.40, 1.0),
        (-0.10, 0.12), (-0.56, 0.12)]
ARROW = [(0.0, -1.0), (0.92, -0.02), (0.38, -0.02), (0.38, 0.96), (-0.38, 0.96),
         (-0.38, -0.02), (-0.92, -0.02)]


def bolt(cv, cx, cy, scale, rim):
    if cv.n == 16:
        # Pixel-placed: a four-pixel upper arm and a two-pixel lower one.
        shape = [polygon([(7.5, 1), (12, 1), (9.5, 6), (12.5, 6), (5, 15.5), (7, 9.5),
                          (4.5, 9.5)])]
    else:
        shape = place([polygon(BOLT)], cx, cy, scale)
    draw_emblem(cv, shape, vertical(cy, scale, [(0.0, "#fff6a8"), (0.5, "#ffd43a"),
                                                (1.0, "#ff9d00")]), rim)


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
    if cv.n > 16:
        # Grip ridges on the plug body.
        for dx in (-0.4, 0.0, 0.4):
            cv.fill(place([rect(dx - 0.05, -0.18, dx + 0.05, 0.18)], cx, cy, s),
                    solid("#8795a3"))


def emblem_leaf(cv):
    cx, cy, s, rim = emblem_frame(cv.n)
    base, tip = (-0.78, 0.78), (0.86, -0.86)
    # Control points off the axis, a little towards the tip, for an organic outline; the
    # 16-pixel leaf is fuller so that it stays a leaf and not a line.
    w = 0.82 if cv.n == 16 else 0.7
    side_a = quad_bezier(base, (0.25 + w, -0.15 + w), tip, 24)
    side_b = quad_bezier(tip, (0.15 - w, -0.25 - w), base, 24)
    leaf = place([polygon(side_a[:-1] + side_b[:-1])], cx, cy, s)
    stem = place(stroke([(-0.98, 0.98), (-0.55, 0.55)], 0.16), cx, cy, s)
    cv.fill(outline(leaf, rim * 2), solid(RIM))
    cv.fill(outline(stem, rim * 2), solid(RIM))
    cv.fill(stem, solid("#2f8a2f"))
    cv.fill(leaf, linear((cx - s, cy + s), (cx + s, cy - s),
                         [(0.0, "#1f8a37"), (0.55, "#5ccf45"), (1.0, "#c4f58a")]))
    if cv.n == 16:
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
    if cv.n == 16:
        # One-pixel lines centred on pixel centres.
        w, r, gap, top, foot, ry = 1.0, 3.0, 0.62, cy - 3.5, cy, cy
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


# ---------------------------------------------------------------- the icons


def charge_bolt(cv, box):
    """A white bolt across the charge (32 and 48 only; at 16 it would be mush)."""
    if cv.n == 16:
        return
    ix0, iy0, ix1, iy1 = box
    h = (iy1 - iy0) / 2.0
    shape = place([polygon(BOLT)], (ix0 + ix1) / 2.0 - h * 0.55, (iy0 + iy1) / 2.0, h * 0.8)
    cv.fill(shape, solid("#ffffff"), opacity=0.9)


def icon_power(n):
    """The library's own icon: a charged battery with a lightning bolt across it."""
    cv = Canvas(n)
    battery(cv, 1.0, "green")
    L = LAYOUT[n]
    x0, _, x1, _ = L["body"]
    scale = {16: 6.5, 32: 13.0, 48: 19.5}[n]
    bolt(cv, (x0 + x1) / 2.0 + n * 0.1, n / 2.0, scale, L["rim"])
    return cv


def icon_full_power(n):
    cv = Canvas(n)
    battery(cv, 1.0, "bright", charge_bolt)
    emblem_plug(cv)
    return cv


def icon_long_life(n):
    cv = Canvas(n)
    battery(cv, 1.0, "teal")
    emblem_leaf(cv)
    return cv


def icon_normal(n):
    cv = Canvas(n)
    battery(cv, 0.5, "blue")
    emblem_gauge(cv)
    return cv


def icon_high_power(n):
    cv = Canvas(n)
    battery(cv, 1.0, "orange")
    emblem_arrow(cv)
    return cv


def icon_dvd_playback(n):
    cv = Canvas(n)
    battery(cv, 0.75, "purple")
    emblem_disc(cv)
    return cv


def icon_tray(n):
    cv = Canvas(n)
    battery(cv, 0.75, "steel")
    emblem_power(cv)
    return cv


def icon_tray_read_only(n):
    cv = Canvas(n)
    battery(cv, 0.75, "grey")
    emblem_lock(cv)
    return cv


# ---------------------------------------------------------------- the applet's grid icons


CHARGE["red"] = [(0.0, "#ffb09a"), (0.45, "#f05a3a"), (1.0, "#b8201a")]
CHARGE["pale"] = [(0.0, "#eef1f4"), (0.45, "#ccd3da"), (1.0, "#9aa5b0")]


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
    if cv.n > 16:
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
        if cv.n > 16:
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
        rim = 1.0 if n < 48 else 1.5
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
    ("power.ico", icon_power),
    ("full_power.ico", icon_full_power),
    ("long_life.ico", icon_long_life),
    ("normal.ico", icon_normal),
    ("high_power.ico", icon_high_power),
    ("dvd_playback.ico", icon_dvd_playback),
    ("tray.ico", icon_tray),
    ("tray_read_only.ico", icon_tray_read_only),
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


@functools.lru_cache(maxsize=None)
def render(draw):
    """{size: pixels} of one icon; drawing is slow, so a process draws each icon once."""
    return {n: draw(n).rgba8() for n in SIZES}


# ---------------------------------------------------------------- preview sheet


def preview(all_images, path, box=192):
    """Rows of icons: 48, 32 and 16 each enlarged to the same box over a checkerboard, then
    every size at 1:1 on a light and on a dark panel."""
    cell = box + 8
    small = 3 * 48 + 24
    width = 3 * cell + 2 * small + 8
    height = len(all_images) * (cell + 8) + 8
    sheet = [(128, 128, 128, 255)] * (width * height)

    def put(x, y, c):
        sheet[y * width + x] = c

    def blend(dst, src):
        a = src[3] / 255.0
        return tuple(int(round(s * a + d * (1 - a))) for s, d in zip(src[:3], dst[:3])) + (255,)

    for row, images in enumerate(all_images):
        top = 8 + row * (cell + 8)
        for col, n in enumerate(SIZES):
            left = 8 + col * cell
            zoom = box // n
            px = images[n]
            for y in range(n * zoom):
                for x in range(n * zoom):
                    light = ((x // 8 + y // 8) % 2) == 0
                    check = (250, 250, 250, 255) if light else (214, 214, 214, 255)
                    put(left + x, top + y, blend(check, px[(y // zoom) * n + x // zoom]))
        for p, panel in enumerate(((236, 236, 236, 255), (32, 40, 52, 255))):
            left = 8 + 3 * cell + p * small
            for y in range(56):
                for x in range(small - 8):
                    put(left + x, top + y, panel)
            x = left + 4
            for n in SIZES:
                px = images[n]
                for yy in range(n):
                    for xx in range(n):
                        put(x + xx, top + 4 + yy, blend(panel, px[yy * n + xx]))
                x += n + 6
    with open(path, "wb") as f:
        f.write(png_bytes(width, height, sheet))


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true",
                        help="compare with the committed icons instead of writing them")
    parser.add_argument("--preview", metavar="PNG", help="also write a preview sheet")
    parser.add_argument("--out", default=ICON_DIR, help="directory of the .ico files")
    args = parser.parse_args(argv)

    stale = []
    rendered = []
    for name, draw in ICONS:
        images = render(draw)
        rendered.append(images)
        data = ico_bytes(images)
        path = os.path.join(args.out, name)
        if args.check:
            try:
                with open(path, "rb") as f:
                    same = f.read() == data
            except OSError:
                same = False
            if not same:
                stale.append(path)
        else:
            os.makedirs(args.out, exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
    if args.preview:
        preview(rendered, args.preview)
    if stale:
        for path in stale:
            print("out of date: %s (run art/make_icons.py)" % path, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
