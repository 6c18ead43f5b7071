"""The battery every icon of the suite is drawn around, and what its emblems share.

A dark rim, a pale case, a coloured charge whose length and colour tell the mode; an emblem sits
in the lower right corner, or a bolt across the battery. The battery is laid out by hand per
size so that its rim falls on whole pixels; emblems are drawn in unit coordinates and scaled,
with hand-placed variants where 16 pixels need them. Each size is drawn on its own: the sizes
Windows asks for at 100 to 200 % (16, 20, 24, 32 small; 32, 40, 48, 64 large) and 256 for
the shell's large views. Below 32 pixels (`small`) fine details are left out: they would only
blur.
"""

from raster import Canvas, linear, solid
from shapes import outline, place, polygon, rect, rrect

SIZES = (256, 64, 48, 40, 32, 24, 20, 16)

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
    "red": [(0.0, "#ffb09a"), (0.45, "#f05a3a"), (1.0, "#b8201a")],
    "pale": [(0.0, "#eef1f4"), (0.45, "#ccd3da"), (1.0, "#9aa5b0")],
}

# Battery body and terminal (x0, y0, x1, y1) in pixels, corner radius, rim width, the gap
# between the case and the charge, the height of the shine under the top rim (0: none), and
# the emblem's square (centre x, centre y, half side including its rim). The terminal is
# centred on the body; odd-pixel emblem centres put one-pixel strokes on pixel centres.
LAYOUT = {
    16: dict(body=(0, 2, 13, 11), radius=1.6, rim=1.0, nub=(13, 4, 15, 9), nub_radius=0.6,
             gap=0, shine=0, emblem=(11.5, 11.5, 4.5)),
    20: dict(body=(0, 3, 17, 14), radius=2.0, rim=1.0, nub=(17, 5, 19, 12), nub_radius=0.7,
             gap=0, shine=0, emblem=(14.5, 14.5, 5.5)),
    24: dict(body=(0, 4, 20, 17), radius=2.4, rim=1.0, nub=(20, 7, 23, 14), nub_radius=0.8,
             gap=1, shine=1, emblem=(17.5, 17.5, 6.5)),
    32: dict(body=(1, 5, 26, 22), radius=3.0, rim=1.0, nub=(26, 10, 29, 17), nub_radius=1.0,
             gap=1, shine=1, emblem=(23.0, 23.0, 9.0)),
    40: dict(body=(1, 7, 33, 28), radius=3.8, rim=2.0, nub=(33, 13, 37, 22), nub_radius=1.2,
             gap=1.5, shine=1, emblem=(29.0, 29.0, 11.0)),
    48: dict(body=(2, 8, 39, 33), radius=4.5, rim=2.0, nub=(39, 15, 44, 26), nub_radius=1.5,
             gap=1.5, shine=1, emblem=(34.5, 34.5, 13.5)),
    64: dict(body=(2, 10, 52, 44), radius=6.0, rim=2.0, nub=(52, 20, 58, 34), nub_radius=2.0,
             gap=2, shine=1, emblem=(46.0, 46.0, 18.0)),
    256: dict(body=(8, 40, 208, 176), radius=22.0, rim=6.0, nub=(208, 80, 232, 136),
              nub_radius=7.0, gap=6, shine=4, emblem=(184.0, 184.0, 72.0)),
}


def small(n):
    """Sizes that leave out the fine details (grip ridges, veins, a bolt on the charge)."""
    return n < 32


def detail_rim(n):
    """The rim of the smaller signs and badges: a pixel up to 40, then growing with size."""
    return {48: 1.5, 64: 2.0, 256: 5.0}.get(n, 1.0)

BOLT = [(0.02, -1.0), (0.62, -1.0), (0.16, -0.22), (0.62, -0.22), (-0.40, 1.0),
        (-0.10, 0.12), (-0.56, 0.12)]


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
    if n > 20:
        cv.fill([rect(nx0, ny0 + rim, nx1 - rim, ny1 - rim)],
                linear((0, ny0), (0, ny1), METAL))
    cv.fill([rrect(x0, y0, x1, y1, r)], solid(RIM))
    ix0, iy0, ix1, iy1 = x0 + rim, y0 + rim, x1 - rim, y1 - rim
    inner = [rrect(ix0, iy0, ix1, iy1, max(r - rim, 0.5))]
    cv.fill(inner, linear((0, iy0), (0, iy1), CASE))
    if level > 0:
        gap = L["gap"]
        cx0, cy0, cy1 = ix0 + gap, iy0 + gap, iy1 - gap
        cx1 = cx0 + round((ix1 - gap - cx0) * level)
        clip = cv.mask(inner)
        body = [rrect(cx0, cy0, cx1, cy1, max(r - rim - gap, 0.5))]
        cv.fill(body, linear((0, cy0), (0, cy1), CHARGE[charge]), clip=clip)
        # A gloss band on the upper part reads as a rounded cell.
        gloss = [rect(cx0, cy0, cx1, cy0 + (cy1 - cy0) * 0.42)]
        cv.fill(gloss, solid("#ffffff"), clip=cv.mask(body), opacity=0.32)
    # A one-pixel shine under the top rim lifts the case off dark task bars.
    if L["shine"]:
        cv.fill([rect(ix0 + r * 0.6, iy0, ix1 - r * 0.6, iy0 + L["shine"])], solid("#ffffff"),
                opacity=0.55)
    if symbol:
        symbol(cv, (ix0, iy0, ix1, iy1))


def badged(level, charge, emblem, symbol=None):
    """An icon: the battery with an emblem in its corner."""
    def draw(n):
        cv = Canvas(n)
        battery(cv, level, charge, symbol)
        emblem(cv)
        return cv
    return draw


def emblem_frame(n):
    cx, cy, half = LAYOUT[n]["emblem"]
    rim = LAYOUT[n]["rim"]
    return cx, cy, half - rim / 2.0, rim


def draw_emblem(cv, shape, paint, rim):
    cv.fill(outline(shape, rim * 2), solid(RIM))
    cv.fill(shape, paint)


def vertical(cy, half, stops):
    return linear((0, cy - half), (0, cy + half), stops)


def bolt(cv, cx, cy, scale, rim):
    if cv.n == 16:
        # Pixel-placed: a four-pixel upper arm and a two-pixel lower one.
        shape = [polygon([(7.5, 1), (12, 1), (9.5, 6), (12.5, 6), (5, 15.5), (7, 9.5),
                          (4.5, 9.5)])]
    else:
        shape = place([polygon(BOLT)], cx, cy, scale)
    draw_emblem(cv, shape, vertical(cy, scale, [(0.0, "#fff6a8"), (0.5, "#ffd43a"),
                                                (1.0, "#ff9d00")]), rim)


def charged_with_bolt(charge):
    """An icon: a full battery with a lightning bolt across it."""
    def draw(n):
        cv = Canvas(n)
        battery(cv, 1.0, charge)
        x0, _, x1, _ = LAYOUT[n]["body"]
        scale = n * 13.0 / 32.0
        bolt(cv, (x0 + x1) / 2.0 + n * 0.1, n / 2.0, scale, LAYOUT[n]["rim"])
        return cv
    return draw
