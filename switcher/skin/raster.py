"""Anti-aliased drawing on RGBA canvases and a PNG writer, Python standard library only.

Pixels are premultiplied floats in 0..1. Shapes are lists of closed contours in pixel units
(x right, y down, pixel centres at +0.5) filled with the non-zero winding rule. Coverage is
exact along x and sampled on SUBROWS lines per pixel along y.
"""

import math
import struct
import zlib

SUBROWS = 8


# ------------------------------------------------------------------ colours and paints


def rgb(text, alpha=1.0):
    """'#rrggbb' to (r, g, b, a) floats."""
    t = text.lstrip("#")
    r, g, b = (int(t[i:i + 2], 16) / 255.0 for i in (0, 2, 4))
    return (r, g, b, alpha)


def with_alpha(color, alpha):
    return (color[0], color[1], color[2], color[3] * alpha)


def mix(c0, c1, t):
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def ramp(stops, t):
    if t <= stops[0][0]:
        return stops[0][1]
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return mix(c0, c1, (t - p0) / (p1 - p0) if p1 > p0 else 1.0)
    return stops[-1][1]


def linear(p0, p1, stops):
    """Gradient along p0 -> p1; stops are (0..1, colour)."""
    dx, dy = p1[0] - p0[0], p1[1] - p0[1]
    length2 = dx * dx + dy * dy or 1.0
    return lambda x, y: ramp(stops, ((x - p0[0]) * dx + (y - p0[1]) * dy) / length2)


def radial(center, radius, stops, squash=1.0):
    """Gradient by distance from center; squash < 1 stretches it vertically."""
    cx, cy = center
    return lambda x, y: ramp(stops, math.hypot(x - cx, (y - cy) * squash) / radius)


# ------------------------------------------------------------------ contours


def _arc_steps(rx, ry, sweep):
    return max(4, int(math.ceil(abs(sweep) * max(rx, ry) / 1.5)))


def arc_points(cx, cy, rx, ry, a0, a1, steps=None):
    """Points on an ellipse from angle a0 to a1 (degrees, y down: 90 is below the centre)."""
    r0, r1 = math.radians(a0), math.radians(a1)
    n = steps or _arc_steps(rx, ry, r1 - r0)
    return [(cx + rx * math.cos(r0 + (r1 - r0) * i / n), cy + ry * math.sin(r0 + (r1 - r0) * i / n))
            for i in range(n + 1)]


def cubic_points(p0, p1, p2, p3, steps=16):
    pts = []
    for i in range(steps + 1):
        t = i / steps
        u = 1 - t
        pts.append((u * u * u * p0[0] + 3 * u * u * t * p1[0] + 3 * u * t * t * p2[0] + t * t * t * p3[0],
                    u * u * u * p0[1] + 3 * u * u * t * p1[1] + 3 * u * t * t * p2[1] + t * t * t * p3[1]))
    return pts


def ellipse(cx, cy, rx, ry):
    return [arc_points(cx, cy, rx, ry, 0, 360)[:-1]]


def circle(cx, cy, r):
    return ellipse(cx, cy, r, r)


def rect(x0, y0, x1, y1):
    return [[(x0, y0), (x1, y0), (x1, y1), (x0, y1)]]


def round_rect(x0, y0, x1, y1, r):
    """Rounded rectangle; r is one radius or (top-left, top-right, bottom-right, bottom-left)."""
    tl, tr, br, bl = r if isinstance(r, tuple) else (r, r, r, r)
    pts = []
    for (cx, cy, rad, a0) in ((x1 - tr, y0 + tr, tr, -90), (x1 - br, y1 - br, br, 0),
                              (x0 + bl, y1 - bl, bl, 90), (x0 + tl, y0 + tl, tl, 180)):
        if rad <= 0:
            pts.append((cx, cy))
        else:
            pts.extend(arc_points(cx, cy, rad, rad, a0, a0 + 90))
    return [pts]


