#!/usr/bin/env python3
"""Draws the launcher's icon and writes it as a Windows .ico file.

The art is procedural, so this script is its source: a rounded square with a
diagonal teal-to-indigo gradient and a white "V" chevron, rendered with 4x4
supersampling at each size the icon group carries (16, 20, 24, 32, 40, 48,
64, 96 and 128 pixels), every image 32 bits per pixel with alpha.

Usage: make_icon.py OUTPUT.ico
"""
import math
import struct
import sys

SIZES = (16, 20, 24, 32, 40, 48, 64, 96, 128)
SUB = 4  # samples per pixel along each axis

TOP_LEFT = (20, 184, 166)      # teal
BOTTOM_RIGHT = (79, 70, 229)   # indigo


def rounded_square_inside(x, y, radius):
    """(x, y) in unit coordinates; square [0.04, 0.96] with rounded corners."""
    lo, hi = 0.04, 0.96
    cx = min(max(x, lo + radius), hi - radius)
    cy = min(max(y, lo + radius), hi - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2 and lo <= x <= hi and lo <= y <= hi


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = min(max(t, 0.0), 1.0)
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def in_chevron(x, y):
    width = 0.085
    return (segment_distance(x, y, 0.28, 0.28, 0.5, 0.74) <= width or
            segment_distance(x, y, 0.72, 0.28, 0.5, 0.74) <= width)


def render(size):
    """Returns rows of (r, g, b, a) tuples, top row first."""
    rows = []
    radius = 0.2
    for py in range(size):
        row = []
        for px in range(size):
            cover = 0
            mark = 0
            for sy in range(SUB):
                for sx in range(SUB):
                    x = (px + (sx + 0.5) / SUB) / size
                    y = (py + (sy + 0.5) / SUB) / size
                    if rounded_square_inside(x, y, radius):
                        cover += 1
                        if in_chevron(x, y):
                            mark += 1
            total = SUB * SUB
            if cover == 0:
                row.append((0, 0, 0, 0))
                continue
            t = ((px + 0.5) / size + (py + 0.5) / size) / 2
            base = [TOP_LEFT[i] + (BOTTOM_RIGHT[i] - TOP_LEFT[i]) * t for i in range(3)]
            w = mark / cover
            rgb = [round(base[i] * (1 - w) + 255 * w) for i in range(3)]
            row.append((rgb[0], rgb[1], rgb[2], round(255 * cover / total)))
        rows.append(row)
    return rows


def dib(size, rows):
    """A 32-bit BITMAPINFOHEADER image as stored in .ico files: bottom-up
    BGRA pixels followed by a 1-bit AND mask (height doubled in the header)."""
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(pixels) + bytes(mask)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    images = [dib(s, render(s)) for s in SIZES]
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        dim = 0 if size >= 256 else size
        out += struct.pack('<BBBBHHII', dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(sys.argv[1], 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
