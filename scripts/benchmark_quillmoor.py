#!/usr/bin/env python3
"""Wall time and peak memory of Quillmoor and Fenwright runs.

  scripts/benchmark_quillmoor.py [--runs N] [--build DIR]

Runs the built converter (DIR/Quillmoor/Quillmoor, DIR defaults to build) on
the bundled example station and on a synthetic station whose classic radial
file holds 100,800 vectors (280 range cells of 1 km, a vector every degree),
writing the classic and LLUV outputs (mode 3) into a temporary folder; then
Fenwright on a fresh copy of the example station each time (it appends the
hour's row to the week's report). Prints the median wall time with the
quartiles and extremes, and the largest peak resident memory.
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

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_synthetic_station  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
EXAMPLE = os.path.join(ROOT, "examples", "station")


def timed(args, cwd=None):
    start = time.perf_counter()
    result = subprocess.run(args, stdout=subprocess.DEVNULL, cwd=cwd)
    elapsed = time.perf_counter() - start
    if result.returncode != 0:
        sys.exit("%s failed with status %d" % (os.path.basename(args[0]), result.returncode))
    return elapsed


def quillmoor_once(program, folder):
    out = tempfile.mkdtemp(prefix="quillmoor-bench-out.")
    args = [program, "0", "i", "", out + "/", os.path.join(folder, "Processing") + "/", "3", "0",
            os.path.join(folder, "Configs") + "/", "-1", os.path.join(folder, "Diagnostics") + "/"]
    elapsed = timed(args, cwd=ROOT)
    shutil.rmtree(out)
    return elapsed


def fenwright_once(program):
    folder = tempfile.mkdtemp(prefix="fenwright-bench.")
    station = os.path.join(folder, "station")
    shutil.copytree(EXAMPLE, station)
    args = [program, "0", "1", os.path.join(station, "Processing") + "/",
            os.path.join(station, "Diagnostics") + "/", os.path.join(station, "Configs") + "/"]
    elapsed = timed(args, cwd=ROOT)
    shutil.rmtree(folder)
    return elapsed


def report(label, times):
    times = sorted(times)
    q = statistics.quantiles(times, n=4) if len(times) >= 2 else [times[0]] * 3
    peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
    print("%-36s median %8.2f ms  quartiles %.2f-%.2f  range %.2f-%.2f ms  (%d runs)  peak so far %.1f MiB"
          % (label, statistics.median(times) * 1e3, q[0] * 1e3, q[2] * 1e3, times[0] * 1e3,
             times[-1] * 1e3, len(times), peak / 1024.0))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=21)
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    args = parser.parse_args()
    quillmoor = os.path.join(args.build, "Quillmoor", "Quillmoor")
    fenwright = os.path.join(args.build, "Fenwright", "Fenwright")
    for program in (quillmoor, fenwright):
        if not os.access(program, os.X_OK):
            sys.exit("build the project first (scripts/setup.sh): %s is missing" % program)

    report("Quillmoor, example (622 vectors)",
           [quillmoor_once(quillmoor, EXAMPLE) for _ in range(args.runs)])
    folder = tempfile.mkdtemp(prefix="quillmoor-bench.")
    vectors = make_synthetic_station.make_station(os.path.join(folder, "station"), 280, 360, 1,
                                                  diagnostics=False)
    report("Quillmoor, synthetic (%d vectors)" % vectors,
           [quillmoor_once(quillmoor, os.path.join(folder, "station"))
            for _ in range(max(3, args.runs // 3))])
    shutil.rmtree(folder)
    report("Fenwright, example (30-row week)", [fenwright_once(fenwright) for _ in range(args.runs)])


if __name__ == "__main__":
    main()
