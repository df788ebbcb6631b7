#!/usr/bin/env python3
"""Makes a synthetic station: the example station's configs, spectra and
diagnostics with a classic radial file of as many vectors as asked.

  scripts/make_synthetic_station.py DEST [--cells N] [--angles N] [--seed N]
                                         [--no-diagnostics]

The radial file holds N cells of 1 km, each with one vector per bearing
(--angles bearings spread evenly over the circle), and seeded random speeds
and qualities, so the same arguments always make the same bytes.
"""
import argparse
import os
import random
import shutil

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
EXAMPLE = os.path.join(ROOT, "examples", "station")


def write_radial_file(path, cells, angle_count, seed):
    rng = random.Random(seed)
    lines = [b" %-47.47s               %d\n" % (b"14:00:00  Sunday, December 6, 2026 PST", -415556896),
             b" 36\xa157.072'N,122\xa103.804'W\n",
             b"  1.000   1.000   90.0   1.000\n",
             b" %d\n" % cells]
    angles = [i * 360.0 / angle_count for i in range(angle_count)]
    for cell in range(1, cells + 1):
        lines.append(b" %-3d %-3d\n" % (len(angles), cell))
        # Speeds span several magnitudes so that every digit count is written.
        speeds = [rng.choice((1, -1)) * rng.uniform(0, 10 ** rng.randint(-2, 2)) for _ in angles]
        quality = [rng.uniform(0, 9.99) for _ in angles]
        for values, fmt in ((angles, b"  %9.1f"), (speeds, b"  %9.2f"), (quality, b"  %9.2f")):
            for i in range(0, len(values), 7):
                lines.append(b" " + b"".join(fmt % v for v in values[i:i + 7]) + b"\n")
    lines.append(b"!END\n")
    with open(path, "wb") as f:
        f.write(b"".join(lines))
    return cells * len(angles)


def make_station(dest, cells, angle_count, seed, diagnostics=True):
    for part in ("Configs", "Processing"):
        shutil.copytree(os.path.join(EXAMPLE, part), os.path.join(dest, part))
    if diagnostics:
        shutil.copytree(os.path.join(EXAMPLE, "Diagnostics"), os.path.join(dest, "Diagnostics"))
    else:
        os.makedirs(os.path.join(dest, "Diagnostics"), exist_ok=True)
    return write_radial_file(os.path.join(dest, "Processing", "RadialData.txt"), cells, angle_count,
                             seed)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("dest")
    parser.add_argument("--cells", type=int, default=50)
    parser.add_argument("--angles", type=int, default=200)
    parser.add_argument("--seed", type=int, default=18)
    parser.add_argument("--no-diagnostics", action="store_true")
    args = parser.parse_args()
    make_station(args.dest, args.cells, args.angles, args.seed, not args.no_diagnostics)


if __name__ == "__main__":
    main()
