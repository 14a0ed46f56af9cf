#!/usr/bin/env python3
"""Draws kestrane.ico: a five-pointed amber star on a dark rounded tile.

Run it again only to change the drawing; the .ico is committed so builds need no Python.
"""
import math
import struct
import sys

SIZES = (16, 24, 32, 48, 64, 256)
TILE = (0x1B, 0x24, 0x33)       # dark slate
STAR = (0xFF, 0xB3, 0x2E)       # amber
SAMPLES = 4                     # supersampling per axis


def star_polygon(cx, cy, outer, inner):
    pts = []
    for i in range(10):
        r = outer if i % 2 == 0 else inner
        a = -math.pi / 2 + i * math.pi / 5
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def inside(poly, x, y):
    hit = False
    j = len(poly) - 1
    for i in range(len(poly)):
        xi, yi = poly[i]
        xj, yj = poly[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            hit = not hit
        j = i
    return hit


def in_rounded_tile(x, y, size):
    r = size * 0.22
    cx = min(max(x, r), size - r)
    cy = min(max(y, r), size - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def render(size):
    poly = star_polygon(size / 2, size * 0.53, size * 0.42, size * 0.17)
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            tile = star = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = px + (sx + 0.5) / SAMPLES
                    y = py + (sy + 0.5) / SAMPLES
                    if in_rounded_tile(x, y, size):
                        tile += 1
                        if inside(poly, x, y):
                            star += 1
            n = SAMPLES * SAMPLES
            if tile == 0:
                row.append((0, 0, 0, 0))
                continue
            t = star / tile
            rgb = [round(TILE[k] * (1 - t) + STAR[k] * t) for k in range(3)]
            row.append((rgb[0], rgb[1], rgb[2], round(255 * tile / n)))
        rows.append(row)
    return rows


def dib(size, rows):
    # 32-bit BGRA, bottom-up, followed by the 1-bit AND mask (all zero: alpha decides).
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b''.join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    return header + pixels + bytes(mask_row * size)


def main(out):
    images = [dib(s, render(s)) for s in SIZES]
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, img in zip(SIZES, images):
        data += struct.pack('<BBBBHHII', s % 256, s % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    with open(out, 'wb') as f:
        f.write(data + b''.join(images))


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'kestrane.ico')
