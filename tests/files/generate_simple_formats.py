#!/usr/bin/env python3
"""Writes the golden files of the Targa, PCX, SGI, Autodesk, portable map and
Dr. Halo readers: each case is a small picture encoded by the encoders below
(written from the file formats, independently of the readers) and, beside it,
<case>.pam with the RGB (or RGBA) pixels a user must see.

Run from anywhere: python3 tests/files/generate_simple_formats.py
"""
import os
import struct

ROOT = os.path.dirname(os.path.abspath(__file__))


class Lcg:
    """Small deterministic number source, so the files never change."""

    def __init__(self, seed):
        self.state = seed

    def next(self, limit):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        return (self.state >> 8) % limit


def indexes(width, height, colours, seed):
    """Index picture with flat runs and noise, top row first."""
    rnd = Lcg(seed)
    rows = []
    for y in range(height):
        row = []
        while len(row) < width:
            value = rnd.next(colours)
            row += [value] * (1 + (rnd.next(9) if rnd.next(3) == 0 else 0))
        rows.append(row[:width])
    return rows


def pam(path, width, height, pixels, alpha=False):
    """pixels: rows of (r, g, b) or (r, g, b, a) tuples."""
    depth = 4 if alpha else 3
    header = "P7\nWIDTH %d\nHEIGHT %d\nDEPTH %d\nMAXVAL 255\nTUPLTYPE %s\nENDHDR\n" % (
        width, height, depth, "RGB_ALPHA" if alpha else "RGB")
    body = bytearray()
    for row in pixels:
        for p in row:
            body += bytes(p[:depth])
    write(path, header.encode() + bytes(body))


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def widen5(v):
    return (v << 3) | (v >> 2)


# ---------------------------------------------------------------- Targa


def tga_rle(pixels):
    """pixels: list of byte strings (one per pixel), encoded as one sequence:
    packets may run on from one row into the next."""
    out = bytearray()
    i = 0
    while i < len(pixels):
        run = 1
        while i + run < len(pixels) and run < 128 and pixels[i + run] == pixels[i]:
            run += 1
        if run >= 2:
            out.append(0x80 | (run - 1))
            out += pixels[i]
            i += run
            continue
        start = i
        while i < len(pixels) and i - start < 128:
            if i + 1 < len(pixels) and pixels[i + 1] == pixels[i]:
                break
            i += 1
        if i == start:
            i += 1
        out.append(i - start - 1)
        for p in pixels[start:i]:
            out += p
    return bytes(out)


