#!/usr/bin/env python3
"""Draws the programs' icon (the shapes of ../dornik-spectrum-scanner.svg) into
a Windows .ico with PNG images of 16 to 256 pixels, with Python's standard
library alone: no SVG renderer is needed to build for Windows.

    packaging/windows/make_icon.py packaging/windows/dornik-spectrum-scanner.ico
"""
import struct
import sys
import zlib

SIZES = (16, 24, 32, 48, 64, 256)
BACKGROUND = (0x1F, 0x3B, 0x57)
CURVE = (0x7F, 0xD3, 0xFF)
LINE = (0xFF, 0xFF, 0xFF)


def cubic(p0, p1, p2, p3, steps=40):
    for i in range(steps + 1):
        t = i / steps
        u = 1 - t
        yield (u**3 * p0[0] + 3 * u * u * t * p1[0] + 3 * u * t * t * p2[0] + t**3 * p3[0],
               u**3 * p0[1] + 3 * u * u * t * p1[1] + 3 * u * t * t * p2[1] + t**3 * p3[1])


# The SVG's path "M8 48 C16 48 18 16 26 16 S34 40 40 40 S48 24 56 24" as points.
CURVE_POINTS = (list(cubic((8, 48), (16, 48), (18, 16), (26, 16))) +
                list(cubic((26, 16), (34, 16), (34, 40), (40, 40))) +
                list(cubic((40, 40), (46, 40), (48, 24), (56, 24))))


def segment_distance(x, y, a, b):
    dx, dy = b[0] - a[0], b[1] - a[1]
    length = dx * dx + dy * dy
    t = 0 if length == 0 else max(0.0, min(1.0, ((x - a[0]) * dx + (y - a[1]) * dy) / length))
    px, py = a[0] + t * dx, a[1] + t * dy
    return ((x - px) ** 2 + (y - py) ** 2) ** 0.5


def colour_at(x, y):
    """The colour of the 64-unit picture at (x, y), None outside it."""
    if not (2 <= x <= 62 and 2 <= y <= 62):
        return None
    cx, cy = min(max(x, 10), 54), min(max(y, 10), 54)
    if (x - cx) ** 2 + (y - cy) ** 2 > 64:
        return None
    if min(segment_distance(x, y, a, b) for a, b in zip(CURVE_POINTS, CURVE_POINTS[1:])) <= 2:
        return CURVE
    if 8 <= x <= 56 and 53 <= y <= 55:
        return LINE
    return BACKGROUND


def png(size):
    samples = 3
    rows = []
    for row in range(size):
        line = bytearray([0])
        for column in range(size):
            total = [0, 0, 0, 0]
            for sy in range(samples):
                for sx in range(samples):
                    x = (column + (sx + 0.5) / samples) * 64 / size
                    y = (row + (sy + 0.5) / samples) * 64 / size
                    colour = colour_at(x, y)
                    if colour:
                        total = [total[0] + colour[0], total[1] + colour[1],
                                 total[2] + colour[2], total[3] + 1]
            count = samples * samples
            alpha = total[3]
            line += bytes([total[0] // alpha if alpha else 0, total[1] // alpha if alpha else 0,
                           total[2] // alpha if alpha else 0, 255 * alpha // count])
        rows.append(bytes(line))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))


def main(path):
    images = [png(size) for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(SIZES, images):
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(path, "wb") as out:
        out.write(directory + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1])
