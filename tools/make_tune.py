#!/usr/bin/env python3
"""Synthesises the title tune, "system/m013/Varnick Bozzle - Intro.mp3".

    python3 tools/make_tune.py [output.mp3]

Plain Python 3 and the `lame` encoder (Debian package `lame`). A bright
C-major romp of 24 bars at 126 beats a minute (about 46 s): bass, an
arpeggiated pulse, a lead and a small drum kit.

The tune is a loop. Every note is mixed into a circular buffer one loop
long, so a note still ringing at the end continues at the start: the last
sample flows into the first exactly. The MP3 carries LAME's header with the
encoder's delay and padding, which a gapless decoder drops, so the decoded
tune starts and ends on the same samples and loops without a seam.
"""
import math
import random
import struct
import subprocess
import sys
import tempfile
import wave
from pathlib import Path

RATE = 44100
BEAT = 21000            # samples a beat: 126 beats a minute, a whole number of samples
BAR = 4 * BEAT
BARS = 24
LENGTH = BARS * BAR

# One chord a bar (root as a MIDI note, and the chord's notes)
C, D, E, F, G, A, B = 60, 62, 64, 65, 67, 69, 71
CHORDS = {
    "C": (48, [C, E, G]), "G": (43, [B - 12, D, G]), "Am": (45, [C, E, A]), "F": (41, [C, F, A]),
    "Em": (40, [B - 12, E, G]), "Dm": (38, [D, F, A]),
}
PROGRESSION = (["C", "G", "Am", "F", "C", "G", "F", "G"] +
               ["F", "G", "Em", "Am", "Dm", "G", "C", "G"] +
               ["C", "G", "Am", "F", "C", "G", "F", "G"])

# The lead, bar by bar: (MIDI note or None for a rest, length in eighths)
LEAD_A = [
    [(72, 2), (76, 1), (79, 1), (76, 2), (72, 2)],
    [(74, 2), (71, 1), (74, 1), (79, 4)],
    [(76, 1), (77, 1), (76, 1), (74, 1), (72, 2), (69, 2)],
    [(72, 3), (None, 1), (77, 2), (76, 2)],
    [(72, 2), (76, 1), (79, 1), (84, 2), (79, 2)],
    [(81, 2), (79, 1), (77, 1), (74, 4)],
    [(77, 2), (76, 1), (74, 1), (72, 2), (76, 2)],
    [(74, 4), (71, 2), (74, 2)],
]
LEAD_B = [
    [(77, 1), (77, 1), (81, 2), (84, 2), (81, 2)],
    [(79, 2), (74, 2), (71, 2), (74, 2)],
    [(76, 1), (79, 1), (83, 2), (79, 2), (76, 2)],
    [(81, 3), (79, 1), (76, 4)],
    [(74, 2), (77, 2), (81, 2), (77, 2)],
    [(79, 1), (81, 1), (79, 1), (77, 1), (74, 4)],
    [(76, 2), (79, 2), (84, 3), (83, 1)],
    [(84, 2), (83, 2), (79, 2), (74, 2)],
]
LEAD_A2 = LEAD_A[:6] + [
    [(77, 1), (79, 1), (81, 1), (79, 1), (77, 2), (76, 2)],
    [(74, 2), (79, 2), (83, 2), (74, 1), (71, 1)],
]
LEAD = LEAD_A + LEAD_B + LEAD_A2


def hertz(note):
    return 440.0 * 2 ** ((note - 69) / 12)


class Loop:
    """Two circular channels one loop long."""

    def __init__(self):
        self.left = [0.0] * LENGTH
        self.right = [0.0] * LENGTH

    def add(self, start, samples, pan):
        # Constant-power pan, -1 left .. 1 right
        angle = (pan + 1) * math.pi / 4
        gl, gr = math.cos(angle), math.sin(angle)
        left, right = self.left, self.right
        for i, s in enumerate(samples):
            at = (start + i) % LENGTH
            left[at] += s * gl
            right[at] += s * gr


def tone(freq, length, shape, attack=0.004, release=0.05, decay=0.0, vibrato=0.0):
    """A note: shape(phase) under an attack, an optional decay and a release."""
    n = int(length) + int(release * RATE)
    a, r, held = max(1, int(attack * RATE)), max(1, int(release * RATE)), int(length)
    out, phase = [], 0.0
    for i in range(n):
        f = freq * (1 + vibrato * math.sin(2 * math.pi * 5.5 * i / RATE)) if vibrato else freq
        phase += f / RATE
        level = min(1.0, i / a)
        if decay:
            level *= math.exp(-decay * i / RATE)
        if i >= held:
            level *= 1 - (i - held) / r
        out.append(shape(phase % 1.0) * level)
    return out


