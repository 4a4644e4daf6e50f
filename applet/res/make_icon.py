#!/usr/bin/env python3
"""Draws the applet's icon (resource 2007) and writes applet.ico.

The picture: a PC card seen from the front, with its connector edge at the
bottom, a short antenna on its top right corner and three radio wave arcs
leaving it. Two images, 32 x 32 and 16 x 16 pixels, each in the 16 colours of
the standard VGA palette, so that every Windows from 95 on can show them.

The shapes are described once in coordinates from 0 to 1 and sampled at each
pixel's centre; the output depends on nothing but this file, so running it
again gives the same bytes.

Usage: make_icon.py [output path]   (default: applet.ico next to this file)
"""

import math
import os
import struct
import sys

# The 16-colour VGA palette as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00),  # 0 black
    (0x80, 0x00, 0x00),  # 1 maroon
    (0x00, 0x80, 0x00),  # 2 green
    (0x80, 0x80, 0x00),  # 3 olive
    (0x00, 0x00, 0x80),  # 4 navy
    (0x80, 0x00, 0x80),  # 5 purple
    (0x00, 0x80, 0x80),  # 6 teal
    (0xC0, 0xC0, 0xC0),  # 7 silver
    (0x80, 0x80, 0x80),  # 8 grey
    (0xFF, 0x00, 0x00),  # 9 red
    (0x00, 0xFF, 0x00),  # 10 lime
    (0xFF, 0xFF, 0x00),  # 11 yellow
    (0x00, 0x00, 0xFF),  # 12 blue
    (0xFF, 0x00, 0xFF),  # 13 fuchsia
    (0x00, 0xFF, 0xFF),  # 14 aqua
    (0xFF, 0xFF, 0xFF),  # 15 white
]
BLACK, OLIVE, NAVY, SILVER, GREY, YELLOW, BLUE, AQUA, WHITE = 0, 3, 4, 7, 8, 11, 12, 14, 15

TRANSPARENT = None

# Card body, in unit coordinates (left, top, right, bottom).
CARD = (0.03, 0.50, 0.66, 0.97)
# Antenna: a stub rising from the card's top edge near its right corner.
ANTENNA_X = 0.53
ANTENNA_TOP = 0.40
# Centre of the wave arcs: the antenna's tip.
WAVE_CENTRE = (ANTENNA_X, ANTENNA_TOP)
WAVE_RADII = (0.14, 0.27, 0.40)
# Two arcs at 16 pixels: three would run together.
WAVE_RADII_SMALL = (0.20, 0.40)


def in_rect(x, y, rect):
    left, top, right, bottom = rect
    return left <= x < right and top <= y < bottom


def pixel(px, py, size):
    """Colour index of pixel (px, py) of a size x size image, or TRANSPARENT."""
    unit = 1.0 / size
    x = (px + 0.5) * unit
    y = (py + 0.5) * unit

    # Radio waves: arcs opening to the upper right of the antenna tip, one
    # pixel wide at 16 pixels, about one and a half at 32.
    cx, cy = WAVE_CENTRE
    dx, dy = x - cx, cy - y  # dy grows upwards
    distance = math.hypot(dx, dy)
    angle = math.degrees(math.atan2(dy, dx))
    half_width = (1.0 if size >= 32 else 0.6) * unit
    radii = WAVE_RADII if size >= 32 else WAVE_RADII_SMALL
    if 0.0 <= angle <= 72.0:
        for radius in radii:
            if abs(distance - radius) <= half_width:
                return BLUE

    # Antenna stub, two pixels wide at 32, one at 16, with a round tip.
    stub = (1 if size >= 32 else 0.5) * unit
    if abs(x - ANTENNA_X) <= stub and ANTENNA_TOP <= y < CARD[1]:
        return BLACK

    left, top, right, bottom = CARD
    if in_rect(x, y, CARD):
        # One-pixel black outline around the card.
        if x < left + unit or x >= right - unit or y < top + unit or y >= bottom - unit:
            return BLACK
        # Gold connector strip along the bottom edge, in pins at 32 pixels.
        strip_top = bottom - (3 if size >= 32 else 2) * unit
        if y >= strip_top:
            if size >= 32 and (px % 2) == 1:
                return OLIVE
            return YELLOW
        # A white label on the card's face with two grey lines of print.
        label = (left + 0.10, top + 0.10, right - 0.16, top + 0.30)
        if in_rect(x, y, label):
            line_1 = label[1] + 0.06
            line_2 = label[1] + 0.15
            if size >= 32 and (abs(y - line_1) < 0.016 or abs(y - line_2) < 0.016):
                if label[0] + 0.06 <= x < label[2] - 0.06:
                    return GREY
            return WHITE
        # Body with a lighter edge on the top and left for depth.
        if x < left + 2 * unit or y < top + 2 * unit:
            return BLUE if size >= 32 else NAVY
        return NAVY
    return TRANSPARENT


def render(size):
    return [[pixel(px, py, size) for px in range(size)] for py in range(size)]


def bitmap_entry(image):
    """The BMP part of one icon image: header, palette, colour bits, mask."""
    size = len(image)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor_bits = bytearray()
    and_bits = bytearray()
    for row in reversed(image):  # bottom-up, as in every BMP
        xor_row = bytearray(xor_stride)
        and_row = bytearray(and_stride)
        for px, colour in enumerate(row):
            index = 0 if colour is TRANSPARENT else colour
            if px % 2 == 0:
                xor_row[px // 2] |= index << 4
            else:
                xor_row[px // 2] |= index
            if colour is TRANSPARENT:
                and_row[px // 8] |= 0x80 >> (px % 8)
        xor_bits += xor_row
        and_bits += and_row
    header = struct.pack(
        "<IiiHHIIiiII",
        40,  # biSize
        size,  # biWidth
        size * 2,  # biHeight: colour bits and mask together
        1,  # biPlanes
        4,  # biBitCount
        0,  # biCompression: BI_RGB
        len(xor_bits) + len(and_bits),  # biSizeImage
        0,
        0,
        16,  # biClrUsed
        0,
    )
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    return header + palette + bytes(xor_bits) + bytes(and_bits)


def icon_file(images):
    count = len(images)
    directory = struct.pack("<HHH", 0, 1, count)
    offset = 6 + 16 * count
    entries = b""
    bodies = b""
    for image in images:
        size = len(image)
        body = bitmap_entry(image)
        entries += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(body), offset)
        bodies += body
        offset += len(body)
    return directory + entries + bodies


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "applet.ico")
    data = icon_file([render(32), render(16)])
    with open(path, "wb") as out:
        out.write(data)
    print(f"{path}: {len(data)} bytes")


if __name__ == "__main__":
    main()
