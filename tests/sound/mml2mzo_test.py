#!/usr/bin/env python3
"""tools/mml2mzo: music-macro text to music files, checked byte by byte."""
import importlib.machinery
import importlib.util
import os
import struct
import sys
import unittest

TOP = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
loader = importlib.machinery.SourceFileLoader("mml2mzo", os.path.join(TOP, "tools", "mml2mzo"))
spec = importlib.util.spec_from_loader("mml2mzo", loader)
mml = importlib.util.module_from_spec(spec)
loader.exec_module(mml)


def channels(data):
    """The ten channel blocks of a music file."""
    version, count = struct.unpack_from("<iB", data)
    assert count == 10
    at, blocks = 5, []
    for _ in range(10):
        (n,) = struct.unpack_from("<i", data, at)
        blocks.append(data[at + 4:at + 4 + n])
        at += 4 + n
    assert at == len(data)
    return version, blocks


def note(n, units):
    return bytes([n]) + struct.pack("<H", units)


class Compile(unittest.TestCase):
    def channel(self, text, index=0):
        return channels(mml.compile_mml(text))[1][index]

    def test_notes_octaves_and_lengths(self):
        # o4 c is note 36; a quarter is 11025 units, a dotted eighth 8268.75,
        # rounded where it ends (19293.75 -> 19294).
        self.assertEqual(self.channel("A c d8. >c+ <<b-16"),
                         note(36, 11025) + note(38, 8269) + note(49, 11025) + note(34, 2756) + b"\xff")

    def test_eighths_alternate_so_time_does_not_drift(self):
        # 5512.5 units each: the ends round to 5512, 11025, 16538.
        self.assertEqual(self.channel("A l8 ccc"),
                         note(36, 5512) + note(36, 5513) + note(36, 5513) + b"\xff")

    def test_long_notes_and_rests_split(self):
        self.assertEqual(self.channel("A c1^1 r1^1"),
                         note(36, 65535) + b"i" + note(36, 88200 - 65535)
                         + b"c" + struct.pack("<H", 65535) + b"c" + struct.pack("<H", 22665) + b"\xff")

    def test_voice_commands(self):
        self.assertEqual(self.channel('A t240 v15 W100 @3 K2 S0 D-3 M1,4,40 Y2 X1 U"a.wav",3 ! n95,%7'),
                         b"g" + struct.pack("<H", 240) + b"d\x0f" + b"wd" + b"f\x03" + b"k\x02"
                         + b"e\x00" + b"n\xfd" + b"s\x01\x04\x28" + b"v\x02" + b"t\x01"
                         + b"ua.wav\x00\x03" + b"l" + note(95, 7) + b"\xff")

    def test_ties_glides_repeats_and_loops(self):
        self.assertEqual(self.channel("A c&d {c >c}%300"),
                         note(36, 11025) + b"i" + note(38, 11025) + b"j\x24\x30" + struct.pack("<H", 300) + b"\xff")
        self.assertEqual(self.channel("A v1 [c%1 [d%2]3]2"),
                         b"d\x01" + (note(36, 1) + note(38, 2) * 3) * 2 + b"\xff")
        # Octave marks carry across a repeat's end, even as its last command.
        self.assertEqual(self.channel("A [c%1<]2"), note(36, 1) + note(24, 1) + b"\xff")
        # The jump counts from the jump command back to the loop point.
        self.assertEqual(self.channel("A v1 L c%5"), b"d\x01" + note(36, 5) + b"h" + struct.pack("<i", -3))

    def test_channels_lines_and_directives(self):
        data = mml.compile_mml("#version 1201\n#title \"x\"\nAC c%1 ; both\nJ d%2\nA e%3\n")
        version, blocks = channels(data)
        self.assertEqual(version, 1201)
        self.assertEqual(blocks[0], b"mx\x00" + note(36, 1) + note(40, 3) + b"\xff")
        self.assertEqual(blocks[2], note(36, 1) + b"\xff")
        self.assertEqual(blocks[9], note(38, 2) + b"\xff")
        self.assertEqual([len(b) for b in blocks[3:9]], [0] * 6)
        wave = mml.compile_mml("#wave 5 " + " ".join(["7"] * 32))
        self.assertEqual(channels(wave)[1][0], b"q\x05" + b"\x07" * 32 + b"\xff")

    def test_errors_say_where(self):
        for text, message in [("A o8 b+", "outside the 96 notes"), ("A z", "unknown command"),
                              ("A v300", "not within"), ("Z c", "channel letters"),
                              ("#wave 1 2", "32 values"), ("A [c", "no closing")]:
            with self.assertRaises(mml.MmlError) as caught:
                mml.compile_mml(text)
            self.assertIn(message, str(caught.exception))

    def test_the_benchmark_piece_is_what_its_text_compiles_to(self):
        base = os.path.join(TOP, "bench", "data", "ten_channels")
        with open(base + ".mml", encoding="utf-8") as f:
            compiled = mml.compile_mml(f.read())
        with open(base + ".mzo", "rb") as f:
            self.assertEqual(compiled, f.read())


if __name__ == "__main__":
    unittest.main()
