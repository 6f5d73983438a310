#!/usr/bin/env python3
"""Writes the module's two icons, res/vexmark.tif (32 x 32) and
res/vexmark_small.tif (16 x 16), as small uncompressed RGBA TIFF files:
a dark wireframe square with a diagonal on a transparent ground."""
import struct


def write_tiff(path, size, draw):
    pixels = bytearray()
    for y in range(size):
        for x in range(size):
            pixels += bytes(draw(x, y, size))
    count = 11
    ifd_offset = 8 + len(pixels)
    bits_offset = ifd_offset + 2 + count * 12 + 4
    entries = [  # tag, type (3 short, 4 long), count, value
        (256, 3, 1, size), (257, 3, 1, size), (258, 3, 4, bits_offset), (259, 3, 1, 1),
        (262, 3, 1, 2), (273, 4, 1, 8), (277, 3, 1, 4), (278, 3, 1, size),
        (279, 4, 1, len(pixels)), (284, 3, 1, 1), (338, 3, 1, 2),
    ]
    out = bytearray(b"II*\x00" + struct.pack("<I", ifd_offset)) + pixels
    out += struct.pack("<H", count)
    for tag, kind, n, value in entries:
        if kind == 3 and n == 1:
            out += struct.pack("<HHIHH", tag, kind, n, value, 0)
        else:
            out += struct.pack("<HHII", tag, kind, n, value)
    out += struct.pack("<I", 0) + struct.pack("<HHHH", 8, 8, 8, 8)
    with open(path, "wb") as f:
        f.write(out)


def wireframe(x, y, size):
    edge = x in (2, size - 3) or y in (2, size - 3)
    diagonal = x == y and 2 <= x <= size - 3
    return (20, 20, 20, 255) if edge or diagonal else (255, 255, 255, 0)


if __name__ == "__main__":
    write_tiff("res/vexmark.tif", 32, wireframe)
    write_tiff("res/vexmark_small.tif", 16, wireframe)
