#!/usr/bin/env python3
"""Tests of the icon drawing and file writing, and that the committed icons are current."""

import math
import os
import struct
import sys
import tempfile
import unittest
import zlib

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import make_icons  # noqa: E402
from imagefile import ico_bytes, png_bytes, read_ico  # noqa: E402
from raster import Canvas, coverage, solid  # noqa: E402
from shapes import (circle, oriented, outline, place, polygon, rect, rrect,  # noqa: E402
                    signed_area, stroke)


def area(cov):
    return sum(cov)


class CoverageTest(unittest.TestCase):
    def test_pixel_aligned_square_covers_whole_pixels_only(self):
        cov = coverage([rect(2, 3, 5, 7)], 8)
        for y in range(8):
            for x in range(8):
                inside = 2 <= x < 5 and 3 <= y < 7
                self.assertAlmostEqual(cov[y * 8 + x], 1.0 if inside else 0.0, places=6,
                                       msg=(x, y))

    def test_half_pixel_edges_give_half_coverage(self):
        cov = coverage([rect(1.5, 1, 3, 2)], 4)
        self.assertAlmostEqual(cov[1 * 4 + 1], 0.5, places=6)
        self.assertAlmostEqual(cov[1 * 4 + 2], 1.0, places=6)
        cov = coverage([rect(0, 0.25, 1, 1)], 2)
        self.assertAlmostEqual(cov[0], 0.75, places=6)

    def test_circle_area_is_close_to_pi_r_squared(self):
        r = 6.3
        self.assertAlmostEqual(area(coverage([circle(8, 8, r)], 16)), math.pi * r * r,
                               delta=0.2)

    def test_overlapping_pieces_form_their_union(self):
        both = coverage([rect(0, 0, 4, 4), rect(2, 0, 6, 4)], 8)
        self.assertAlmostEqual(area(both), 24.0, places=6)
        self.assertLessEqual(max(both), 1.0)

    def test_a_reversed_contour_is_a_hole(self):
        ring = [circle(8, 8, 6), oriented(circle(8, 8, 3), positive=False)]
        expected = math.pi * (36 - 9)
        self.assertAlmostEqual(area(coverage(ring, 16)), expected, delta=0.3)
        self.assertAlmostEqual(coverage(ring, 16)[8 * 16 + 8], 0.0, places=6)

    def test_shapes_outside_the_grid_are_clipped(self):
        cov = coverage([rect(-4, -4, 2, 2)], 4)
        self.assertAlmostEqual(area(cov), 4.0, places=6)
        self.assertEqual(area(coverage([rect(10, 10, 12, 12)], 4)), 0.0)

    def test_stroke_of_a_segment_is_a_capsule(self):
        cov = coverage(stroke([(2, 4), (10, 4)], 2), 16)
        self.assertAlmostEqual(area(cov), 8 * 2 + math.pi, delta=0.1)

    def test_outline_surrounds_the_shape(self):
        shape = [rect(4, 4, 8, 8)]
        cov = coverage(outline(shape, 2), 12)
        self.assertAlmostEqual(cov[3 * 12 + 5], 1.0, places=6)  # rim above the top edge
        self.assertAlmostEqual(cov[6 * 12 + 6], 0.0, places=6)  # middle left open

    def test_place_scales_moves_and_keeps_orientation(self):
        unit = [polygon([(-1, -1), (1, -1), (1, 1), (-1, 1)])]
        placed = place(unit, 8, 8, 2)
        self.assertAlmostEqual(area(coverage(placed, 16)), 16.0, places=6)
        hole = place([oriented(unit[0], positive=False)], 8, 8, 2)
        self.assertLess(signed_area(hole[0]), 0)

    def test_rounded_rect_is_smaller_than_its_box(self):
        a = area(coverage([rrect(0, 0, 10, 10, 3)], 12))
        self.assertAlmostEqual(a, 100 - (4 - math.pi) * 9, delta=0.2)


