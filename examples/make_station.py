#!/usr/bin/env python3
"""Writes the bundled example station under examples/station/.

A made-up site "BRNK" on a west-facing coast, measured on 2026-12-06 at
14:00 local time (PST). The radial vectors are the radial components of a
smooth synthetic current field (a 25 cm/s south-going flow with an eddy
offshore) plus a little noise, over 30 range cells of 1.5 km, bearings every
5 degrees across the sea sector. Files are written the way the station's own
software lays them out; run this script again to remake them exactly (the
noise is seeded).
"""
import math
import os
import random
from datetime import datetime

HERE = os.path.dirname(os.path.abspath(__file__))
STATION = os.path.join(HERE, "station")
PROC = os.path.join(STATION, "Processing")
CFG = os.path.join(STATION, "Configs")
DIAG = os.path.join(STATION, "Diagnostics")

SITE = "BRNK"
LAT, LON = 36.9512, -122.0634
ANTENNA_BEARING = 250.0          # clockwise from north, facing the sea
REFERENCE_BEARING = 0.0          # classic files count angles from here
CELL_KM = 1.5
CELLS = 30
MAP_TIME = datetime(2026, 12, 6, 14, 0, 0)
DEG = b"\xa1"


def seconds_1904(t):
    return int((t - datetime(1904, 1, 1)).total_seconds())


def as_signed32(n):
    return n - (1 << 32) if n >= (1 << 31) else n


def lat_lon_text():
    """Degrees and minutes with three decimals, as the classic files write them."""
    def part(value, width, pos, neg):
        a = abs(value) + 8.33333333333333e-06
        d = int(a)
        m = (a - d) * 60
        whole = int(m)
        thousandths = int((m - whole) * 1000)
        return b"%0*d%s%02d.%03d'%s" % (width, d, DEG, whole, thousandths,
                                       (pos if value >= 0 else neg).encode())
    return part(LAT, 2, "N", "S") + b"," + part(LON, 3, "E", "W")


def radial_speed(range_km, bearing):
    """cm/s, positive towards the site."""
    b = math.radians(bearing)
    x, y = range_km * math.sin(b), range_km * math.cos(b)   # km east, north
    u, v = 3.0, -25.0                                        # background flow
    ex, ey, r = -20.0, -8.0, 9.0                             # eddy centre and size
    dx, dy = x - ex, y - ey
    swirl = 30.0 * math.exp(-(dx * dx + dy * dy) / (2 * r * r))
    u += -swirl * dy / r
    v += swirl * dx / r
    away = u * math.sin(b) + v * math.cos(b)
    return -away


def write_radial_file(rng):
    t = seconds_1904(MAP_TIME)
    label = "14:00:00  Sunday, December 6, 2026 PST"
    lines = [b" %-47.47s               %d\n" % (label.encode(), as_signed32(t))]
    lines.append(b" %-31.31s\n" % lat_lon_text())
    lines.append(b" %6.3f  %6.3f  %5.1f  %6.3f\n" % (CELL_KM, CELL_KM, 90.0 - REFERENCE_BEARING, 1.0))
    lines.append(b" %d\n" % CELLS)
    count = 0
    for cell in range(1, CELLS + 1):
        range_km = cell * CELL_KM
        # Coverage narrows and thins out with range.
        half_width = 75 if cell < 18 else 75 - 4 * (cell - 17)
        bearings = [b for b in range(180, 321, 5)
                    if abs(b - 250) <= half_width and rng.random() < (0.95 if cell < 20 else 0.6)]
        if cell == 27:
            bearings = []   # a cell where nothing was resolved
        lines.append(b" %-3d %-3d\n" % (len(bearings), cell))
        if not bearings:
            continue
        count += len(bearings)
        angles = [(360 - b + REFERENCE_BEARING) % 360 for b in bearings]
        speeds = [radial_speed(range_km, b) + rng.gauss(0, 2.5) for b in bearings]
        quality = [abs(rng.gauss(1.5, 0.6)) for _ in bearings]
        for values in (angles, speeds, quality):
            fmt = b"  %9.1f" if values is angles else b"  %9.2f"
            for i in range(0, len(values), 7):
                lines.append(b" " + b"".join(fmt % v for v in values[i:i + 7]) + b"\n")
    params = [
        ("NumMergeRads", "3"), ("CenterFreqMHz", "13.450000000"), ("DopplerFreqHz", "0.007812500"),
        ("LimitMaxCurrent", "150.00\t!cm/s"), ("AverFirmssPts", "5"), ("FactorDownPeakLimit", "15.85"),
        ("UseSecondOrder", "1"), ("FactorDownPeakNull", "100.00"), ("FactorAboveNoise", "5.01"),
        ("AmpAdjustFactors", "0.0000 0.0000"), ("MusicParams", "20.00 10.00 3.00"),
        ("RadSmoothing", "0"), ("MinRadVectorPts", "2"), ("AmpCalculated", "0.8120 0.9434"),
        ("PhaseAdjustFactors", "0.00 0.00"), ("PhaseCalculated", "-41.30 102.70"),
        ("FirstOrderCalc", "1"), ("MergeMethod", "1"),
    ]
    for key, value in params:
        lines.append(b" %32.32s %s\n" % (key.encode(), value.encode()))
    lines.append(b" %32.32s %s\n" % (b"SpectraToRadial", b"11.4.2"))
    lines.append(b" %32.32s %s\n" % (b"RadialMerger", b"11.4.2"))
    lines.append(b"!END\n")
    with open(os.path.join(PROC, "RadialData.txt"), "wb") as f:
        f.write(b"".join(lines))
    return count


