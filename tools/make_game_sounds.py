#!/usr/bin/env python3
"""Writes the bundled game's sounds into Usr/: the title tune theme.mzo (from the
music-macro text below, by tools/mml2mzo) and the effects catch.wav and miss.wav
(synthesised here, 16-bit mono at 22,050 Hz). Every run writes the same bytes.

    tools/make_game_sounds.py [FOLDER]     (default: Usr)
"""
import importlib.machinery
import importlib.util
import io
import math
import sys
import wave
from pathlib import Path

TOP = Path(__file__).resolve().parent.parent

# Four bars in C, looping: a tune over a walking bass and a soft off-beat.
THEME = """\
#title "Star Basket"
A t140 v170 @0 S3 l8 o5 L e g >c< g a4 g4 | f a g f e4 c4 | d f e d c e g4 | a g f d c2
B v150 @0 S2 l4 o3 L c g a e | f c g c | d g c e | f g c2
C v70 @0 S6 l8 o4 L [r e r g]2 | [r f r a]2 | [r d r g]2 | r f r g r e r c
"""

RATE = 22050


def load_compiler():
    loader = importlib.machinery.SourceFileLoader("mml2mzo", str(TOP / "tools" / "mml2mzo"))
    spec = importlib.util.spec_from_loader("mml2mzo", loader)
    module = importlib.util.module_from_spec(spec)
    loader.exec_module(module)
    return module


def sweep(seconds, start_hz, end_hz, peak, decay):
    """A sine gliding from start_hz to end_hz, fading exponentially; 16-bit samples."""
    count = int(seconds * RATE)
    phase = 0.0
    out = bytearray()
    for i in range(count):
        t = i / count
        phase += 2 * math.pi * (start_hz + (end_hz - start_hz) * t) / RATE
        attack = min(1.0, i / 40)  # no click at the start
        value = round(peak * attack * math.exp(-decay * t) * math.sin(phase))
        out += int(value).to_bytes(2, "little", signed=True)
    return bytes(out)


def wav(samples):
    out = io.BytesIO()
    with wave.open(out, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(samples)
    return out.getvalue()


def main():
    folder = Path(sys.argv[1]) if len(sys.argv) > 1 else TOP / "Usr"
    mml = load_compiler()
    (folder / "theme.mzo").write_bytes(mml.compile_mml(THEME, "theme.mml"))
    # A bright rising blip for a catch, a low falling thud for a miss.
    (folder / "catch.wav").write_bytes(wav(sweep(0.14, 900, 1800, 15000, 4.0)))
    (folder / "miss.wav").write_bytes(wav(sweep(0.30, 260, 70, 20000, 3.0)))


if __name__ == "__main__":
    main()
