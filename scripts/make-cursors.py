#!/usr/bin/env python3
"""Draws the screen capture's corner cursors as 32 x 32 monochrome .cur files:
107 the outline of a right triangle with 10-pixel legs along the top and left
edges (hot spot 0, 0), 108 the same triangle in the bottom-right corner (hot
spot 31, 31). Black on transparent. The .cur files are committed; run this
only to redraw them."""
import os
import struct

SIZE = 32
LEG = 10


def triangle(mirrored):
    points = set()
    for k in range(LEG):
        points |= {(k, 0), (0, k), (LEG - 1 - k, k)}
    if mirrored:
        points = {(SIZE - 1 - x, SIZE - 1 - y) for x, y in points}
    return points


def cursor(points, hot):
    xor_rows, and_rows = [], []
    for y in reversed(range(SIZE)):  # rows are stored bottom first
        xor_bits = 0
        and_bits = 0
        for x in range(SIZE):
            bit = 1 << (SIZE - 1 - x)
            if (x, y) not in points:
                and_bits |= bit  # transparent
        xor_rows.append(struct.pack('>I', xor_bits))
        and_rows.append(struct.pack('>I', and_bits))
    image = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    image += bytes([0, 0, 0, 0, 255, 255, 255, 0])  # black, white
    image += b''.join(xor_rows) + b''.join(and_rows)
    header = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 2, 0, hot[0], hot[1], len(image), 6 + 16)
    return header + entry + image


out = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'resources')
with open(os.path.join(out, 'capture-top-left.cur'), 'wb') as f:
    f.write(cursor(triangle(False), (0, 0)))
with open(os.path.join(out, 'capture-bottom-right.cur'), 'wb') as f:
    f.write(cursor(triangle(True), (SIZE - 1, SIZE - 1)))
