#!/usr/bin/env python3
"""Checks for the end-to-end tests of drelbin.exe: control files, Wine relay
traces of MessageBoxA and the registry and file calls, and the dialog's
geometry.

  e2e_check.py make-file PATH             a control file of known bytes
  e2e_check.py repaired PATH              the table at 66..161, nothing else changed
  e2e_check.py untouched PATH             exactly the known bytes
  e2e_check.py messages LOG KIND...       the MessageBoxA calls of LOG, in order:
                                          repaired, not-found, bad-type
                                          or no-form
  e2e_check.py no-access LOG              no registry or control-file call in LOG
  e2e_check.py text-height LOG            height of "0" in the dialog's font
  e2e_check.py layout SHOT X Y HEIGHT     the controls of the dialog whose client
                                          area starts at (X, Y) in the screenshot,
                                          at the scale of a "0" HEIGHT pixels high
"""
import re
import subprocess
import sys

LENGTH = 300
TABLE_OFFSET = 66
# The six records, 3% from 1989, 5% from 1997, 8% from 2014, 10% from
# 1 October 2019, and two empty ones, as they must stand in the file.
TABLE = bytes.fromhex(
    "e1802f01 00004040 00009040 00000000"
    "61b93001 0000a040 00000000 00000000"
    "71513301 00000041 00000000 00000000"
    "19173401 00002041 00000000 00000000" + "00" * 32)

# The texts as the user must see them, in code page 932.
MESSAGES = {
    "repaired": ("消費税率データを修復しました.".encode("cp932"), b"", 0),
    "not-found": ("TARNVEXのデータが見つかりませんでした.".encode("cp932"), b"", 0),
    "bad-type": ("'DisplayIcon' のデータ型が不正です.".encode("cp932"), b"drelbin", 0x10),
    "no-form": (b"Resource TFORM1 not found.", b"drelbin", 0x10),
}

CALL = re.compile(rb'Call user32\.MessageBoxA\(([0-9a-f]+),[0-9a-f]+ "(.*?)",[0-9a-f]+ "(.*?)",'
                  rb'([0-9a-f]+)\)')


def known_bytes():
    return bytes((i * 37 + 11) % 256 for i in range(LENGTH))


def fail(message):
    print("e2e_check: " + message, file=sys.stderr)
    sys.exit(1)


def unescape(text):
    """Bytes of a string as Wine's relay trace prints it (debugstr_a)."""
    out, i = bytearray(), 0
    simple = {ord("n"): b"\n", ord("r"): b"\r", ord("t"): b"\t", ord('"'): b'"', ord("\\"): b"\\"}
    while i < len(text):
        if text[i] == ord("\\") and text[i + 1] == ord("x"):
            out += bytes([int(text[i + 2:i + 4], 16)])
            i += 4
        elif text[i] == ord("\\"):
            out += simple[text[i + 1]]
            i += 2
        else:
            out.append(text[i])
            i += 1
    return bytes(out)


def check_file(path, repaired):
    data = open(path, "rb").read()
    before = known_bytes()
    if len(data) != LENGTH:
        fail(f"{path}: length {len(data)}, not {LENGTH}")
    expected = before[:TABLE_OFFSET] + TABLE + before[TABLE_OFFSET + len(TABLE):] if repaired else before
    changed = [i for i in range(LENGTH) if data[i] != expected[i]]
    if changed:
        fail(f"{path}: bytes differ from what they must be at offsets {changed[:10]}...")


# Wine's default look draws a push button's frame in this colour, which
# nothing else in the dialog uses; the text is black.
BUTTON_FRAME = "#3096FA"
TEXT = "#000000"


def pixels(shot, x, y, width, height):
    """(x, y, colour) of each pixel of a region of a screenshot, in client coordinates."""
    dump = subprocess.run(["convert", shot, "-crop", f"{width}x{height}+{x}+{y}", "+repage", "txt:-"],
                          check=True, capture_output=True, text=True).stdout
    for line in dump.splitlines()[1:]:
        found = re.match(r"(\d+),(\d+):.*(#[0-9A-F]{6})", line)
        if found:
            yield int(found.group(1)), int(found.group(2)), found.group(3)


def box(points):
    xs, ys = [p[0] for p in points], [p[1] for p in points]
    return (min(xs), min(ys), max(xs) + 1, max(ys) + 1) if points else None


def check_layout(shot, x, y, height):
    scale = lambda v: (v * height + 6) // 12
    client = list(pixels(shot, x, y, scale(229), scale(98)))
    button = box([p for p in client if p[2] == BUTTON_FRAME])
    want = (scale(36), scale(36), scale(36) + scale(151), scale(36) + scale(25))
    if button != want:
        fail(f"button at {button} (left, top, right, bottom), not {want}")
    # The note's text lies on one line from (36, 12), above the button.
    note = box([p for p in client if p[2] == TEXT and p[1] < want[1]])
    if not note or note[0] < scale(36) or note[1] < scale(12) or note[3] > scale(12) + height:
        fail(f"the note's text at {note}, outside its line from ({scale(36)}, {scale(12)})")


def main():
    command, args = sys.argv[1], sys.argv[2:]
    if command == "make-file":
        open(args[0], "wb").write(known_bytes())
    elif command in ("repaired", "untouched"):
        check_file(args[0], command == "repaired")
    elif command == "messages":
        calls = CALL.findall(open(args[0], "rb").read())
        shown = [(unescape(text), unescape(caption), int(style, 16)) for _, text, caption, style in calls]
        wanted = [MESSAGES[kind] for kind in args[1:]]
        if shown != wanted:
            fail(f"MessageBoxA calls {shown}, expected {wanted}")
        if any(int(owner, 16) == 0 for owner, *_ in calls):
            fail("a message box without the application window as owner")
    elif command == "no-access":
        log = open(args[0], "rb").read()
        touched = re.findall(rb"Call [^\n]*(?:RegOpenKeyExA|CreateFileA)\([^\n]*(?:TARNVEX|CDCCTL)[^\n]*", log)
        if touched:
            fail(f"registry or file touched: {touched}")
    elif command == "text-height":
        found = re.search(rb'GetTextExtentExW \([0-9a-fx]+, L"0", \d+\) returning (\d+)x(\d+)',
                          open(args[0], "rb").read())
        if not found:
            fail("no measurement of \"0\" in the trace")
        print(int(found.group(2)))
    elif command == "layout":
        check_layout(args[0], *(int(a) for a in args[1:]))
    else:
        fail(f"unknown command {command}")


if __name__ == "__main__":
    main()
