#!/usr/bin/env python3
"""Checks of the bundled game in Usr/ (Star Basket), played by the real player:

- its pattern sheet is what tools/make_game_sheet.py draws, every time, and the
  player cuts it into the pictures the scripts number;
- left alone it shows the title, plays the demo round and comes back, and what
  it draws has no frame colour showing;
- Usr/demo.input is a well-formed input log, and the player's --replay of it
  plays the round the log was written for and ends on its result page;
- the table of the five best scores is kept in a guarded file and read back on
  the title page of the next session.

Usage: test_bundled_game.py [PATH/TO/zunka] (default build/zunka)."""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib
from pathlib import Path

ROOT = Path(__file__).resolve().parents[3]
ZUNKA = Path(os.environ.get("ZUNKA", ROOT / "build" / "zunka"))
if __name__ == "__main__" and len(sys.argv) > 1 and not sys.argv[1].startswith("-"):
    ZUNKA = Path(sys.argv.pop(1)).resolve()
sys.dont_write_bytecode = True  # nothing left behind in tools/
sys.path.insert(0, str(ROOT / "tools"))
import make_game_sheet  # noqa: E402

KEY = (255, 0, 255)
SCREEN = (560, 381)


def make_base(tmp, usr=ROOT / "Usr"):
    """A fresh system directory: the kernel and a copy of a project as Usr (without
    the files a game saved while it was played from the source tree)."""
    base = Path(tmp) / "base"
    base.mkdir()
    (base / "kernel").symlink_to(ROOT / "kernel")
    shutil.copytree(usr, base / "Usr", ignore=shutil.ignore_patterns("files"))
    return base


def play(base, frames, *options):
    return subprocess.run([str(ZUNKA), "--headless", "--frames", str(frames), "--base", str(base),
                           *options], capture_output=True, timeout=120)


def lines_of(result):
    return result.stdout.decode("utf-8").splitlines()


def read_png(path):
    """Width, height and (r, g, b) rows of an 8-bit RGB or RGBA PNG."""
    data = Path(path).read_bytes()
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    pos, chunks = 8, {}
    while pos < len(data):
        size, kind = struct.unpack(">I4s", data[pos:pos + 8])
        chunks.setdefault(kind, b"")
        chunks[kind] += data[pos + 8:pos + 8 + size]
        pos += size + 12
    width, height, depth, colour = struct.unpack(">IIBB", chunks[b"IHDR"][:10])
    assert depth == 8 and colour in (2, 6), (depth, colour)
    step = 3 if colour == 2 else 4
    raw, stride = zlib.decompress(chunks[b"IDAT"]), width * step
    rows, prior = [], bytearray(stride)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - step] if i >= step else 0
            up, corner = prior[i], prior[i - step] if i >= step else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        rows.append([tuple(line[x * step:x * step + 3]) for x in range(width)])
        prior = line
    return width, height, rows


class Sheet(unittest.TestCase):
    def test_the_sheet_is_the_one_the_script_draws_every_time(self):
        with tempfile.TemporaryDirectory() as tmp:
            for name in ("a.png", "b.png"):
                subprocess.run([sys.executable, str(ROOT / "tools" / "make_game_sheet.py"),
                                str(Path(tmp) / name)], check=True)
            first = (Path(tmp) / "a.png").read_bytes()
            self.assertEqual(first, (Path(tmp) / "b.png").read_bytes())
            self.assertEqual(first, (ROOT / "Usr" / "game.png").read_bytes(),
                             "Usr/game.png is stale: run tools/make_game_sheet.py")

    def test_the_player_cuts_the_sheet_into_the_numbered_pictures(self):
        expected = [(n, w, h) for row in make_game_sheet.PATTERNS for n, _, w, h, _ in row]
        self.assertEqual([n for n, _, _ in expected], list(range(len(expected))))
        with tempfile.TemporaryDirectory() as tmp:
            project = Path(tmp) / "sizes"
            project.mkdir()
            shutil.copy(ROOT / "Usr" / "game.png", project)
            (project / "default.zunkaprj").write_text(
                '<resourcelist name="project">\n <resourcelist name="pages">\n'
                '  <page name="$page_sizes" src="sizes.cmml"/>\n </resourcelist>\n'
                ' <resourcelist name="params">\n  <param name="mainPage" value="$page_sizes"/>\n'
                ' </resourcelist>\n</resourcelist>\n')
            (project / "sizes.cmml").write_text(
                '<resourcelist name="usr">\n <resourcelist name="classes">\n'
                '  <class name="Sizes" src="Sizes.zunka"/>\n </resourcelist>\n'
                ' <resourcelist name="patterns">\n  <cpattern name="$pat_game" src="game.png"/>\n'
                ' </resourcelist>\n <resourcelist name="gen">\n'
                '  <generator className="Sizes" name="$sizes"/>\n </resourcelist>\n</resourcelist>\n')
            (project / "Sizes.zunka").write_text(
                "extends classes.game.Char;\n"
                f"for (i = 0; i <= {len(expected)}; i += 1) "
                'print(i + " " + patternWidth($pat_game + i) + " " + patternHeight($pat_game + i));\n'
                "while (1) update();\n")
            result = play(make_base(tmp, project), 2)
        self.assertEqual(result.returncode, 0, result.stderr.decode("utf-8"))
        self.assertEqual(lines_of(result),
                         [f"{n} {w} {h}" for n, w, h in expected] + [f"{len(expected)} 0 0"])


