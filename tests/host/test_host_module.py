#!/usr/bin/env python3
"""The desktop libraries (SDL2, SDL2_ttf, fontconfig and what they pull in) are
the host module's, lib/zunka/zunka-host.so, loaded on the first window or text:

- the player and the test programs that need no window do not link them, and a
  run that draws nothing does not load them;
- a headless run that draws text loads the module and draws the text, and a
  window with SDL's dummy driver opens through it;
- without the module a window request plays headless with one line that says
  what to do, and text is left out as when no font is found.

Usage: test_host_module.py BUILD_DIR PROGRAM... [unittest options]
(PROGRAM: the programs that must not link the desktop libraries)."""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
BUILD = Path(sys.argv.pop(1)).resolve()
PROGRAMS = []
while len(sys.argv) > 1 and not sys.argv[1].startswith("-"):
    PROGRAMS.append(Path(sys.argv.pop(1)).resolve())
ZUNKA = BUILD / "zunka"
MODULE = BUILD / "lib" / "zunka" / "zunka-host.so"
DESKTOP_LIBRARIES = re.compile(r"libSDL2-2\.0\.so|libSDL2_ttf-2\.0\.so|libfontconfig\.so")


def needed(path):
    dynamic = subprocess.run(["readelf", "-d", str(path)], capture_output=True, check=True)
    return re.findall(r"\(NEEDED\)\s+Shared library: \[([^\]]+)\]", dynamic.stdout.decode())


def run(command, cwd, env_extra=None):
    """The command without a display, the loader reporting each library it opens."""
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER", "SDL_AUDIODRIVER")}
    env.update({"LD_DEBUG": "files", "LD_DEBUG_OUTPUT": str(Path(cwd) / "loader")})
    env.update(env_extra or {})
    result = subprocess.run([str(c) for c in command], cwd=cwd, env=env, capture_output=True,
                            timeout=180)
    logs = sorted(Path(cwd).glob("loader.*"))
    result.loaded = "".join(log.read_text() for log in logs)
    for log in logs:
        log.unlink()
    return result


def make_base(tmp):
    """A system directory of its own: the kernel and a copy of the bundled game."""
    base = Path(tmp) / "base"
    base.mkdir(parents=True)
    (base / "kernel").symlink_to(ROOT / "kernel")
    shutil.copytree(ROOT / "Usr", base / "Usr", ignore=shutil.ignore_patterns("files"))
    return base


def without_module(tmp):
    """The player alone in a folder, with no lib/zunka/ beside it."""
    alone = Path(tmp) / "alone"
    alone.mkdir()
    shutil.copy(ZUNKA, alone)
    return alone / "zunka"


class Linking(unittest.TestCase):
    def test_the_module_links_the_desktop_libraries_and_the_programs_do_not(self):
        self.assertEqual(len([n for n in needed(MODULE) if DESKTOP_LIBRARIES.search(n)]), 3,
                         needed(MODULE))
        self.assertTrue(PROGRAMS)
        for program in [ZUNKA, *PROGRAMS]:
            self.assertTrue(needed(program), program)
            self.assertEqual([n for n in needed(program) if DESKTOP_LIBRARIES.search(n)], [],
                             program)

    def test_a_script_run_loads_neither_the_module_nor_the_desktop_libraries(self):
        with tempfile.TemporaryDirectory() as tmp:
            script = Path(tmp) / "empty.zunka"
            script.write_text("")
            result = run([ZUNKA, "--run", script], tmp)
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertIn("libc.so.6", result.loaded)
            self.assertNotIn("zunka-host.so", result.loaded)
            self.assertIsNone(DESKTOP_LIBRARIES.search(result.loaded))


class LazyLoading(unittest.TestCase):
    def screenshot(self, zunka, tmp, name, *options, env_extra=None):
        picture = Path(tmp) / name
        result = run([zunka, "--base", make_base(Path(tmp) / name.replace(".png", "")),
                      "--frames", 3, "--screenshot", picture, *options], tmp, env_extra)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertTrue(picture.is_file(), result.stderr)
        return result, picture.read_bytes()

    def test_a_headless_title_page_draws_its_text_through_the_module(self):
        with tempfile.TemporaryDirectory() as tmp:
            with_text, drawn = self.screenshot(ZUNKA, tmp, "module.png", "--headless")
            self.assertIn(str(MODULE), with_text.loaded)
            self.assertIn("libSDL2_ttf", with_text.loaded)
            self.assertEqual(with_text.stderr, b"")
            # Without the module the page is drawn all the same, its texts left out.
            alone, bare = self.screenshot(without_module(tmp), tmp, "alone.png", "--headless")
            self.assertNotIn("zunka-host.so", alone.loaded)
            self.assertEqual(alone.stderr, b"")
            self.assertNotEqual(drawn, bare)

    def test_a_window_opens_through_the_module(self):
        with tempfile.TemporaryDirectory() as tmp:
            dummy = {"SDL_VIDEODRIVER": "dummy", "SDL_AUDIODRIVER": "dummy"}
            windowed, _ = self.screenshot(ZUNKA, tmp, "window.png", env_extra=dummy)
            self.assertIn(str(MODULE), windowed.loaded)
            self.assertNotIn(b"playing headless", windowed.stderr)

    def test_without_the_module_a_window_request_plays_headless_and_says_so_once(self):
        with tempfile.TemporaryDirectory() as tmp:
            dummy = {"SDL_VIDEODRIVER": "dummy", "SDL_AUDIODRIVER": "dummy"}
            result, _ = self.screenshot(without_module(tmp), tmp, "alone.png", env_extra=dummy)
            lines = result.stderr.decode().splitlines()
            self.assertEqual(len(lines), 1, lines)
            self.assertRegex(lines[0], r"^zunka: cannot open a window \(cannot find the host "
                                       r"module zunka-host\.so .*\); playing headless, .*"
                                       r"reinstall zunka")


if __name__ == "__main__":
    unittest.main()
