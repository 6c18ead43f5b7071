"""What every generator here shares: write its files, or check that the committed ones are
exactly what it draws (CTest runs each generator with --check)."""

import argparse
import functools
import os
import sys

from imagefile import ico_bytes, png_bytes


def run(argv, description, out_dir, files, script, extra_args=None):
    """Parses the generator's command line, then writes or checks its files.

    files(args) yields (name, bytes) into out_dir (or --out); extra_args(parser) adds the
    generator's own options. Returns the exit status: 1 when a file differs or is missing.
    """
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--check", action="store_true",
                        help="compare with the committed files instead of writing them")
    parser.add_argument("--out", default=out_dir, help="directory of the files")
    if extra_args:
        extra_args(parser)
    args = parser.parse_args(argv)
    stale = []
    for name, data in files(args):
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
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
    for path in stale:
        print("out of date: %s (run art/%s)" % (path, script), file=sys.stderr)
    return 1 if stale else 0


def preview(all_images, sizes, path, box=192):
    """A PNG sheet of icons, one per row: each size enlarged to about the same box over a
    checkerboard (sizes above the box at 1:1), then the sizes up to 64 at 1:1 on a light and
    on a dark panel."""
    cell = max([box] + list(sizes)) + 8
    actual = [n for n in sizes if n <= 64]
    small = sum(n + 6 for n in actual) + 8
    width = len(sizes) * cell + 2 * small + 8
    height = len(all_images) * (cell + 8) + 8
    sheet = [(128, 128, 128, 255)] * (width * height)

    def put(x, y, c):
        sheet[y * width + x] = c

    def blend(dst, src):
        a = src[3] / 255.0
        return tuple(int(round(s * a + d * (1 - a))) for s, d in zip(src[:3], dst[:3])) + (255,)

    for row, images in enumerate(all_images):
        top = 8 + row * (cell + 8)
        for col, n in enumerate(sizes):
            left = 8 + col * cell
            zoom = max(1, box // n)
            px = images[n]
            for y in range(n * zoom):
                for x in range(n * zoom):
                    light = ((x // 8 + y // 8) % 2) == 0
                    check = (250, 250, 250, 255) if light else (214, 214, 214, 255)
                    put(left + x, top + y, blend(check, px[(y // zoom) * n + x // zoom]))
        for p, panel in enumerate(((236, 236, 236, 255), (32, 40, 52, 255))):
            left = 8 + len(sizes) * cell + p * small
            for y in range(max(actual) + 8):
                for x in range(small - 8):
                    put(left + x, top + y, panel)
            x = left + 4
            for n in actual:
                px = images[n]
                for yy in range(n):
                    for xx in range(n):
                        put(x + xx, top + 4 + yy, blend(panel, px[yy * n + xx]))
                x += n + 6
    with open(path, "wb") as f:
        f.write(png_bytes(width, height, sheet))


@functools.lru_cache(maxsize=None)
def _render(draw, sizes):
    # Drawing is slow, so a process draws each icon once.
    return {n: draw(n).rgba8() for n in sizes}


def run_icons(argv, description, out_dir, icons, sizes, script):
    """run() for a set of .ico files: icons is [(file name, draw(size) -> Canvas)], each
    drawn at every size; --preview also writes a sheet of them."""
    def extra_args(parser):
        parser.add_argument("--preview", metavar="PNG", help="also write a preview sheet")

    def files(args):
        rendered = [(name, _render(draw, sizes)) for name, draw in icons]
        if args.preview:
            preview([images for _, images in rendered], sizes, args.preview)
        return [(name, ico_bytes(images)) for name, images in rendered]

    return run(argv, description, out_dir, files, script, extra_args)
