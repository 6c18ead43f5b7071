#!/usr/bin/env python3
"""Draws the switcher's icons (48, 32 and 16 pixels, 32-bit with alpha) into this folder:

    battery_good.ico     101  notification area: the battery is fine
    battery_worn.ico     102  notification area: capacity low, replace soon
    battery_damaged.ico  103  notification area: the battery is exhausted
    pivora.ico           110  the program

    make_icons.py            write the icons
    make_icons.py --check    exit 1 when a committed icon differs from what is drawn

The battery and the drawing primitives are the suite's own (art/), so the switcher's icons sit
beside the tray's in the same style. Standard library only; the results are committed.
"""

import os
import sys

sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "art"))

from icofile import ico_bytes  # noqa: E402
from make_icons import (LAYOUT, RIM, SIZES, battery, bolt, emblem_frame,  # noqa: E402
                        vertical)
from raster import Canvas, circle, outline, place, polygon, rect, solid  # noqa: E402

TRIANGLE = [(0.0, -1.0), (1.0, 0.78), (-1.0, 0.78)]
CROSS = [(-0.62, -0.88), (0.0, -0.26), (0.62, -0.88), (0.88, -0.62), (0.26, 0.0), (0.88, 0.62),
         (0.62, 0.88), (0.0, 0.26), (-0.62, 0.88), (-0.88, 0.62), (-0.26, 0.0), (-0.88, -0.62)]


def emblem_warning(cv):
    """An amber warning triangle with an exclamation mark."""
    cx, cy, s, rim = emblem_frame(cv.n)
    tri = place([polygon(TRIANGLE)], cx, cy, s)
    cv.fill(outline(tri, rim * 2), solid(RIM))
    cv.fill(tri, vertical(cy, s, [(0.0, "#ffe27a"), (1.0, "#f29a0e")]))
    if cv.n == 16:
        cv.fill([rect(11, 9, 12, 12.5), rect(11, 13.5, 12, 14.5)], solid(RIM))
        return
    cv.fill(place([rect(-0.1, -0.45, 0.1, 0.25)], cx, cy, s), solid(RIM))
    cv.fill([circle(cx, cy + s * 0.48, s * 0.11)], solid(RIM))


def emblem_cross(cv):
    """A red round badge with a white cross."""
    cx, cy, s, rim = emblem_frame(cv.n)
    cv.fill([circle(cx, cy, s + rim)], solid(RIM))
    cv.fill([circle(cx, cy, s)], vertical(cy, s, [(0.0, "#ff8a7a"), (1.0, "#c21d14")]))
    cv.fill(place([polygon(CROSS)], cx, cy, s * 0.62), solid("#ffffff"))


def emblem_check(cv):
    """A green round badge with a white tick."""
    cx, cy, s, rim = emblem_frame(cv.n)
    cv.fill([circle(cx, cy, s + rim)], solid(RIM))
    cv.fill([circle(cx, cy, s)], vertical(cy, s, [(0.0, "#8af0a0"), (1.0, "#1f9a35")]))
    tick = [(-0.62, 0.0), (-0.36, -0.26), (-0.14, -0.04), (0.4, -0.58), (0.66, -0.32),
            (-0.14, 0.48)]
    cv.fill(place([polygon(tick)], cx, cy, s), solid("#ffffff"))


def icon_good(n):
    cv = Canvas(n)
    battery(cv, 1.0, "green")
    emblem_check(cv)
    return cv


def icon_worn(n):
    cv = Canvas(n)
    battery(cv, 0.45, "orange")
    emblem_warning(cv)
    return cv


def icon_damaged(n):
    cv = Canvas(n)
    battery(cv, 0.15, "grey")
    emblem_cross(cv)
    return cv


def icon_program(n):
    """The popup's own icon: a charged battery with a bolt, in the switcher's blue."""
    cv = Canvas(n)
    battery(cv, 1.0, "steel")
    x0, _, x1, _ = LAYOUT[n]["body"]
    scale = {16: 6.5, 32: 13.0, 48: 19.5}[n]
    bolt(cv, (x0 + x1) / 2.0 + n * 0.1, n / 2.0, scale, LAYOUT[n]["rim"])
    return cv


ICONS = [
    ("battery_good.ico", icon_good),
    ("battery_worn.ico", icon_worn),
    ("battery_damaged.ico", icon_damaged),
    ("pivora.ico", icon_program),
]


def main():
    check = "--check" in sys.argv[1:]
    differ = []
    for name, draw in ICONS:
        data = ico_bytes({n: draw(n).rgba8() for n in SIZES})
        path = os.path.join(HERE, name)
        if check:
            with open(path, "rb") as f:
                if f.read() != data:
                    differ.append(name)
        else:
            with open(path, "wb") as f:
                f.write(data)
    if differ:
        print("differs from what is drawn: " + ", ".join(differ))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
