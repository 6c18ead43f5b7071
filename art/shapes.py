"""Outlines to fill: contours in pixel units (x right, y down), standard library only.

A contour is a list of (x, y) points, closed implicitly; a shape is a list of contours, filled
with the non-zero winding rule, so that overlapping pieces of one shape form their union and a
contour wound the other way cuts a hole. Angles are in radians (y down: pi/2 is below).

Curves are cut into chords at one of two levels of detail. FINE, for icons of 16 to 48 pixels:
1.5 chords per radian and pixel of radius, the vertices pushed out so that the polygon keeps the
curve's area. COARSE, for the switcher's skin: a chord per 1.5 pixels of arc, vertices on the
curve; at that size the difference does not show and drawing is much quicker.
"""

import math

FINE = "fine"
COARSE = "coarse"


def signed_area(contour):
    s = 0.0
    for (x0, y0), (x1, y1) in zip(contour, contour[1:] + contour[:1]):
        s += x0 * y1 - x1 * y0
    return s / 2.0


def oriented(contour, positive=True):
    """The contour turned so that its signed area has the wanted sign (holes are negative)."""
    return contour if (signed_area(contour) >= 0) == positive else contour[::-1]


def _chords(rx, ry, sweep, detail):
    if detail == FINE:
        return max(4, int(math.ceil(abs(sweep) * max(rx, ry, 1.0) * 1.5)))
    return max(4, int(math.ceil(abs(sweep) * max(rx, ry) / 1.5)))


def arc_points(cx, cy, rx, ry, a0, a1, steps=None, detail=FINE):
    """Points on an ellipse from angle a0 to a1, both ends included."""
    steps = steps or _chords(rx, ry, a1 - a0, detail)
    k = 1.0
    if detail == FINE:
        # Chords cut inside the curve; pushing the vertices out a little keeps the area true.
        step = abs(a1 - a0) / steps
        k = math.sqrt(step / math.sin(step)) if step > 0 else 1.0
    return [(cx + k * rx * math.cos(a0 + (a1 - a0) * i / steps),
             cy + k * ry * math.sin(a0 + (a1 - a0) * i / steps)) for i in range(steps + 1)]


def ellipse(cx, cy, rx, ry=None, detail=FINE):
    ry = rx if ry is None else ry
    return oriented(arc_points(cx, cy, rx, ry, 0.0, 2 * math.pi, detail=detail)[:-1])


def circle(cx, cy, r, detail=FINE):
    return ellipse(cx, cy, r, detail=detail)


def rect(x0, y0, x1, y1):
    return oriented([(x0, y0), (x1, y0), (x1, y1), (x0, y1)])


def rrect(x0, y0, x1, y1, r, detail=FINE):
    """Rounded rectangle; r is one radius or (top-left, top-right, bottom-right, bottom-left).
    A corner of radius 0 is square; radii over half a side are not cut down (the skin's
    highlight band relies on the overlap)."""
    tl, tr, br, bl = (max(0.0, c) for c in (r if isinstance(r, tuple) else (r,) * 4))
    if tl == tr == br == bl == 0:
        return rect(x0, y0, x1, y1)
    h = math.pi / 2
    pts = []
    for cx, cy, rad, a0 in ((x1 - tr, y0 + tr, tr, -h), (x1 - br, y1 - br, br, 0.0),
                            (x0 + bl, y1 - bl, bl, h), (x0 + tl, y0 + tl, tl, 2 * h)):
        if rad <= 0:
            pts.append((cx, cy))
        else:
            pts += arc_points(cx, cy, rad, rad, a0, a0 + h, detail=detail)
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


def stroke(points, width, closed=False, caps=True, detail=FINE):
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
    if detail == FINE:
        shape += [circle(x, y, half) for x, y in joins]
    else:
        sides = max(8, int(half * 8))
        shape += [oriented(arc_points(x, y, half, half, 0.0, 2 * math.pi, sides, COARSE)[:-1])
                  for x, y in joins]
    return shape


def strokes(lines, width, detail=FINE):
    shape = []
    for line in lines:
        shape += stroke(line, width, detail=detail)
    return shape


def outline(shape, width):
    """Stroke around every contour of a shape (drawn under the fill, it leaves a rim of
    width/2 outside the shape)."""
    out = []
    for contour in shape:
        out += stroke(contour, width, closed=True)
    return out


def ring(outer, inner):
    """The outer shape with the inner one cut out of it."""
    return [oriented(c) for c in outer] + [oriented(c, positive=False) for c in inner]


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