class Unattended(unittest.TestCase):
    def test_the_title_then_the_demo_round_then_the_title_again(self):
        with tempfile.TemporaryDirectory() as tmp:
            result = play(make_base(tmp), 1800)
        self.assertEqual(result.returncode, 0, result.stderr.decode("utf-8"))
        self.assertEqual(lines_of(result), [
            "title, best 0",
            "demo over: score 650, caught 17, best combo 17",
            "title, best 0",
        ])

    def test_the_pictures_show_the_night_and_never_the_frame_colour(self):
        with tempfile.TemporaryDirectory() as tmp:
            base = make_base(tmp)
            for frames, place, colour in [
                (60, (0, 0), (14, 16, 56)),        # the title: the top of the sky
                (60, (280, 365), (36, 92, 58)),    # the grass under the help line
                (700, (280, 1), (26, 4, 46)),      # the demo round: its score board
            ]:
                shot = Path(tmp) / f"shot{frames}.png"
                result = play(base, frames, "--screenshot", str(shot))
                self.assertEqual(result.returncode, 0, result.stderr.decode("utf-8"))
                width, height, rows = read_png(shot)
                self.assertEqual((width, height), SCREEN)
                self.assertEqual(rows[place[1]][place[0]], colour, (frames, place))
                self.assertFalse(any(KEY in row for row in rows), frames)


# The stand-in for Pad.zunka: the same calls for the game (report, pressed, held,
# clicked, anyInput, click, clickX, clickY), fed from the log instead of the keys
# and the mouse. $logFrame counts frames as the player does: the frame in which a
# page asks for another page is not counted. A click reaches the objects under
# the point as the player finds them, by the sizes they draw.
KEYS = {13, 27, 37, 38, 39, 40, 80, 88, 90}


def parse_log(text):
    """The events of an input log: (frame, 'key', code, down) and (frame, 'mouse', x, y, what)."""
    lines = text.splitlines()
    assert lines and lines[0] == "zunka-input 1", "the first line must be 'zunka-input 1'"
    events = []
    for number, line in enumerate(lines[1:], 2):
        if not line.strip() or line.startswith("#"):
            continue
        f = line.split()
        if f[1] == "key" and len(f) == 4 and f[3] in ("down", "up"):
            events.append((int(f[0]), "key", int(f[2]), f[3] == "down"))
        elif f[1] == "mouse" and len(f) in (5, 6) and f[4] in ("move", "down", "up"):
            events.append((int(f[0]), "mouse", int(f[2]), int(f[3]), " ".join(f[4:])))
        elif f[1] == "focus" and len(f) == 3 and f[2] in ("in", "out"):
            events.append((int(f[0]), "focus", f[2]))
        elif f[1] == "text" and len(f) >= 3:
            events.append((int(f[0]), "text", line.split(" ", 2)[2]))
        else:
            raise AssertionError(f"line {number}: {line}")
    return events


# The header every guarded data file starts with: three 30-character lines.
GUARDED_HEADER = (b"ZUNKA_ACCESSIBLE_FILE_0001____\r\n" b"READABLE_WRITEABLE____________\r\n"
                  b"MEMORYCARD_0001_______________\r\n")

DEMO_ROUND = [
    "title, best 0",
    "round 1 starts, seed 1031",
    "round over (ROUND ENDED): score 105, caught 7, best combo 7",
    "result: score 105, best 105",
    "best score 105 by Mika",
]