def targa_cases(folder):
    def save(name, image_type, depth, width, height, rows, rgb, descriptor=0, cmap=b"", cmap_start=0,
             cmap_len=0, cmap_size=0, ident=b"", alpha=False):
        stored = rows if descriptor & 0x20 else rows[::-1]
        flat = [p for row in stored for p in row]
        data = tga_rle(flat) if image_type >= 9 else b"".join(flat)
        header = struct.pack("<BBBHHBHHHHBB", len(ident), 1 if cmap_len else 0, image_type, cmap_start,
                             cmap_len, cmap_size, 0, 0, width, height, depth, descriptor)
        write(os.path.join(folder, name + ".tga"), header + ident + cmap + data)
        pam(os.path.join(folder, name + ".pam"), width, height, rgb, alpha)

    w, h = 150, 5  # wider than one 128-pixel packet
    idx = indexes(w, h, 40, 1)
    colours = [((i * 53) & 255, (i * 97 + 30) & 255, (255 - i * 5) & 255) for i in range(40)]
    cmap24 = b"".join(bytes((b, g, r)) for r, g, b in colours)
    px = [[bytes((v,)) for v in row] for row in idx]
    rgb = [[colours[v] for v in row] for row in idx]
    save("mapped8", 1, 8, w, h, px, rgb, cmap=cmap24, cmap_len=40, cmap_size=24, ident=b"orvane test")
    save("mapped8_rle_topdown", 9, 8, w, h, px, rgb, descriptor=0x20, cmap=cmap24, cmap_len=40, cmap_size=24)

    # A 16-bit colour map that starts at entry 5: index i uses entry i - 5.
    idx5 = [[v + 5 for v in row] for row in indexes(13, 6, 30, 2)]
    words = [((i * 7) & 31, (i * 3 + 4) & 31, (31 - i) & 31) for i in range(30)]
    cmap16 = b"".join(struct.pack("<H", (r << 10) | (g << 5) | b) for r, g, b in words)
    save("mapped8_map16_start5", 1, 8, 13, 6, [[bytes((v,)) for v in row] for row in idx5],
         [[tuple(c << 3 for c in words[v - 5]) for v in row] for row in idx5],
         cmap=cmap16, cmap_start=5, cmap_len=30, cmap_size=16)

    gray = indexes(17, 9, 256, 3)
    save("gray8", 3, 8, 17, 9, [[bytes((v,)) for v in row] for row in gray], [[(v, v, v) for v in row] for row in gray])
    save("gray8_rle", 11, 8, 17, 9, [[bytes((v,)) for v in row] for row in gray],
         [[(v, v, v) for v in row] for row in gray])

    # 16 bits: 5 bits per channel; the top (attribute) bit must not matter.
    c15 = indexes(19, 7, 32768, 4)
    px16 = [[struct.pack("<H", v | (0x8000 if (x + y) % 3 == 0 else 0)) for x, v in enumerate(row)]
            for y, row in enumerate(c15)]
    rgb16 = [[(widen5(v >> 10), widen5((v >> 5) & 31), widen5(v & 31)) for v in row] for row in c15]
    save("rgb16_topdown", 2, 16, 19, 7, px16, rgb16, descriptor=0x20)
    save("rgb15_rle", 10, 15, 19, 7, px16, rgb16)

    c24 = [[colours[v] for v in row] for row in indexes(140, 4, 40, 5)]
    px24 = [[bytes((b, g, r)) for r, g, b in row] for row in c24]
    save("rgb24", 2, 24, 140, 4, px24, c24)
    save("rgb24_rle", 10, 24, 140, 4, px24, c24)
    save("rgb24_rle_topdown", 10, 24, 140, 4, px24, c24, descriptor=0x20)

    rgba = [[colours[v] + ((v * 41) & 255,) for v in row] for row in indexes(21, 6, 40, 6)]
    px32 = [[bytes((b, g, r, a)) for r, g, b, a in row] for row in rgba]
    save("rgba32_rle", 10, 32, 21, 6, px32, rgba, descriptor=8, alpha=True)
    save("rgba32", 2, 32, 21, 6, px32, rgba, descriptor=8 | 0x20, alpha=True)


# ---------------------------------------------------------------- PCX


def pcx_rle(line):
    out = bytearray()
    i = 0
    while i < len(line):
        run = 1
        while i + run < len(line) and run < 63 and line[i + run] == line[i]:
            run += 1
        if run > 1 or line[i] >= 0xC0:
            out += bytes((0xC0 | run, line[i]))
        else:
            out.append(line[i])
        i += run
    return bytes(out)


