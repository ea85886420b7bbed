#!/usr/bin/env python3
"""Draws the launcher's window icon: a 200 x 200 RGBA PNG of a gold
five-pointed star on a deep blue disc, anti-aliased by 4 x 4 supersampling.
Written with zlib only, so it needs nothing beyond the Python standard library.

Usage: make_star.py OUTPUT.png
"""
import math
import struct
import sys
import zlib

SIZE = 200
SUB = 4  # supersampling per axis


def star_polygon(cx, cy, r_out, r_in):
    pts = []
    for k in range(10):
        r = r_out if k % 2 == 0 else r_in
        a = math.pi / 2 + k * math.pi / 5  # first tip points up
        pts.append((cx + r * math.cos(a), cy - r * math.sin(a)))
    return pts


def inside(poly, x, y):
    odd = False
    n = len(poly)
    for i in range(n):
        x1, y1 = poly[i]
        x2, y2 = poly[(i + 1) % n]
        if (y1 > y) != (y2 > y):
            if x < x1 + (x2 - x1) * (y - y1) / (y2 - y1):
                odd = not odd
    return odd


def pixel(poly, px, py):
    disc = star = 0
    for sy in range(SUB):
        for sx in range(SUB):
            x = px + (sx + 0.5) / SUB
            y = py + (sy + 0.5) / SUB
            if (x - 100) ** 2 + (y - 100) ** 2 <= 96 ** 2:
                disc += 1
                if inside(poly, x, y):
                    star += 1
    total = SUB * SUB
    if disc == 0:
        return (0, 0, 0, 0)
    # blend gold over blue inside the disc; alpha follows the disc coverage
    f = star / disc
    blue, gold = (22, 44, 96), (245, 190, 40)
    rgb = tuple(round(b + (g - b) * f) for b, g in zip(blue, gold))
    return rgb + (round(255 * disc / total),)


def png(width, height, rows):
    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + bytes(row) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    poly = star_polygon(100, 104, 84, 34)
    rows = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            row.extend(pixel(poly, px, py))
        rows.append(row)
    with open(sys.argv[1], "wb") as out:
        out.write(png(SIZE, SIZE, rows))


if __name__ == "__main__":
    main()
