#!/usr/bin/env python3
"""Writes a <case>.colours file: colours as stored in a picture whose pixels
have the given primaries (and sRGB's white point and curve), each beside the
sRGB colour it must show as. The reader tests convert the stored colours
through the profile the reader attached and compare.

Usage: colour_sample.py OUT RED_X RED_Y GREEN_X GREEN_Y BLUE_X BLUE_Y
"""
import sys

WHITE = (0.3127, 0.3290)
SRGB = (0.64, 0.33, 0.30, 0.60, 0.15, 0.06)
SAMPLES = [(200, 120, 80), (100, 150, 180), (128, 128, 128), (120, 180, 100), (210, 90, 130)]


def to_xyz(primaries):
    """RGB to XYZ matrix of these primaries with the D65 white."""
    columns = []
    for x, y in zip(primaries[0::2], primaries[1::2]):
        columns.append((x / y, 1.0, (1 - x - y) / y))
    wx, wy = WHITE
    white = (wx / wy, 1.0, (1 - wx - wy) / wy)
    scale = solve([[columns[c][r] for c in range(3)] for r in range(3)], white)
    return [[columns[c][r] * scale[c] for c in range(3)] for r in range(3)]


def solve(m, v):
    """m x = v by Cramer's rule."""
    def det(a):
        return (a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0])
                + a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]))
    d = det(m)
    out = []
    for c in range(3):
        a = [row[:] for row in m]
        for r in range(3):
            a[r][c] = v[r]
        out.append(det(a) / d)
    return out


def decode(v):
    v /= 255.0
    return v / 12.92 if v <= 0.04045 else ((v + 0.055) / 1.055) ** 2.4


def encode(v):
    v = max(0.0, min(1.0, v))
    v = v * 12.92 if v <= 0.0031308 else 1.055 * v ** (1 / 2.4) - 0.055
    return int(round(v * 255))


def main(out, primaries):
    source = to_xyz(primaries)
    target = to_xyz(SRGB)
    lines = ["# stored R G B, then the sRGB R G B it shows as"]
    for sample in SAMPLES:
        xyz = [sum(source[r][c] * decode(sample[c]) for c in range(3)) for r in range(3)]
        linear = solve(target, xyz)
        lines.append("%d %d %d %d %d %d" % (sample + tuple(encode(v) for v in linear)))
    with open(out, "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main(sys.argv[1], [float(v) for v in sys.argv[2:8]])
