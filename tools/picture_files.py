"""Writes pictures as file bytes for the scripts that draw the repository's
pictures: a pixel function (x, y) -> (r, g, b) or (r, g, b, a) in, file bytes out."""
import struct
import zlib


def bmp24(width, height, pixel):
    """A bottom-up 24-bit bitmap."""
    stride = (width * 3 + 3) // 4 * 4
    rows = []
    for y in reversed(range(height)):
        line = b"".join(bytes((b, g, r)) for r, g, b, *_ in (pixel(x, y) for x in range(width)))
        rows.append(line + b"\0" * (stride - len(line)))
    body = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 54 + len(body), 0, 0, 54) + info + body


def png(width, height, pixel, alpha=False, level=9):
    """An 8-bit RGB (or, with alpha, RGBA) PNG with unfiltered rows."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    channels = 4 if alpha else 3
    raw = b"".join(b"\0" + bytes(c for x in range(width) for c in pixel(x, y)[:channels])
                   for y in range(height))
    header = struct.pack(">IIBBBBB", width, height, 8, 6 if alpha else 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, level))
            + chunk(b"IEND", b""))
