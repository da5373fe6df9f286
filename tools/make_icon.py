#!/usr/bin/env python3
"""Draws the player's desktop icon: a star falling into a basket on a rounded
square, as an RGBA PNG of SIZE pixels (the build makes 48 and 256).

Usage: make_icon.py SIZE OUT.png"""
import math
import sys
from pathlib import Path

sys.dont_write_bytecode = True  # nothing left behind in tools/
sys.path.insert(0, str(Path(__file__).resolve().parent))
import picture_files  # noqa: E402

BACK_TOP, BACK_BOTTOM = (46, 64, 140), (20, 28, 72)
STAR, BASKET, RIM = (255, 214, 64), (196, 118, 52), (236, 160, 84)


def inside_star(x, y, cx, cy, outer, inner):
    """Whether (x, y) lies in a five-pointed star centred on (cx, cy), point up."""
    angle = math.atan2(x - cx, cy - y) % (2 * math.pi / 5)
    half = math.pi / 5
    # The edge between an outer point (angle 0) and an inner corner (angle half).
    t = abs(angle - half) / half
    limit = inner + (outer - inner) * t ** 1.6
    return math.hypot(x - cx, y - cy) <= limit


def pixel_at(size):
    radius = size * 0.18

    def pixel(px, py):
        # Four samples a pixel, so that edges are smooth at 48 pixels too.
        total = [0.0, 0.0, 0.0, 0.0]
        for sx, sy in ((0.25, 0.25), (0.75, 0.25), (0.25, 0.75), (0.75, 0.75)):
            colour = sample((px + sx) / size, (py + sy) / size, radius / size)
            if colour:
                for i in range(3):
                    total[i] += colour[i] / 4
                total[3] += 0.25
        if total[3] == 0:
            return (0, 0, 0, 0)
        return tuple(round(c / total[3]) for c in total[:3]) + (round(total[3] * 255),)

    return pixel


def sample(x, y, r):
    """The colour at (x, y) in unit coordinates, or None outside the rounded square."""
    dx, dy = max(r - x, 0, x - (1 - r)), max(r - y, 0, y - (1 - r))
    if dx * dx + dy * dy > r * r:
        return None
    if inside_star(x, y, 0.5, 0.3, 0.2, 0.085):
        return STAR
    # The basket: a trapezoid under a rim.
    if 0.6 <= y <= 0.66 and 0.18 <= x <= 0.82:
        return RIM
    if 0.66 < y <= 0.86:
        half = 0.3 - (y - 0.66) * 0.35
        if abs(x - 0.5) <= half:
            weave = (int(x * 24) + int(y * 24)) % 2
            return tuple(max(c - 24 * weave, 0) for c in BASKET)
    t = y
    return tuple(round(a + (b - a) * t) for a, b in zip(BACK_TOP, BACK_BOTTOM))


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    size = int(sys.argv[1])
    Path(sys.argv[2]).write_bytes(picture_files.png(size, size, pixel_at(size), alpha=True))


if __name__ == "__main__":
    main()
