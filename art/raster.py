"""Anti-aliased vector drawing on small RGBA canvases, standard library only.

Shapes are lists of closed contours in pixel units (x right, y down) filled with the
non-zero winding rule, so overlapping pieces of one shape form their union. Coverage is exact
along x and sampled on SUBROWS lines per pixel along y, which keeps 16x16 edges crisp and
smooth without a heavy supersampling pass.
"""

import math

SUBROWS = 16


# ---------------------------------------------------------------- colours and paints


def rgba(text, alpha=1.0):
    """'#rrggbb' or '#rrggbbaa' to a tuple of floats in 0..1."""
    t = text.lstrip("#")
    r, g, b = (int(t[i:i + 2], 16) / 255.0 for i in (0, 2, 4))
    a = int(t[6:8], 16) / 255.0 if len(t) == 8 else 1.0
    return (r, g, b, a * alpha)


def _color(c):
    return rgba(c) if isinstance(c, str) else c


def _mix(c0, c1, t):
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def _ramp(stops, t):
    stops = [(p, _color(c)) for p, c in stops]
    if t <= stops[0][0]:
        return stops[0][1]
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return _mix(c0, c1, (t - p0) / (p1 - p0) if p1 > p0 else 1.0)
    return stops[-1][1]


def solid(color):
    c = _color(color)
    return lambda x, y: c


def linear(p0, p1, stops):
    """Gradient along p0 -> p1; stops are (0..1, colour)."""
    dx, dy = p1[0] - p0[0], p1[1] - p0[1]
    length2 = dx * dx + dy * dy or 1.0
    return lambda x, y: _ramp(stops, ((x - p0[0]) * dx + (y - p0[1]) * dy) / length2)


def radial(center, radius, stops):
    return lambda x, y: _ramp(stops, math.hypot(x - center[0], y - center[1]) / radius)


def conic(center, stops, start=0.0):
    """Gradient around center; 0..1 is one turn clockwise from `start` radians."""
    def paint(x, y):
        a = (math.atan2(y - center[1], x - center[0]) - start) / (2 * math.pi)
        return _ramp(stops, a - math.floor(a))
    return paint


# ---------------------------------------------------------------- geometry


def signed_area(contour):
    s = 0.0
    for (x0, y0), (x1, y1) in zip(contour, contour[1:] + contour[:1]):
        s += x0 * y1 - x1 * y0
    return s / 2.0


def oriented(contour, positive=True):
    """The contour turned so that its signed area has the wanted sign (holes are negative)."""
    return contour if (signed_area(contour) >= 0) == positive else contour[::-1]


def _segments(radius, sweep):
    return max(4, int(math.ceil(abs(sweep) * max(radius, 1.0) * 1.5)))


def arc_points(cx, cy, rx, ry, a0, a1, steps=None):
    steps = steps or _segments(max(rx, ry), a1 - a0)
    step = abs(a1 - a0) / steps
    # Chords cut inside the curve; pushing the vertices out a little keeps the area true.
    k = math.sqrt(step / math.sin(step)) if step > 0 else 1.0
    return [(cx + k * rx * math.cos(a0 + (a1 - a0) * i / steps),
             cy + k * ry * math.sin(a0 + (a1 - a0) * i / steps)) for i in range(steps + 1)]


def ellipse(cx, cy, rx, ry=None):
    ry = rx if ry is None else ry
    return oriented(arc_points(cx, cy, rx, ry, 0.0, 2 * math.pi)[:-1])


def circle(cx, cy, r):
    return ellipse(cx, cy, r)


def rect(x0, y0, x1, y1):
    return oriented([(x0, y0), (x1, y0), (x1, y1), (x0, y1)])


def rrect(x0, y0, x1, y1, r):
    r = max(0.0, min(r, (x1 - x0) / 2.0, (y1 - y0) / 2.0))
    if r == 0:
        return rect(x0, y0, x1, y1)
    h = math.pi / 2
    pts = []
    pts += arc_points(x1 - r, y0 + r, r, r, -h, 0)
    pts += arc_points(x1 - r, y1 - r, r, r, 0, h)
    pts += arc_points(x0 + r, y1 - r, r, r, h, 2 * h)
    pts += arc_points(x0 + r, y0 + r, r, r, 2 * h, 3 * h)
    return oriented(pts)


def polygon(points):
    return oriented(list(points))


def quad_bezier(p0, c, p1, steps=16):
    out = []
    for i in range(steps + 1):
        t = i / steps
        u = 1 - t
        out.append((u * u * p0[0] + 2 * u * t * c[0] + t * t * p1[0],
                    u * u * p0[1] + 2 * u * t * c[1] + t * t * p1[1]))
    return out


