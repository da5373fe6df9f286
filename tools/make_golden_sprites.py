#!/usr/bin/env python3
"""Writes the golden pictures of the sprite tests (tests/screen/golden), drawn here
from the drawing rules alone, independently of the player's renderer:

- sheet.bmp: a white sheet holding one 7 x 5 picture (a colour per column) inside
  a magenta frame, with a magenta hole at (3, 2) that must stay transparent;
- scene.png: a 40 x 30 black picture with that pattern put centred on (10, 10),
  put mirrored centred on (30, 10), and a rectangle filled from (2, 20) up to,
  not including, (12, 26) in the script colour 0x0000FF (red)."""
import sys
from pathlib import Path

from picture_files import bmp24, png

KEY, WHITE, BLACK, RED = (255, 0, 255), (255, 255, 255), (0, 0, 0), (255, 0, 0)
PW, PH = 7, 5
COLUMNS = [(10 + 30 * i, 200 - 25 * i, 60 + 20 * i) for i in range(PW)]


def picture(x, y):
    return KEY if (x, y) == (3, 2) else COLUMNS[x]


def sheet_pixel(x, y):
    fx, fy = 2, 2  # frame corner; the picture is inside it
    if fx <= x <= fx + PW + 1 and fy <= y <= fy + PH + 1:
        if x in (fx, fx + PW + 1) or y in (fy, fy + PH + 1):
            return KEY
        return picture(x - fx - 1, y - fy - 1)
    return WHITE


def scene():
    canvas = {}
    def put(cx, cy, mirror):
        left, top = cx - PW // 2, cy - PH // 2  # halves truncated toward zero
        for y in range(PH):
            for x in range(PW):
                colour = picture(PW - 1 - x if mirror else x, y)
                if colour != KEY:
                    canvas[(left + x, top + y)] = colour
    put(10, 10, False)
    put(30, 10, True)
    for y in range(20, 26):
        for x in range(2, 12):
            canvas[(x, y)] = RED
    return lambda x, y: canvas.get((x, y), BLACK)


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else "tests/screen/golden")
    out.mkdir(parents=True, exist_ok=True)
    (out / "sheet.bmp").write_bytes(bmp24(PW + 6, PH + 6, sheet_pixel))
    (out / "scene.png").write_bytes(png(40, 30, scene()))


if __name__ == "__main__":
    main()