def soft_square(p):
    # A rounded square: bright, without the harshest overtones
    return math.tanh(3.0 * math.sin(2 * math.pi * p))


def pulse(p):
    return 0.8 if p < 0.25 else -0.27


def triangle(p):
    return 4 * p - 1 if p < 0.5 else 3 - 4 * p


def add_bass(loop):
    eighth = BEAT // 2
    for bar, name in enumerate(PROGRESSION):
        root = CHORDS[name][0]
        pattern = [0, 12, 0, 12, 0, 7, 12, 7]
        for k, step in enumerate(pattern):
            note = tone(hertz(root + step - 12 + 12), eighth * 0.85, triangle, release=0.02)
            loop.add(bar * BAR + k * eighth, [0.42 * s for s in note], 0.0)


def add_arpeggio(loop):
    sixteenth = BEAT // 4
    for bar, name in enumerate(PROGRESSION):
        notes = CHORDS[name][1]
        order = [0, 1, 2, 1] * 4
        for k, index in enumerate(order):
            octave = 12 if k % 8 >= 4 else 0
            note = tone(hertz(notes[index] + octave), sixteenth * 0.6, pulse, decay=9.0, release=0.03)
            loop.add(bar * BAR + k * sixteenth, [0.13 * s for s in note], -0.35)


def add_lead(loop):
    eighth = BEAT // 2
    for bar, phrase in enumerate(LEAD):
        at = bar * BAR
        assert sum(length for _, length in phrase) == 8, f"bar {bar + 1} is not 8 eighths"
        for note, length in phrase:
            if note is not None:
                held = length * eighth * 0.9
                samples = tone(hertz(note), held, soft_square, attack=0.006, release=0.08, decay=0.8,
                               vibrato=0.004 if length >= 3 else 0.0)
                loop.add(at, [0.2 * s for s in samples], 0.3)
            at += length * eighth


def add_drums(loop, rng):
    eighth = BEAT // 2
    kick_n, snare_n, hat_n = int(0.14 * RATE), int(0.12 * RATE), int(0.03 * RATE)
    kick, phase = [], 0.0
    for i in range(kick_n):
        phase += (45 + 110 * math.exp(-i / (0.025 * RATE))) / RATE
        kick.append(math.sin(2 * math.pi * phase) * (1 - i / kick_n) ** 2)
    snare = [rng.uniform(-1, 1) * (1 - i / snare_n) ** 3 +
             0.4 * math.sin(2 * math.pi * 190 * i / RATE) * (1 - i / snare_n) ** 4 for i in range(snare_n)]
    hat, prev = [], 0.0
    for i in range(hat_n):
        x = rng.uniform(-1, 1)
        hat.append((x - prev) * 0.5 * (1 - i / hat_n) ** 4)   # a first difference: only the hiss
        prev = x
    for bar in range(BARS):
        for beat in range(4):
            at = bar * BAR + beat * BEAT
            if beat in (0, 2):
                loop.add(at, [0.5 * s for s in kick], 0.0)
            else:
                loop.add(at, [0.22 * s for s in snare], 0.05)
        for k in range(8):
            loop.add(bar * BAR + k * eighth, [0.25 * s for s in hat], 0.25)


def write_wav(path, loop):
    top = max(max(abs(s) for s in loop.left), max(abs(s) for s in loop.right))
    scale = 0.85 * 32767 / top
    frames = bytearray()
    for l, r in zip(loop.left, loop.right):
        frames += struct.pack("<hh", int(round(l * scale)), int(round(r * scale)))
    with wave.open(str(path), "wb") as out:
        out.setnchannels(2)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(bytes(frames))


def main():
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else \
        Path(__file__).resolve().parent.parent / "system/m013/Varnick Bozzle - Intro.mp3"
    loop = Loop()
    add_bass(loop)
    add_arpeggio(loop)
    add_lead(loop)
    add_drums(loop, random.Random(126))
    with tempfile.TemporaryDirectory() as folder:
        pcm = Path(folder) / "tune.wav"
        write_wav(pcm, loop)
        # CBR with the LAME header (on by default): delay and padding for gapless decoders
        subprocess.run(["lame", "--quiet", "-b", "160", "-q", "2", "--tt", "Varnick Bozzle - Intro",
                        str(pcm), str(target)], check=True)
    print(f"{target.name}: {LENGTH / RATE:.2f} s, {target.stat().st_size} bytes")


if __name__ == "__main__":
    main()
