#!/usr/bin/env python3
"""Draws res/quillaby.ico: a white bar on a dark field inside a thin white frame.

Two images, 32x32 and 16x16, each 16 colours (4 bits per pixel, standard VGA
palette), fully opaque. Run it from anywhere; it writes next to itself.
"""
import os
import struct

# The standard Windows 16-colour palette, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
NAVY, GREY, WHITE = 4, 8, 15


def draw(size):
    """Returns rows top to bottom of palette indexes."""
    bar_left = size * 3 // 8
    bar_width = max(2, size // 6)
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            if x in (0, size - 1) or y in (0, size - 1):
                row.append(WHITE)          # the one-pixel frame
            elif bar_left <= x < bar_left + bar_width:
                row.append(WHITE)          # the bar
            elif bar_left - 2 <= x < bar_left and size >= 32:
                row.append(GREY)           # a faint trail behind the moving bar
            else:
                row.append(NAVY)
        rows.append(row)
    return rows


def dib(size):
    rows = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor = b""
    for row in reversed(rows):  # bottom-up
        packed = bytes((row[i] << 4) | row[i + 1] for i in range(0, size, 2))
        xor += packed.ljust(xor_stride, b"\0")
    and_mask = b"\0" * (and_stride * size)  # fully opaque
    return header + palette + xor + and_mask


def main():
    images = [dib(32), dib(16)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((32, 16), images):
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "quillaby.ico")
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
