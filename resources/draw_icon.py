#!/usr/bin/env python3
"""Draws the program's icon, an envelope on a green tile with a red list badge,
and writes it as a Windows .ico of 16, 32, 48 and 256 pixels.

    python3 resources/draw_icon.py resources/mordavelle.ico

The shapes are described in a square of side 1 and sampled 8 by 8 times per
pixel, so every size is drawn from the same picture with smooth edges. The
icon is kept in the repository, so that a build needs no Python; run this
again after changing the drawing. Only the standard library is used.
"""
import math
import struct
import sys
import zlib

SIZES = (16, 32, 48, 256)
SAMPLES = 8

# The menu's own colours: light green for its entries, light red for its frame.
GREEN = (0x1E, 0x8C, 0x45)
GREEN_DARK = (0x14, 0x66, 0x31)
PAPER = (0xFA, 0xFA, 0xF5)
FOLD = (0x7A, 0x8A, 0x80)
RED = (0xE5, 0x3E, 0x36)
WHITE = (0xFF, 0xFF, 0xFF)


def rounded_square(x0, y0, x1, y1, radius):
    def inside(x, y):
        cx = min(max(x, x0 + radius), x1 - radius)
        cy = min(max(y, y0 + radius), y1 - radius)
        return x0 <= x <= x1 and y0 <= y <= y1 and (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2
    return inside


def stroke(ax, ay, bx, by, width):
    length2 = (bx - ax) ** 2 + (by - ay) ** 2

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - ax) * (bx - ax) + (y - ay) * (by - ay)) / length2))
        return math.hypot(x - ax - t * (bx - ax), y - ay - t * (by - ay)) <= width / 2
    return inside


def disc(cx, cy, radius):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


# Painted in this order, each over the ones before; y grows downwards.
SHAPES = [
    (rounded_square(0.03, 0.03, 0.97, 0.97, 0.2), GREEN_DARK),
    (rounded_square(0.06, 0.06, 0.94, 0.94, 0.17), GREEN),
    (rounded_square(0.14, 0.25, 0.86, 0.75, 0.04), PAPER),
    (stroke(0.17, 0.29, 0.5, 0.53, 0.06), FOLD),
    (stroke(0.5, 0.53, 0.83, 0.29, 0.06), FOLD),
    (disc(0.74, 0.72, 0.2), WHITE),
    (disc(0.74, 0.72, 0.165), RED),
    (stroke(0.66, 0.65, 0.82, 0.65, 0.05), WHITE),
    (stroke(0.66, 0.72, 0.82, 0.72, 0.05), WHITE),
    (stroke(0.66, 0.79, 0.82, 0.79, 0.05), WHITE),
]


def render(size):
    """Rows of (r, g, b, a) pixels, top row first."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / size
                    y = (py + (sy + 0.5) / SAMPLES) / size
                    colour = None
                    for inside, fill in SHAPES:
                        if inside(x, y):
                            colour = fill
                    if colour:
                        r, g, b, a = r + colour[0], g + colour[1], b + colour[2], a + 1
            row.append((r // a, g // a, b // a, a * 255 // SAMPLES ** 2) if a else (0, 0, 0, 0))
        rows.append(row)
    return rows


def png(rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    size = len(rows)
    raw = b"".join(b"\0" + bytes(v for pixel in row for v in pixel) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def dib(rows):
    """A 32-bit bitmap as icons hold it: bottom row first, then the 1-bit mask."""
    size = len(rows)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for r, g, b, a in row)
    mask_stride = (size + 31) // 32 * 4
    mask = b""
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return header + pixels + mask


def main():
    # Small sizes as bitmaps, which every Windows reads; 256 as PNG, as Windows Vista and later expect.
    images = [png(render(size)) if size == 256 else dib(render(size)) for size in SIZES]
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    for size, image in zip(SIZES, images):
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(sys.argv[1], "wb") as out:
        out.write(directory + b"".join(images))


if __name__ == "__main__":
    main()
