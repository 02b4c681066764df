#!/usr/bin/env python3
"""Synthesises the game's five sound effects into system/m013/001.wav .. 005.wav.

    python3 tools/make_sounds.py [output folder]

Plain Python 3, no packages. Each effect is short, 22050 Hz mono 16-bit,
peaks at 70 % of full scale, and starts and ends at silence so it never
clicks. The committed files are the shipped data; run this again only to
change them.
"""
import math
import random
import struct
import sys
import wave
from pathlib import Path

RATE = 22050
PEAK = 0.7


def seconds(t):
    return int(t * RATE)


def sweep(f0, f1, n, shape, curve=1.0):
    """A tone whose frequency glides from f0 to f1 over n samples."""
    out, phase = [], 0.0
    for i in range(n):
        k = (i / n) ** curve
        phase += (f0 + (f1 - f0) * k) / RATE
        out.append(shape(phase % 1.0))
    return out


def sine(p):
    return math.sin(2 * math.pi * p)


def square(p, width=0.5):
    return 1.0 if p < width else -1.0


def triangle(p):
    return 4 * p - 1 if p < 0.5 else 3 - 4 * p


def saw(p):
    return 2 * p - 1


def envelope(samples, attack, decay_power):
    """A short attack, then a decay to zero at the last sample."""
    n, a = len(samples), max(1, seconds(attack))
    out = []
    for i, s in enumerate(samples):
        rise = min(1.0, i / a)
        fall = (1 - i / n) ** decay_power
        out.append(s * rise * fall)
    return out


def lowpass(samples, cutoff_start, cutoff_end):
    """One-pole low-pass with a cutoff that moves over the sound."""
    out, y, n = [], 0.0, len(samples)
    for i, s in enumerate(samples):
        fc = cutoff_start + (cutoff_end - cutoff_start) * i / n
        a = 1 - math.exp(-2 * math.pi * fc / RATE)
        y += a * (s - y)
        out.append(y)
    return out


def mix(*layers):
    n = max(len(layer) for layer in layers)
    return [sum(layer[i] for layer in layers if i < len(layer)) for i in range(n)]


def normalise(samples):
    top = max(abs(s) for s in samples) or 1.0
    return [s * PEAK / top for s in samples]


def noise(n, rng):
    return [rng.uniform(-1, 1) for _ in range(n)]


def click(rng):
    # A bright tick: a few cycles of a high square with a noise edge
    n = seconds(0.035)
    tone = envelope(sweep(2400, 1800, n, square), 0.0005, 3)
    edge = envelope(noise(seconds(0.006), rng), 0.0002, 2)
    return mix(tone, [0.5 * s for s in edge])


def player_hit(rng):
    # A falling, buzzing crash
    n = seconds(0.45)
    buzz = envelope(sweep(420, 60, n, saw, 0.6), 0.002, 1.5)
    crunch = envelope(lowpass(noise(n, rng), 3000, 300), 0.001, 2.5)
    return mix(buzz, [0.8 * s for s in crunch])


def bird_hit(rng):
    # A pop and a squawk that jumps up and falls back
    n = seconds(0.26)
    pop = envelope(lowpass(noise(seconds(0.03), rng), 5000, 1500), 0.0005, 2)
    squawk = []
    phase = 0.0
    for i in range(n):
        k = i / n
        f = 900 + 900 * math.sin(math.pi * k) + 60 * math.sin(2 * math.pi * 28 * i / RATE)
        phase += f / RATE
        squawk.append(triangle(phase % 1.0))
    return mix([0.9 * s for s in pop], envelope(squawk, 0.004, 1.2))


def duck(rng):
    # A soft swoosh that drops in pitch
    n = seconds(0.2)
    swoosh = envelope(lowpass(noise(n, rng), 2500, 400), 0.03, 1.5)
    hum = envelope(sweep(320, 140, n, sine), 0.01, 1.2)
    return mix([1.6 * s for s in swoosh], [0.5 * s for s in hum])


def jump(rng):
    # The classic rising boing of a narrow pulse
    n = seconds(0.22)
    rise = sweep(280, 940, n, lambda p: square(p, 0.25), 0.7)
    return envelope(rise, 0.002, 1.3)


EFFECTS = [click, player_hit, bird_hit, duck, jump]


def write_wav(path, samples):
    with wave.open(str(path), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        frames = b"".join(struct.pack("<h", int(round(s * 32767))) for s in samples)
        out.writeframes(frames)


def main():
    folder = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "system/m013"
    rng = random.Random(9)
    for number, make in enumerate(EFFECTS, start=1):
        samples = normalise(make(rng))
        samples[-1] = 0.0
        write_wav(folder / f"{number:03d}.wav", samples)
        print(f"{number:03d}.wav  {make.__name__:10s} {len(samples) / RATE:.3f} s")


if __name__ == "__main__":
    main()
