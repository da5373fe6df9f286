#!/usr/bin/env python3
"""Draws the walker example's pattern sheet (docs/example/demo.png): two framed pictures on a
white sheet, a walker (16 x 24) and a spark (8 x 8), each inside a one-pixel
magenta frame whose colour is then transparent."""
import sys
from pathlib import Path

from picture_files import png

WHITE, KEY = (255, 255, 255), (255, 0, 255)
WIDTH, HEIGHT = 40, 30


def walker(x, y):  # blue coat, pink face, dark legs
    if y < 6:
        return (250, 200, 170) if 4 <= x < 12 else KEY
    if y < 16:
        return (40, 80, 200)
    return (30, 30, 40) if x < 6 or x >= 10 else KEY


def spark(x, y):  # a yellow diamond
    return (255, 210, 40) if abs(x - 3.5) + abs(y - 3.5) <= 4 else KEY


PICTURES = [(2, 2, 16, 24, walker), (22, 2, 8, 8, spark)]  # frame corner, interior size


def pixel(x, y):
    for fx, fy, w, h, draw in PICTURES:
        if fx <= x <= fx + w + 1 and fy <= y <= fy + h + 1:
            if x in (fx, fx + w + 1) or y in (fy, fy + h + 1):
                return KEY
            return draw(x - fx - 1, y - fy - 1)
    return WHITE


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else "docs/example/demo.png")
    out.write_bytes(png(WIDTH, HEIGHT, pixel))


if __name__ == "__main__":
    main()
