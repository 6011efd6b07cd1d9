#!/usr/bin/env python3
"""Turns the program icon's XPM source into a Windows .ico file.

Usage: xpm_to_ico.py INPUT.xpm OUTPUT.ico

The .ico holds one 32 x 32 image in 16 colours (4 bits per pixel) with the
standard 16-colour palette, as Windows' icon resources expect.  Every colour
of the XPM must be one of that palette, or "None" for a transparent pixel;
anything else is an error, so the picture never changes colour silently.
"""
import re
import struct
import sys

PALETTE = [
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
]
SIZE = 32


def read_xpm(path):
    strings = re.findall(r'"([^"]*)"', open(path, encoding="ascii").read())
    width, height, colours, per_pixel = (int(v) for v in strings[0].split()[:4])
    if (width, height, per_pixel) != (SIZE, SIZE, 1):
        sys.exit(f"{path}: must be {SIZE}x{SIZE} with one character per pixel")
    table = {}
    for line in strings[1:1 + colours]:
        key, spec = line[0], line[1:].split()
        value = spec[spec.index("c") + 1]
        if value.lower() == "none":
            table[key] = None
        elif value.startswith("#") and int(value[1:], 16) in PALETTE:
            table[key] = PALETTE.index(int(value[1:], 16))
        else:
            sys.exit(f"{path}: colour {value} is not in the 16-colour palette")
    rows = strings[1 + colours:1 + colours + height]
    if len(rows) != height or any(len(row) != width for row in rows):
        sys.exit(f"{path}: pixel rows do not match the declared size")
    return [[table[c] for c in row] for row in rows]


def ico_bytes(pixels):
    colour_rows, mask_rows = [], []
    for row in reversed(pixels):  # bitmaps are stored bottom-up
        indices = [0 if p is None else p for p in row]
        colour_rows.append(bytes(indices[i] << 4 | indices[i + 1] for i in range(0, SIZE, 2)))
        mask = 0
        for p in row:
            mask = mask << 1 | (p is None)
        mask_rows.append(mask.to_bytes(SIZE // 8, "big"))
    colour, mask = b"".join(colour_rows), b"".join(mask_rows)
    palette = b"".join(struct.pack("<BBBB", c & 0xFF, c >> 8 & 0xFF, c >> 16, 0) for c in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 4, 0, len(colour) + len(mask),
                         0, 0, 16, 0)
    image = header + palette + colour + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__.strip().splitlines()[2])
    data = ico_bytes(read_xpm(sys.argv[1]))
    with open(sys.argv[2], "wb") as out:
        out.write(data)


if __name__ == "__main__":
    main()
