#!/usr/bin/env python3
"""Draws the kernel's pictures (kernel/images): 404.bmp, the placeholder that
stands in for a pattern sheet that is missing or cannot be read. It is a sheet of
one framed 32 x 32 picture: a red cross on light grey, so that a missing picture
is plain to see in a game."""
import struct
import sys
from pathlib import Path

WHITE, FRAME, GREY, RED = (255, 255, 255), (255, 0, 255), (208, 208, 208), (200, 0, 0)
# A frame's right border must leave two columns to its right (and its bottom
# border two rows below): white margin, frame at 1 and 34, picture from 2 to 33.
SIZE = 37
FIRST, LAST = 1, 34


def pixel(x, y):
    if x in (FIRST, LAST) and FIRST <= y <= LAST or y in (FIRST, LAST) and FIRST <= x <= LAST:
        return FRAME
    if not (FIRST < x < LAST and FIRST < y < LAST):
        return WHITE
    u, v = x - 2, y - 2
    return RED if abs(u - v) <= 1 or abs(u + v - 31) <= 1 else GREY


def bitmap():
    stride = (SIZE * 3 + 3) // 4 * 4
    rows = []
    for y in reversed(range(SIZE)):
        line = b"".join(bytes((b, g, r)) for r, g, b in (pixel(x, y) for x in range(SIZE)))
        rows.append(line + b"\0" * (stride - len(line)))
    body = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 54 + len(body), 0, 0, 54) + info + body


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else "kernel/images")
    out.mkdir(parents=True, exist_ok=True)
    (out / "404.bmp").write_bytes(bitmap())


if __name__ == "__main__":
    main()