def reverse(shape):
    """The same contours wound the other way: a hole when combined with a shape."""
    return [list(reversed(c)) for c in shape]


def ring(shape_outer, shape_inner):
    return orient(shape_outer) + reverse(orient(shape_inner))


def translate(shape, dx, dy):
    return [[(x + dx, y + dy) for x, y in c] for c in shape]


def scale(shape, sx, sy=None, ox=0.0, oy=0.0):
    sy = sx if sy is None else sy
    return [[(ox + (x - ox) * sx, oy + (y - oy) * sy) for x, y in c] for c in shape]


def _area(contour):
    a = 0.0
    for (x0, y0), (x1, y1) in zip(contour, contour[1:] + contour[:1]):
        a += x0 * y1 - x1 * y0
    return a / 2


def orient(shape):
    """Every contour wound the same way, so that overlapping pieces add up to their union."""
    return [c if _area(c) >= 0 else list(reversed(c)) for c in shape]


def stroke(polyline, width, closed=False):
    """A polyline widened to `width` with round joins and caps, as a shape."""
    hw = width / 2
    pts = list(polyline)
    if closed:
        pts = pts + pts[:1]
    parts = []
    for (x0, y0), (x1, y1) in zip(pts, pts[1:]):
        dx, dy = x1 - x0, y1 - y0
        length = math.hypot(dx, dy)
        if length < 1e-9:
            continue
        nx, ny = -dy / length * hw, dx / length * hw
        parts.append([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)])
    sides = max(8, int(hw * 8))
    for x, y in pts:
        parts.append(arc_points(x, y, hw, hw, 0, 360, sides)[:-1])
    return orient(parts)


def strokes(polylines, width):
    shape = []
    for p in polylines:
        shape.extend(stroke(p, width))
    return shape


# ------------------------------------------------------------------ coverage


def coverage(shape, width, height):
    """(x0, y0, w, rows): coverage 0..1 of the shape over its clipped bounding box."""
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
    buckets = [[] for _ in range(y1 - y0)]
    for c in shape:
        for (ax, ay), (bx, by) in zip(c, c[1:] + c[:1]):
            if ay == by:
                continue
            d = 1
            if ay > by:
                ax, ay, bx, by, d = bx, by, ax, ay, -1
            slope = (bx - ax) / (by - ay)
            r0 = max(y0, int(math.floor(ay)))
            r1 = min(y1, int(math.ceil(by)))
            edge = (ax, ay, by, slope, d)
            for r in range(r0, r1):
                buckets[r - y0].append(edge)
    inv = 1.0 / SUBROWS
    rows = []
    for ri, edges in enumerate(buckets):
        acc = [0.0] * (bw + 1)
        diff = [0.0] * (bw + 2)
        py = y0 + ri
        for k in range(SUBROWS):
            ys_ = py + (k + 0.5) * inv
            cross = [(ax + (ys_ - ay) * slope, d) for ax, ay, by, slope, d in edges if ay <= ys_ < by]
            if not cross:
                continue
            cross.sort()
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


# ------------------------------------------------------------------ canvas


