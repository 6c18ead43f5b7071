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


# From this size on an icon image is stored as a PNG, as Windows' own 256-pixel icons are: the
# plain image would be a quarter of a megabyte.
PNG_FROM = 256


def ico_bytes(images):
    """images: {size: [(r, g, b, a), ...]}; entries are written largest first."""
    sizes = sorted(images, reverse=True)
    blobs = [png_bytes(s, s, images[s]) if s >= PNG_FROM else _dib(s, images[s])
             for s in sizes]
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
        if offset + length > len(data):
            raise ValueError("icon image %d runs past the file" % i)
        if data[offset:offset + 8] == PNG_SIGNATURE:
            width, height, px = read_png(data[offset:offset + length])
            if (width, height) != (size, size):
                raise ValueError("icon image %d is not %d pixels" % (i, size))
            images[size] = px
            continue
        hsize, bw, bh, _, bpp = struct.unpack_from("<IiiHH", data, offset)
        if bits != 32 or bpp != 32 or bw != size or bh != 2 * size or hsize != 40:
            raise ValueError("unexpected icon image %d" % i)
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


PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def read_png(data):
    """(width, height, [(r, g, b, a), ...]) of an 8-bit RGBA PNG as png_bytes writes them."""
    if data[:8] != PNG_SIGNATURE:
        raise ValueError("not a PNG file")
    at, idat, header = 8, b"", None
    while at + 8 <= len(data):
        length, tag = struct.unpack_from(">I4s", data, at)
        body = data[at + 8:at + 8 + length]
        if tag == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif tag == b"IDAT":
            idat += body
        at += 12 + length
    if header is None or header[2:] != (8, 6, 0, 0, 0):
        raise ValueError("not an 8-bit RGBA PNG")
    width, height = header[:2]
    raw = zlib.decompress(idat)
    stride = width * 4
    prev = bytearray(stride)
    pixels = []
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - 4] if i >= 4 else 0
            b = prev[i]
            c = prev[i - 4] if i >= 4 else 0
            line[i] = (line[i] + (0, a, b, (a + b) // 2, _paeth(a, b, c))[kind]) & 0xFF
        pixels += [tuple(line[x:x + 4]) for x in range(0, stride, 4)]
        prev = line
    return width, height, pixels


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

    return (PNG_SIGNATURE
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))