def write_radial_info():
    text = (" NumMergeRads 3\n"
            " CenterFreqMHz 13.450000000\n"
            " DopplerFreqHz 0.007812500\n"
            " MusicParams 20.00 10.00 3.00\n"
            " PatternMethod 1\n"
            " SpectraToRadial 11.4.2\n")
    with open(os.path.join(PROC, "RadialInfo.txt"), "w") as f:
        f.write(text)


def write_header():
    lines = [
        '1 %s "Brenvik Point"      ! site number, code and name' % SITE,
        "%.4f %.4f               ! latitude, longitude" % (LAT, LON),
        "%.1f                      ! antenna bearing, degrees clockwise from north" % ANTENNA_BEARING,
        "30 0.999 0.999",
        "90.0", "1.0", "0.0", "512", "0.00390625",
        '"Brenvik" 0.0 "Processing"',
        "150.0 2 1.0", "15.0 1 100.0", "0", "2 17.0",
        "7.5 4.0 10.0 3.0", "1024 1024 1024", "1.0 1.0 1.0 1.0", "0.0 0.0",
        "20.0 10.0 3.0 15.0 15.0 25.0 15.0",
        "-_",
        "75.0 60.0 0.0 0", "5.0", "75.0 60.0 0.0 0", "1.0", "0", "0.0 0.0", "1 1", "360.0",
    ]
    with open(os.path.join(CFG, "Header.txt"), "w") as f:
        f.write("\n".join(lines) + "\n")


def write_pattern():
    """An ideal pattern: cosine responses of two crossed loops, every 5 degrees."""
    bearings = list(range(0, 360, 5))
    n = len(bearings)
    a13r = [math.cos(math.radians(b)) for b in bearings]
    a23r = [math.sin(math.radians(b)) for b in bearings]
    zeros = [0.0] * n
    out = ["%d" % n]
    for i in range(0, n, 10):
        out.append(" ".join("%.1f" % b for b in bearings[i:i + 10]))
    for block in (a13r, zeros, zeros, zeros, a23r, zeros, zeros, zeros):
        for i in range(0, n, 20):
            out.append(" ".join("%.5f" % v for v in block[i:i + 20]))
    out += [
        "! site information",
        "%.1f" % ANTENNA_BEARING,
        SITE,
        "%.4f %.4f" % (LAT, LON),
        "5.0",
        "0.0",
        "2026 11 2 9 30 0",
        " Ideal pattern of the example station",
        "UUID 6F1C2A3B-4D5E-4F60-8172-93A4B5C6D7E8",
    ]
    with open(os.path.join(CFG, "IdealPattern.txt"), "w") as f:
        f.write("\n".join(out) + "\n")


def write_small_configs():
    with open(os.path.join(CFG, "Phases.txt"), "w") as f:
        f.write("-41.3 102.7   ! phases of antennas 1 and 2, degrees\n")
    with open(os.path.join(CFG, "Quillmoor.pref"), "w") as f:
        f.write("; Quillmoor preferences of the example station\n"
                "\n"
                "[GreatCircle]\n"
                "Ellipsiod = WGS84  \t;; the ellipsoid for positions\n"
                "\n"
                "[Conversion]\n"
                "OutputLLUV = Tandem  \t;; Off,On,Tandem,XYUV\n")


def main():
    for d in (PROC, CFG, DIAG):
        os.makedirs(d, exist_ok=True)
    rng = random.Random(20261206)
    n = write_radial_file(rng)
    write_radial_info()
    write_header()
    write_pattern()
    write_small_configs()
    print("example station written: %d vectors in %d range cells" % (n, CELLS))


if __name__ == "__main__":
    main()
