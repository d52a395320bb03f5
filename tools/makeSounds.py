#!/usr/bin/env python3
"""Generates the game's sound effects, procedurally, into data/sounds/.

Run once after changing it: python3 tools/makeSounds.py [output directory]
Only the standard library is used; the output is deterministic. Every effect is a short mono
16-bit clip (mono, so OpenAL can place it in the world), faded in and out so it never clicks."""

import math
import os
import random
import struct
import sys
import wave

RATE = 22050
OUT = os.path.join("data", "sounds")


def noise_source(number):
    """White noise in [-1, 1], the same stream on every run."""
    rng = random.Random(number)
    return lambda: rng.uniform(-1.0, 1.0)


def envelope(t, length, attack=0.004, decay_power=2.0):
    """A fast rise, then a fall to silence at `length`."""
    if t < attack:
        return t / attack
    left = max(0.0, 1.0 - (t - attack) / (length - attack))
    return left ** decay_power


def sweep_tone(length, start_hz, end_hz, shape="sine", noise=0.0, number=1, decay_power=2.0, gain=0.8):
    """A tone gliding from `start_hz` to `end_hz` exponentially, with some noise mixed in."""
    white = noise_source(number)
    samples = []
    phase = 0.0
    for i in range(int(length * RATE)):
        t = i / RATE
        hz = start_hz * (end_hz / start_hz) ** (t / length)
        phase += 2.0 * math.pi * hz / RATE
        if shape == "square":
            tone = 1.0 if math.sin(phase) >= 0.0 else -1.0
        elif shape == "saw":
            tone = (phase / math.pi) % 2.0 - 1.0
        else:
            tone = math.sin(phase)
        value = (1.0 - noise) * tone + noise * white()
        samples.append(gain * value * envelope(t, length, decay_power=decay_power))
    return samples


def rumble(length, cutoff_hz, number, decay_power=1.6, gain=0.9, attack=0.004):
    """Low-passed noise: a blast, a thud or the roar of an engine."""
    white = noise_source(number)
    alpha = 1.0 - math.exp(-2.0 * math.pi * cutoff_hz / RATE)
    level = 0.0
    samples = []
    for i in range(int(length * RATE)):
        t = i / RATE
        level += alpha * (white() - level)
        samples.append(gain * 3.0 * level * envelope(t, length, attack=attack, decay_power=decay_power))
    return samples


def mix(*tracks):
    length = max(len(track) for track in tracks)
    return [sum(track[i] for track in tracks if i < len(track)) for i in range(length)]


def delayed(samples, seconds):
    return [0.0] * int(seconds * RATE) + samples


def chord(length, notes_hz, gap):
    """Notes one after the other, each ringing on: a cash register's chime."""
    return mix(*[delayed(sweep_tone(length, hz, hz, decay_power=1.5, gain=0.35), k * gap) for k, hz in
                 enumerate(notes_hz)])


def write(name, samples):
    peak = max(1e-9, max(abs(s) for s in samples))
    scale = 0.9 / peak if peak > 0.9 else 1.0
    path = os.path.join(OUT, name)
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", int(32767 * max(-1.0, min(1.0, s * scale)))) for s in samples))
    print("wrote", path, os.path.getsize(path), "bytes")


# Each file the game plays, and how it sounds.
EFFECTS = [
    # A thin, bright buzz: the beam hums while the trigger is held.
    ("beam.wav", lambda: sweep_tone(0.25, 1400.0, 1100.0, shape="saw", noise=0.15, number=2, decay_power=0.6,
                                    gain=0.5)),
    # A short chirp: pulse guns and scatter guns.
    ("lightShot.wav", lambda: sweep_tone(0.12, 1800.0, 500.0, shape="square", noise=0.1, number=3, gain=0.5)),
    # A deep thump with a hiss: missiles, shells, the plasma lance, bombs.
    ("heavyShot.wav", lambda: mix(sweep_tone(0.35, 240.0, 60.0, noise=0.0, number=4, gain=0.7),
                                  rumble(0.3, 1800.0, 5, gain=0.4))),
    # A metallic clang with a low alarm under it: the player's hull is hit.
    ("playerHit.wav", lambda: mix(sweep_tone(0.3, 620.0, 380.0, shape="square", noise=0.3, number=6, gain=0.5),
                                  sweep_tone(0.3, 110.0, 90.0, gain=0.5))),
    # A dull crack: a shot hits another ship.
    ("shipHit.wav", lambda: mix(rumble(0.18, 2500.0, 7, decay_power=3.0), sweep_tone(0.12, 900.0, 300.0, gain=0.3))),
    # A long, low roar: a ship blows up.
    ("explosion.wav", lambda: mix(rumble(1.2, 400.0, 8, decay_power=1.8, gain=1.0),
                                  rumble(0.4, 3000.0, 9, decay_power=3.0, gain=0.5))),
    # A soft settling thud and a rising confirmation tone: a safe landing.
    ("landing.wav", lambda: mix(rumble(0.3, 200.0, 10, gain=0.8),
                                delayed(sweep_tone(0.35, 440.0, 660.0, gain=0.35, decay_power=1.2), 0.12))),
    # A grinding smash: a landing too fast.
    ("crashLanding.wav", lambda: mix(rumble(0.9, 700.0, 11, decay_power=1.4, gain=1.0),
                                     sweep_tone(0.6, 300.0, 70.0, shape="saw", noise=0.4, number=12, gain=0.5))),
    # A roar swelling up and away: take-off.
    ("takeOff.wav", lambda: mix(rumble(0.9, 500.0, 13, decay_power=1.0, gain=0.8, attack=0.25),
                                sweep_tone(0.9, 80.0, 260.0, gain=0.3, decay_power=1.0))),
    # A falling, shimmering whoosh: through a wormhole.
    ("jump.wav", lambda: mix(sweep_tone(1.0, 2000.0, 120.0, noise=0.2, number=14, decay_power=1.2, gain=0.5),
                             sweep_tone(1.0, 2010.0, 121.0, decay_power=1.2, gain=0.4))),
    # A crisp tick: a click on a window element.
    ("click.wav", lambda: sweep_tone(0.04, 2400.0, 1600.0, noise=0.2, number=15, decay_power=3.0, gain=0.6)),
    # A bright two-note chime: a sale, a job done.
    ("sale.wav", lambda: chord(0.4, [880.0, 1318.5], 0.09)),
]


def main():
    global OUT
    if len(sys.argv) > 1:
        OUT = sys.argv[1]
    os.makedirs(OUT, exist_ok=True)
    for name, make in EFFECTS:
        write(name, make())


if __name__ == "__main__":
    main()