class InputLog(unittest.TestCase):
    def test_demo_input_is_a_well_formed_log_of_the_game_keys(self):
        events = parse_log((ROOT / "Usr" / "demo.input").read_text())
        frames = [e[0] for e in events]
        self.assertEqual(frames, sorted(frames))
        self.assertLessEqual(frames[-1], 1000)
        down = set()
        for e in events:
            if e[1] == "key":
                self.assertIn(e[2], KEYS)
                self.assertNotEqual(e[2] in down, e[3], e)   # down only when up, and back
                (down.add if e[3] else down.discard)(e[2])
            elif e[1] == "mouse":
                self.assertTrue(0 <= e[2] < SCREEN[0] and 0 <= e[3] < SCREEN[1], e)
        self.assertEqual(down, set(), "keys left down at the end")

    def play_log(self, text, frames, screenshot=None):
        with tempfile.TemporaryDirectory() as tmp:
            base = make_base(tmp)
            log = Path(tmp) / "input.log"
            log.write_text(text)
            options = ["--replay", str(log)]
            if screenshot is not None:
                options += ["--screenshot", str(Path(tmp) / "shot.png")]
            result = play(base, frames, *options)
            if screenshot is not None:
                screenshot.extend([read_png(Path(tmp) / "shot.png")])
        self.assertEqual(result.returncode, 0, result.stderr.decode("utf-8"))
        return lines_of(result)

    def test_demo_input_plays_the_round_it_was_written_for_and_ends_on_the_result(self):
        shots = []
        self.assertEqual(self.play_log((ROOT / "Usr" / "demo.input").read_text(), 1000, shots),
                         DEMO_ROUND)
        width, height, rows = shots[0]
        self.assertEqual((width, height), SCREEN)
        # The result page: the night sky, and its score drawn as text (lighter
        # pixels in the middle of the screen), never the sheet's frame colour.
        self.assertEqual(rows[0][0], (0x0E, 0x10, 0x38))
        self.assertTrue(any(sum(p) > 600 for row in rows[150:250] for p in row[180:380]))
        self.assertFalse(any(p == KEY for row in rows for p in row))

    def test_the_table_of_scores_is_saved_and_read_back_by_the_next_session(self):
        with tempfile.TemporaryDirectory() as tmp:
            base = make_base(tmp)
            log = Path(tmp) / "input.log"
            log.write_text((ROOT / "Usr" / "demo.input").read_text())
            self.assertEqual(lines_of(play(base, 1000, "--replay", str(log))), DEMO_ROUND)
            saved = (base / "Usr" / "files" / "scores.dat").read_bytes()
            next_session = play(base, 2)
        self.assertEqual(saved[:96], GUARDED_HEADER)
        self.assertEqual(saved[96:], b'<scores>\r\n <row score="105" name="Mika"/></scores>')
        self.assertEqual(lines_of(next_session), ["title, best 105"])

    def test_a_round_left_alone_ends_in_game_over_and_enter_goes_back_to_the_title(self):
        text = "zunka-input 1\n30 key 13 down\n34 key 13 up\n700 key 13 down\n704 key 13 up\n"
        self.assertEqual(self.play_log(text, 720), [
            "title, best 0",
            "round 1 starts, seed 1031",
            "round over (GAME OVER): score 0, caught 0, best combo 0",
            "result: score 0, best 0",
            "title, best 0",
        ])

    def test_the_pause_holds_the_round_until_its_button_is_clicked(self):
        # Left alone, the round is over by frame 700 (above). Paused by P from
        # frame 150 until a click on the pause button at 650, it is still on at
        # 700, and over 500 frames later.
        text = ("zunka-input 1\n30 key 13 down\n34 key 13 up\n150 key 80 down\n152 key 80 up\n"
                "650 mouse 540 15 down left\n651 mouse 540 15 up left\n")
        self.assertEqual(self.play_log(text, 700), DEMO_ROUND[:2])
        self.assertEqual(self.play_log(text, 1200), [
            "title, best 0",
            "round 1 starts, seed 1031",
            "round over (GAME OVER): score 0, caught 0, best combo 0",
            "result: score 0, best 0",
        ])


if __name__ == "__main__":
    outcome = unittest.main(exit=False, verbosity=1).result
    failed = len(outcome.failures) + len(outcome.errors)
    sys.stderr.flush()
    print(f"bundled game: {outcome.testsRun - failed - len(outcome.skipped)} passed, {failed} failed"
          + (f", {len(outcome.skipped)} skipped" if outcome.skipped else ""))
    sys.exit(1 if failed else 0)
