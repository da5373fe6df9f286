#!/usr/bin/env python3
"""Writes the seeds of the sound fuzz targets: music files for tests/fuzz/seeds/mzo
(compiled from music-macro text by tools/mml2mzo, plus the benchmark piece) and WAV
files for tests/fuzz/seeds/wav (written by Python's wave module)."""
import importlib.machinery
import importlib.util
import io
import shutil
import sys
import wave
from pathlib import Path

TOP = Path(__file__).resolve().parent.parent

PIECES = {
    "voices.mzo": "#title \"seed\"\nA t180 v12 M1,5,30 Y1 l8 o4 L [c e g]2 {c >c}4 &c4 !\n"
                  "B v9 S1 D-3 @95 l16 o5 [c r]4 ! r4\nC v8 X1 @97 n36,4 n48,4\n",
    "samples.mzo": "A U\"hit.wav\",1 v15 @97 S0 o4 c4 >c4 X0 c2\n",
    "shapes.mzo": "#wave 3 " + " ".join(str(i * 8) for i in range(32)) + "\n"
                  "#envelope 2 " + " ".join(str(15 - i // 2) for i in range(32)) + "\n"
                  "A v14 @3 K2 S3 W90 l4 o3 c d e f [g a]3\n",
}


def load_compiler():
    loader = importlib.machinery.SourceFileLoader("mml2mzo", str(TOP / "tools" / "mml2mzo"))
    spec = importlib.util.spec_from_loader("mml2mzo", loader)
    module = importlib.util.module_from_spec(spec)
    loader.exec_module(module)
    return module


def wav(channels, width, rate, frames):
    out = io.BytesIO()
    with wave.open(out, "wb") as w:
        w.setnchannels(channels)
        w.setsampwidth(width)
        w.setframerate(rate)
        w.writeframes(frames)
    return out.getvalue()


def main():
    seeds = Path(sys.argv[1]) if len(sys.argv) > 1 else TOP / "tests" / "fuzz" / "seeds"
    (seeds / "mzo").mkdir(parents=True, exist_ok=True)
    (seeds / "wav").mkdir(parents=True, exist_ok=True)
    mml = load_compiler()
    for name, text in PIECES.items():
        (seeds / "mzo" / name).write_bytes(mml.compile_mml(text, name))
    shutil.copy(TOP / "bench" / "data" / "ten_channels.mzo", seeds / "mzo" / "ten_channels.mzo")
    ramp8 = bytes(range(0, 256, 4))
    (seeds / "wav" / "mono8_22050.wav").write_bytes(wav(1, 1, 22050, ramp8))
    stereo16 = b"".join((i * 1000 - 32000).to_bytes(2, "little", signed=True) * 2
                        for i in range(64))
    (seeds / "wav" / "stereo16_11025.wav").write_bytes(wav(2, 2, 11025, stereo16))
    (seeds / "wav" / "mono16_44100.wav").write_bytes(wav(1, 2, 44100, stereo16))


if __name__ == "__main__":
    main()
