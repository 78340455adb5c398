#!/usr/bin/env python3
"""Hears the menu again after the sound server came back.

Usage: hear-return.py <raw s16 stereo recording> <rate> <data folder> <seconds:item>

Says which item's voice followed the key release over the looping music, known
by loudness in 10 ms steps; exits non-zero when nothing or another item was heard.
"""
import array
import math
import sys
import wave

STEP = 0.01
VOICES = ["tutorial", "easy", "normal", "hard", "NetRecord", "update", "end"]
LABELS = ["説明", "イージー", "ノーマル", "ハード", "ネット記録", "アップデート", "終了"]


def loudness(samples, rate):
    """Mean square per step."""
    n = int(len(samples) / (STEP * rate))
    return [sum(x * x for x in samples[round(k * STEP * rate):round((k + 1) * STEP * rate)])
            / max(1, round((k + 1) * STEP * rate) - round(k * STEP * rate)) for k in range(n)]


def sound(path):
    with wave.open(path, "rb") as w:
        samples = array.array("h", w.readframes(w.getnframes()))
        return loudness([s / 32768 for s in samples], w.getframerate())


def misfit(heard, at, parts, steps):
    """Mean difference in dB between what was heard from step `at` on and the
    sum of the given sounds, each (loudness, start step, looping)."""
    db = lambda e: 10 * math.log10(max(e, 1e-7))
    total = 0.0
    for k in range(at, min(at + steps, len(heard))):
        want = 0.0
        for shape, start, loops in parts:
            i = k - start
            i = i % len(shape) if loops else i
            want += shape[i] if 0 <= i < len(shape) else 0.0
        total += abs(db(heard[k]) - db(want))
    return total / steps


def main():
    raw, rate, folder = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    at, want = sys.argv[4].split(":", 1)
    data = open(raw, "rb").read()
    samples = array.array("h")
    samples.frombytes(data[:len(data) - len(data) % 4])
    left = [s / 32768 for s in samples[0::2]]
    first = next((i for i, x in enumerate(left) if abs(x) > 0.003), None)
    if first is None:
        print("heard nothing after the server came back")
        return 1
    print(f"first sound {first / rate * 1000:.0f} ms into what the new server played")
    heard = loudness(left, rate)
    music = sound(f"{folder}/sound/opning.ywv")
    k = int(float(at) / STEP)
    # Where the music stands: its loop fitted to the second before the key.
    phase = min((misfit(heard, k - 100, [(music, k - 100 - p, True)], 100), p)
                for p in range(len(music)))[1]
    start = k - 100 - phase
    fits = []
    for voice, label in zip(VOICES, LABELS):
        shape = sound(f"{folder}/sound/menu/{voice}.ywv")
        for ks in range(k - 5, k + 60):
            fits.append((misfit(heard, ks, [(shape, ks, False), (music, start, True)], len(shape)),
                         ks, label))
    fit, ks, label = min(fits)
    print(f"key released at {float(at):.2f} s: 「{label}」 spoken {(ks - k) * 10} ms later "
          f"(off by {fit:.1f} dB)")
    return 0 if label == want else 1


if __name__ == "__main__":
    sys.exit(main())
