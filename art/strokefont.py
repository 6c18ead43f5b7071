"""A small geometric stroke font for the text that is part of the artwork.

Glyphs are centre lines on a grid where the cap height is 10 units, the baseline is y = 10,
the x-height is y = 3 and descenders reach y = 13.5 (y down). They are widened with round caps
when drawn, so one definition serves every size and weight. Only the characters the artwork
needs are defined; anything else is an error rather than a silent gap.
"""

import math

from shapes import COARSE, arc_points, circle, stroke

XT = 3.0    # x-height top
BL = 10.0   # baseline
DS = 13.5   # descender
BEARING = 0.5   # left side bearing added to every glyph
SPACING = 0.9   # extra advance, so that stems of neighbours never touch


def _arc(cx, cy, rx, ry, a0, a1):
    """Points on an elliptic arc, angles in degrees (y down); glyphs are small, cut coarse."""
    return arc_points(cx, cy, rx, ry, math.radians(a0), math.radians(a1), detail=COARSE)


def _bowl(cx, rx=3.2):
    """The round part of a, b, d, g, o, p, q."""
    return _arc(cx, (XT + BL) / 2, rx, (BL - XT) / 2, 0, 360)


def _arch(x0, x1, top=XT, shoulder=6.0):
    """Stem-to-stem arch of n, h, m: up from x0, over, down to the baseline at x1."""
    rx = (x1 - x0) / 2
    return ([(x0, shoulder)] + _arc(x0 + rx, top + rx, rx, rx, 180, 360)[1:]
            + [(x1, BL)])


