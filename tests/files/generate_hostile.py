#!/usr/bin/env python3
"""Writes the hostile regression files: a few kilobytes each, with headers that
claim far more picture than the data holds. Each must be refused or shown
cheaply; the tests read them and scripts/hostile-timings measures them.

Run from anywhere: python3 tests/files/generate_hostile.py
"""
import os
import struct
import zlib

ROOT = os.path.dirname(os.path.abspath(__file__))


def write(folder, name, data):
    path = os.path.join(ROOT, folder, name)
    with open(path, "wb") as f:
        f.write(data)


def tiff(width, height, bits, compression, photometric, strip, extra=()):
    """Little-endian TIFF, one strip of all rows right after the directory."""
    tags = [
        (256, 4, width),
        (257, 4, height),
        (258, 3, bits),
        (259, 3, compression),
        (262, 3, photometric),
        (273, 4, 0),  # strip offset, filled in below
        (277, 3, 1),
        (278, 4, height),
        (279, 4, len(strip)),
    ] + list(extra)
    tags.sort()
    ifd_size = 2 + 12 * len(tags) + 4
    data_offset = 8 + ifd_size
    out = bytearray(b"II*\0" + struct.pack("<I", 8))
    out += struct.pack("<H", len(tags))
    for tag, kind, value in tags:
        if tag == 273:
            value = data_offset
        if kind == 3:
            out += struct.pack("<HHIHH", tag, kind, 1, value, 0)
        else:
            out += struct.pack("<HHII", tag, kind, 1, value)
    out += struct.pack("<I", 0)
    return bytes(out + strip)


def tiff_shared_strips(width, height, rows_per_strip, compression, strip):
    """Little-endian 8-bit gray TIFF whose strips all point at the same data."""
    strips = (height + rows_per_strip - 1) // rows_per_strip
    tags = 10
    ifd_size = 2 + 12 * tags + 4
    offsets_at = 8 + ifd_size
    counts_at = offsets_at + 4 * strips
    data_at = counts_at + 4 * strips
    out = bytearray(b"II*\0" + struct.pack("<I", 8) + struct.pack("<H", tags))
    for tag, kind, count, value in [(256, 4, 1, width), (257, 4, 1, height), (258, 3, 1, 8),
                                    (259, 3, 1, compression), (262, 3, 1, 1), (273, 4, strips, offsets_at),
                                    (277, 3, 1, 1), (278, 4, 1, rows_per_strip), (279, 4, strips, counts_at),
                                    (284, 3, 1, 1)]:
        out += struct.pack("<HHII", tag, kind, count, value)
    out += struct.pack("<I", 0)
    out += struct.pack("<I", data_at) * strips + struct.pack("<I", len(strip)) * strips
    return bytes(out + strip)


def fax_end_of_lines(count):
    """count Group 3 end-of-line codes (eleven 0 bits and a 1) back to back:
    the most rows per byte a fax strip can claim."""
    bits = "000000000001" * count
    bits += "0" * (-len(bits) % 8)
    return bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))


def jpeg_segment(marker, payload):
    return bytes([0xFF, marker]) + struct.pack(">H", len(payload) + 2) + payload


def progressive_jpeg(width, height, scans, data_bytes):
    """A progressive gray JPEG: one DC first scan with data_bytes of zero bits
    (each a DC difference of 0 through a one-symbol table), then scans - 1
    DC refinement scans without data."""
    out = bytearray(b"\xFF\xD8")
    out += jpeg_segment(0xDB, bytes([0]) + bytes([1] * 64))
    out += jpeg_segment(0xC2, struct.pack(">BHHB", 8, height, width, 1) + bytes([1, 0x11, 0]))
    out += jpeg_segment(0xC4, bytes([0x00]) + bytes([1] + [0] * 15) + bytes([0]))
    out += jpeg_segment(0xDA, bytes([1, 1, 0x00, 0, 0, 0x01]))
    out += bytes(data_bytes)
    for _ in range(scans - 1):
        out += jpeg_segment(0xDA, bytes([1, 1, 0x00, 0, 0, 0x10]))
        out += b"\x00"
    out += b"\xFF\xD9"
    return bytes(out)


def png(width, height, idat):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    header = struct.pack(">IIBBBBB", width, height, 8, 0, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", idat) + chunk(b"IEND", b"")


def grid_read_from_file_type(heic):
    """The HEIF file with the description of its grid item (item 2, kept in
    the 'idat' box) read from offset 12 of the file instead, in the file type
    box, whose brands make it a grid of 28009 x 26161 pixels."""
    data = bytearray(heic)
    at = data.index(b"iloc") + 10  # version 1; offsets, lengths, bases of 4 bytes
    count, = struct.unpack(">H", data[at:at + 2])
    at += 2
    for _ in range(count):
        item, = struct.unpack(">H", data[at:at + 2])
        extents, = struct.unpack(">H", data[at + 10:at + 12])
        if item == 2:
            data[at + 2:at + 4] = struct.pack(">H", 0)  # from the file, not 'idat'
            data[at + 6:at + 10] = struct.pack(">I", 12)
        at += 12 + 8 * extents
    return bytes(data)


def main():
    # Group 3 fax, 65535 x 65535 claimed, 4 KB of end-of-line codes.
    write("tiff", "regress-ccitt-claimed-size.tif",
          tiff(65535, 65535, 1, 3, 0, fax_end_of_lines(2730)))
    # PackBits, 65535 x 65535 8-bit gray claimed, 4 KB of 128-byte repeats.
    write("tiff", "regress-packbits-claimed-size.tif",
          tiff(65535, 65535, 8, 32773, 1, bytes([0x81, 0x40]) * 2048))
    # Deflate, 65535 x 65535 claimed in 4096 strips of 16 rows that all share
    # one 1 KB stream of 1 MB of the value 0x40.
    write("tiff", "regress-strips-share-their-data.tif",
          tiff_shared_strips(65535, 65535, 16, 8, zlib.compress(bytes([0x40]) * (16 * 65535), 9)))
    # Progressive JPEG claiming 65500 x 65500 with 4 KB of scan data.
    write("jpeg", "regress-progressive-claimed-size.jpg", progressive_jpeg(65500, 65500, 1, 4096))
    # Progressive JPEG of a size its data can hold, with 300 scans.
    write("jpeg", "regress-thousands-of-scans.jpg", progressive_jpeg(2048, 1024, 300, 4096))
    # A flat progressive picture whose data does hold its blocks (one bit each).
    write("jpeg", "progressive-flat-1024.jpg", progressive_jpeg(1024, 1024, 2, 16384))
    # PNG claiming 65535 x 65535 gray whose zlib stream stops after 4 rows.
    stream = zlib.compressobj()
    write("png", "regress-png-data-ends-early.png",
          png(65535, 65535, stream.compress(bytes([0] + [0x80] * 65535) * 4) + stream.flush(zlib.Z_SYNC_FLUSH)))
    # Autodesk cel with 4 bits per pixel: not a depth of the format.
    header = struct.pack("<HHHHHBB", 0x9119, 64, 64, 0, 0, 4, 0) + bytes(20)
    write("autodesk", "regress-cel-four-bits.cel", header + bytes(768) + bytes(64 * 64))
    # A 48 x 32 HEIF picture whose grid libheif is made to read as 28009 x
    # 26161 pixels.
    with open(os.path.join(ROOT, "heif", "alpha.heic"), "rb") as f:
        write("heif", "regress-coded-size-beyond-boxes.heic", grid_read_from_file_type(f.read()))


if __name__ == "__main__":
    main()
