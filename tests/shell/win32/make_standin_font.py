#!/usr/bin/env python3
"""Makes a stand-in for the dialog's font face "ＭＳ Ｐゴシック" from a
TrueType font that shows Japanese (IPA P Gothic on Debian).

Usage: make_standin_font.py SOURCE.ttf OUTPUT.ttf

The stand-in keeps the source's glyphs under the family names
"ＭＳ Ｐゴシック" (Japanese) and "MS PGothic" (English), and takes the
vertical metrics of the face it stands in for: ascent and descent that add
up to one em, so that at 9 pt and 96 dpi (height -12) the text "0" is 12
pixels high, as the dialog's stored layout assumes.  With it, Wine shows
the dialog at its design size, 229 x 98.  Only for the tests.
"""
import struct
import sys

FAMILY_JA = "ＭＳ Ｐゴシック"
FAMILY_EN = "MS PGothic"


def read_tables(data):
    count = struct.unpack(">H", data[4:6])[0]
    tables = {}
    for i in range(count):
        tag, _, offset, length = struct.unpack(">4sIII", data[12 + 16 * i:28 + 16 * i])
        tables[tag] = data[offset:offset + length]
    return data[:4], tables


def name_table():
    records = []
    for language, family in ((0x409, FAMILY_EN), (0x411, FAMILY_JA)):
        for name_id, text in ((1, family), (2, "Regular"), (4, family), (6, "MSPGothic")):
            records.append((3, 1, language, name_id, text.encode("utf-16-be")))
    records.sort()
    header = struct.pack(">HHH", 0, len(records), 6 + 12 * len(records))
    entries, strings = b"", b""
    for platform, encoding, language, name_id, text in records:
        entries += struct.pack(">HHHHHH", platform, encoding, language, name_id, len(text),
                               len(strings))
        strings += text
    return header + entries + strings


def checksum(table):
    padded = table + b"\0" * (-len(table) % 4)
    return sum(struct.unpack(f">{len(padded) // 4}I", padded)) & 0xFFFFFFFF


def main():
    version, tables = read_tables(open(sys.argv[1], "rb").read())
    units_per_em = struct.unpack(">H", tables[b"head"][18:20])[0]
    os2 = bytearray(tables[b"OS/2"])
    win_ascent = struct.unpack(">H", os2[74:76])[0]
    os2[76:78] = struct.pack(">H", units_per_em - win_ascent)  # usWinDescent
    tables[b"OS/2"] = bytes(os2)
    tables[b"name"] = name_table()

    tags = sorted(tables)
    offset = 12 + 16 * len(tags)
    directory, body = b"", b""
    for tag in tags:
        table = tables[tag]
        directory += struct.pack(">4sIII", tag, checksum(table), offset + len(body), len(table))
        body += table + b"\0" * (-len(table) % 4)
    power = 1
    while power * 2 <= len(tags):
        power *= 2
    header = version + struct.pack(">HHHH", len(tags), power * 16, power.bit_length() - 1,
                                   len(tags) * 16 - power * 16)
    with open(sys.argv[2], "wb") as out:
        out.write(header + directory + body)


if __name__ == "__main__":
    main()
