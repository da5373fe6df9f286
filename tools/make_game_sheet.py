#!/usr/bin/env python3
"""Draws the pattern sheet of the bundled game (Usr/game.png): every picture of
the star-catching game inside a one-pixel magenta frame on a white sheet, the
magenta inside a frame being transparent. The scripts name the pictures by their
number after $pat_game, which is their order here (the rows of the sheet, then
left to right); PATTERNS below lists them in that order. Every run writes the
same bytes."""
import math
import sys
from pathlib import Path

from picture_files import png

WHITE, KEY = (255, 255, 255), (255, 0, 255)


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def star_polygon(cx, cy, outer, inner, points=5, turn=-90.0):
    corners = []
    for i in range(points * 2):
        radius = outer if i % 2 == 0 else inner
        a = math.radians(turn + i * 180.0 / points)
        corners.append((cx + radius * math.cos(a), cy + radius * math.sin(a)))
    return corners


def inside(poly, x, y):
    """Even-odd rule, for a pixel's centre (x + 0.5, y + 0.5)."""
    px, py = x + 0.5, y + 0.5
    hit = False
    for (x1, y1), (x2, y2) in zip(poly, poly[1:] + poly[:1]):
        if (y1 > py) != (y2 > py) and px < x1 + (py - y1) * (x2 - x1) / (y2 - y1):
            hit = not hit
    return hit


