#!/usr/bin/python3
"""Draws Brontiv's icon and writes it as a Windows .ico file.

One image: 32x32, 16 colours, the standard 16-colour Windows palette. A dark red spiked burst on a
transparent background, with a red diamond, a grey oval and a yellow exclamation mark at its centre.

All geometry is done in integers on a grid of half pixels, so the output is the same bytes on every
machine and every Python version. Run it after changing the picture and commit the .ico with it:

    tools/make-icon.py res/brontiv.ico
"""

import math
from fractions import Fraction
import struct
import sys

SIZE = 32
BITS_PER_PIXEL = 4

# The standard 16-colour Windows palette, in palette index order, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, DARK_RED, DARK_GREY, RED, YELLOW = 0, 1, 8, 9, 11
TRANSPARENT = None

# Pixel (x, y) has its centre at (2x + 1, 2y + 1) in half-pixel units; the image centre is (32, 32).
CENTRE = SIZE

BURST_SPIKES = 12
BURST_OUTER = 30  # half pixels: the tips reach the outermost pixel
BURST_INNER = 19


def burst_polygon():
    # The trigonometry is rounded to whole half pixels before any test uses it, so tiny
    # differences between maths libraries cannot move a pixel.
    points = []
    for i in range(2 * BURST_SPIKES):
        radius = BURST_OUTER if i % 2 == 0 else BURST_INNER
        angle = math.pi * i / BURST_SPIKES - math.pi / 2
        points.append((CENTRE + round(radius * math.cos(angle)),
                       CENTRE + round(radius * math.sin(angle))))
    return points


def inside_polygon(px, py, polygon):
    # Even-odd rule. Vertices are whole half pixels and the crossing is compared as a fraction,
    # so there is no rounding anywhere.
    inside = False
    for (x1, y1), (x2, y2) in zip(polygon, polygon[1:] + polygon[:1]):
        if (y1 > py) != (y2 > py):
            crossing = x1 + Fraction((py - y1) * (x2 - x1), y2 - y1)
            if px < crossing:
                inside = not inside
    return inside


def in_diamond(dx, dy):
    return abs(dx) + abs(dy) <= 20


def in_oval(dx, dy):
    # Semi-axes of 5.5 by 8 pixels.
    return (dx * dx) * (16 * 16) + (dy * dy) * (11 * 11) <= (11 * 16) ** 2


def in_exclamation(dx, dy):
    bar = abs(dx) <= 2 and -13 <= dy <= 5
    dot = abs(dx) <= 2 and 9 <= dy <= 13
    return bar or dot


def draw():
    burst = burst_polygon()
    pixels = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            px, py = 2 * x + 1, 2 * y + 1
            dx, dy = px - CENTRE, py - CENTRE
            if in_exclamation(dx, dy):
                colour = YELLOW
            elif in_oval(dx, dy):
                colour = DARK_GREY
            elif in_diamond(dx, dy):
                colour = RED
            elif inside_polygon(px, py, burst):
                colour = DARK_RED
            else:
                colour = TRANSPARENT
            row.append(colour)
        pixels.append(row)
    return pixels


def icon_image(pixels):
    """The image as stored in the .ico and in the RT_ICON resource: a BITMAPINFOHEADER with the
    height doubled for the two masks, the palette, the colour (XOR) bits, then the AND mask."""
    xor_row = SIZE * BITS_PER_PIXEL // 8
    and_row = (SIZE + 31) // 32 * 4
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, BITS_PER_PIXEL, 0,
                         SIZE * (xor_row + and_row), 0, 0, 0, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    xor_bits, and_bits = bytearray(), bytearray()
    for row in reversed(pixels):  # bottom-up
        for x in range(0, SIZE, 2):
            high, low = (BLACK if c is TRANSPARENT else c for c in row[x:x + 2])
            xor_bits.append(high << 4 | low)
        mask = 0
        for c in row:
            mask = mask << 1 | (c is TRANSPARENT)
        and_bits += mask.to_bytes(and_row, "big")
    return header + palette + bytes(xor_bits) + bytes(and_bits)


def ico_file(image):
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, len(PALETTE), 0, 1, BITS_PER_PIXEL, len(image),
                        len(directory) + 16)
    return directory + entry + image


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make-icon.py OUTPUT.ico")
    with open(sys.argv[1], "wb") as out:
        out.write(ico_file(icon_image(draw())))


if __name__ == "__main__":
    main()
