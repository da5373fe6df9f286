#!/usr/bin/env python3
"""Writes a tiny Standard MIDI File for the MIDI tests: one track, a piano
playing C, E, G and C an octave up, a quarter note each at 120 beats a minute
(two seconds), then the end of the track. Every run writes the same bytes.

    tools/make_test_midi.py OUT.mid
"""
import struct
import sys

TICKS_PER_QUARTER = 480


def var_length(n):
    """A MIDI variable-length number: 7 bits a byte, high bit on all but the last."""
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.insert(0, 0x80 | (n & 0x7F))
        n >>= 7
    return bytes(out)


def track():
    events = bytearray()
    events += var_length(0) + b"\xff\x51\x03" + (500000).to_bytes(3, "big")  # 120 bpm
    events += var_length(0) + bytes([0xC0, 0])  # program 0: piano
    for note in (60, 64, 67, 72):
        events += var_length(0) + bytes([0x90, note, 100])
        events += var_length(TICKS_PER_QUARTER) + bytes([0x80, note, 0])
    events += var_length(0) + b"\xff\x2f\x00"
    return b"MTrk" + struct.pack(">I", len(events)) + bytes(events)


def main():
    header = b"MThd" + struct.pack(">IHHH", 6, 0, 1, TICKS_PER_QUARTER)
    with open(sys.argv[1], "wb") as f:
        f.write(header + track())


if __name__ == "__main__":
    main()
