#!/usr/bin/env python3
"""Tells which of the game's sounds a recording of the menu holds, and when.

Usage: listen.py <raw recording> <f32|s16> <rate> <data folder> [seconds:item ...]

The recording is raw interleaved stereo, as SDL's disk driver or parec write
it. Each sound of the data folder is known by the shape of its loudness over
time (10 ms steps): at the start the recording must be the title voice over the
music, and after each key release (its time in the recording, in seconds) the
music with the voice of the item given. Prints what it heard, the timings and
the levels; exits non-zero when something else was heard or the sound clipped.
"""
import array
import math
import sys
import wave

STEP = 0.01  # seconds per loudness step
FLOOR = 1e-7  # -70 dB: quieter than this counts as silence
VOICES = ["tutorial", "easy", "normal", "hard", "NetRecord", "update", "end"]
LABELS = ["説明", "イージー", "ノーマル", "ハード", "ネット記録", "アップデート", "終了"]


def read_recording(path, kind, rate):
    data = open(path, "rb").read()
    samples = array.array("f" if kind == "f32" else "h")
    usable = len(data) - len(data) % (samples.itemsize * 2)
    samples.frombytes(data[:usable])
    scale = 1.0 if kind == "f32" else 1.0 / 32768
    return [s * scale for s in samples[0::2]], [s * scale for s in samples[1::2]]


def read_sound(path):
    with wave.open(path, "rb") as w:
        samples = array.array("h", w.readframes(w.getnframes()))
        return [s / 32768 for s in samples], w.getframerate()


def loudness(samples, rate):
    """Mean square per step."""
    out = []
    k = 0
    while True:
        a, b = round(k * STEP * rate), round((k + 1) * STEP * rate)
        if b > len(samples):
            return out
        out.append(sum(x * x for x in samples[a:b]) / (b - a))
        k += 1


def db(energy):
    return 10 * math.log10(max(energy, FLOOR))


def misfit(heard, at, parts, steps):
    """Mean difference in dB between what was heard from step `at` on and
    the sum of the given sounds, each (loudness, start step, looping)."""
    total = 0.0
    for k in range(at, min(at + steps, len(heard))):
        want = 0.0
        for shape, start, loops in parts:
            i = k - start
            if loops:
                i %= len(shape)
            if 0 <= i < len(shape):
                want += shape[i]
        total += abs(db(heard[k]) - db(want))
    return total / steps


def main():
    raw, kind, rate, folder = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
    keys = [(float(t), item) for t, item in (a.split(":", 1) for a in sys.argv[5:])]
    left, right = read_recording(raw, kind, rate)
    heard = loudness(left, rate)
    shapes = {}
    for name, file in [("title", "maintitle"), ("music", "opning")] + [
            (v, "menu/" + v) for v in VOICES]:
        samples, own = read_sound(f"{folder}/sound/{file}.ywv")
        shapes[name] = (loudness(samples, own), len(samples) / own)

    # Where sound begins, to the sample.
    first = next((i for i, x in enumerate(left) if abs(x) > 0.003), None)
    if first is None:
        print("heard nothing at all")
        return 1
    k0 = int(first / rate / STEP)
    music = shapes["music"][0]
    span = int(2.0 / STEP)
    tries = {"the title over the music": [(shapes["title"][0], 0, False), (music, 0, True)],
             "the music alone": [(music, 0, True)],
             "the title alone": [(shapes["title"][0], 0, False)]}
    for v, label in zip(VOICES, LABELS):
        tries[f"「{label}」 over the music"] = [(shapes[v][0], 0, False), (music, 0, True)]
    fits = []
    for what, parts in tries.items():
        best = min((misfit(heard, k0 + d, [(s, k0 + d + o, l) for s, o, l in parts], span), d)
                   for d in range(-2, 3))
        fits.append((best[0], what, best[1]))
    fits.sort()
    start = k0 + fits[0][2]
    ok = fits[0][1] == "the title over the music"
    print(f"first sound {first / rate * 1000:.0f} ms into the recording: {fits[0][1]} "
          f"(off by {fits[0][0]:.1f} dB on average; next best, {fits[1][1]}, {fits[1][0]:.1f} dB)")

    title_end = start + int(shapes["title"][1] / STEP)
    after = misfit(heard, title_end + 20, [(music, start, True)], 200)
    print(f"after the title ({shapes['title'][1] * 1000:.0f} ms): the music alone, "
          f"off by {after:.1f} dB on average")

    for t, want in keys:
        k = int(t / STEP)
        fits = []
        for v, label in zip(VOICES, LABELS):
            length = len(shapes[v][0])
            for ks in range(k - 5, k + 60):
                fit = misfit(heard, ks, [(shapes[v][0], ks, False), (music, start, True)], length)
                fits.append((fit, ks, label))
        fits.sort()
        fit, ks, label = fits[0]
        runner = next(f for f in fits if f[2] != label)
        ok = ok and label == want
        print(f"key released at {t:.2f} s: 「{label}」 spoken {(ks - k) * STEP * 1000:.0f} ms later "
              f"(off by {fit:.1f} dB; next best 「{runner[2]}」, {runner[0]:.1f} dB)")

    peak = max(max(abs(x) for x in left), max(abs(x) for x in right))
    clipped = sum(1 for x in left + right if abs(x) >= 32767 / 32768)
    level = lambda a, b: db(sum(heard[a:b]) / max(1, b - a))
    print(f"levels: peak {db(peak * peak):.1f} dBFS, {clipped} clipped samples; "
          f"title over music {level(start, title_end):.1f} dBFS RMS, "
          f"music alone {level(title_end + 20, title_end + 220):.1f} dBFS RMS; "
          f"left and right {'the same' if left == right else 'differ'}")
    return 0 if ok and clipped == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
