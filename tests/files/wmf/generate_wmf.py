#!/usr/bin/env python3
"""Writes the sample Windows metafiles: a placeable one (shapes, region,
bitmap, text) and a plain one sized by its window extent. Each draws a few
solid marks at known places that the metafile tests probe.

Run from anywhere: python3 tests/files/wmf/generate_wmf.py
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def colorref(r, g, b):
    return r | (g << 8) | (b << 16)


RED, GREEN, BLUE, BLACK = colorref(255, 0, 0), colorref(0, 255, 0), colorref(0, 0, 255), 0


class Wmf:
    def __init__(self):
        self.records = []
        self.objects = 0

    def raw(self, function, body):
        body += b"\0" * (len(body) % 2)
        self.records.append(struct.pack("<IH", 3 + len(body) // 2, function) + body)

    def add(self, function, *words):
        self.raw(function, struct.pack("<%dh" % len(words), *words))

    def brush(self, color, style=0, hatch=0):
        self.raw(0x02FC, struct.pack("<HIH", style, color, hatch))
        self.objects += 1

    def pen(self, color, style=0, width=0):
        self.raw(0x02FA, struct.pack("<HhhI", style, width, 0, color))
        self.objects += 1

    def build(self, box=None, inch=0):
        self.raw(0x0000, b"")
        body = b"".join(self.records)
        header = struct.pack("<HHHIHIH", 1, 9, 0x300, 9 + len(body) // 2, max(self.objects, 1),
                             max(len(r) // 2 for r in self.records), 0)
        if box is None:
            return header + body
        placeable = struct.pack("<IH4hHI", 0x9AC6CDD7, 0, *box, inch, 0)
        checksum = 0
        for i in range(0, 20, 2):
            checksum ^= struct.unpack("<H", placeable[i:i + 2])[0]
        return placeable + struct.pack("<H", checksum) + header + body


def packed_dib8(width, height, palette, indexes):
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, 0, 0, 0, len(palette), 0)
    info += b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    stride = (width + 3) & ~3
    return info + b"".join(bytes(indexes[y * width:(y + 1) * width]) + b"\0" * (stride - width)
                           for y in reversed(range(height)))


def placeable():
    """1440 units per inch, box 1440 x 720: 96 x 48 pixels, 15 units a
    pixel. Red square (2,2)-(20,20), blue ellipse, green region, a bitmap
    at (70, 2) size 16 x 16, text below."""
    w = Wmf()
    w.add(0x0103, 8)  # MM_ANISOTROPIC
    w.add(0x020B, 0, 0)
    w.add(0x020C, 720, 1440)
    w.brush(RED)  # 0
    w.pen(BLACK, 5)  # 1: null
    w.add(0x012D, 0)
    w.add(0x012D, 1)
    w.add(0x041B, 315, 315, 30, 30)  # bottom, right, top, left
    w.brush(BLUE)  # 2
    w.add(0x012D, 2)
    w.add(0x0418, 330, 660, 30, 360)
    # Region: one scan (2..20 rows) x (48..66 columns) in units.
    region = struct.pack("<hhIhhh4h", 0, 6, 0, 0, 1, 0, 720, 30, 990, 300)
    region += struct.pack("<HHH2hH", 2, 30, 300, 720, 990, 2)
    w.raw(0x06FF, region)  # 3
    w.objects += 1
    w.brush(GREEN)  # 4
    w.add(0x0228, 3, 4)  # FILLREGION
    palette = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (0, 0, 0)]
    dib = packed_dib8(4, 4, palette, [i % 4 for i in range(16)])
    # STRETCHDIB: rop, usage, srcH, srcW, ySrc, xSrc, destH, destW, y, x.
    w.raw(0x0F43, struct.pack("<IH8h", 0x00CC0020, 0, 4, 4, 0, 0, 240, 240, 30, 1050) + dib)
    font = struct.pack("<5h8B", -180, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 0) + b"DejaVu Sans\0"
    w.raw(0x02FB, font)  # 5
    w.objects += 1
    w.add(0x012D, 5)
    w.add(0x0102, 1)
    w.raw(0x0209, struct.pack("<I", BLACK))
    w.raw(0x0521, struct.pack("<H6shh", 6, b"Orvane", 420, 60))
    w.pen(BLUE, 0, 30)  # 6
    w.add(0x012D, 6)
    w.add(0x0325, 3, 750, 600, 1050, 375, 1380, 675)  # POLYLINE
    return w.build((0, 0, 1440, 720), 1440)


def plain():
    """No placeable header: the window extent 40 x 30 is the size; the
    window origin (-10, -5) moves the marks. Red square (0,0)-(10,10),
    green square (20,15)-(30,25) in pixels."""
    w = Wmf()
    w.add(0x020B, -5, -10)
    w.add(0x020C, 30, 40)
    w.brush(RED)
    w.pen(BLACK, 5)
    w.add(0x012D, 0)
    w.add(0x012D, 1)
    w.add(0x041B, 6, 1, -5, -10)
    w.brush(GREEN)
    w.add(0x012D, 2)
    w.add(0x0324, 4, 10, 10, 21, 10, 21, 21, 10, 21)  # POLYGON
    return w.build()


for name, data in (("placeable.wmf", placeable()), ("plain.wmf", plain())):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)