def basket(x, y):  # 56 x 28: a woven basket, its rim on top
    if y < 3:
        return KEY
    if y < 8:  # the rim, one pixel of light along its top
        if x < 1 or x > 54:
            return KEY
        return (196, 132, 70) if y == 3 else (122, 70, 30)
    inset = (y - 8) * 6 // 20  # the sides lean in toward the bottom
    if x < 2 + inset or x > 53 - inset:
        return KEY
    if x == 2 + inset or x == 53 - inset or y == 27:
        return (96, 52, 20)
    light = ((x // 5) + (y // 4)) % 2 == 0
    return (214, 154, 84) if light else (170, 108, 50)


def make_star(size, outer, inner, fill, edge, shine):
    c = (size - 1) / 2.0
    body = star_polygon(c, c + 1, outer, inner)
    core = star_polygon(c, c + 1, outer - 2.2, inner - 1.2)

    def pixel(x, y):
        if not inside(body, x, y):
            return KEY
        if not inside(core, x, y):
            return edge
        eye_y = round(c + 1)
        if y in (eye_y, eye_y + 1) and x in (round(c - size / 8), round(c + size / 8)):
            return (60, 40, 30)  # two small eyes
        return mix(shine, fill, (y - c + outer) / (outer * 1.2))
    return pixel


star = make_star(24, 11.8, 5.8, (255, 214, 40), (224, 128, 20), (255, 250, 200))
gold = make_star(32, 15.8, 7.6, (255, 150, 40), (200, 60, 40), (255, 240, 160))


def meteor(x, y):  # 28 x 28: a rock falling with its flames above it
    d = math.hypot(x - 13.5, y - 18.5)
    if d <= 8.6:
        if math.hypot(x - 11, y - 16) < 2.2 or math.hypot(x - 16.5, y - 21) < 1.8:
            return (70, 60, 58)  # craters
        return mix((150, 136, 124), (90, 80, 74), (x + y - 20) / 16)
    if y < 17:  # a tear of flame, widest where it meets the rock
        half = 8.5 * ((y + 1) / 17.0) ** 0.8
        side = abs(x - 13.5)
        if side <= half:
            return mix((255, 244, 150), (232, 70, 30), side / (half + 0.5) * 0.6 + (16 - y) / 40)
    return KEY


def heart(fill, edge):
    def pixel(x, y):  # 16 x 14
        u, v = (x - 7.5) / 7.5, (6.0 - y) / 6.5
        shape = (u * u + v * v - 0.45) ** 3 - u * u * v ** 3
        if shape > 0:
            return KEY
        inner = (u * 1.25) ** 2 + ((v + 0.05) * 1.25) ** 2 - 0.45
        if inner ** 3 - (u * 1.25) ** 2 * ((v + 0.05) * 1.25) ** 3 > 0:
            return edge
        if (x, y) in ((4, 3), (4, 4), (5, 3)):
            return (255, 230, 230)
        return fill
    return pixel


def sparkle(x, y):  # 9 x 9
    dx, dy = abs(x - 4), abs(y - 4)
    if dx == 0 or dy == 0:
        return (255, 255, 255) if dx + dy <= 1 else (255, 240, 150) if dx + dy <= 4 else KEY
    return (255, 250, 210) if dx == 1 and dy == 1 else KEY


def round_box(size, colour, x, y):
    r = 5
    cx = min(max(x, r), size - 1 - r)
    cy = min(max(y, r), size - 1 - r)
    if math.hypot(x - cx, y - cy) > r:
        return None
    if math.hypot(x - cx, y - cy) > r - 1 or x in (0, size - 1) or y in (0, size - 1):
        return (240, 240, 255)
    return colour


def pause_icon(x, y):  # 24 x 24
    box = round_box(24, (40, 60, 130), x, y)
    if box is None:
        return KEY
    if 6 <= y <= 17 and (7 <= x <= 9 or 14 <= x <= 16):
        return (255, 255, 255)
    return box


def play_icon(x, y):  # 24 x 24
    box = round_box(24, (40, 120, 60), x, y)
    if box is None:
        return KEY
    if 8 <= x <= 17 and abs(y - 11.5) <= (17.5 - x) * 0.62:
        return (255, 255, 255)
    return box


def magnet(x, y):  # 16 x 16: a horseshoe magnet, poles down
    d = math.hypot(x - 7.5, y - 7.0)
    arc = y <= 7 and 3.5 <= d <= 7.5
    leg = y > 7 and (0 <= x <= 3 or 12 <= x <= 15)
    if not (arc or leg):
        return KEY
    if y >= 12:
        return (220, 220, 230)
    return (220, 40, 50) if x < 8 else (40, 80, 220)


def twinkle(x, y):  # 5 x 5
    dx, dy = abs(x - 2), abs(y - 2)
    if dx + dy == 0:
        return (255, 255, 255)
    return (190, 210, 255) if dx == 0 or dy == 0 else KEY


def cloud(x, y):  # 72 x 28
    puffs = [(16, 18, 9), (30, 13, 11), (46, 14, 10), (58, 18, 8), (38, 19, 8)]
    if not any(math.hypot(x - px, y - py) <= r for px, py, r in puffs):
        return KEY
    return mix((255, 255, 255), (200, 206, 230), (y - 12) / 14)


def moon(x, y):  # 48 x 48: a crescent
    if math.hypot(x - 23.5, y - 23.5) > 22 or math.hypot(x - 32, y - 16) < 18:
        return KEY
    if math.hypot(x - 12, y - 30) < 3 or math.hypot(x - 18, y - 40) < 2:
        return (226, 210, 140)
    return (255, 244, 180)


# Number after $pat_game, name, interior width and height, pixel function. The
# sheet has two rows; a row's pictures share the row of their top border.
PATTERNS = [
    [(0, "basket", 56, 28, basket), (1, "star", 24, 24, star), (2, "gold star", 32, 32, gold),
     (3, "meteor", 28, 28, meteor), (4, "moon", 48, 48, moon)],
    [(5, "heart", 16, 14, heart((232, 40, 70), (150, 20, 40))),
     (6, "empty heart", 16, 14, heart(KEY, (120, 120, 140))),
     (7, "sparkle", 9, 9, sparkle), (8, "pause", 24, 24, pause_icon),
     (9, "resume", 24, 24, play_icon), (10, "magnet", 16, 16, magnet),
     (11, "twinkle", 5, 5, twinkle), (12, "cloud", 72, 28, cloud)],
]
GAP = 3  # background between frames, and around the sheet


def layout():
    """Frame corners: [(left, top, width, height, pixel)], and the sheet size."""
    frames, top, width = [], GAP, 0
    for row in PATTERNS:
        left = GAP
        for _, _, w, h, draw in row:
            frames.append((left, top, w, h, draw))
            left += w + 2 + GAP
        width = max(width, left)
        top += max(h for _, _, _, h, _ in row) + 2 + GAP
    return frames, width, top


def sheet_pixel(frames):
    def pixel(x, y):
        for fx, fy, w, h, draw in frames:
            if fx <= x <= fx + w + 1 and fy <= y <= fy + h + 1:
                if x in (fx, fx + w + 1) or y in (fy, fy + h + 1):
                    return KEY
                return draw(x - fx - 1, y - fy - 1)
        return WHITE
    return pixel


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else "Usr/game.png")
    frames, width, height = layout()
    out.write_bytes(png(width, height, sheet_pixel(frames)))


if __name__ == "__main__":
    main()
