"""Icon (.ico) and PNG files from 8-bit RGBA pixel lists, standard library only."""

import struct
import zlib


def _dib(size, pixels):
    """One icon image: a 32-bit BITMAPINFOHEADER image (height doubled for the mask), the
    colour rows bottom-up in BGRA, then the 1-bit AND mask that older systems use."""
    mask_stride = ((size + 31) // 32) * 4
    color = bytearray()
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        row_mask = bytearray(mask_stride)
        for x in range(size):
            r, g, b, a = pixels[y * size + x]
            color += bytes((b, g, r, a))
            if a == 0:
                row_mask[x // 8] |= 0x80 >> (x % 8)
        mask += row_mask
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(color) + len(mask), 0, 0, 0, 0)
    return header + bytes(color) + bytes(mask)


def ico_bytes(images):
    """images: {size: [(r, g, b, a), ...]}; entries are written largest first."""
    sizes = sorted(images, reverse=True)
    blobs = [_dib(s, images[s]) for s in sizes]
    out = bytearray(struct.pack("<HHH", 0, 1, len(sizes)))
    offset = 6 + 16 * len(sizes)
    for s, blob in zip(sizes, blobs):
        dim = 0 if s >= 256 else s
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


def read_ico(data):
    """The inverse of ico_bytes for 32-bit images: {size: [(r, g, b, a), ...]}."""
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1:
        raise ValueError("not an icon file")
    images = {}
    for i in range(count):
        w, h, _, _, _, bits, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        size = w or 256
        hsize, bw, bh, _, bpp = struct.unpack_from("<IiiHH", data, offset)
        if bits != 32 or bpp != 32 or bw != size or bh != 2 * size or hsize != 40:
            raise ValueError("unexpected icon image %d" % i)
        if offset + length > len(data):
            raise ValueError("icon image %d runs past the file" % i)
        px = [None] * (size * size)
        p = offset + hsize
        for y in range(size - 1, -1, -1):
            for x in range(size):
                b, g, r, a = data[p:p + 4]
                px[y * size + x] = (r, g, b, a)
                p += 4
        images[size] = px
    return images


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def _best_filter(line, prev):
    """The filter byte and filtered line with the smallest sum of magnitudes."""
    best = None
    for kind in range(5):
        f = bytearray(len(line))
        for i, v in enumerate(line):
            a = line[i - 4] if i >= 4 else 0
            b = prev[i]
            c = prev[i - 4] if i >= 4 else 0
            pred = (0, a, b, (a + b) // 2, _paeth(a, b, c))[kind]
            f[i] = (v - pred) & 0xFF
        cost = sum(v if v < 128 else 256 - v for v in f)
        if best is None or cost < best[0]:
            best = (cost, kind, f)
    return bytes([best[1]]) + bytes(best[2])


def png_bytes(width, height, pixels, adaptive=False):
    """A plain RGBA PNG; pixels row-major from the top. `adaptive` picks each line's filter,
    for smaller files at the cost of time."""
    raw = bytearray()
    prev = bytes(width * 4)
    for y in range(height):
        line = bytearray()
        for r, g, b, a in pixels[y * width:(y + 1) * width]:
            line += bytes((r, g, b, a))
        raw += _best_filter(line, prev) if adaptive else b"\x00" + line
        prev = line

    def chunk(tag, body):
        return (struct.pack(">I", len(body)) + tag + body
                + struct.pack(">I", zlib.crc32(tag + body) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))
