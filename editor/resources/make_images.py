#!/usr/bin/env python3
"""Builds the application icon and the eyedropper cursor from the pixel grids beside this file.

Each grid is one text line a row, top row first, one character a pixel; "." is transparent.
Run it after changing a grid and commit what it writes; the build uses the written files.
"""
import pathlib
import struct

HERE = pathlib.Path(__file__).resolve().parent

# The 16 colours of the standard Windows palette, in their usual order.
STANDARD_16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
SUN_COLOURS = {"Y": (255, 255, 0), "O": (128, 128, 0)}
CURSOR_COLOURS = {"K": (0, 0, 0), "C": (170, 210, 240), "G": (192, 192, 192), "R": (160, 0, 0)}


def read_grid(name):
    rows = (HERE / name).read_text().splitlines()
    if len(rows) != len(rows[0]) or any(len(row) != len(rows) for row in rows):
        raise SystemExit(f"{name}: the grid must be square")
    return rows


def dib(rows, palette, colours, bits):
    """A device-independent bitmap as icons and cursors hold it: header, palette, colour bits
    and the 1-bit mask (1 = transparent), both bottom row first, each row padded to 4 bytes."""
    size = len(rows)
    index = {char: palette.index(rgb) for char, rgb in colours.items()}
    colour_rows, mask_rows = [], []
    for row in reversed(rows):
        pixels = [index.get(char, 0) for char in row]
        if bits == 4:
            packed = bytes((pixels[i] << 4) | pixels[i + 1] for i in range(0, size, 2))
        else:
            packed = bytes(pixels)
        colour_rows.append(packed + bytes(-len(packed) % 4))
        mask = bytearray((size + 7) // 8)
        for x, char in enumerate(row):
            if char == ".":
                mask[x // 8] |= 0x80 >> (x % 8)
        mask_rows.append(bytes(mask) + bytes(-len(mask) % 4))
    colour_bits, mask_bits = b"".join(colour_rows), b"".join(mask_rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bits, 0,
                         len(colour_bits) + len(mask_bits), 0, 0, len(palette), 0)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + table + colour_bits + mask_bits


def icon_file(kind, images):
    """kind 1 is an icon, 2 a cursor; images are (size, colour count, field1, field2, dib)."""
    out = struct.pack("<HHH", 0, kind, len(images))
    offset = len(out) + 16 * len(images)
    for size, count, field1, field2, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, count % 256, 0, field1, field2,
                           len(data), offset)
        offset += len(data)
    return out + b"".join(image[4] for image in images)


def main():
    icons = []
    for name in ("sun32.txt", "sun16.txt"):
        rows = read_grid(name)
        icons.append((len(rows), 16, 1, 4, dib(rows, STANDARD_16, SUN_COLOURS, 4)))
    (HERE / "sun.ico").write_bytes(icon_file(1, icons))

    rows = read_grid("eyedropper.txt")
    palette = list(CURSOR_COLOURS.values()) + [(0, 0, 0)] * (256 - len(CURSOR_COLOURS))
    hot_x, hot_y = 0, len(rows) - 1  # the dropper's tip, the bottom-left pixel
    cursor = dib(rows, palette, CURSOR_COLOURS, 8)
    (HERE / "eyedropper.cur").write_bytes(icon_file(2, [(len(rows), 0, hot_x, hot_y, cursor)]))


if __name__ == "__main__":
    main()