class CanvasTest(unittest.TestCase):
    def test_over_compositing_and_straight_alpha_output(self):
        cv = Canvas(2)
        cv.fill([rect(0, 0, 2, 2)], solid("#ff0000"), opacity=0.5)
        cv.fill([rect(0, 0, 1, 2)], solid("#0000ff"), opacity=0.5)
        px = cv.rgba8()
        self.assertEqual(px[1], (255, 0, 0, 128))
        # Blue half over red half: a = 0.75, colour (0.25 red + 0.5 blue) / 0.75.
        self.assertEqual(px[0], (85, 0, 170, 191))

    def test_clear_pixels_are_all_zero_and_erase_cuts_holes(self):
        cv = Canvas(4)
        cv.fill([rect(0, 0, 4, 4)], solid("#123456"))
        cv.erase([rect(1, 1, 3, 3)])
        px = cv.rgba8()
        self.assertEqual(px[1 * 4 + 1], (0, 0, 0, 0))
        self.assertEqual(px[0], (0x12, 0x34, 0x56, 255))

    def test_clip_limits_a_fill(self):
        cv = Canvas(4)
        cv.fill([rect(0, 0, 4, 4)], solid("#ffffff"), clip=cv.mask([rect(0, 0, 2, 4)]))
        px = cv.rgba8()
        self.assertEqual(px[0][3], 255)
        self.assertEqual(px[3][3], 0)


