#!/usr/bin/env python3
"""Writes the seed pictures of the image fuzz target (tests/fuzz/seeds/image):
a 3 x 2 PNG (RGBA) and 3 x 2 bitmaps of 8 and 24 bits, made here from fixed pixels."""
import struct
import sys
from pathlib import Path

from picture_files import bmp24, png

PIXELS = [[(255, 0, 0, 255), (0, 255, 0, 128), (0, 0, 255, 0)],
          [(10, 20, 30, 255), (40, 50, 60, 255), (70, 80, 90, 255)]]


def pixel(x, y):
    return PIXELS[y][x]


def indexed8():
    """The first row's colours as a palette; every row indexes them left to right."""
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b, _ in PIXELS[0])
    body = b"".join(bytes(range(3)) + b"\0" for _ in PIXELS)
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, 3, 2, 1, 8, 0, len(body), 2835, 2835,
                       len(palette) // 4, 0)
    return b"BM" + struct.pack("<IHHI", offset + len(body), 0, 0, offset) + info + palette + body


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else "tests/fuzz/seeds/image")
    out.mkdir(parents=True, exist_ok=True)
    (out / "rgba.png").write_bytes(png(3, 2, pixel, alpha=True, level=6))
    (out / "indexed8.bmp").write_bytes(indexed8())
    (out / "rgb24.bmp").write_bytes(bmp24(3, 2, pixel))


if __name__ == "__main__":
    main()
