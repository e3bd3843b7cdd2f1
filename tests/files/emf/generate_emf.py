#!/usr/bin/env python3
"""Writes the sample enhanced metafiles: small drawings that use most record
kinds (mapping modes, transforms, clipping, paths, curves, bitmaps, text).
Each draws a few solid marks at known places that the metafile tests probe.

Run from anywhere: python3 tests/files/emf/generate_emf.py
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def colorref(r, g, b):
    return r | (g << 8) | (b << 16)


RED, GREEN, BLUE, BLACK = colorref(255, 0, 0), colorref(0, 255, 0), colorref(0, 0, 255), 0


class Emf:
    def __init__(self, width, height):
        # A 96 dpi reference device, frame in hundredths of a millimetre.
        self.width, self.height = width, height
        self.records = []

    def raw(self, kind, body):
        body += b"\0" * (-len(body) % 4)
        self.records.append(struct.pack("<II", kind, 8 + len(body)) + body)

    def add(self, kind, *ints):
        self.raw(kind, struct.pack("<%di" % len(ints), *ints))

    def build(self):
        self.raw(14, struct.pack("<III", 0, 0, 20))
        body = b"".join(self.records)
        frame = (0, 0, self.width * 2540 // 96, self.height * 2540 // 96)
        header = struct.pack("<II4i4iIIIIHHIIIii ii", 1, 88, 0, 0, self.width - 1, self.height - 1, *frame,
                             0x464D4520, 0x10000, 88 + len(body), len(self.records) + 1, 8, 0, 0, 0, 0,
                             960, 960, 254, 254)
        return header + body

    def brush(self, index, color, style=0, hatch=0):
        self.add(39, index, style, color, hatch)

    def pen(self, index, color, style=0, width=0):
        self.add(38, index, style, width, 0, color)


def dib8(width, height, palette, indexes):
    """Bottom-up 8-bit DIB: (info, bits)."""
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, 0, 0, 0, len(palette), 0)
    info += b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    stride = (width + 3) & ~3
    bits = b"".join(bytes(indexes[y * width:(y + 1) * width]) + b"\0" * (stride - width)
                    for y in reversed(range(height)))
    return info, bits


def stretch_dibits(emf, x, y, cx, cy, info, bits):
    off_info = 80
    off_bits = off_info + len(info)
    body = struct.pack("<4i6i4III2i", 0, 0, 0, 0, x, y, 0, 0, abs(struct.unpack("<i", info[4:8])[0]),
                       abs(struct.unpack("<i", info[8:12])[0]), off_info, len(info), off_bits, len(bits), 0,
                       0x00CC0020, cx, cy)
    emf.raw(81, body + info + bits)


def text_w(emf, x, y, text):
    chars = text.encode("utf-16-le")
    body = struct.pack("<4iIff", 0, 0, 0, 0, 1, 1.0, 1.0)
    body += struct.pack("<iiIII4iI", x, y, len(text), 76, 0, 0, 0, 0, 0, 0) + chars
    emf.raw(84, body)


def font(emf, index, height, face, weight=400, escapement=0):
    name = face.encode("utf-16-le").ljust(64, b"\0")
    emf.raw(82, struct.pack("<I5i8B", index, height, 0, escapement, escapement, weight, 0, 0, 0, 0, 0, 0, 0, 0)
            + name)


def shapes():
    """96 x 48: red square (2,2)-(20,20), blue ellipse, green path star,
    a 4 x 4 bitmap scaled to 16 x 16 at (70, 2), text, bezier."""
    e = Emf(96, 48)
    e.brush(1, RED)
    e.pen(2, BLACK, 5)  # null pen
    e.add(37, 1)
    e.add(37, 2)
    e.add(43, 2, 2, 21, 21)
    e.brush(3, BLUE)
    e.add(37, 3)
    e.add(42, 24, 2, 44, 22)
    # A green path, filled.
    e.brush(4, GREEN)
    e.add(37, 4)
    e.add(59)
    e.add(27, 48, 2)
    e.add(6, 0, 0, 0, 0, 3, 66, 2, 66, 20, 48, 20)  # POLYLINETO
    e.add(61)
    e.add(60)
    e.add(62, 0, 0, 0, 0)
    # A bitmap of four colour bands.
    palette = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (0, 0, 0)]
    info, bits = dib8(4, 4, palette, [i % 4 for i in range(16)])
    stretch_dibits(e, 70, 2, 16, 16, info, bits)
    # Text and a curve below the marks.
    font(e, 5, -12, "DejaVu Sans", 700)
    e.add(37, 5)
    e.add(18, 1)  # transparent
    e.add(24, BLACK)
    text_w(e, 4, 28, "Orvane")
    e.pen(6, BLUE, 0, 2)
    e.add(37, 6)
    e.add(2, 0, 0, 0, 0, 4, 50, 40, 60, 25, 80, 45, 92, 30)  # POLYBEZIER
    return e.build()


def mapping():
    """48 x 48 drawn in hundredths of a millimetre, y upwards, through a
    rotated world transform and a clip: the square (0,0)-(24,24) stays red,
    the lower right quarter green."""
    e = Emf(48, 48)
    e.add(17, 3)  # MM_HIMETRIC
    e.brush(1, RED)
    e.pen(2, BLACK, 5)
    e.add(37, 1)
    e.add(37, 2)
    e.add(43, 0, 0, 636, -636)
    e.add(33)  # SAVEDC
    e.add(30, 635, -635, 1270, -1270)  # clip to the lower right quarter
    e.brush(3, GREEN)
    e.add(37, 3)
    e.raw(35, struct.pack("<6f", 0.866, 0.5, -0.5, 0.866, 0, 0))  # rotate
    e.add(43, -5000, 5000, 5000, -5000)
    e.add(34, -1)  # RESTOREDC
    e.brush(4, BLUE, 2, 4)  # cross hatch, not probed
    e.add(37, 4)
    e.add(43, 0, -700, 500, -1200)
    return e.build()


for name, data in (("shapes.emf", shapes()), ("mapping.emf", mapping())):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)