class FileTest(unittest.TestCase):
    def images(self):
        out = {}
        for n in (48, 32, 16):
            out[n] = [((x * 5) % 256, (y * 7) % 256, (x ^ y) % 256, 0 if x == y else 200)
                      for y in range(n) for x in range(n)]
        return out

    def test_ico_directory_and_headers(self):
        images = self.images()
        data = ico_bytes(images)
        self.assertEqual(struct.unpack_from("<HHH", data, 0), (0, 1, 3))
        offset = 6 + 3 * 16
        for i, n in enumerate((48, 32, 16)):
            w, h, colours, _, planes, bits, length, at = struct.unpack_from("<BBBBHHII", data,
                                                                            6 + 16 * i)
            self.assertEqual((w, h, colours, planes, bits, at), (n, n, 0, 1, 32, offset))
            mask = ((n + 31) // 32) * 4 * n
            self.assertEqual(length, 40 + n * n * 4 + mask)
            hdr = struct.unpack_from("<IiiHHI", data, at)
            self.assertEqual(hdr, (40, n, 2 * n, 1, 32, 0))
            offset += length
        self.assertEqual(offset, len(data))

    def test_ico_round_trip_keeps_every_pixel(self):
        images = self.images()
        self.assertEqual(read_ico(ico_bytes(images)), images)

    def test_and_mask_marks_exactly_the_clear_pixels(self):
        n = 16
        px = [(1, 2, 3, 0 if (x == 3 and y == 0) else 255) for y in range(n) for x in range(n)]
        data = ico_bytes({n: px})
        at = struct.unpack_from("<I", data, 6 + 12)[0]
        mask_at = at + 40 + n * n * 4
        stride = 4
        # Rows are stored bottom-up: image row 0 is the last mask row.
        top_row = data[mask_at + (n - 1) * stride: mask_at + n * stride]
        self.assertEqual(top_row, bytes([0x10, 0, 0, 0]))
        others = data[mask_at: mask_at + (n - 1) * stride]
        self.assertEqual(others, bytes(len(others)))
        # Colour rows bottom-up in BGRA.
        self.assertEqual(data[at + 40: at + 44], bytes([3, 2, 1, 255]))

    def test_the_largest_image_is_a_png_inside_the_ico(self):
        images = {256: [(9, 8, 7, 200 if i % 3 else 0) for i in range(256 * 256)],
                  16: [(1, 2, 3, 255)] * 256}
        data = ico_bytes(images)
        w, _, _, _, _, bits, length, at = struct.unpack_from("<BBBBHHII", data, 6)
        self.assertEqual((w, bits), (0, 32))
        self.assertTrue(data[at:at + 8].startswith(b"\x89PNG"))
        self.assertLess(length, 256 * 256)
        self.assertEqual(read_ico(data), images)

    def test_read_ico_refuses_other_files(self):
        with self.assertRaises(ValueError):
            read_ico(b"\x00\x00\x02\x00\x00\x00")
        data = bytearray(ico_bytes({16: [(0, 0, 0, 255)] * 256}))
        struct.pack_into("<I", data, 6 + 8, 99999)
        with self.assertRaises(ValueError):
            read_ico(bytes(data))

    def test_png_chunks_and_pixels(self):
        px = [(10, 20, 30, 40), (50, 60, 70, 80)]
        data = png_bytes(2, 1, px)
        self.assertTrue(data.startswith(b"\x89PNG\r\n\x1a\n"))
        length, tag = struct.unpack_from(">I4s", data, 8)
        self.assertEqual((length, tag), (13, b"IHDR"))
        crc = struct.unpack_from(">I", data, 8 + 8 + 13)[0]
        self.assertEqual(crc, zlib.crc32(data[12:12 + 4 + 13]) & 0xFFFFFFFF)
        idat_len = struct.unpack_from(">I", data, 33)[0]
        raw = zlib.decompress(data[41:41 + idat_len])
        self.assertEqual(raw, bytes([0, 10, 20, 30, 40, 50, 60, 70, 80]))


class IconSetTest(unittest.TestCase):
    def test_library_order_starts_with_the_general_icon_then_the_five_modes(self):
        names = [name for name, _ in make_icons.ICONS[:6]]
        self.assertEqual(names, ["power.ico", "full_power.ico", "long_life.ico", "normal.ico",
                                 "high_power.ico", "dvd_playback.ico"])

    def test_committed_icons_match_the_drawing(self):
        self.assertEqual(make_icons.main(["--check"]), 0,
                         "art/icons is out of date: run art/make_icons.py")

    def test_check_reports_a_changed_or_missing_file(self):
        with tempfile.TemporaryDirectory() as tmp:
            self.assertEqual(make_icons.main(["--out", tmp]), 0)
            self.assertEqual(make_icons.main(["--check", "--out", tmp]), 0)
            path = os.path.join(tmp, "normal.ico")
            with open(path, "r+b") as f:
                f.seek(200)
                f.write(b"\x01")
            self.assertEqual(make_icons.main(["--check", "--out", tmp]), 1)
            os.remove(path)
            self.assertEqual(make_icons.main(["--check", "--out", tmp]), 1)

    def test_every_icon_is_a_real_picture_at_every_size(self):
        for name, _ in make_icons.ICONS:
            with open(os.path.join(make_icons.ICON_DIR, name), "rb") as f:
                images = read_ico(f.read())
            self.assertEqual(sorted(images), [16, 20, 24, 32, 40, 48, 64, 256], name)
            for n, px in images.items():
                alphas = [p[3] for p in px]
                opaque = sum(a == 255 for a in alphas)
                self.assertGreater(opaque, n * n // 3, (name, n))
                self.assertGreater(alphas.count(0), n * n // 20, (name, n))
                self.assertTrue(any(0 < a < 255 for a in alphas), (name, n))
                self.assertGreaterEqual(len({p for p in px if p[3] == 255}), 12, (name, n))

    def test_the_battery_rim_sits_on_whole_pixels(self):
        # The top rim row of the battery is fully opaque and dark at every size, and the row
        # above it is clear at the left end: no smeared half-pixel edges.
        rim = tuple(int(make_icons.RIM[i:i + 2], 16) for i in (1, 3, 5))
        for name, draw in make_icons.ICONS[1:6]:
            for n in make_icons.SIZES:
                px = draw(n).rgba8()
                x0, y0, x1, _ = make_icons.LAYOUT[n]["body"]
                x = (x0 + x1) // 3
                self.assertEqual(px[y0 * n + x], rim + (255,), (name, n))
                self.assertEqual(px[(y0 - 1) * n + x][3], 0, (name, n))


if __name__ == "__main__":
    unittest.main()
