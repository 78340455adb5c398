#!/usr/bin/env python3
"""Tells whether a recording of the tutorial speaks every step in order.

Usage: hear-tutorial.py <raw recording> <f32|s16> <rate> <data folder> <seconds> [speed]

The recording is raw interleaved stereo, as SDL's disk driver or parec write
it; <seconds> is where in it the tutorial was chosen, and [speed] how many
seconds of recording were written per second of the wall clock (SDL's disk
driver runs a little fast; 1 by default). From there on the listener
expects, each on its own and in this order: narrations 1 … 4, the swing on
the left and high, narrations 5 and 6, the swing on the left and low, 7 and
8, right and high, 9 and 10, right and low, 11 and 12, the chance in the
centre, narrations 13 … 19, and then the menu's title over its music. Each
sound is known by the shape of its loudness over time (10 ms steps, as
listen.py does) and must fit better there than every other sound of the
tutorial; the swings' pitch shows in how long they last. Each sound starts
5000 ms after the narration before it, and a demonstrated sound 1000 ms
before its own narration (a frame later at most, on the wall clock). Prints
what it heard, when, on which side and how long; exits non-zero on anything
else.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from listen import FLOOR, STEP, db, loudness, read_recording, read_sound  # noqa: E402

HIGH, LOW, OWN = 24200, 13200, 22050
# A frame may come up to 100 ms after a deadline, and the audio device takes
# its own period on top.
EARLY, LATE = 0.06, 0.2


def expected_script():
    """(sound, rate, side, seconds after the sound before it) in order."""
    events = []
    demos = {5: ("huri", HIGH, "left"), 7: ("huri", LOW, "left"), 9: ("huri", HIGH, "right"),
             11: ("huri", LOW, "right"), 13: ("chance", OWN, "centre")}
    gap = 1.0  # from the choice on the menu to the first narration
    for n in range(1, 20):
        if n in demos:
            name, rate, side = demos[n]
            events.append((name, rate, side, gap))
            gap = 1.0
        events.append((f"text/{n}", OWN, "centre", gap))
        gap = 5.0
    events.append(("maintitle", OWN, "centre", gap))
    return events


def energy_of(folder, name, rate=OWN):
    samples, own = read_sound(f"{folder}/sound/{name}.ywv")
    return loudness(samples, rate if rate != OWN else own)


def shape_of(folder, name, rate):
    energy = energy_of(folder, name, rate)
    if name == "maintitle":
        # The menu says its title over the opening music, both from the start.
        music = energy_of(folder, "opning")
        energy = [music[k] + (energy[k] if k < len(energy) else 0.0)
                  for k in range(len(energy) + 100)]
    return [db(x) for x in energy]


def misfit(heard, at, shape):
    """Mean difference in dB between the heard steps from `at` on and the shape."""
    if at < 0 or at + len(shape) > len(heard):
        return float("inf")
    return sum(abs(heard[at + i] - s) for i, s in enumerate(shape)) / len(shape)


def main():
    raw, kind, rate, folder, chosen = (sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4],
                                       float(sys.argv[5]))
    speed = float(sys.argv[6]) if len(sys.argv) > 6 else 1.0
    left, right = read_recording(raw, kind, rate)
    el, er = loudness(left, rate), loudness(right, rate)
    heard = [db(max(a, b)) for a, b in zip(el, er)]
    silent = db(FLOOR)

    script = expected_script()
    shapes = {}
    for name, r, _, _ in script:
        shapes.setdefault((name, r), shape_of(folder, name, r))
    for r in (HIGH, LOW):
        shapes.setdefault(("huri", r), shape_of(folder, "huri", r))

    ok = True
    previous = chosen
    onsets = []
    print(f"the tutorial chosen at {chosen:.2f} s into the recording, which ran {speed:.4f} times "
          "as fast as the wall clock; times below are the wall clock's")
    for index, (name, r, side, gap) in enumerate(script):
        shape = shapes[(name, r)]
        # The onset where this sound fits best, from a little before it is due
        # to well after; a missing sound shows as a poor fit or a wrong time.
        lo = int((previous + (gap - 1.0) * speed) / STEP)
        hi = int((previous + (gap + 2.0) * speed) / STEP)
        fit, at = min((misfit(heard, k, shape), k) for k in range(max(lo, 0), hi))
        t = at * STEP
        # Against every other sound of the tutorial at that place.
        rivals = sorted((min(misfit(heard, at + d, s) for d in range(-3, 4)), f"{n}@{rr}")
                        for (n, rr), s in shapes.items() if (n, rr) != (name, r))
        late = (t - previous) / speed - gap
        if index == 0:
            # The choice is taken when Space goes down; the menu acts on its
            # release, and the scene changes on the frame after that.
            late -= 0.15
        span = range(at, at + len(shape))
        lsum = db(sum(el[k] for k in span) / len(span))
        rsum = db(sum(er[k] for k in span) / len(span))
        heard_side = ("left" if lsum - rsum > 20 else "right" if rsum - lsum > 20 else
                      "centre" if abs(lsum - rsum) < 1 else f"off-centre ({lsum - rsum:+.1f} dB)")
        # How long it was heard: to the last loud step before the next sound.
        end = at
        next_gap = script[index + 1][3] if index + 1 < len(script) else 3.0
        next_due = int((t + next_gap * speed) / STEP)
        for k in range(at, min(next_due - 5, len(heard))):
            if heard[k] > silent + 20:
                end = k + 1
        # The menu's title comes over its music, which fits more roughly.
        length = ("over the music" if name == "maintitle" else
                  f"heard for {(end - at) * 10:4d} ms (file {len(shape) * 10} ms)")
        good = (fit < 3.0 and fit < rivals[0][0] and -EARLY <= late <= LATE
                and heard_side == side)
        ok = ok and good
        label = name if r == OWN else f"{name} ({'high' if r == HIGH else 'low'})"
        when = (t - chosen) / speed
        print(f"{'  ' if good else '!!'} {when:7.2f} s  {label:<14} {heard_side:<6} "
              f"{(t - previous) / speed * 1000:5.0f} ms after the last, {length}; "
              f"off by {fit:.1f} dB, next best {rivals[0][1]} "
              f"{rivals[0][0]:.1f} dB")
        previous = t
        onsets.append(t)

    tutorial = (onsets[-1] - chosen) / speed
    print(f"from the choice to the menu's title: {tutorial:.2f} s")
    # Within the tutorial, up to the end of the title that follows it.
    first, last = int(chosen * rate), int((onsets[-1] + 0.6) * rate)
    clipped = sum(1 for x in left[first:last] + right[first:last] if abs(x) >= 32767 / 32768)
    print(f"{clipped} clipped samples")
    print("every step spoken in order" if ok and clipped == 0 else "NOT as expected")
    return 0 if ok and clipped == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
