#!/usr/bin/env python3
"""Draws the switcher's icons into switcher/res/ (.ico files of 16, 20, 24, 32, 40, 48, 64 and
256 pixels, 32-bit with alpha; the 256 image PNG-compressed):

    battery_good.ico     101  notification area: the battery is fine
    battery_worn.ico     102  notification area: capacity low, replace soon
    battery_damaged.ico  103  notification area: the battery is exhausted
    pivora.ico           110  the program

    make_switcher_icons.py                 write the icons
    make_switcher_icons.py --check         exit 1 when a committed icon differs from what is drawn
    make_switcher_icons.py --preview FILE  also write a PNG sheet of them

The battery is the suite's own (battery.py), so the switcher's icons sit beside the tray's in
the same style.
"""

import os
import sys

sys.dont_write_bytecode = True

from battery import RIM, SIZES, badged, charged_with_bolt, emblem_frame, vertical  # noqa: E402
from output import run_icons  # noqa: E402
from raster import solid  # noqa: E402
from shapes import circle, outline, place, polygon, rect  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
ICON_DIR = os.path.normpath(os.path.join(HERE, "..", "switcher", "res"))

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


ICONS = [
    ("battery_good.ico", badged(1.0, "green", emblem_check)),
    ("battery_worn.ico", badged(0.45, "orange", emblem_warning)),
    ("battery_damaged.ico", badged(0.15, "grey", emblem_cross)),
    ("pivora.ico", charged_with_bolt("steel")),     # in the switcher's blue
]


def main(argv=None):
    return run_icons(argv, __doc__.splitlines()[0], ICON_DIR, ICONS, SIZES,
                     "make_switcher_icons.py")


if __name__ == "__main__":
    sys.exit(main())
