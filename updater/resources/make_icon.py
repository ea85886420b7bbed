#!/usr/bin/env python3
"""Draws the updater's application icon and writes it as a Windows .ico file.

The picture is an upward arrow over a bar (an update) in white on a rounded
blue square, rendered at 16, 32 and 48 pixels with 4 x 4 supersampling for
smooth edges. Each size is stored as a 32-bit BGRA bitmap, the form every
.ico reader understands. Usage: make_icon.py OUTPUT.ico
"""
import struct
import sys

BACKGROUND = (0x2E, 0x6D, 0xA4)  # RGB
FOREGROUND = (0xFF, 0xFF, 0xFF)
SIZES = (16, 32, 48)
SUPERSAMPLE = 4


def in_rounded_square(x, y):
    """Unit square with margin 0.04 and corner radius 0.18."""
    lo, hi, r = 0.04, 0.96, 0.18
    if not (lo <= x <= hi and lo <= y <= hi):
        return False
    cx = min(max(x, lo + r), hi - r)
    cy = min(max(y, lo + r), hi - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def in_symbol(x, y):
    """Arrow pointing up (y grows downwards) above a bar."""
    head_top, head_base = 0.16, 0.46
    if head_top <= y <= head_base:
        half = 0.27 * (y - head_top) / (head_base - head_top)
        if abs(x - 0.5) <= half:
            return True
    if 0.42 <= x <= 0.58 and head_base <= y <= 0.70:
        return True
    return 0.24 <= x <= 0.76 and 0.77 <= y <= 0.85


def render(size):
    """Rows top to bottom of (r, g, b, a) pixels."""
    rows = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            cover = symbol = 0
            for sy in range(n):
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) / size
                    y = (py + (sy + 0.5) / n) / size
                    if in_rounded_square(x, y):
                        cover += 1
                        if in_symbol(x, y):
                            symbol += 1
            if cover == 0:
                row.append((0, 0, 0, 0))
                continue
            t = symbol / cover
            rgb = tuple(round(b + (f - b) * t) for b, f in zip(BACKGROUND, FOREGROUND))
            row.append(rgb + (round(255 * cover / (n * n)),))
        rows.append(row)
    return rows


def bitmap(size):
    """BITMAPINFOHEADER, BGRA pixels bottom-up, then the 1-bit AND mask."""
    rows = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + pixels + bytes(mask)


def main():
    images = [bitmap(s) for s in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
