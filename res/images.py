#!/usr/bin/python3
"""Writes Velorn's pictures: the background bitmap pozadi.bmp and the icon
ikona.ico. The files are committed; this script rebuilds them byte for byte
(run it from anywhere after changing a picture here, then write new
reference pictures for the tests, as the README says)."""
import os
import struct
import sys

# The standard 16-colour palette, in its usual order, as (R, G, B).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, NAVY, SILVER, GREY, RED, BLUE, WHITE = 0, 4, 7, 8, 9, 12, 15
PIXELS_PER_METRE = 3780


def background(x, y):
    """128 x 128 tile of red and black quadrants. The seams are uneven:
    row 64 is all red, and the top half turns black at column 63, one
    column before the bottom half turns red."""
    if y < 64:
        return RED if x < 63 else BLACK
    if y == 64:
        return RED
    return BLACK if x < 64 else RED


def book():
    """32 x 32: a closed book at a slant, or None where transparent."""
    def cover(x, y):
        left = 14 - (y - 3) // 2
        return 3 <= y <= 22 and left <= x <= left + 15

    def block(x, y):  # the whole book: the cover over its pages
        return cover(x, y) or cover(x, y - 4)

    pixels = [[None] * 32 for _ in range(32)]
    for y in range(32):
        for x in range(32):
            if not block(x, y):
                continue
            edge = any(not (0 <= x + dx < 32 and 0 <= y + dy < 32 and block(x + dx, y + dy))
                       for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            if edge:
                colour = BLACK
            elif cover(x, y):
                spine = x <= 14 - (y - 3) // 2 + 1
                colour = NAVY if spine or y == 22 or not cover(x, y + 1) else BLUE
            elif not block(x + 1, y) or not block(x + 2, y):
                colour = GREY
            else:
                colour = WHITE if y % 2 else SILVER
            pixels[y][x] = colour
    return pixels


def palette_bytes():
    return b"".join(struct.pack("<4B", b, g, r, 0) for r, g, b in PALETTE)


def rows_4bpp(width, height, pixel):
    """Bottom-up rows of 4-bit pixels, each padded to 4 bytes."""
    out = b""
    for y in reversed(range(height)):
        row = bytes((pixel(x, y) << 4) | pixel(x + 1, y) for x in range(0, width, 2))
        out += row + b"\0" * (-len(row) % 4)
    return out


def info_header(width, height, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, image_size,
                       PIXELS_PER_METRE, PIXELS_PER_METRE, 0, 0)


def bitmap_file():
    bits = rows_4bpp(128, 128, background)
    offset = 14 + 40 + 64
    return (struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
            + info_header(128, 128, len(bits)) + palette_bytes() + bits)


def icon_file():
    art = book()
    colours = rows_4bpp(32, 32, lambda x, y: art[y][x] or 0)
    mask = b""
    for y in reversed(range(32)):
        bits = 0
        for x in range(32):
            bits = bits << 1 | (art[y][x] is None)
        mask += bits.to_bytes(4, "big")
    image = info_header(32, 64, len(colours) + len(mask)) + palette_bytes() + colours + mask
    return (struct.pack("<HHH", 0, 1, 1)
            + struct.pack("<BBBBHHII", 32, 32, 16, 0, 1, 4, len(image), 22) + image)


FILES = {"pozadi.bmp": bitmap_file, "ikona.ico": icon_file}


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for name, make in FILES.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(make())


if __name__ == "__main__":
    main()
