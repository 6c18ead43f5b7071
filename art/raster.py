"""Anti-aliased filling of shapes (see shapes.py) on RGBA canvases, standard library only.

Pixels are premultiplied floats in 0..1, pixel centres at +0.5. Coverage is exact along x and
sampled on a number of lines per pixel along y: 16 at FINE detail, which keeps 16x16 edges crisp
and smooth without a heavy supersampling pass, 8 at COARSE for the large skin images.
"""

import math

from shapes import COARSE, FINE

SUBROWS = {FINE: 16, COARSE: 8}


# ---------------------------------------------------------------- colours and paints


def rgba(text, alpha=1.0):
    """'#rrggbb' or '#rrggbbaa' to a tuple of floats in 0..1."""
    t = text.lstrip("#")
    r, g, b = (int(t[i:i + 2], 16) / 255.0 for i in (0, 2, 4))
    a = int(t[6:8], 16) / 255.0 if len(t) == 8 else 1.0
    return (r, g, b, a * alpha)


def with_alpha(color, alpha):
    return (color[0], color[1], color[2], color[3] * alpha)


def _color(c):
    return rgba(c) if isinstance(c, str) else c


def _mix(c0, c1, t):
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def _ramp(stops, t):
    if t <= stops[0][0]:
        return stops[0][1]
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return _mix(c0, c1, (t - p0) / (p1 - p0) if p1 > p0 else 1.0)
    return stops[-1][1]


def _stops(stops):
    return [(p, _color(c)) for p, c in stops]


def solid(color):
    c = _color(color)
    return lambda x, y: c


def linear(p0, p1, stops):
    """Gradient along p0 -> p1; stops are (0..1, colour)."""
    stops = _stops(stops)
    dx, dy = p1[0] - p0[0], p1[1] - p0[1]
    length2 = dx * dx + dy * dy or 1.0
    return lambda x, y: _ramp(stops, ((x - p0[0]) * dx + (y - p0[1]) * dy) / length2)


def radial(center, radius, stops, squash=1.0):
    """Gradient by distance from center; squash < 1 stretches it vertically."""
    stops = _stops(stops)
    cx, cy = center
    return lambda x, y: _ramp(stops, math.hypot(x - cx, (y - cy) * squash) / radius)


def conic(center, stops, start=0.0):
    """Gradient around center; 0..1 is one turn clockwise from `start` radians."""
    stops = _stops(stops)

    def paint(x, y):
        a = (math.atan2(y - center[1], x - center[0]) - start) / (2 * math.pi)
        return _ramp(stops, a - math.floor(a))
    return paint


# ---------------------------------------------------------------- coverage


def _coverage_rows(shape, width, height, subrows):
    """(x0, y0, w, rows): coverage 0..1 of the shape over its bounding box clipped to the
    canvas, one list of w values per row from y0."""
    xs = [x for c in shape for x, _ in c]
    ys = [y for c in shape for _, y in c]
    if not xs:
        return 0, 0, 0, []
    x0 = max(0, int(math.floor(min(xs))))
    x1 = min(width, int(math.ceil(max(xs))))
    y0 = max(0, int(math.floor(min(ys))))
    y1 = min(height, int(math.ceil(max(ys))))
    if x1 <= x0 or y1 <= y0:
        return 0, 0, 0, []
    bw = x1 - x0
    # Each edge, pointing down with its winding, listed in every pixel row it crosses.
    buckets = [[] for _ in range(y1 - y0)]
    for c in shape:
        for (ax, ay), (bx, by) in zip(c, c[1:] + c[:1]):
            if ay == by:
                continue
            d = 1
            if ay > by:
                ax, ay, bx, by, d = bx, by, ax, ay, -1
            edge = (ax, ay, by, (bx - ax) / (by - ay), d)
            for r in range(max(y0, int(math.floor(ay))), min(y1, int(math.ceil(by)))):
                buckets[r - y0].append(edge)
    inv = 1.0 / subrows
    rows = []
    for ri, edges in enumerate(buckets):
        # Partly covered pixels add to acc; runs of whole pixels go through diff, summed below.
        acc = [0.0] * (bw + 1)
        diff = [0.0] * (bw + 2)
        py = y0 + ri
        for k in range(subrows):
            sy = py + (k + 0.5) * inv
            cross = sorted((ax + (sy - ay) * slope, d) for ax, ay, by, slope, d in edges
                           if ay <= sy < by)
            wind = 0
            start = 0.0
            for x, d in cross:
                before = wind
                wind += d
                if before == 0 and wind != 0:
                    start = x
                elif before != 0 and wind == 0:
                    a = max(start - x0, 0.0)
                    b = min(x - x0, float(bw))
                    if b <= a:
                        continue
                    ia, ib = int(a), int(b)
                    if ia == ib:
                        acc[ia] += (b - a) * inv
                    else:
                        acc[ia] += (ia + 1 - a) * inv
                        diff[ia + 1] += inv
                        diff[ib] -= inv
                        acc[ib] += (b - ib) * inv
        run = 0.0
        row = [0.0] * bw
        for i in range(bw):
            run += diff[i]
            v = acc[i] + run
            row[i] = 1.0 if v > 1.0 else v
        rows.append(row)
    return x0, y0, bw, rows