def pack_bits(values, bits, length):
    out = bytearray(length)
    for x, v in enumerate(values):
        pos = x * bits
        out[pos // 8] |= v << (8 - bits - pos % 8)
    return bytes(out)


SYSTEM16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
            (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
            (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def pcx_cases(folder):
    def save(name, ext, version, bits, planes, width, height, lines, rgb, palette16=b"", kind=1, encoding=1,
             tail=b"", manufacturer=10):
        bpl = len(lines[0]) // planes
        header = struct.pack("<BBBBHHHHHH", manufacturer, version, encoding, bits, 3, 7, 3 + width - 1,
                             7 + height - 1, 150, 75)
        header += palette16.ljust(48, b"\0") + bytes((0, planes)) + struct.pack("<HH", bpl, kind)
        header = header.ljust(128, b"\0")
        data = b"".join(pcx_rle(l) if encoding else l for l in lines)
        write(os.path.join(folder, name + "." + ext), header + data + tail)
        pam(os.path.join(folder, name + ".pam"), width, height, rgb)

    pal16 = [((i * 40) & 255, (i * 90 + 7) & 255, (200 - i * 11) & 255) for i in range(16)]
    pal16_bytes = b"".join(bytes(c) for c in pal16)

    w, h = 21, 5
    mono = indexes(w, h, 2, 7)
    save("mono", "pcx", 5, 1, 1, w, h, [pack_bits(r, 1, 4) for r in mono],
         [[(255, 255, 255) if v else (0, 0, 0) for v in r] for r in mono], palette16=pal16_bytes)

    cga = indexes(w, h, 4, 8)
    save("cga2", "pcx", 5, 2, 1, w, h, [pack_bits(r, 2, 6) for r in cga], [[pal16[v] for v in r] for r in cga],
         palette16=pal16_bytes)

    ega = indexes(w, h, 16, 9)

    def planar(row):
        return b"".join(pack_bits([(v >> k) & 1 for v in row], 1, 4) for k in range(4))

    save("ega_planes", "pcx", 5, 1, 4, w, h, [planar(r) for r in ega], [[pal16[v] for v in r] for r in ega],
         palette16=pal16_bytes)
    save("ega_v3_system", "pcc", 3, 1, 4, w, h, [planar(r) for r in ega], [[SYSTEM16[v] for v in r] for r in ega],
         palette16=pal16_bytes)
    save("nibbles", "pcx", 5, 4, 1, w, h, [pack_bits(r, 4, 12) for r in ega], [[pal16[v] for v in r] for r in ega],
         palette16=pal16_bytes)

    vga = indexes(w, h, 256, 10)
    pal256 = [((i * 7) & 255, (i * 13 + 5) & 255, (i * 29 + 11) & 255) for i in range(256)]
    tail = bytes((12,)) + b"".join(bytes(c) for c in pal256)
    save("vga8", "pcx", 5, 8, 1, w, h, [bytes(r) + b"\0" for r in vga], [[pal256[v] for v in r] for r in vga],
         tail=tail)
    save("vga8_raw", "scr", 5, 8, 1, w, h, [bytes(r) + b"\0" for r in vga], [[pal256[v] for v in r] for r in vga],
         tail=tail, encoding=0, manufacturer=205)
    save("gray8_kind2", "pcx", 5, 8, 1, w, h, [bytes(r) + b"\0" for r in vga], [[(v, v, v) for v in r] for r in vga],
         kind=2)

    colours = [[pal256[v] for v in r] for r in indexes(w, h, 256, 11)]
    lines = [b"".join(bytes(c[k] for c in r) + b"\0" for k in range(3)) for r in colours]
    save("rgb24", "pcx", 5, 8, 3, w, h, lines, colours)


# ---------------------------------------------------------------- SGI


def sgi_rle(samples, wide):
    """One channel row; samples are ints."""
    out = bytearray()

    def put(v):
        out.extend(struct.pack(">H", v) if wide else bytes((v,)))

    i = 0
    while i < len(samples):
        run = 1
        while i + run < len(samples) and run < 127 and samples[i + run] == samples[i]:
            run += 1
        if run >= 3:
            put(run)
            put(samples[i])
            i += run
            continue
        start = i
        while i < len(samples) and i - start < 127:
            if i + 2 < len(samples) and samples[i] == samples[i + 1] == samples[i + 2]:
                break
            i += 1
        if i == start:
            i += 1
        put(0x80 | (i - start))
        for v in samples[start:i]:
            put(v)
    put(0)
    return bytes(out)


def sgi_cases(folder):
    def save(name, ext, channels, width, height, planes, rgb, rle, wide=False, alpha=False, dimension=3):
        """planes[c][y] rows top first; stored bottom first."""
        bpc = 2 if wide else 1
        header = struct.pack(">HBBHHHH", 474, 1 if rle else 0, bpc, dimension, width, height, channels)
        header = header.ljust(512, b"\0")
        rows = [(c, y) for c in range(channels) for y in range(height - 1, -1, -1)]
        if rle:
            encoded = [sgi_rle(planes[c][y], wide) for c, y in rows]
            offset = 512 + 8 * len(rows)
            starts, lengths = [], []
            for e in encoded:
                starts.append(offset)
                lengths.append(len(e))
                offset += len(e)
            data = struct.pack(">%dI" % len(rows), *starts) + struct.pack(">%dI" % len(rows), *lengths)
            data += b"".join(encoded)
        else:
            fmt = ">%dH" % width if wide else "%dB" % width
            data = b"".join(struct.pack(fmt, *planes[c][y]) for c, y in rows)
        write(os.path.join(folder, name + "." + ext), header + data)
        pam(os.path.join(folder, name + ".pam"), width, height, rgb, alpha)

    w, h = 23, 6
    gray = indexes(w, h, 256, 12)
    save("gray", "bw", 1, w, h, [gray], [[(v, v, v) for v in r] for r in gray], False, dimension=2)
    save("gray_rle", "sgi", 1, w, h, [gray], [[(v, v, v) for v in r] for r in gray], True, dimension=2)
    chan = [indexes(w, h, 256, 13 + c) for c in range(4)]
    rgb = [[(chan[0][y][x], chan[1][y][x], chan[2][y][x]) for x in range(w)] for y in range(h)]
    rgba = [[(chan[0][y][x], chan[1][y][x], chan[2][y][x], chan[3][y][x]) for x in range(w)] for y in range(h)]
    save("rgb_rle", "rgb", 3, w, h, chan[:3], rgb, True)
    save("rgb", "sgi", 3, w, h, chan[:3], rgb, False)
    save("rgba", "rgba", 4, w, h, chan, rgba, False, alpha=True)
    save("rgba_rle", "rgba", 4, w, h, chan, rgba, True, alpha=True)
    wide = [[[v * 256 + (x % 200) for x, v in enumerate(r)] for r in chan[c]] for c in range(3)]
    rgb16 = [[tuple(wide[c][y][x] * 255 // 65535 for c in range(3)) for x in range(w)] for y in range(h)]
    save("rgb16_rle", "sgi", 3, w, h, wide, rgb16, True, wide=True)
    save("rgb16", "sgi", 3, w, h, wide, rgb16, False, wide=True)
    g16 = [[v * 255 // 65535 for v in r] for r in wide[0]]
    save("gray16", "bw", 1, w, h, wide[:1], [[(v, v, v) for v in r] for r in g16], False, wide=True, dimension=2)


# ---------------------------------------------------------------- Autodesk


def autodesk_cases(folder):
    for name, ext, w, h, seed in (("cel", "cel", 19, 7, 20), ("pic", "pic", 8, 3, 21)):
        idx = indexes(w, h, 256, seed)
        six = [((i * 5) % 64, (i * 11) % 64, (63 - i) % 64) for i in range(256)]
        six[255] = (64, 200, 63)  # out of range values are shown at full strength
        header = struct.pack("<HHHHHBB", 0x9119, w, h, 0, 0, 8, 0).ljust(32, b"\0")
        palette = b"".join(bytes(c) for c in six)
        write(os.path.join(folder, name + "." + ext), header + palette + b"".join(bytes(r) for r in idx))
        pam(os.path.join(folder, name + ".pam"), w, h, [[tuple(min(c * 4, 255) for c in six[v]) for v in r]
                                                         for r in idx])


# ---------------------------------------------------------------- portable maps


def ppm_cases(folder):
    w, h = 11, 4
    bits = indexes(w, h, 2, 30)
    black_white = [[(0, 0, 0) if v else (255, 255, 255) for v in r] for r in bits]
    text = "P1\n# a comment\r\n%d %d\n" % (w, h) + "\n".join("".join(str(v) for v in r) for r in bits) + "\n"
    write(os.path.join(folder, "bits_text.pbm"), text.encode())
    pam(os.path.join(folder, "bits_text.pam"), w, h, black_white)
    packed = b"".join(pack_bits(r, 1, 2) for r in bits)
    write(os.path.join(folder, "bits.pbm"), b"P4 #comment\n%d %d\n" % (w, h) + packed)
    pam(os.path.join(folder, "bits.pam"), w, h, black_white)

    gray = indexes(w, h, 256, 31)
    write(os.path.join(folder, "gray_text.pgm"),
          ("P2\n%d\n%d\n255\n" % (w, h) + "\n".join(" ".join(str(v) for v in r) for r in gray)).encode())
    pam(os.path.join(folder, "gray_text.pam"), w, h, [[(v, v, v) for v in r] for r in gray])
    write(os.path.join(folder, "gray.pgm"), b"P5\n%d %d\n255\n" % (w, h) + b"".join(bytes(r) for r in gray))
    pam(os.path.join(folder, "gray.pam"), w, h, [[(v, v, v) for v in r] for r in gray])
    write(os.path.join(folder, "gray16.pgm"),
          b"P5\n%d %d\n65535\n" % (w, h) + b"".join(struct.pack(">%dH" % w, *[v * 256 + 77 for v in r]) for r in gray))
    pam(os.path.join(folder, "gray16.pam"), w, h, [[(v, v, v) for v in r] for r in gray])

    chan = [indexes(w, h, 256, 32 + c) for c in range(3)]
    rgb = [[(chan[0][y][x], chan[1][y][x], chan[2][y][x]) for x in range(w)] for y in range(h)]
    write(os.path.join(folder, "colour.ppm"), b"P6\n%d %d\n255\n" % (w, h) + b"".join(bytes(p) for r in rgb for p in r))
    pam(os.path.join(folder, "colour.pam"), w, h, rgb)
    dark = [[tuple(c % 16 for c in p) for p in r] for r in rgb]
    write(os.path.join(folder, "dark_text.ppm"),
          ("P3\n# maximum 15: values are shown unscaled\n%d %d 15\n" % (w, h) +
           "\n".join("  ".join("%d %d %d" % p for p in r) for r in dark)).encode())
    pam(os.path.join(folder, "dark_text.pam"), w, h, dark)


# ---------------------------------------------------------------- Dr. Halo


def cut_row(row):
    out = bytearray()
    i = 0
    while i < len(row):
        run = 1
        while i + run < len(row) and run < 127 and row[i + run] == row[i]:
            run += 1
        if run >= 3:
            out += bytes((0x80 | run, row[i]))
            i += run
            continue
        start = i
        while i < len(row) and i - start < 127:
            if i + 2 < len(row) and row[i] == row[i + 1] == row[i + 2]:
                break
            i += 1
        if i == start:
            i += 1
        out.append(i - start)
        out += bytes(row[start:i])
    out.append(0)
    return struct.pack("<H", len(out)) + bytes(out)


def cut_cases(folder):
    w, h = 25, 6
    idx = indexes(w, h, 120, 40)
    data = struct.pack("<HHH", w, h, 0) + b"".join(cut_row(r) for r in idx)
    write(os.path.join(folder, "gray.cut"), data)
    pam(os.path.join(folder, "gray.pam"), w, h, [[(v, v, v) for v in r] for r in idx])

    # 100 colours: the palette file's entries run on into its second block.
    colours = [((i * 37) & 255, (i * 59 + 3) & 255, (i * 83 + 9) & 255) for i in range(100)]
    block = bytearray(512)
    block[0:2] = b"AH"
    block[12:14] = struct.pack("<H", len(colours) - 1)
    blocks = [block]
    offset = 40
    for r, g, b in colours:
        if offset > 506:
            blocks.append(bytearray(512))
            offset = 0
        blocks[-1][offset:offset + 6] = struct.pack("<HHH", 0x100 | r, 0x200 | g, 0x300 | b)
        offset += 6
    write(os.path.join(folder, "colour.cut"), data)
    write(os.path.join(folder, "colour.pal"), b"".join(bytes(b) for b in blocks))
    pam(os.path.join(folder, "colour.pam"), w, h, [[colours[v] if v < 100 else (0, 0, 0) for v in r] for r in idx])


if __name__ == "__main__":
    targa_cases(os.path.join(ROOT, "targa"))
    pcx_cases(os.path.join(ROOT, "pcx"))
    sgi_cases(os.path.join(ROOT, "sgi"))
    autodesk_cases(os.path.join(ROOT, "autodesk"))
    ppm_cases(os.path.join(ROOT, "ppm"))
    cut_cases(os.path.join(ROOT, "cut"))
