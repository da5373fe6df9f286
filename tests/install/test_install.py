#!/usr/bin/env python3
"""The player as people install it, run from folders outside the source tree:

- `cmake --install` lays out bin/, share/zunka/, the module header, the manual
  page (made from the --help text), the desktop entry, the MIME types and the
  icons, and the installed player plays the bundled game and pages of other
  games, its caches in XDG_CACHE_HOME and nothing written in the installed tree;
- a read-only copy of a system and its game plays, its caches land in
  XDG_CACHE_HOME and its saves in XDG_DATA_HOME (as the superuser, the player
  runs as nobody, since the superuser may write anywhere);
- a FILE, kernel or display that is missing gives one line that says what to do;
- the Debian package builds, lists its dependencies, and the player unpacked
  from it plays the bundled game.

Usage: test_install.py BUILD_DIR [unittest options]"""
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
BUILD = Path(sys.argv.pop(1)).resolve() if len(sys.argv) > 1 and not sys.argv[1].startswith(
    "-") else ROOT / "build"
EXPECTED = (ROOT / "tests" / "projects" / "bundled_expected.txt").read_text()
DEMO_ROUND_END = "best score 105 by Mika"
NOBODY = 65534


def run(command, cwd, env_extra=None, as_nobody=False, timeout=180):
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER", "XDG_CACHE_HOME",
                        "XDG_DATA_HOME")}
    env.update(env_extra or {})
    if as_nobody:
        command = ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups", *command]
    return subprocess.run([str(c) for c in command], cwd=cwd, env=env, capture_output=True,
                          timeout=timeout)


def text(result):
    return result.stdout.decode("utf-8")


def errors(result):
    return result.stderr.decode("utf-8")


def snapshot(folder):
    """Every file below the folder with its size and modification time."""
    return {str(p.relative_to(folder)): (p.stat().st_size, p.stat().st_mtime_ns)
            for p in Path(folder).rglob("*") if not p.is_symlink()}


def png_size(path):
    data = Path(path).read_bytes()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", path
    return struct.unpack(">II", data[16:24])


def user_folders(tmp, open_to_all=False):
    """XDG_CACHE_HOME and XDG_DATA_HOME in fresh folders, as the environment."""
    folders = {"XDG_CACHE_HOME": Path(tmp) / "cache", "XDG_DATA_HOME": Path(tmp) / "data",
               "HOME": Path(tmp) / "home"}
    for folder in folders.values():
        folder.mkdir()
        if open_to_all:
            folder.chmod(0o777)
    return {k: str(v) for k, v in folders.items()}


def game_folder(home, name):
    """The one folder zunka made for a game below a user folder, named NAME-DIGEST."""
    made = list((Path(home) / "zunka").iterdir())
    assert len(made) == 1 and re.fullmatch(name + r"-[0-9a-f]{8}", made[0].name), made
    return made[0]