def coverage(shape, width, height=None, detail=FINE):
    """Fraction of each pixel of the canvas covered by the shape (row-major)."""
    height = width if height is None else height
    x0, y0, bw, rows = _coverage_rows(shape, width, height, SUBROWS[detail])
    cov = [0.0] * (width * height)
    for j, row in enumerate(rows):
        base = (y0 + j) * width + x0
        cov[base:base + bw] = row
    return cov


# ---------------------------------------------------------------- canvas


class Canvas:
    """Premultiplied RGBA; shapes are composited 'over' what is already there."""

    def __init__(self, width, height=None, detail=FINE):
        self.w = width
        self.h = width if height is None else height
        self.detail = detail
        count = self.w * self.h
        self.r = [0.0] * count
        self.g = [0.0] * count
        self.b = [0.0] * count
        self.a = [0.0] * count

    @property
    def n(self):
        """The side of a square canvas (an icon's size)."""
        return self.w

    def copy(self):
        c = Canvas(self.w, self.h, self.detail)
        c.r, c.g, c.b, c.a = self.r[:], self.g[:], self.b[:], self.a[:]
        return c

    def mask(self, shape):
        """The shape's coverage of every pixel, to clip later fills to it."""
        return coverage(shape, self.w, self.h, self.detail)

    def fill(self, shape, paint, opacity=1.0, clip=None):
        """Paints the shape; paint is a colour or a function of (x, y) giving one."""
        if not callable(paint):
            paint = solid(paint)
        x0, y0, bw, rows = _coverage_rows(shape, self.w, self.h, SUBROWS[self.detail])
        R, G, B, A = self.r, self.g, self.b, self.a
        for j, row in enumerate(rows):
            y = y0 + j
            base = y * self.w + x0
            for i, cov in enumerate(row):
                k = base + i
                if clip is not None:
                    cov *= clip[k]
                if cov <= 0.0:
                    continue
                cr, cg, cb, ca = paint(x0 + i + 0.5, y + 0.5)
                sa = ca * cov * opacity
                if sa <= 0.0:
                    continue
                t = 1.0 - sa
                R[k] = cr * sa + R[k] * t
                G[k] = cg * sa + G[k] * t
                B[k] = cb * sa + B[k] * t
                A[k] = sa + A[k] * t

    def erase(self, shape):
        """Cuts the shape out of what is drawn (a hole to the background)."""
        for k, c in enumerate(self.mask(shape)):
            if c > 0.0:
                for ch in (self.r, self.g, self.b, self.a):
                    ch[k] *= 1.0 - c

    def keep_inside(self, shape):
        """Keeps only what lies inside the shape."""
        keep = self.mask(shape)
        for ch in (self.r, self.g, self.b, self.a):
            for k in range(len(ch)):
                ch[k] *= keep[k]

    def paste(self, other, dx=0, dy=0, opacity=1.0):
        """Composites another canvas over this one at an integer offset."""
        for y in range(other.h):
            ty = y + dy
            if ty < 0 or ty >= self.h:
                continue
            for x in range(other.w):
                tx = x + dx
                if tx < 0 or tx >= self.w:
                    continue
                s = y * other.w + x
                sa = other.a[s] * opacity
                if sa <= 0.0:
                    continue
                k = ty * self.w + tx
                t = 1.0 - sa
                self.r[k] = other.r[s] * opacity + self.r[k] * t
                self.g[k] = other.g[s] * opacity + self.g[k] * t
                self.b[k] = other.b[s] * opacity + self.b[k] * t
                self.a[k] = sa + self.a[k] * t

    def crop(self, x0, y0, w, h):
        c = Canvas(w, h, self.detail)
        for y in range(h):
            src = (y0 + y) * self.w + x0
            dst = y * w
            for mine, theirs in ((c.r, self.r), (c.g, self.g), (c.b, self.b), (c.a, self.a)):
                mine[dst:dst + w] = theirs[src:src + w]
        return c

    def blur(self, radius, passes=3):
        """Approximate gaussian: repeated box blurs along both axes."""
        if radius <= 0:
            return
        for ch in (self.r, self.g, self.b, self.a):
            for _ in range(passes):
                _box_rows(ch, self.w, self.h, radius)
                _box_cols(ch, self.w, self.h, radius)

    def rgba8(self):
        """Straight (not premultiplied) 8-bit RGBA, row-major from the top; clear pixels are
        all zero."""
        out = []
        for r, g, b, a in zip(self.r, self.g, self.b, self.a):
            a8 = min(255, int(round(a * 255)))
            if a8 == 0:
                out.append((0, 0, 0, 0))
                continue
            out.append(tuple(max(0, min(255, int(round(v / a * 255)))) for v in (r, g, b))
                       + (a8,))
        return out


def _box_rows(ch, w, h, r):
    n = 2 * r + 1
    for y in range(h):
        base = y * w
        row = ch[base:base + w]
        s = row[0] * (r + 1) + sum(row[min(i, w - 1)] for i in range(1, r + 1))
        for x in range(w):
            ch[base + x] = s / n
            s += row[min(x + r + 1, w - 1)] - row[max(x - r, 0)]


def _box_cols(ch, w, h, r):
    n = 2 * r + 1
    for x in range(w):
        col = ch[x::w]
        s = col[0] * (r + 1) + sum(col[min(i, h - 1)] for i in range(1, r + 1))
        for y in range(h):
            ch[y * w + x] = s / n
            s += col[min(y + r + 1, h - 1)] - col[max(y - r, 0)]
