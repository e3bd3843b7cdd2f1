#!/usr/bin/env python3
"""Gives the primary image of a HEIF file a rotation property (an 'irot'
box, anticlockwise in quarter turns), as cameras write for pictures taken
upright: heif-enc itself writes none.

Usage: add_rotation.py IN OUT QUARTER_TURNS
"""
import struct
import sys


def boxes(data, start, end):
    """(type, start, header size, end) of the boxes in data[start:end]."""
    while start + 8 <= end:
        size, kind = struct.unpack(">I4s", data[start:start + 8])
        yield kind, start, 8, start + size
        start += size


def find(data, start, end, kind):
    for k, s, h, e in boxes(data, start, end):
        if k == kind:
            return s, h, e
    raise SystemExit("no %s box" % kind.decode())


def grow(data, box_start, amount):
    size = struct.unpack(">I", data[box_start:box_start + 4])[0]
    data[box_start:box_start + 4] = struct.pack(">I", size + amount)


def main(source, target, turns):
    data = bytearray(open(source, "rb").read())
    meta, mh, meta_end = find(data, 0, len(data), b"meta")
    inner = meta + mh + 4  # full box
    pitm = find(data, inner, meta_end, b"pitm")
    primary = struct.unpack(">H", data[pitm[0] + 12:pitm[0] + 14])[0]
    iprp, ih, iprp_end = find(data, inner, meta_end, b"iprp")
    ipco, ch, ipco_end = find(data, iprp + ih, iprp_end, b"ipco")
    index = sum(1 for _ in boxes(data, ipco + ch, ipco_end)) + 1
    ipma, ah, ipma_end = find(data, iprp + ih, iprp_end, b"ipma")
    version, flags = data[ipma + 8], int.from_bytes(data[ipma + 9:ipma + 12], "big")
    if version != 0 or flags & 1 or index > 127:
        raise SystemExit("unexpected ipma layout")
    count = struct.unpack(">I", data[ipma + 12:ipma + 16])[0]
    at = ipma + 16
    for _ in range(count):
        item, associations = struct.unpack(">HB", data[at:at + 3])
        if item == primary:
            break
        at += 3 + associations
    else:
        raise SystemExit("primary item has no properties")

    # The association first (it lies after ipco), then the property, so
    # that the earlier offsets stay right.
    data[at + 2] += 1
    data[at + 3 + associations:at + 3 + associations] = bytes([0x80 | index])
    data[ipco_end:ipco_end] = struct.pack(">I4sB", 9, b"irot", turns & 3)
    added = 10
    grow(data, ipma + 9, 1)  # ipma comes after the property just added
    grow(data, ipco, 9)
    grow(data, iprp, added)
    grow(data, meta, added)

    # Item data after the meta box moved by what was added.
    iloc = find(data, inner, meta_end + added, b"iloc")[0]
    iversion = data[iloc + 8]
    sizes = data[iloc + 12], data[iloc + 13]
    offset_size, length_size = sizes[0] >> 4, sizes[0] & 15
    base_size, index_size = sizes[1] >> 4, (sizes[1] & 15) if iversion else 0
    at = iloc + 14
    items = struct.unpack(">H", data[at:at + 2])[0] if iversion < 2 else struct.unpack(">I", data[at:at + 4])[0]
    at += 2 if iversion < 2 else 4

    def shift(position, size):
        if size:
            value = int.from_bytes(data[position:position + size], "big")
            if value > meta:
                data[position:position + size] = (value + added).to_bytes(size, "big")

    for _ in range(items):
        at += 2 if iversion < 2 else 4
        method = 0
        if iversion:
            method = data[at + 1] & 15
            at += 2
        at += 2  # data reference index
        if method == 0:
            shift(at, base_size)
        at += base_size
        extents = struct.unpack(">H", data[at:at + 2])[0]
        at += 2
        for _ in range(extents):
            at += index_size
            if method == 0 and base_size == 0:
                shift(at, offset_size)
            at += offset_size + length_size
    open(target, "wb").write(data)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2], int(sys.argv[3]))