class InstalledTree(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.prefix = Path(cls.tmp.name) / "prefix"
        subprocess.run(["cmake", "--install", str(BUILD), "--prefix", str(cls.prefix)],
                       check=True, capture_output=True)
        cls.zunka = cls.prefix / "bin" / "zunka"

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def test_the_layout_has_programs_data_header_and_desktop_files(self):
        p = self.prefix
        for path in ["bin/zunka", "bin/zunka-midi"]:
            self.assertTrue(os.access(p / path, os.X_OK), path)
        self.assertTrue((p / "lib/zunka/zunka-host.so").is_file())
        for path in ["share/zunka/kernel/resource.zunkares", "share/zunka/Usr/default.zunkaprj",
                     "share/zunka/Usr/demo.input", "include/zunka/module.h",
                     "share/man/man1/zunka.1", "share/applications/zunka.desktop",
                     "share/mime/packages/zunka.xml"]:
            self.assertTrue((p / path).is_file(), path)
        self.assertFalse((p / "share/zunka/Usr/files").exists())
        for size in (48, 256):
            self.assertEqual(png_size(p / f"share/icons/hicolor/{size}x{size}/apps/zunka.png"),
                             (size, size))

    def test_the_manual_page_says_what_the_help_says(self):
        help_text = text(run([self.zunka, "--help"], self.tmp.name))
        page = (self.prefix / "share/man/man1/zunka.1").read_text()
        self.assertTrue(page.startswith(".TH ZUNKA 1"))
        options = set(re.findall(r"^  (--?[a-z-]*)", help_text, re.M))
        self.assertGreater(len(options), 15)
        for option in options:
            self.assertIn(".B " + option.replace("-", "\\-"), page)
        if shutil.which("man"):
            shown = subprocess.run(["man", "-l", str(self.prefix / "share/man/man1/zunka.1")],
                                   capture_output=True, env={**os.environ, "MANWIDTH": "80"})
            self.assertEqual(shown.returncode, 0, shown.stderr)
            self.assertIn(b"KEYS IN THE WINDOW", shown.stdout)

    def test_a_double_click_on_a_project_or_page_opens_zunka(self):
        entry = {}
        for line in (self.prefix / "share/applications/zunka.desktop").read_text().splitlines():
            if "=" in line:
                key, value = line.split("=", 1)
                entry[key] = value
        self.assertEqual(entry["Exec"], "zunka %f")
        self.assertEqual(entry["Icon"], "zunka")
        namespace = "{http://www.freedesktop.org/standards/shared-mime-info}"
        types = ElementTree.parse(self.prefix / "share/mime/packages/zunka.xml").getroot()
        globs = {t.get("type"): t.find(namespace + "glob").get("pattern")
                 for t in types.iter(namespace + "mime-type")}
        self.assertEqual(globs, {"application/x-zunka-project": "*.zunkaprj",
                                 "application/x-zunka-page": "*.cmml"})
        self.assertEqual(set(filter(None, entry["MimeType"].split(";"))), set(globs))

    def test_the_installed_player_plays_the_bundled_game_and_writes_only_user_folders(self):
        before = snapshot(self.prefix)
        with tempfile.TemporaryDirectory() as tmp:
            env = user_folders(tmp)
            result = run([self.zunka, "--headless", "--frames", 130], tmp, env)
            self.assertEqual(result.returncode, 0, errors(result))
            self.assertEqual(text(result), EXPECTED)
            cache = game_folder(env["XDG_CACHE_HOME"], "Usr")
            self.assertTrue(list(cache.glob("c121_*")))
            # The next run reads the class files it cached.
            again = run([self.zunka, "--headless", "--frames", 130], tmp, env)
            self.assertEqual(text(again), EXPECTED)
        self.assertEqual(snapshot(self.prefix), before)

    def test_the_installed_player_draws_text_with_the_installed_host_module(self):
        with tempfile.TemporaryDirectory() as tmp:
            env = user_folders(tmp)
            env.update({"LD_DEBUG": "files", "LD_DEBUG_OUTPUT": str(Path(tmp) / "loader")})
            picture = Path(tmp) / "title.png"
            result = run([self.zunka, "--headless", "--frames", 3, "--screenshot", picture], tmp,
                         env)
            self.assertEqual(result.returncode, 0, errors(result))
            self.assertTrue(picture.is_file())
            loaded = "".join(log.read_text() for log in Path(tmp).glob("loader.*"))
            module = (self.prefix / "lib/zunka/zunka-host.so").as_posix()
            self.assertIn(f"file={module} ", loaded)
            # The picture libraries are opened on the first picture, by their sonames.
            for library in ("libpng16.so.16", "libpixman-1.so.0"):
                self.assertIn(f"file={library} ", loaded)

    def test_a_script_run_opens_only_the_libraries_it_uses(self):
        with tempfile.TemporaryDirectory() as tmp:
            env = user_folders(tmp)

            def loads(name, source, expected):
                """The loader's log of a run of the script `source`."""
                script = Path(tmp) / f"{name}.zunka"
                script.write_text("extends Object;\n" + source)
                env.update({"LD_DEBUG": "files", "LD_DEBUG_OUTPUT": str(Path(tmp) / name)})
                result = run([self.zunka, "--run", script], tmp, env)
                self.assertEqual(result.returncode, 0, errors(result))
                self.assertEqual(text(result), expected)
                return "".join(log.read_text() for log in Path(tmp).glob(f"{name}.*"))

            loaded = loads("hello", 'print("hello");\n', "hello\n")
            self.assertIn("file=libc.so.6 ", loaded)  # the log is the loader's
            for library in ("libpng", "libpixman", "libz.so", "zunka-host", "libSDL2", "libpcre2"):
                self.assertNotIn(library, loaded)
            # The regular-expression library comes with the first expression (split).
            loaded = loads("split", 'function second(s) { var a; a = s.split(","); '
                           'return a.get(1); }\nprint(second("a,b,c"));\n', "b\n")
            self.assertIn("file=libpcre2-8.so.0 ", loaded)
            self.assertNotIn("libpng", loaded)

    def test_the_code_a_start_runs_is_laid_out_together(self):
        cache = (BUILD / "CMakeCache.txt").read_text()
        if "ZUNKA_SANITIZE:BOOL=ON" in cache or "ZUNKA_LLD:FILEPATH=/" not in cache:
            self.skipTest("linked in the default order")
        listed = (ROOT / "src" / "app" / "boot_order.txt").read_text().split()
        symbols = {}
        table = subprocess.run(["nm", "-S", "--defined-only", str(BUILD / "zunka")],
                               capture_output=True, text=True, check=True).stdout
        for line in table.splitlines():
            fields = line.split()
            if len(fields) == 4 and fields[2] in "tTwW":
                symbols.setdefault(fields[3], (int(fields[0], 16), int(fields[1], 16)))
        found = [symbols[name] for name in listed if name in symbols]
        self.assertGreater(len(found), len(listed) // 2)
        # Side by side: the functions span little more than their own sizes (and
        # their alignment), where scattered they would span most of the program.
        span = max(at + size for at, size in found) - min(at for at, _ in found)
        self.assertLess(span, sum(size for _, size in found) + 64 * len(found))

    def test_the_installed_player_plays_a_page_of_another_game(self):
        with tempfile.TemporaryDirectory() as tmp:
            game = Path(tmp) / "game"
            shutil.copytree(ROOT / "Usr", game, ignore=shutil.ignore_patterns("files"))
            env = user_folders(tmp)
            log = game / "demo.input"
            result = run([self.zunka, "--headless", "--frames", 1000, "--replay", log,
                          game / "title.cmml"], tmp, env)
            self.assertEqual(result.returncode, 0, errors(result))
            self.assertEqual(text(result).splitlines()[-1], DEMO_ROUND_END)
            # A game that can be written keeps its saves.
            self.assertTrue((game / "files" / "scores.dat").is_file())
            self.assertFalse((Path(env["XDG_DATA_HOME"]) / "zunka").exists())

    def test_what_is_missing_is_said_in_one_line_with_what_to_do(self):
        with tempfile.TemporaryDirectory() as tmp:
            env = user_folders(tmp)
            missing = run([self.zunka, "--headless", "/no/such/page.cmml"], tmp, env)
            self.assertEqual(missing.returncode, 1)
            self.assertEqual(text(missing), "")
            self.assertRegex(errors(missing), r"^zunka: cannot open /no/such/page.cmml: no such "
                                              r"file; [^\n]*\n$")
            alone = Path(tmp) / "alone"
            alone.mkdir()
            shutil.copy(self.zunka, alone)
            no_kernel = run([alone / "zunka"], tmp, env)
            self.assertEqual(no_kernel.returncode, 1)
            self.assertIn("reinstall zunka", errors(no_kernel))
            self.assertEqual(errors(no_kernel).count("\n"), 1)
            no_display = run([self.zunka, "--frames", 5], tmp, env)
            self.assertEqual(no_display.returncode, 0, errors(no_display))
            lines = errors(no_display).splitlines()
            self.assertEqual(len(lines), 1, lines)
            self.assertIn("playing headless", lines[0])


class ReadOnlyGame(unittest.TestCase):
    def test_a_read_only_copy_plays_and_keeps_caches_and_saves_in_the_user_folders(self):
        as_nobody = os.geteuid() == 0
        if as_nobody and not shutil.which("setpriv"):
            self.skipTest("the superuser writes anywhere, and setpriv is missing")
        tmp = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, tmp)
        Path(tmp).chmod(0o755)
        system = Path(tmp) / "system"
        shutil.copytree(ROOT / "kernel", system / "kernel")
        shutil.copytree(ROOT / "Usr", system / "Usr", ignore=shutil.ignore_patterns("files"))
        for path in [system, *system.rglob("*")]:
            path.chmod(0o555 if path.is_dir() else 0o444)
        # Writable again before the folder is removed.
        self.addCleanup(lambda: [p.chmod(0o755) for p in [system, *system.rglob("*")]])
        before = snapshot(system)
        env = user_folders(tmp, open_to_all=as_nobody)
        zunka = BUILD / "zunka"
        replay = run([zunka, "--base", system, "--headless", "--frames", 1000, "--replay",
                      system / "Usr" / "demo.input"], tmp, env, as_nobody)
        self.assertEqual(replay.returncode, 0, errors(replay))
        self.assertEqual(text(replay).splitlines()[-1], DEMO_ROUND_END)
        next_session = run([zunka, "--base", system, "--headless", "--frames", 2], tmp, env,
                           as_nobody)
        self.assertEqual(text(next_session), "title, best 105\n", errors(next_session))
        cache = game_folder(env["XDG_CACHE_HOME"], "Usr")
        self.assertTrue(list(cache.glob("c121_*Usr*")))
        saved = game_folder(env["XDG_DATA_HOME"], "Usr") / "files" / "scores.dat"
        self.assertTrue(saved.read_bytes().endswith(b'<row score="105" name="Mika"/></scores>'))
        self.assertEqual(snapshot(system), before)


class DebianPackage(unittest.TestCase):
    def test_the_package_builds_lists_its_dependencies_and_its_player_plays(self):
        if not shutil.which("dpkg-deb"):
            self.skipTest("no dpkg-deb")
        with tempfile.TemporaryDirectory() as tmp:
            made = subprocess.run(["cpack", "--config", str(BUILD / "CPackConfig.cmake"), "-B",
                                   tmp], cwd=tmp, capture_output=True, timeout=600)
            self.assertEqual(made.returncode, 0, made.stdout + made.stderr)
            debs = list(Path(tmp).glob("zunka_*_amd64.deb"))
            self.assertEqual(len(debs), 1, list(Path(tmp).iterdir()))
            deb = debs[0]
            version = re.search(r"project\(zunka VERSION (\S+) ", (ROOT / "CMakeLists.txt").read_text()).group(1)
            self.assertEqual(deb.name, f"zunka_{version}_amd64.deb")
            fields = subprocess.run(["dpkg-deb", "-f", str(deb)], capture_output=True,
                                    check=True).stdout.decode()
            depends = re.search(r"^Depends: (.*)$", fields, re.M).group(1)
            packages = {d.split()[0] for d in depends.split(", ")}
            for needed in ("libsdl2-2.0-0", "libsdl2-ttf-2.0-0", "libfontconfig1", "libpcre2-8-0",
                           "libpng16-16", "libpixman-1-0", "libfluidsynth3",
                           "fonts-ipafont-gothic", "fonts-ipafont-mincho"):
                self.assertIn(needed, packages, depends)
            self.assertIn("Recommends: timgm6mb-soundfont", fields)
            listing = subprocess.run(["dpkg-deb", "-c", str(deb)], capture_output=True,
                                     check=True).stdout.decode()
            for path in ("./usr/bin/zunka", "./usr/bin/zunka-midi", "./usr/lib/zunka/zunka-host.so",
                         "./usr/share/zunka/kernel/resource.zunkares",
                         "./usr/share/applications/zunka.desktop",
                         "./usr/share/mime/packages/zunka.xml",
                         "./usr/include/zunka/module.h"):
                self.assertRegex(listing, r"\s" + re.escape(path) + r"\n", path)
            unpacked = Path(tmp) / "unpacked"
            subprocess.run(["dpkg-deb", "-x", str(deb), str(unpacked)], check=True)
            env = user_folders(tmp)
            played = run([unpacked / "usr/bin/zunka", "--headless", "--frames", 130], tmp, env)
            self.assertEqual(played.returncode, 0, errors(played))
            self.assertEqual(text(played), EXPECTED)


if __name__ == "__main__":
    unittest.main()
