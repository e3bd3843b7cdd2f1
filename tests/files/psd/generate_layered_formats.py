#!/usr/bin/env python3
"""Writes the golden files of the Alias/Wavefront, Photoshop, Paint Shop Pro,
Photo-CD and EPS readers into tests/files/{rla,psd,psp,pcd,eps}/: each case is
a small picture encoded by the writers below (made from the file layouts,
independently of the readers) and, beside it, <case>.png with the pixels a
user must see (RGB, or RGBA when the picture keeps its alpha).

The base-resolution Photo-CD cases are large and mostly repetitive, so they
are stored gzip-compressed (<case>.pcd.gz); the test unpacks them.

Run from anywhere: python3 tests/files/psd/generate_layered_formats.py
"""
import gzip
import math
import os
import struct
import zlib

FILES = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


class Lcg:
    """Small deterministic number source, so the files never change."""

    def __init__(self, seed):
        self.state = seed

    def next(self, limit):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        return (self.state >> 8) % limit


def plane(width, height, seed, limit=256):
    """Samples with flat runs (so run-length coding has work) and noise."""
    rnd = Lcg(seed)
    rows = []
    for y in range(height):
        row = []
        while len(row) < width:
            value = (rnd.next(limit) + 3 * y) % limit
            row += [value] * (1 + (rnd.next(7) if rnd.next(3) == 0 else 0))
        rows.append(row[:width])
    return rows


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def png(path, width, height, pixels, alpha=False):
    """pixels: rows of (r, g, b[, a]) tuples."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    depth = 4 if alpha else 3
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for p in row:
            raw += bytes(p[:depth])
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 6 if alpha else 2, 0, 0, 0)
    write(path, b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
          + chunk(b"IEND", b""))


def lround(v):
    return int(math.floor(abs(v) + 0.5)) * (1 if v >= 0 else -1)


def clamp(v):
    return max(0, min(255, v))


def reduce16(v):
    return v * 255 // 65535


# ---------------------------------------------------------------- run-length coders


def packbits(data):
    """0..127: literal of c + 1 bytes; -1..-127: the next byte 1 - c times."""
    out = bytearray()
    i = 0
    while i < len(data):
        run = 1
        while i + run < len(data) and run < 128 and data[i + run] == data[i]:
            run += 1
        if run >= 2:
            out += struct.pack("bB", 1 - run, data[i])
            i += run
            continue
        start = i
        while i < len(data) and i - start < 128 and not (i + 1 < len(data) and data[i + 1] == data[i]):
            i += 1
        out.append(i - start - 1)
        out += data[start:i]
    return bytes(out)


def rla_rle(data):
    """Negative: literal of -c bytes; 0..127: the next byte c + 1 times."""
    out = bytearray()
    i = 0
    while i < len(data):
        run = 1
        while i + run < len(data) and run < 128 and data[i + run] == data[i]:
            run += 1
        if run >= 2:
            out += struct.pack("bB", run - 1, data[i])
            i += run
            continue
        start = i
        while i < len(data) and i - start < 128 and not (i + 1 < len(data) and data[i + 1] == data[i]):
            i += 1
        out += struct.pack("b", -(i - start))
        out += data[start:i]
    return bytes(out)


def psp_rle(data):
    """128 + n: the next byte n times; n < 128: a literal of n bytes."""
    out = bytearray()
    i = 0
    while i < len(data):
        run = 1
        while i + run < len(data) and run < 127 and data[i + run] == data[i]:
            run += 1
        if run >= 3:
            out += bytes([128 + run, data[i]])
            i += run
            continue
        start = i
        while i < len(data) and i - start < 127 and not (
                i + 2 < len(data) and data[i + 1] == data[i] and data[i + 2] == data[i]):
            i += 1
        out.append(i - start)
        out += data[start:i]
    return bytes(out)


# ---------------------------------------------------------------- Alias/Wavefront


def rla(name, width, height, bits=8, matte=False, bottom_up=True, gamma=b"2.2"):
    channels = [plane(width, height, 11), plane(width, height, 12), plane(width, height, 13)]
    if matte:
        channels.append(plane(width, height, 14))
    maximum = 65535 if bits == 16 else 255
    if bits == 16:
        channels = [[[(v * 257 + 31 * x) % 65536 for x, v in enumerate(row)] for row in c] for c in channels]
    header = bytearray(740)
    bottom, top = (0, height - 1) if bottom_up else (height - 1, 0)
    window = struct.pack(">hhhh", 0, width - 1, bottom, top)
    header[0:8] = window
    header[8:16] = window
    struct.pack_into(">hhhhh", header, 18, 0, 3, 1 if matte else 0, 0, -2)  # storage, channels, mattes, aux, revision
    header[28:28 + len(gamma)] = gamma
    header[580:583] = b"rgb"
    struct.pack_into(">hhh", header, 658, bits, 0, bits)
    lines = bytearray()
    offsets = []
    base = 740 + 4 * height
    for i in range(height):
        y = height - 1 - i if bottom_up else i
        offsets.append(base + len(lines))
        for c in channels:
            if bits == 16:
                samples = b"".join(struct.pack(">H", v) for v in c[y])
            else:
                samples = bytes(c[y])
            packed = rla_rle(samples)
            lines += struct.pack(">H", len(packed)) + packed
    data = bytes(header) + b"".join(struct.pack(">I", o) for o in offsets) + bytes(lines)
    write(os.path.join(FILES, "rla", name + ".rla"), data)
    pixels = []
    for y in range(height):
        row = []
        for x in range(width):
            values = [c[y][x] * 255 // maximum for c in channels]
            row.append(tuple(values))
        pixels.append(row)
    png(os.path.join(FILES, "rla", name + ".png"), width, height, pixels, alpha=matte)


# ---------------------------------------------------------------- Photoshop


def psd(name, width, height, mode, depth, planes, expected, alpha=False, compression=1, color_data=b""):
    """planes: one list of rows per channel, samples below 2^depth."""
    def row_bytes(row):
        if depth == 16:
            return b"".join(struct.pack(">H", v) for v in row)
        if depth == 1:
            out = bytearray((width + 7) // 8)
            for x, v in enumerate(row):
                if v:
                    out[x // 8] |= 0x80 >> (x % 8)
            return bytes(out)
        return bytes(row)
    header = b"8BPS" + struct.pack(">H", 1) + bytes(6) + struct.pack(">HIIHH", len(planes), height, width, depth, mode)
    resources = b"8BIM" + struct.pack(">H", 1005) + b"\0\0" + struct.pack(">I", 4) + b"\0\1\0\0"
    layers = bytes(8)
    body = bytearray()
    body += struct.pack(">I", len(color_data)) + color_data
    body += struct.pack(">I", len(resources)) + resources
    body += struct.pack(">I", len(layers)) + layers
    body += struct.pack(">H", compression)
    rows = [row_bytes(r) for p in planes for r in p]
    if compression == 1:
        packed = [packbits(r) for r in rows]
        body += b"".join(struct.pack(">H", len(p)) for p in packed) + b"".join(packed)
    else:
        body += b"".join(rows)
    write(os.path.join(FILES, "psd", name + ".psd"), header + bytes(body))
    pixels = [[expected(x, y) for x in range(width)] for y in range(height)]
    png(os.path.join(FILES, "psd", name + ".png"), width, height, pixels, alpha)


def lab_to_rgb(l8, a8, b8):
    L = l8 / 2.55
    a = float(a8) - 128
    b = float(b8) - 128
    if L < 7.9996:
        Y = L / 903.3
        X = Y + a / 3893.5
        Z = Y - b / 1557.4
    else:
        f = (L + 16) / 116
        fx = f + a / 500
        fz = f - b / 200
        X = fx * fx * fx
        Y = f * f * f
        Z = fz * fz * fz
    blue = clamp(lround(255 * (0.099 * X - 0.198 * Y + 1.099 * Z)))
    green = clamp(lround(255 * (-0.952 * X + 1.893 * Y + 0.059 * Z)))
    red = clamp(lround(255 * (2.998 * X - 1.458 * Y - 0.541 * Z)))
    return (red, green, blue)


def cmyk_to_rgb(c, m, y, k):
    """Samples as Photoshop stores them: 255 is no ink."""
    ink_k = 255 - k
    def channel(stored):
        ink = 255 - stored
        return clamp(ink * ink_k // 255 - ink - ink_k + 255)
    return (channel(c), channel(m), channel(y))


def psd_cases():
    w, h = 29, 17
    r, g, b, a = (plane(w, h, s) for s in (21, 22, 23, 24))
    rgb = lambda x, y: (r[y][x], g[y][x], b[y][x])
    psd("rgb8_raw", w, h, 3, 8, [r, g, b], rgb, compression=0)
    psd("rgb8_packbits", w, h, 3, 8, [r, g, b], rgb)
    psd("rgba8_packbits", w, h, 3, 8, [r, g, b, a], lambda x, y: (r[y][x], g[y][x], b[y][x], a[y][x]), alpha=True)
    psd("multichannel3", w, h, 7, 8, [r, g, b], rgb)
    gray = lambda x, y: (r[y][x],) * 3
    psd("gray8_raw", w, h, 1, 8, [r], gray, compression=0)
    # A second channel (alpha) is not drawn for gray pictures.
    psd("gray8_alpha_packbits", w, h, 1, 8, [r, a], gray)
    psd("duotone8", w, h, 8, 8, [r], gray, color_data=bytes(range(40)))
    wide = [[(v * 257 + 7 * x) % 65536 for x, v in enumerate(row)] for row in r]
    psd("gray16_raw", w, h, 1, 16, [wide], lambda x, y: (reduce16(wide[y][x]),) * 3, compression=0)
    wide_g = [[(v * 251 + 3 * y) % 65536 for v in row] for y, row in enumerate(g)]
    wide_b = [[(v * 263) % 65536 for v in row] for row in b]
    psd("rgb16_packbits", w, h, 3, 16, [wide, wide_g, wide_b],
        lambda x, y: (reduce16(wide[y][x]), reduce16(wide_g[y][x]), reduce16(wide_b[y][x])))
    bits = [[(v >> 3) & 1 for v in row] for row in r]
    psd("bitmap1", w, h, 0, 1, [bits], lambda x, y: (0, 0, 0) if bits[y][x] else (255, 255, 255))
    lut = [(i * 7) % 256 for i in range(256)] + [(255 - i) for i in range(256)] + [(i * 3) % 256 for i in range(256)]
    psd("indexed8", w, h, 2, 8, [r], lambda x, y: (lut[r[y][x]], lut[256 + r[y][x]], lut[512 + r[y][x]]),
        color_data=bytes(lut))
    k = plane(w, h, 25)
    psd("cmyk8_packbits", w, h, 4, 8, [r, g, b, k], lambda x, y: cmyk_to_rgb(r[y][x], g[y][x], b[y][x], k[y][x]))
    # A fifth channel (alpha) is not drawn.
    psd("cmyk8_alpha_raw", w, h, 4, 8, [r, g, b, k, a], lambda x, y: cmyk_to_rgb(r[y][x], g[y][x], b[y][x], k[y][x]),
        compression=0)
    # Flat colours a user can tell apart: paper white, full black ink, full cyan.
    psd("cmyk8_flat", 3, 1, 4, 8, [[[255, 255, 0]], [[255, 255, 255]], [[255, 255, 255]], [[255, 0, 255]]],
        lambda x, y: [(255, 255, 255), (0, 0, 0), (0, 255, 255)][x], compression=0)
    lab_l = plane(w, h, 26)
    lab_a = [[(v % 120) + 68 for v in row] for row in plane(w, h, 27)]
    lab_b = [[(v % 120) + 68 for v in row] for row in plane(w, h, 28)]
    psd("lab8_packbits", w, h, 9, 8, [lab_l, lab_a, lab_b],
        lambda x, y: lab_to_rgb(lab_l[y][x], lab_a[y][x], lab_b[y][x]))


# ---------------------------------------------------------------- Paint Shop Pro


def psp_block(version, block_id, data):
    if version == 3:
        return b"~BK\0" + struct.pack("<HII", block_id, len(data), len(data))
    return b"~BK\0" + struct.pack("<HI", block_id, len(data))


def psp(name, version, width, height, depth, channels, expected, compression=1, gray=False, palette=None,
        alpha=False, strides=None, skipped_layer=False, extra_layer=False):
    """channels: list of (channel type, rows of stored bytes per row)."""
    def block(block_id, data):
        return psp_block(version, block_id, data) + data

    def chunk(data):
        return (struct.pack("<I", len(data) + 4) + data) if version > 3 else data

    attributes = struct.pack("<iidBHHHIBIiH", width, height, 72.0, 1, compression, depth,
                             3 if depth == 24 else 1, 0 if depth == 24 else 1 << depth, 1 if gray else 0,
                             0, 0, 1)
    if version > 3:
        attributes += struct.pack("<I", 0)
    out = bytearray(b"Paint Shop Pro Image File\n\x1a".ljust(32, b"\0") + struct.pack("<HH", version, 0))
    out += block(0, chunk(attributes))
    out += block(1, b"creator data that the reader skips")
    if palette is not None:
        out += block(2, chunk(struct.pack("<I", len(palette)) + b"".join(bytes(q) for q in palette)))

    def layer(layer_type, layer_channels):
        info = bytes([layer_type]) + bytes(114)
        if version == 3:
            head = b"Layer".ljust(256, b"\0") + info + struct.pack("<HH", 1, len(layer_channels))
        else:
            name_bytes = b"Background"
            head = chunk(struct.pack("<H", len(name_bytes)) + name_bytes + info) + struct.pack("<IHH", 8, 1,
                                                                                                 len(layer_channels))
        body = bytearray(head)
        for channel_type, rows, stride in layer_channels:
            raw = b"".join(bytes(row).ljust(stride, b"\0") for row in rows)
            if compression == 1:
                packed = psp_rle(raw)
            elif compression == 2:
                packed = zlib.compress(raw, 9)
            else:
                packed = raw
            fields = chunk(struct.pack("<IIHH", len(packed), len(raw), 0 if channel_type or not alpha else 1,
                                       channel_type))
            body += block(5, fields + packed)
        return block(4, bytes(body))

    if strides is None:
        strides = [len(rows[0]) for _, rows in channels]
    layers = bytearray()
    if skipped_layer:
        # A layer the reader does not take (a vector layer), before the raster one.
        layers += layer(2 if version > 3 else 1, [(t, [[0x55] * len(row) for row in rows], s)
                                                   for (t, rows), s in zip(channels, strides)])
    layers += layer(1 if version > 3 else 0, [(t, rows, s) for (t, rows), s in zip(channels, strides)])
    if extra_layer:
        layers += layer(1 if version > 3 else 0, [(t, [[0xAA] * len(r) for r in rows], s)
                                                  for (t, rows), s in zip(channels, strides)])
    out += block(3, bytes(layers))
    write(os.path.join(FILES, "psp", name + ".psp"), bytes(out))
    pixels = [[expected(x, y) for x in range(width)] for y in range(height)]
    png(os.path.join(FILES, "psp", name + ".png"), width, height, pixels, alpha)


def pack_bits(values, depth, row_bytes):
    out = bytearray(row_bytes)
    per_byte = 8 // depth
    for x, v in enumerate(values):
        out[x // per_byte] |= v << (8 - depth - depth * (x % per_byte))
    return list(out)


def psp_cases():
    w, h = 23, 14
    r, g, b, a = (plane(w, h, s) for s in (31, 32, 33, 34))
    rgb = lambda x, y: (r[y][x], g[y][x], b[y][x])
    colour = [(1, r), (2, g), (3, b)]
    psp("v5_rgb_rle", 5, w, h, 24, colour, rgb, skipped_layer=True, extra_layer=True)
    psp("v5_rgb_deflate", 5, w, h, 24, colour, rgb, compression=2)
    psp("v7_rgb_none", 7, w, h, 24, colour, rgb, compression=0)
    psp("v3_rgb_rle", 3, w, h, 24, colour, rgb, skipped_layer=True)
    psp("v5_rgba_deflate", 5, w, h, 24, colour + [(0, a)], lambda x, y: (r[y][x], g[y][x], b[y][x], a[y][x]),
        compression=2, alpha=True)
    quads = [((i * 5) % 256, (i * 11) % 256, (255 - i), 0) for i in range(256)]  # blue, green, red, reserved
    look = lambda i: (quads[i][2], quads[i][1], quads[i][0])
    psp("v5_indexed8_none", 5, w, h, 8, [(0, r)], lambda x, y: look(r[y][x]), compression=0, palette=quads)
    psp("v5_gray8_rle", 5, w, h, 8, [(0, g)], lambda x, y: (g[y][x],) * 3, gray=True,
        palette=[(i, i, i, 0) for i in range(256)])
    # Rows padded to four bytes, as the channel's unpacked size says.
    psp("v6_gray8_padded_rle", 6, w, h, 8, [(0, g)], lambda x, y: (g[y][x],) * 3, gray=True,
        palette=[(i, i, i, 0) for i in range(256)], strides=[24])
    even = 22
    nibbles = [[v % 16 for v in row[:even]] for row in r]
    quads16 = quads[:16]
    psp("v5_indexed4_even_rle", 5, even, h, 4, [(0, [pack_bits(row, 4, even // 2) for row in nibbles])],
        lambda x, y: look(nibbles[y][x]), palette=quads16)
    odd_nibbles = [[v % 16 for v in row] for row in g]
    psp("v5_indexed4_odd_deflate", 5, w, h, 4, [(0, [pack_bits(row, 4, w // 2 + 1) for row in odd_nibbles])],
        lambda x, y: look(odd_nibbles[y][x]), compression=2, palette=quads16)
    bits = [[(v >> 2) & 1 for v in row] for row in b]
    two = [(0, 0, 0, 0), (255, 255, 255, 0)]
    psp("v5_mono1_rle", 5, w, h, 1, [(0, [pack_bits(row, 1, (w + 7) // 8) for row in bits])],
        lambda x, y: (255, 255, 255) if bits[y][x] else (0, 0, 0), palette=two)


# ---------------------------------------------------------------- Photo-CD


def f32(x):
    return struct.unpack("<f", struct.pack("<f", x))[0]


def photo_ycc_tables():
    r, g, b = f32(0.2125), f32(0.7154), f32(0.0721)
    cr = 2 - 2 * r
    cb = 2 - 2 * b
    gr = r * cr / g
    gb = b * cb / g
    red = [lround(cr * (i - 137)) for i in range(256)]
    blue = [lround(cb * (i - 156)) for i in range(256)]
    green_cr = [-lround(gr * (i - 137)) for i in range(256)]
    green_cb = [-lround(gb * (i - 156)) for i in range(256)]
    return red, blue, green_cr, green_cb


def upsample(c):
    """Stored samples keep their places; new ones are the rounded mean of their
    two or four stored neighbours; the last column and row copy their neighbour."""
    h, w = len(c), len(c[0])
    out = [[0] * (2 * w) for _ in range(2 * h)]
    for y in range(h):
        for x in range(w):
            right = x + 1 < w
            below = y + 1 < h
            out[2 * y][2 * x] = c[y][x]
            if right:
                out[2 * y][2 * x + 1] = (c[y][x] + c[y][x + 1] + 1) // 2
            if below:
                out[2 * y + 1][2 * x] = (c[y][x] + c[y + 1][x] + 1) // 2
            if right and below:
                out[2 * y + 1][2 * x + 1] = (c[y][x] + c[y][x + 1] + c[y + 1][x] + c[y + 1][x + 1] + 2) // 4
        out[2 * y][2 * w - 1] = out[2 * y][2 * w - 2]
        if y + 1 < h:
            out[2 * y + 1][2 * w - 1] = out[2 * y + 1][2 * w - 2]
    out[2 * h - 1] = list(out[2 * h - 2])
    return out


def blocky(width, height, seed, low, high, size):
    """Blocks of one value each (they keep the base-resolution files small)."""
    rnd = Lcg(seed)
    blocks = [[low + rnd.next(high - low) for _ in range((width + size - 1) // size)]
              for _ in range((height + size - 1) // size)]
    return [[blocks[y // size][x // size] for x in range(width)] for y in range(height)]


def pcd(name, overview, rotation, compress=False):
    width, height = (192, 128) if overview else (768, 512)
    size = 3 if overview else 32
    luma = blocky(width, height, 41, 20, 230, size)
    c1 = blocky(width // 2, height // 2, 42, 100, 210, size)
    c2 = blocky(width // 2, height // 2, 43, 90, 200, size)
    head = bytearray(2048 * (5 if overview else 96))
    if overview:
        head[0:7] = b"PCD_OPA"
    head[10:12] = struct.pack(">H", 1)
    head[2048:2055] = b"PCD_IPI"
    head[3586] = rotation | 0x08  # the upper bits hold other things
    data = bytearray()
    for group in range(height // 2):
        data += bytes(luma[2 * group]) + bytes(luma[2 * group + 1]) + bytes(c1[group]) + bytes(c2[group])
    content = bytes(head) + bytes(data)
    path = os.path.join(FILES, "pcd", name + ".pcd")
    if compress:
        write(path + ".gz", gzip.compress(content, 9, mtime=0))
    else:
        write(path, content)
    red, blue, green_cr, green_cb = photo_ycc_tables()
    u1, u2 = upsample(c1), upsample(c2)
    stored = [[(clamp(luma[y][x] + red[u2[y][x]]),
                clamp(luma[y][x] + green_cb[u1[y][x]] + green_cr[u2[y][x]]),
                clamp(luma[y][x] + blue[u1[y][x]])) for x in range(width)] for y in range(height)]
    if rotation == 1:  # (x, y) goes to column y, row width - 1 - x
        shown = [[stored[col][width - 1 - row] for col in range(height)] for row in range(width)]
    elif rotation == 3:  # (x, y) goes to column height - 1 - y, row x
        shown = [[stored[height - 1 - col][row] for col in range(height)] for row in range(width)]
    else:
        shown = stored
    png(os.path.join(FILES, "pcd", name + ".png"), len(shown[0]), len(shown), shown)


def pcd_cases():
    for rotation in range(4):
        pcd("overview_rot%d" % rotation, True, rotation)
    pcd("base_rot0", False, 0, compress=True)
    pcd("base_rot1", False, 1, compress=True)


# ---------------------------------------------------------------- EPS


def tiff(width, height, samples, rows_per_strip, big_endian):
    """A baseline TIFF: 8-bit gray or RGB, uncompressed strips."""
    e = ">" if big_endian else "<"
    rng = Lcg(51)
    pixels = [[tuple(rng.next(256) for _ in range(samples)) for _ in range(width)] for _ in range(height)]
    strips = []
    for top in range(0, height, rows_per_strip):
        strips.append(b"".join(bytes(p) for row in pixels[top:top + rows_per_strip] for p in row))
    entries = []
    data_at = 8
    strip_data = b"".join(strips)
    extra = bytearray()
    offsets = []
    position = data_at
    for s in strips:
        offsets.append(position)
        position += len(s)
    ifd_at = position
    count = 10
    extra_at = ifd_at + 2 + 12 * count + 4

    def entry(tag, kind, values):
        nonlocal extra
        fmt = {3: "H", 4: "I"}[kind]
        payload = b"".join(struct.pack(e + fmt, v) for v in values)
        if len(payload) <= 4:
            return struct.pack(e + "HHI", tag, kind, len(values)) + payload.ljust(4, b"\0")
        at = extra_at + len(extra)
        extra += payload
        return struct.pack(e + "HHII", tag, kind, len(values), at)

    entries = [entry(256, 3, [width]), entry(257, 3, [height]), entry(258, 3, [8] * samples), entry(259, 3, [1]),
               entry(262, 3, [2 if samples == 3 else 1]), entry(273, 4, offsets), entry(277, 3, [samples]),
               entry(278, 3, [rows_per_strip]), entry(279, 4, [len(s) for s in strips]), entry(284, 3, [1])]
    ifd = struct.pack(e + "H", count) + b"".join(entries) + struct.pack(e + "I", 0)
    header = (b"MM" if big_endian else b"II") + struct.pack(e + "HI", 42, ifd_at)
    shown = [[p if samples == 3 else (p[0],) * 3 for p in row] for row in pixels]
    return header + strip_data + ifd + bytes(extra), shown


def eps(name, width, height, samples, rows_per_strip, big_endian, preview_first=False):
    preview, shown = tiff(width, height, samples, rows_per_strip, big_endian)
    postscript = (b"%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 " + str(width).encode() + b" " +
                  str(height).encode() + b"\n0 setgray newpath 0 0 moveto showpage\n%%EOF\n")
    if preview_first:
        tiff_at, ps_at = 30, 30 + len(preview)
        body = preview + postscript
    else:
        ps_at, tiff_at = 30, 30 + len(postscript)
        body = postscript + preview
    header = bytes([0xC5, 0xD0, 0xD3, 0xC6]) + struct.pack("<IIIIII", ps_at, len(postscript), 0, 0, tiff_at,
                                                            len(preview)) + b"\xff\xff"
    write(os.path.join(FILES, "eps", name + ".eps"), header + body)
    png(os.path.join(FILES, "eps", name + ".png"), width, height, shown)


def eps_cases():
    eps("rgb_preview", 21, 13, 3, 13, False)
    eps("gray_preview_big_endian_first", 19, 11, 1, 4, True, preview_first=True)


if __name__ == "__main__":
    for name in ("rla", "psd", "psp", "pcd", "eps"):
        folder = os.path.join(FILES, name)
        if os.path.isdir(folder):
            for item in os.listdir(folder):
                if not item.endswith(".py"):
                    os.remove(os.path.join(folder, item))
    rla("rgb8_bottom_up", 37, 23)
    rla("rgba8_matte", 31, 19, matte=True)
    rla("rgb8_top_down", 26, 15, bottom_up=False, gamma=b"not a number")
    rla("rgb16", 21, 12, bits=16)
    psd_cases()
    psp_cases()
    pcd_cases()
    eps_cases()
