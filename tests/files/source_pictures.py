#!/usr/bin/env python3
"""Writes the small photo-like source pictures the HEIF, AVIF and JPEG XL
golden files are encoded from, as PNG files in the folder given:

  photo.png        64 x 48 RGB: smooth gradients, a disc, a little grain
  alpha.png        48 x 32 RGBA: the same with a soft-edged transparent hole
  portrait.png     40 x 24 RGB, asymmetric, for the orientation cases
  deep.png         48 x 32 RGB of 16 bits per sample
  wide.png         photo.png with wide.icc, a small profile of wide-gamut
                   primaries and a 2.2 gamma, in its iCCP chunk

Usage: source_pictures.py FOLDER
"""
import math
import os
import struct
import sys
import zlib


def grain(x, y):
    """Deterministic noise of -6 to 6."""
    h = (x * 374761393 + y * 668265263) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    return (h >> 24) % 13 - 6


def clamp(v, top):
    return max(0, min(top, int(round(v))))


def photo(width, height, x, y, top=255):
    """One pixel of the scene at (x, y), each sample 0..top."""
    u, v = x / (width - 1), y / (height - 1)
    r = 40 + 190 * u
    g = 60 + 150 * (1 - v) * (0.6 + 0.4 * math.sin(u * 5))
    b = 200 - 120 * u * v
    cx, cy, radius = width * 0.62, height * 0.45, min(width, height) * 0.28
    if (x - cx) ** 2 + (y - cy) ** 2 < radius ** 2:
        r, g, b = 230, 180 - 60 * v, 50
    scale = top / 255.0
    return tuple(clamp((c + grain(x, y)) * scale, top) for c in (r, g, b))


def s15(value):
    return struct.pack(">i", int(round(value * 65536)))


def icc_profile():
    """A minimal RGB display profile (version 2): primaries of Adobe RGB
    adapted to D50, a gamma of 2.2 for each channel."""
    def xyz(x, y, z):
        return b"XYZ \0\0\0\0" + s15(x) + s15(y) + s15(z)

    text = b"Wide test profile\0"
    desc = b"desc\0\0\0\0" + struct.pack(">I", len(text)) + text + b"\0" * 12 + b"\0" * 67
    curve = b"curv\0\0\0\0" + struct.pack(">IH", 1, 563) + b"\0\0"
    tags = [(b"desc", desc), (b"wtpt", xyz(0.9642, 1.0, 0.8249)),
            (b"rXYZ", xyz(0.60974, 0.31111, 0.01947)), (b"gXYZ", xyz(0.20528, 0.62567, 0.06087)),
            (b"bXYZ", xyz(0.14919, 0.06322, 0.74457)),
            (b"rTRC", curve), (b"gTRC", curve), (b"bTRC", curve)]
    offset = 128 + 4 + 12 * len(tags)
    table, body = b"", b""
    for name, data in tags:
        table += name + struct.pack(">II", offset + len(body), len(data))
        body += data + b"\0" * (-len(data) % 4)
    size = offset + len(body)
    header = struct.pack(">I4sI4s4s4s", size, b"none", 0x02100000, b"mntr", b"RGB ", b"XYZ ")
    header += b"\0" * 12 + b"acsp" + b"\0" * 24 + struct.pack(">I", 0) + s15(0.9642) + s15(1.0) + s15(0.8249)
    header += b"\0" * (128 - len(header))
    return header + struct.pack(">I", len(tags)) + table + body


def png(path, width, height, channels, depth, pixel, icc=None):
    colour_type = {3: 2, 4: 6}[channels]
    raw = bytearray()
    fmt = ">" + ("H" if depth == 16 else "B") * channels
    for y in range(height):
        raw.append(0)
        for x in range(width):
            raw += struct.pack(fmt, *pixel(x, y))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, 0)
    data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
    if icc:
        data += chunk(b"iCCP", b"wide\0\0" + zlib.compress(icc, 9))
    data += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    with open(path, "wb") as out:
        out.write(data + chunk(b"IEND", b""))


def main(folder):
    os.makedirs(folder, exist_ok=True)
    png(os.path.join(folder, "photo.png"), 64, 48, 3, 8, lambda x, y: photo(64, 48, x, y))

    def with_hole(x, y):
        d = math.hypot(x - 14, y - 16)
        alpha = clamp((d - 6) * 40, 255)
        return photo(48, 32, x, y) + (alpha,)

    png(os.path.join(folder, "alpha.png"), 48, 32, 4, 8, with_hole)

    def portrait(x, y):
        # A bright block in the top left corner shows which way is up.
        if x < 10 and y < 6:
            return (250, 250, 250)
        return photo(40, 24, x, y)

    png(os.path.join(folder, "portrait.png"), 40, 24, 3, 8, portrait)
    png(os.path.join(folder, "deep.png"), 48, 32, 3, 16, lambda x, y: photo(48, 32, x, y, 65535))
    icc = icc_profile()
    with open(os.path.join(folder, "wide.icc"), "wb") as out:
        out.write(icc)
    png(os.path.join(folder, "wide.png"), 64, 48, 3, 8, lambda x, y: photo(64, 48, x, y), icc)


if __name__ == "__main__":
    main(sys.argv[1])
