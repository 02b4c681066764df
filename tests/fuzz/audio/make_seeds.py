#!/usr/bin/env python3
"""Writes the seed corpus of the WAV loader's fuzz target: the four layouts,
extra fmt bytes, chunks before the data, and a few near misses.

    python3 tests/fuzz/audio/make_seeds.py    (from anywhere; writes beside itself)
"""
import os
import struct

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "wav")


def chunk(tag, body, size=None):
    return tag + struct.pack("<I", len(body) if size is None else size) + body


def fmt(channels, bits, rate=8000, tag=1, extra=b""):
    align = channels * bits // 8
    return chunk(b"fmt ", struct.pack("<HHIIHH", tag, channels, rate, rate * align, align, bits) + extra)


def riff(*chunks):
    return chunk(b"RIFF", b"WAVE" + b"".join(chunks))


data = bytes(range(0, 48, 3))
SEEDS = {
    "mono8.wav": riff(fmt(1, 8), chunk(b"data", data)),
    "stereo8.wav": riff(fmt(2, 8), chunk(b"data", data)),
    "mono16.wav": riff(fmt(1, 16), chunk(b"data", data)),
    "stereo16.wav": riff(fmt(2, 16), chunk(b"data", data)),
    "fmt_extra.wav": riff(fmt(1, 16, extra=b"\x00\x00"), chunk(b"data", data)),
    "list_fact.wav": riff(fmt(2, 16), chunk(b"LIST", b"INFOabcd"), chunk(b"fact", b"\x04\0\0\0"), chunk(b"data", data)),
    "float.wav": riff(fmt(1, 32, tag=3), chunk(b"data", data)),
    "data_too_long.wav": riff(fmt(1, 16), chunk(b"data", data, 1000)),
    "no_data.wav": riff(fmt(1, 8), chunk(b"LIST", b"abcd")),
}

os.makedirs(HERE, exist_ok=True)
for name, seed in SEEDS.items():
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(seed)
