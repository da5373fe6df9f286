#!/usr/bin/env python3
"""Writes the seed pictures of the image fuzz target (tests/fuzz/seeds/image):
a 3 x 2 PNG (RGBA) and 3 x 2 bitmaps of 8 and 24 bits, made here from fixed pixels."""
import struct
import sys
import zlib
from pathlib import Path

PIXELS = [[(255, 0, 0, 255), (0, 255, 0, 128), (0, 0, 255, 0)],
          [(10, 20, 30, 255), (40, 50, 60, 255), (70, 80, 90, 255)]]


def png():
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in PIXELS)
    header = struct.pack(">IIBBBBB", 3, 2, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw))
            + chunk(b"IEND", b""))


def bmp(bits):
    palette = b""
    rows = []
    for row in reversed(PIXELS):  # bottom-up
        if bits == 24:
            line = b"".join(bytes((b, g, r)) for r, g, b, _ in row)
        else:
            line = bytes(i for i in range(len(row)))
        rows.append(line + b"\0" * (-len(line) % 4))
    if bits == 8:
        palette = b"".join(bytes((b, g, r, 0)) for r, g, b, _ in PIXELS[0])
    body = b"".join(rows)
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, 3, 2, 1, bits, 0, len(body), 2835, 2835,
                       len(palette) // 4, 0)
    return b"BM" + struct.pack("<IHHI", offset + len(body), 0, 0, offset) + info + palette + body


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else "tests/fuzz/seeds/image")
    out.mkdir(parents=True, exist_ok=True)
    (out / "rgba.png").write_bytes(png())
    (out / "indexed8.bmp").write_bytes(bmp(8))
    (out / "rgb24.bmp").write_bytes(bmp(24))


if __name__ == "__main__":
    main()
