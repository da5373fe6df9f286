#!/usr/bin/env python3
"""Draws the kernel's pictures (kernel/images): 404.bmp, the placeholder that
stands in for a pattern sheet that is missing or cannot be read. It is a sheet of
one framed 32 x 32 picture: a red cross on light grey, so that a missing picture
is plain to see in a game."""
import sys
from pathlib import Path

from picture_files import bmp24

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


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else "kernel/images")
    out.mkdir(parents=True, exist_ok=True)
    (out / "404.bmp").write_bytes(bmp24(SIZE, SIZE, pixel))


if __name__ == "__main__":
    main()