def _glyphs():
    g = {}
    # Lower case.
    g["a"] = (7.6, [_bowl(3.2), [(6.4, XT), (6.4, BL)]], [])
    g["b"] = (7.6, [_bowl(3.2), [(0, 0), (0, BL)]], [])
    g["c"] = (6.6, [_arc(3.2, 6.5, 3.2, 3.5, -40, -320)], [])
    g["d"] = (7.6, [_bowl(3.2), [(6.4, 0), (6.4, BL)]], [])
    g["e"] = (7.0, [[(0.1, 6.4), (6.3, 6.4)] + _arc(3.2, 6.5, 3.1, 3.5, -2, -315)], [])
    g["f"] = (4.4, [[(1.4, BL)] + _arc(3.6, 2.4, 2.2, 2.2, 180, 300), [(0, XT), (3.6, XT)]], [])
    g["g"] = (7.6, [_bowl(3.2), [(6.4, XT), (6.4, 11.0)] + _arc(3.3, 11.0, 3.1, 2.5, 0, 150)], [])
    g["h"] = (7.4, [[(0, 0), (0, BL)], _arch(0, 6.0)], [])
    g["i"] = (2.0, [[(0, XT), (0, BL)]], [(0, 0.6)])
    g["l"] = (2.0, [[(0, 0), (0, BL)]], [])
    g["m"] = (11.6, [[(0, XT), (0, BL)], _arch(0, 5.0, shoulder=5.5), _arch(5.0, 10.0, shoulder=5.5)], [])
    g["n"] = (7.4, [[(0, XT), (0, BL)], _arch(0, 6.0)], [])
    g["o"] = (7.8, [_bowl(3.4, 3.4)], [])
    g["p"] = (7.6, [[(0, XT), (0, DS)], [(x - 0.0, y) for x, y in _bowl(3.2)]], [])
    g["q"] = (7.6, [_bowl(3.2), [(6.4, XT), (6.4, DS)]], [])
    g["r"] = (4.6, [[(0, XT), (0, BL)], [(0, 6.2)] + _arc(3.4, 6.6, 3.4, 3.6, 180, 265)], [])
    g["s"] = (5.8, [_arc(2.45, 4.75, 2.25, 1.75, -25, -270)
                    + _arc(2.45, 8.25, 2.45, 1.75, -90, 155)[1:]], [])
    g["t"] = (4.6, [[(1.4, 0.8), (1.4, 8.2)] + _arc(3.4, 8.2, 2.0, 1.8, 180, 100),
                    [(0, XT), (3.8, XT)]], [])
    g["u"] = (7.4, [[(0, XT), (0, 6.8)] + _arc(3.0, 7.0, 3.0, 3.0, 180, 0)[1:],
                    [(6.0, XT), (6.0, BL)]], [])
    g["v"] = (7.0, [[(0, XT), (3.0, BL), (6.0, XT)]], [])
    g["w"] = (10.4, [[(0, XT), (2.3, BL), (4.6, XT), (6.9, BL), (9.2, XT)]], [])
    g["y"] = (7.0, [[(0, XT), (3.1, 9.6)], [(6.0, XT), (2.4, DS)]], [])
    g["k"] = (6.6, [[(0, 0), (0, BL)], [(5.2, XT), (0, 7.6)], [(1.9, 6.1), (5.6, BL)]], [])
    # Upper case.
    g["B"] = (7.6, [[(0, 0), (0, BL)],
                    [(0, 0), (3.2, 0)] + _arc(3.2, 2.35, 2.35, 2.35, -90, 90) + [(0, 4.7)],
                    [(0, 4.7), (3.5, 4.7)] + _arc(3.5, 7.35, 2.65, 2.65, -90, 90) + [(0, BL)]], [])
    g["D"] = (8.6, [[(0, 0), (0, BL), (2.6, BL)] + _arc(2.6, 5.0, 4.6, 5.0, 90, -90) + [(0, 0)]], [])
    g["E"] = (6.6, [[(5.4, 0), (0, 0), (0, BL), (5.4, BL)], [(0, 4.9), (4.8, 4.9)]], [])
    g["F"] = (6.4, [[(5.4, 0), (0, 0), (0, BL)], [(0, 4.9), (4.8, 4.9)]], [])
    g["H"] = (8.4, [[(0, 0), (0, BL)], [(7.0, 0), (7.0, BL)], [(0, 4.9), (7.0, 4.9)]], [])
    g["I"] = (2.2, [[(0, 0), (0, BL)]], [])
    g["L"] = (6.0, [[(0, 0), (0, BL), (5.2, BL)]], [])
    g["O"] = (10.6, [_arc(4.6, 5.0, 4.6, 5.0, 0, 360)], [])
    g["P"] = (7.2, [[(0, BL), (0, 0), (3.2, 0)] + _arc(3.2, 2.75, 2.75, 2.75, -90, 90) + [(0, 5.5)]], [])
    g["Q"] = (10.6, [_arc(4.6, 5.0, 4.6, 5.0, 0, 360), [(5.8, 7.0), (9.4, 10.6)]], [])
    g["R"] = (7.4, [[(0, BL), (0, 0), (3.2, 0)] + _arc(3.2, 2.75, 2.75, 2.75, -90, 90) + [(0, 5.5)],
                    [(2.9, 5.5), (6.2, BL)]], [])
    g["S"] = (7.2, [_arc(3.0, 2.55, 2.75, 2.45, -20, -270)
                    + _arc(3.0, 7.45, 3.0, 2.55, -90, 160)[1:]], [])
    g["T"] = (7.4, [[(0, 0), (6.4, 0)], [(3.2, 0), (3.2, BL)]], [])
    g["W"] = (12.4, [[(0, 0), (2.7, BL), (5.6, 0), (8.5, BL), (11.2, 0)]], [])
    g["C"] = (9.4, [_arc(4.8, 5.0, 4.6, 5.0, -45, -315)], [])
    g["A"] = (8.8, [[(0, BL), (3.8, 0), (7.6, BL)], [(1.4, 6.4), (6.2, 6.4)]], [])
    g["N"] = (8.6, [[(0, BL), (0, 0), (7.2, BL), (7.2, 0)]], [])
    g["M"] = (10.6, [[(0, BL), (0, 0), (4.6, 7.0), (9.2, 0), (9.2, BL)]], [])
    g["V"] = (8.6, [[(0, 0), (3.8, BL), (7.6, 0)]], [])
    g["U"] = (8.4, [[(0, 0), (0, 6.6)] + _arc(3.5, 6.6, 3.5, 3.4, 180, 0)[1:] + [(7.0, 0)]], [])
    g["G"] = (9.6, [_arc(4.8, 5.0, 4.6, 5.0, -45, -360) + [(9.4, 5.0), (5.4, 5.0)]], [])
    # Digits, percent, punctuation.
    g["0"] = (7.2, [_arc(3.0, 5.0, 3.0, 5.0, 0, 360)], [])
    g["1"] = (4.6, [[(0.2, 2.2), (2.8, 0), (2.8, BL)]], [])
    g["2"] = (7.0, [_arc(2.9, 2.9, 2.8, 2.7, 200, 360) + _arc(2.9, 2.9, 2.8, 2.7, 0, 40)[1:]
                    + [(0.1, BL), (5.9, BL)]], [])
    g["3"] = (7.0, [_arc(2.8, 2.5, 2.6, 2.4, 200, 450)[:-1] + [(2.2, 4.9)]
                    + _arc(2.8, 7.4, 3.0, 2.6, -90, 160)], [])
    g["4"] = (7.4, [[(4.8, BL), (4.8, 0), (0, 7.2), (6.4, 7.2)]], [])
    g["5"] = (7.0, [[(5.6, 0), (0.8, 0), (0.4, 4.6)] + _arc(3.0, 6.9, 3.0, 3.1, -130, 160)[1:]], [])
    g["6"] = (7.2, [[(4.6, 0.1), (0.6, 5.8)], _arc(3.1, 7.0, 3.0, 3.0, 0, 360)], [])
    g["7"] = (6.8, [[(0, 0), (6.0, 0), (1.8, BL)]], [])
    g["8"] = (7.2, [_arc(3.1, 2.55, 2.55, 2.45, 0, 360), _arc(3.1, 7.4, 3.0, 2.6, 0, 360)], [])
    g["9"] = (7.2, [[(2.6, BL), (5.6, 4.2)], _arc(3.1, 3.0, 3.0, 3.0, 0, 360)], [])
    g["%"] = (9.6, [_arc(1.7, 2.0, 1.7, 2.0, 0, 360), _arc(6.7, 8.0, 1.7, 2.0, 0, 360),
                    [(7.2, 0), (1.2, BL)]], [])
    g[" "] = (3.6, [], [])
    g["."] = (2.4, [], [(0.2, BL - 0.1)])
    g[":"] = (2.4, [], [(0.2, XT + 0.6), (0.2, BL - 0.1)])
    g["-"] = (5.0, [[(0, 6.0), (3.6, 6.0)]], [])
    return g


GLYPHS = _glyphs()


def text_width(text, size, tracking=0.0):
    """Width in pixels of text whose cap height is `size` pixels."""
    k = size / 10.0
    return sum((GLYPHS[ch][0] + SPACING) * k + tracking for ch in text) - tracking - SPACING * k


def text_shape(text, x, baseline, size, weight=1.0, tracking=0.0):
    """The text as a fillable shape: cap height `size` px, stroke `weight` px."""
    k = size / 10.0
    shape = []
    pen = x
    for ch in text:
        if ch not in GLYPHS:
            raise KeyError("no glyph for %r" % ch)
        advance, lines, dots = GLYPHS[ch]
        for line in lines:
            pts = [(pen + (gx + BEARING) * k, baseline + (gy - BL) * k) for gx, gy in line]
            shape.extend(stroke(pts, weight, detail=COARSE))
        for dx, dy in dots:
            shape.append(circle(pen + (dx + BEARING) * k, baseline + (dy - BL) * k, weight * 0.62,
                                COARSE))
        pen += (advance + SPACING) * k + tracking
    return shape