class Canvas:
    def __init__(self, width, height):
        self.w = width
        self.h = height
        n = width * height
        self.r = [0.0] * n
        self.g = [0.0] * n
        self.b = [0.0] * n
        self.a = [0.0] * n

    def copy(self):
        c = Canvas(self.w, self.h)
        c.r, c.g, c.b, c.a = self.r[:], self.g[:], self.b[:], self.a[:]
        return c

    def fill(self, shape, paint, opacity=1.0):
        """Paints the shape source-over; paint is a colour or a function of (x, y)."""
        x0, y0, bw, rows = coverage(shape, self.w, self.h)
        solid = not callable(paint)
        R, G, B, A = self.r, self.g, self.b, self.a
        for j, row in enumerate(rows):
            y = y0 + j
            base = y * self.w + x0
            for i, cov in enumerate(row):
                if cov <= 0.0:
                    continue
                cr, cg, cb, ca = paint if solid else paint(x0 + i + 0.5, y + 0.5)
                sa = ca * cov * opacity
                if sa <= 0.0:
                    continue
                k = base + i
                t = 1.0 - sa
                R[k] = cr * sa + R[k] * t
                G[k] = cg * sa + G[k] * t
                B[k] = cb * sa + B[k] * t
                A[k] = sa + A[k] * t

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
        c = Canvas(w, h)
        for y in range(h):
            src = (y0 + y) * self.w + x0
            dst = y * w
            c.r[dst:dst + w] = self.r[src:src + w]
            c.g[dst:dst + w] = self.g[src:src + w]
            c.b[dst:dst + w] = self.b[src:src + w]
            c.a[dst:dst + w] = self.a[src:src + w]
        return c

    def mask(self, shape):
        """Keeps only what lies inside the shape."""
        x0, y0, bw, rows = coverage(shape, self.w, self.h)
        keep = [0.0] * (self.w * self.h)
        for j, row in enumerate(rows):
            base = (y0 + j) * self.w + x0
            keep[base:base + bw] = row
        for ch in (self.r, self.g, self.b, self.a):
            for k in range(len(ch)):
                ch[k] *= keep[k]

    def tint(self, color):
        """Every pixel in one colour, keeping the alpha (for shadows and glows)."""
        cr, cg, cb, ca = color
        for k in range(len(self.a)):
            a = self.a[k] * ca
            self.a[k] = a
            self.r[k] = cr * a
            self.g[k] = cg * a
            self.b[k] = cb * a

    def blur(self, radius, passes=3):
        """Approximate gaussian: repeated box blurs along both axes."""
        if radius <= 0:
            return
        for ch in (self.r, self.g, self.b, self.a):
            for _ in range(passes):
                _box_rows(ch, self.w, self.h, radius)
                _box_cols(ch, self.w, self.h, radius)

    def pixel(self, x, y):
        """Straight (not premultiplied) 8-bit RGBA."""
        k = y * self.w + x
        a = self.a[k]
        if a <= 0.0:
            return (0, 0, 0, 0)
        return tuple(min(255, max(0, int(round(v / a * 255)))) for v in (self.r[k], self.g[k], self.b[k])) + (
            min(255, int(round(a * 255))),)


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


# ------------------------------------------------------------------ PNG


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def png_bytes(canvas, hidden_rgb=(0, 0, 0), avoid=None):
    """32-bit RGBA PNG; fully transparent pixels carry hidden_rgb, and an opaque pixel that
    would come out exactly as `avoid` (a colour key) is nudged one step in blue."""
    w, h = canvas.w, canvas.h
    raw = []
    for y in range(h):
        line = bytearray()
        for x in range(w):
            r, g, b, a = canvas.pixel(x, y)
            if a == 0:
                r, g, b = hidden_rgb
            elif a == 255 and (r, g, b) == avoid:
                b += 1
            line += bytes((r, g, b, a))
        raw.append(bytes(line))
    # Per line, the filter with the smallest sum of magnitudes: smaller files, same pixels.
    out = bytearray()
    prev = bytes(w * 4)
    for line in raw:
        best = None
        for ftype in range(5):
            f = bytearray(len(line))
            for i, v in enumerate(line):
                a = line[i - 4] if i >= 4 else 0
                b = prev[i]
                c = prev[i - 4] if i >= 4 else 0
                pred = (0, a, b, (a + b) // 2, _paeth(a, b, c))[ftype]
                f[i] = (v - pred) & 0xFF
            cost = sum(v if v < 128 else 256 - v for v in f)
            if best is None or cost < best[0]:
                best = (cost, ftype, f)
        out.append(best[1])
        out += best[2]
        prev = line

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data))

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(out), 9))
            + chunk(b"IEND", b""))