def stroke(points, width, closed=False, caps=True):
    """A line of the given width along the points: one quad per segment and a round join at
    each vertex (round caps at the ends when `caps`)."""
    half = width / 2.0
    pts = list(points)
    pairs = list(zip(pts, pts[1:] + pts[:1])) if closed else list(zip(pts, pts[1:]))
    shape = []
    for (x0, y0), (x1, y1) in pairs:
        length = math.hypot(x1 - x0, y1 - y0)
        if length == 0:
            continue
        nx, ny = -(y1 - y0) / length * half, (x1 - x0) / length * half
        shape.append(polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny),
                              (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)]))
    joins = pts if (closed or caps) else pts[1:-1]
    shape += [circle(x, y, half) for x, y in joins]
    return shape


def outline(shape, width):
    """Stroke around every contour of a shape (drawn under the fill, it leaves a rim of
    width/2 outside the shape)."""
    out = []
    for contour in shape:
        out += stroke(contour, width, closed=True)
    return out


def transform(shape, fn):
    """Maps every point; the orientation of each contour is kept in sign."""
    out = []
    for contour in shape:
        mapped = [fn(x, y) for x, y in contour]
        out.append(oriented(mapped, signed_area(contour) >= 0))
    return out


def place(shape, cx, cy, scale, angle=0.0):
    """Shape drawn in unit coordinates, turned by angle, scaled and moved to (cx, cy)."""
    ca, sa = math.cos(angle), math.sin(angle)
    return transform(shape, lambda x, y: (cx + scale * (x * ca - y * sa),
                                          cy + scale * (x * sa + y * ca)))


# ---------------------------------------------------------------- rasterisation


def _add_span(cov, base, n, a, b, w):
    a = max(a, 0.0)
    b = min(b, float(n))
    if b <= a:
        return
    ia, ib = int(a), int(b)
    if ia == ib:
        cov[base + ia] += (b - a) * w
        return
    cov[base + ia] += (ia + 1 - a) * w
    for i in range(ia + 1, ib):
        cov[base + i] += w
    if ib < n:
        cov[base + ib] += (b - ib) * w


def coverage(shape, n):
    """Fraction of each pixel of an n x n grid covered by the shape (row-major)."""
    edges = []
    for contour in shape:
        for (x0, y0), (x1, y1) in zip(contour, contour[1:] + contour[:1]):
            if y0 == y1:
                continue
            d = 1
            if y0 > y1:
                x0, y0, x1, y1, d = x1, y1, x0, y0, -1
            edges.append((y0, y1, x0, (x1 - x0) / (y1 - y0), d))
    cov = [0.0] * (n * n)
    if not edges:
        return cov
    w = 1.0 / SUBROWS
    top = max(0, int(math.floor(min(e[0] for e in edges))))
    bottom = min(n, int(math.ceil(max(e[1] for e in edges))))
    for row in range(top, bottom):
        live = [e for e in edges if e[0] < row + 1 and e[1] > row]
        base = row * n
        for s in range(SUBROWS):
            y = row + (s + 0.5) * w
            xs = sorted((x0 + (y - y0) * k, d) for y0, y1, x0, k, d in live if y0 <= y < y1)
            wind = 0
            start = 0.0
            for x, d in xs:
                before = wind
                wind += d
                if before == 0 and wind != 0:
                    start = x
                elif before != 0 and wind == 0:
                    _add_span(cov, base, n, start, x, w)
    return [min(c, 1.0) for c in cov]


class Canvas:
    """Premultiplied RGBA floats; shapes are composited 'over' what is already there."""

    def __init__(self, n):
        self.n = n
        self.px = [(0.0, 0.0, 0.0, 0.0)] * (n * n)

    def mask(self, shape):
        return coverage(shape, self.n)

    def fill(self, shape, paint, clip=None, opacity=1.0):
        cov = coverage(shape, self.n)
        if clip is not None:
            cov = [c * k for c, k in zip(cov, clip)]
        self.paint(cov, paint, opacity)

    def paint(self, cov, paint, opacity=1.0):
        n = self.n
        for i, c in enumerate(cov):
            if c <= 0.0:
                continue
            r, g, b, a = paint(i % n + 0.5, i // n + 0.5)
            a *= c * opacity
            pr, pg, pb, pa = self.px[i]
            k = 1.0 - a
            self.px[i] = (r * a + pr * k, g * a + pg * k, b * a + pb * k, a + pa * k)

    def erase(self, shape):
        """Cuts the shape out of what is drawn (a hole to the background)."""
        cov = coverage(shape, self.n)
        for i, c in enumerate(cov):
            if c > 0.0:
                self.px[i] = tuple(v * (1.0 - c) for v in self.px[i])

    def rgba8(self):
        """Straight (not premultiplied) 8-bit RGBA, row-major from the top; clear pixels are
        all zero."""
        out = []
        for r, g, b, a in self.px:
            a8 = int(round(a * 255))
            if a8 == 0:
                out.append((0, 0, 0, 0))
                continue
            out.append(tuple(max(0, min(255, int(round(v / a * 255)))) for v in (r, g, b))
                       + (a8,))
        return out
