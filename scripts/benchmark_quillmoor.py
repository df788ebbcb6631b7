#!/usr/bin/env python3
"""Wall time and peak memory of Quillmoor runs.

  scripts/benchmark_quillmoor.py [--runs N]

Runs the built converter (build/Quillmoor/Quillmoor) on the bundled example
station and on a synthetic station whose classic radial file holds 100,800
vectors (280 range cells of 1 km, a vector every degree), writing the classic
and LLUV outputs (mode 3) into a temporary folder. Prints the best and median
wall time of the runs and the largest peak resident memory.
"""
import argparse
import os
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PROGRAM = os.path.join(ROOT, "build", "Quillmoor", "Quillmoor")
EXAMPLE = os.path.join(ROOT, "examples", "station")


def write_big_radial_file(path, cells=280, step=1):
    lines = [b" %-47.47s               %d\n" % (b"14:00:00  Sunday, December 6, 2026 PST", -415556896),
             b" 36\xa157.072'N,122\xa103.804'W\n",
             b"  1.000   1.000   90.0   1.000\n",
             b" %d\n" % cells]
    angles = [float(a) for a in range(0, 360, step)]
    for cell in range(1, cells + 1):
        lines.append(b" %-3d %-3d\n" % (len(angles), cell))
        speeds = [((cell * 7 + i * 13) % 400 - 200) / 10.0 for i in range(len(angles))]
        quality = [((cell + i) % 30) / 10.0 for i in range(len(angles))]
        for values, fmt in ((angles, b"  %9.1f"), (speeds, b"  %9.2f"), (quality, b"  %9.2f")):
            for i in range(0, len(values), 7):
                lines.append(b" " + b"".join(fmt % v for v in values[i:i + 7]) + b"\n")
    lines.append(b"!END\n")
    with open(path, "wb") as f:
        f.write(b"".join(lines))
    return cells * len(angles)


def make_station(folder, big):
    shutil.copytree(os.path.join(EXAMPLE, "Configs"), os.path.join(folder, "Configs"))
    shutil.copytree(os.path.join(EXAMPLE, "Processing"), os.path.join(folder, "Processing"))
    os.makedirs(os.path.join(folder, "Diagnostics"), exist_ok=True)
    if big:
        return write_big_radial_file(os.path.join(folder, "Processing", "RadialData.txt"))
    return None


def run_once(folder):
    out = tempfile.mkdtemp(prefix="quillmoor-bench-out.")
    args = [PROGRAM, "0", "i", "", out + "/", os.path.join(folder, "Processing") + "/", "3", "0",
            os.path.join(folder, "Configs") + "/", "-1", os.path.join(folder, "Diagnostics") + "/"]
    start = time.perf_counter()
    result = subprocess.run(args, stdout=subprocess.DEVNULL)
    elapsed = time.perf_counter() - start
    shutil.rmtree(out)
    if result.returncode != 0:
        sys.exit("Quillmoor failed with status %d" % result.returncode)
    return elapsed


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=5)
    runs = parser.parse_args().runs
    if not os.access(PROGRAM, os.X_OK):
        sys.exit("build the project first (scripts/setup.sh)")
    for label, big in (("example station (622 vectors)", False), ("synthetic station", True)):
        folder = tempfile.mkdtemp(prefix="quillmoor-bench.")
        vectors = make_station(folder, big)
        if vectors:
            label = "synthetic station (%d vectors)" % vectors
        times = [run_once(folder) for _ in range(runs)]
        shutil.rmtree(folder)
        # ru_maxrss of the children: the largest of all runs so far, in KiB on Linux.
        peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
        print("%-36s best %.3f s  median %.3f s  peak memory so far %.1f MiB"
              % (label, min(times), statistics.median(times), peak / 1024.0))


if __name__ == "__main__":
    main()
