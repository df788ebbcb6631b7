#!/usr/bin/env python3
"""Writes the bundled example station under examples/station/.

A made-up site "BRNK" on a west-facing coast, measured on 2026-12-06 at
14:00 local time (PST). Besides the radial file and the configuration, the
processing folder gets the list of spectra to process, the reduced cross
spectra file it names and the radial diagnostics line of the hour, and the
diagnostics folder the week's radial (".rdt") and receiver (".hdt") reports,
as the station's software and Fenwright leave them. The radial vectors are the radial components of a
smooth synthetic current field (a 25 cm/s south-going flow with an eddy
offshore) plus a little noise, over 30 range cells of 1.5 km, bearings every
5 degrees across the sea sector. Files are written the way the station's own
software lays them out; run this script again to remake them exactly (the
noise is seeded).
"""
import math
import os
import random
import struct
import uuid
from datetime import datetime, timedelta

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


# ---- Spectra, diagnostics line and the week's reports ----------------------

SPECTRA_NAME = "CSS_BRNK_26_12_06_1400.cs"
SWEEP_RATE_HZ = 4.0        # 512 sweeps of 0.25 s: 0.0078125 Hz per Doppler cell
BANDWIDTH_KHZ = 100.0      # 1.5 km range cells
SWEEP_UP = 0               # the example's transmitter sweeps downwards
DOPPLER_CELLS = 512
SPECTRA_RANGE_CELLS = 31
WEEK_START = datetime(2026, 12, 6)   # the Sunday of the map's week
REPORT_NAME = "STAT_%s_%s" % (SITE, WEEK_START.strftime("%Y_%m_%d"))
# The diagnostics of the map's hour, as the radial diagnostics line gives them.
DIAG_VALUES = dict(amp=(0.8532, 1.1274), phases=(-42.3, 117.8, -12.5, 88.1),
                   noise=((-148.2, -147.6), (-151.3, -150.9), (-149.8, -150.2)),
                   snr=(18.4, 15.2, 16.9), cell=12, doppler=387, dual=8.6)


def chunk(key, payload):
    return key + struct.pack(">I", len(payload)) + payload


def spectra_header():
    """The 100-byte version-5 spectra header, big-endian."""
    t = seconds_1904(MAP_TIME)
    h = struct.pack(">hIi", 5, t, 90) + struct.pack(">hi", 2, 84) + SITE.encode() + struct.pack(">i", 76)
    h += struct.pack(">3if", 0, 0, 0, 0.0)
    h += struct.pack(">ffiiiifi", SWEEP_RATE_HZ, BANDWIDTH_KHZ, SWEEP_UP, DOPPLER_CELLS,
                     SPECTRA_RANGE_CELLS, 1, CELL_KM, 28)
    h += struct.pack(">i", 0) + b"XXXX" + b"1.00" + struct.pack(">4i", 3, 3, 7, 0)
    assert len(h) == 100
    return h


def encode(values):
    """Integers as a compressed array: one absolute value, then 8-bit deltas
    (16-bit where a step is larger), in runs of at most 256."""
    out = bytearray(b"\x9c" + struct.pack(">i", values[0]))
    deltas = [b - a for a, b in zip(values, values[1:])]
    i = 0
    while i < len(deltas):
        wide = abs(deltas[i]) > 127
        run = []
        while i < len(deltas) and len(run) < 256 and (abs(deltas[i]) > 127) == wide:
            run.append(deltas[i])
            i += 1
        out += (b"\x82" if wide else b"\x81") + bytes([len(run) - 1])
        out += b"".join(struct.pack(">h" if wide else ">b", d) for d in run)
    return bytes(out)


def write_spectra(rng):
    """A reduced cross spectra file ('CSSW': cross spectra as decibel magnitude
    and phase): sea echo with two first-order Bragg peaks that weaken with
    range over a noise floor near -150 dB, on a 0.1 dB scale; phases on a
    0.1 degree scale."""
    bragg = DOPPLER_CELLS // 2 + 48
    body = chunk(b"cs4h", spectra_header())
    body += chunk(b"srcn", b"CSQ_BRNK_26_12_06_1400.csq")
    db_scale = chunk(b"scal", struct.pack(">ifff", 1, -200.0, 0.0, 2000.0))
    phase_scale = chunk(b"scal", struct.pack(">ifff", 1, -180.0, 180.0, 3600.0))
    for cell in range(1, SPECTRA_RANGE_CELLS + 1):
        peak = -60.0 - 2.2 * cell
        level = []
        for d in range(DOPPLER_CELLS):
            db = -150.0 + rng.gauss(0, 0.8)
            for centre, height in ((bragg, peak), (DOPPLER_CELLS - bragg, peak - 6)):
                db = max(db, height - 2.5 * abs(d - centre))
            level.append(db)
        steps = lambda dbs: [int(round((v + 200.0) * 10)) for v in dbs]
        body += chunk(b"indx", struct.pack(">i", cell)) + db_scale
        for key, offset in ((b"cs1a", 0.0), (b"cs2a", -1.2), (b"cs3a", 0.8)):
            body += chunk(key, encode(steps([v + offset for v in level])))
        for key in (b"c12m", b"c13m", b"c23m"):
            body += chunk(key, encode(steps([v - 3.0 for v in level])))
        body += phase_scale
        for key, phase in ((b"c12a", -42.3), (b"c13a", 117.8), (b"c23a", 160.1)):
            body += chunk(key, encode([int(round((phase + 180.0 + rng.gauss(0, 4)) * 10)) % 3600
                                       for _ in range(DOPPLER_CELLS)]))
    with open(os.path.join(PROC, SPECTRA_NAME), "wb") as f:
        f.write(chunk(b"CSSW", body))
    with open(os.path.join(PROC, "SpectraToProcess.txt"), "w") as f:
        # Relative to the repository folder, where the example is run from.
        f.write("examples/station/Processing/%s\n" % SPECTRA_NAME)


def write_diag_info():
    v = DIAG_VALUES
    numbers = list(v["amp"]) + list(v["phases"]) + [x for pair in v["noise"] for x in pair]
    numbers += list(v["snr"])
    text = " ".join("%g" % x for x in numbers)
    text += " %d %d %d %g\n" % (seconds_1904(MAP_TIME), v["cell"], v["doppler"], v["dual"])
    with open(os.path.join(PROC, "RadialDiagInfo.txt"), "w") as f:
        f.write(text)


def report_head(kind, rows, columns):
    lines = [b"%BTF: 1.00", b'%FileType: DIAG ' + kind + b' "Tesmara Report"',
             b"%Owner: Brenvik Marine", b'%Site: ' + SITE.encode() + b' ""',
             b"%TimeStamp: " + WEEK_START.strftime("%Y %m %d  %H %M %S").encode(),
             b"%UUID: " + str(uuid.UUID(int=random.Random(kind).getrandbits(128), version=4)).upper().encode()]
    return lines, [b"%TableType: " + kind + (b" rad1" if kind == b"rads" else b" rcv2"),
                   b"%%TableColumns: %d" % len(columns), b"%TableColumnTypes: " + b" ".join(columns) + b" ",
                   b"%%TableRows: %d" % rows, b"%TableStart:"]


def report_tail(tool):
    return [b"%TableEnd:", b"%%", b"%ProcessedTimeStamp: " +
            (MAP_TIME + timedelta(minutes=4)).strftime("%Y %m %d  %H %M %S").encode(),
            b'%ProcessingTool: "' + tool + b'" 0.1.0d1', b"%End:"]


def table_rows(rows):
    """Table rows as the table file writer lays them out: one blank, then the
    row's own text (which starts with blanks of its own), so that the reports'
    programs write the old rows back byte for byte."""
    return [b" " + row for row in rows]


def write_radial_report(rng, vectors):
    """Fenwright's week so far: one row per hourly radial file and pattern
    (ideal, type 1; measured, type 2), the map's own hour last."""
    columns = b"TIME AMP1 AMP2 PH13 PH23 CPH1 CPH2 SNF1 SNF2 SNF3 SSN1 SSN2 SSN3 DGRC DOPV DDAP RADV RAPR RARC RADR RMCV RACV RABA RTYP STYP TYRS TMON TDAY THRS TMIN TSEC".split()
    v = DIAG_VALUES
    rows = []
    for hour in range(MAP_TIME.hour + 1):
        t = WEEK_START + timedelta(hours=hour)
        last = hour == MAP_TIME.hour
        for kind in (1, 2):
            amp = v["amp"] if last else (v["amp"][0] + rng.gauss(0, 0.03), v["amp"][1] + rng.gauss(0, 0.03))
            ph = v["phases"] if last else tuple(p + rng.gauss(0, 1.5) for p in v["phases"])
            noise = [sum(pair) / 2 + (0 if last else rng.gauss(0, 0.7)) for pair in v["noise"]]
            snr = v["snr"] if last else tuple(x + rng.gauss(0, 1.2) for x in v["snr"])
            count = vectors if last and kind == 1 else int(vectors * rng.uniform(0.85, 1.05))
            dual = v["dual"] if last else abs(rng.gauss(9, 2))
            row = b" %9d" % int((t - WEEK_START).total_seconds())
            row += b"  %7.4f %7.4f" % amp
            row += b"  %6.1f  %6.1f" % ph[:2] + b"  %6.1f %6.1f" % ph[2:]
            row += b"  %4.f. %4.f. %4.f." % tuple(noise)
            row += b"  %+3.f. %+3.f. %+3.f." % tuple(snr)
            row += b" %4d  %6d  %4.f" % (v["cell"], v["doppler"] if last else rng.randint(360, 400), dual + 0.5)
            # The map's own row carries Fenwright's statistics of the example's vectors.
            per_range, max_km, speeds = (22, 45.0, (-28.1, 10.1, -110.1)) if last and kind == 1 else (
                count // 28, rng.choice((43.5, 45.0, 46.5)),
                (-28 + rng.gauss(0, 3), 10 + rng.gauss(0, 1), -110 + rng.gauss(0, 4)))
            row += b" %5d  %5d %5d %6.1f" % (count, per_range, CELLS, max_km)
            row += b" %6.1f %6.1f  %6.1f" % speeds
            row += b"    %4d" % kind + b"  %5d" % ord("S")
            row += b"   " + t.strftime("%Y %m %d  %H %M %S").encode()
            rows.append(row)
    head, table = report_head(b"rads", len(rows), columns)
    headings = [
        b"%%   Time       Calculated      Calculated     Corrected        Noise Floor     SignalToNoise   Diag  Valid  Dual  Radial RadsV Rads   Max   Vel    Vel    Bearing  Radial Spectra Time",
        b"%% FromStart   Amp1    Amp2   Phase13 Phase23 Phase1 Phase2   NF1   NF2   NF3   SN1  SN2  SN3   Range Dopplr Angle Vector  per  Range Range  Max    Aver   Average   Type   Type   Year Mo Dy  Hr Mn  S",
        b"%%  Seconds  (1/v^2) (1/v^2)   (deg)   (deg)   (deg)  (deg)  (dBm) (dBm) (dBm)  (dB) (dB) (dB)  Cell  Cells  Prcnt Count  Range Cells  (km) (cm/s) (cm/s) (deg CWN)",
    ]
    lines = head + table + headings + table_rows(rows) + report_tail(b"Fenwright")
    with open(os.path.join(DIAG, REPORT_NAME + ".rdt"), "wb") as f:
        f.write(b"\n".join(lines) + b"\n")


# Receiver columns: code, two headings, row format (the value's unit in the file).
RECEIVER_COLUMNS = [
    (b"TIME", b"  LogTime", b"  Minutes", b" %8.0f"), (b"RTMP", b" Rcvr", b"   " + DEG + b"C", b" %4.0f"),
    (b"MTMP", b" Awg3", b"   " + DEG + b"C", b" %4.0f"), (b"XTRP", b" XmtTrip", b" HexCode", b"   %02X   "),
    (b"RUNT", b" Awg3Run", b" Seconds", b" %7d"), (b"SP24", b" Supply", b" Volts ", b" %5.1f "),
    (b"SP05", b" +5VDC", b" Volts", b" %5.2f"), (b"SN05", b" -5VDC", b" Volts", b" %5.2f"),
    (b"SP12", b" +12VDC", b"  Volts", b" %6.2f"), (b"XPHT", b" XInt", b"   " + DEG + b"C", b" %4.0f"),
    (b"XAHT", b" XAmp", b"   " + DEG + b"C", b" %4.0f"), (b"XAFW", b" XForw", b" Watts", b" %5.0f"),
    (b"XARW", b" XRefl", b" Watts", b" %5.0f"), (b"XP28", b" X+Ampl", b"  Volts", b"  %5.2f"),
    (b"XP05", b" X+5VDC", b"  Volts", b"  %5.2f"), (b"GRMD", b" GpsRcv", b"  Mode ", b" %4d  "),
    (b"GDMD", b" GpsDsp", b"  Mode ", b" %4d  "), (b"PLLL", b"  PLL  ", b" Unlock", b" %5d "),
    (b"HTMP", b" HiRcvr", b"    " + DEG + b"C ", b" %6.1f"), (b"HUMI", b" Humid", b"    % ", b" %4.0f "),
    (b"RBIA", b" Supply", b"  Amps ", b" %5.2f "), (b"EXTA", b" Extern", b" InputA", b"  %03d  "),
    (b"EXTB", b" Extern", b" InputB", b"  %03d  "), (b"CRUN", b"  CompRunTime ", b"    Minutes   ", b" %12.2f"),
    (b"TYRS", b"  Year", b"      ", b"   %04d"), (b"TMON", b" Mo", b"   ", b" %02d"),
    (b"TDAY", b" Dy", b"   ", b" %02d"), (b"THRS", b" Hr", b"   ", b" %02d"),
    (b"TMIN", b" Mn", b"   ", b" %02d"), (b"TSEC", b"  S", b"   ", b" %02d"),
]


def write_receiver_report(rng):
    """The hardware log of the week so far, every ten minutes up to the time
    the map was processed, with the receiver's settings."""
    settings = [b"%Receiver: Brenvik Tesmara receiver 3",
                b"%TransmitCenterFreqMHz: 13.450000 MHz",
                b"%%TransmitBandwidthKHz: %.3f kHz" % BANDWIDTH_KHZ,
                b"%%TransmitSweepRateHz: %.6f Hz" % SWEEP_RATE_HZ,
                b"%SweepDirection: 1  %% 0=Up,1=Down"]
    rows = []
    boot = 3 * 86400 + 5000   # seconds the station computer had been running at the week start
    t = WEEK_START
    while t <= MAP_TIME + timedelta(minutes=20):
        seconds = (t - WEEK_START).total_seconds()
        hour = t.hour + t.minute / 60
        warm = 4 * math.sin((hour - 9) / 24 * 2 * math.pi)
        values = [seconds / 60, 31 + warm + rng.gauss(0, 0.3), 35 + warm, 0, int(86400 * 40 + seconds),
                  24.1 + rng.gauss(0, 0.05), 5.02, -5.01, 12.05, 33 + warm, 41 + warm,
                  78 + rng.gauss(0, 1.5), 2 + rng.gauss(0, 0.3), 27.9, 5.01, 1, 1, 0,
                  29.5 + warm, 38 + rng.gauss(0, 2), 4.35, 0, 0, (boot + seconds) / 60]
        values += [t.year, t.month, t.day, t.hour, t.minute, t.second]
        row = b"  " + b"".join(col[3] % value for col, value in zip(RECEIVER_COLUMNS, values))
        rows.append(row)
        t += timedelta(minutes=10)
    head, table = report_head(b"rcvr", len(rows), [c[0] for c in RECEIVER_COLUMNS])
    headings = [b"% " + b"".join(c[1] for c in RECEIVER_COLUMNS), b"% " + b"".join(c[2] for c in RECEIVER_COLUMNS)]
    # The reader sees "% " lines inside a table as comments; the writer's
    # WriteComment doubles the mark for them.
    headings = [b"%" + h for h in headings]
    lines = head + settings + table + headings + table_rows(rows) + report_tail(b"Tesmara")
    with open(os.path.join(DIAG, REPORT_NAME + ".hdt"), "wb") as f:
        f.write(b"\n".join(lines) + b"\n")


def main():
    for d in (PROC, CFG, DIAG):
        os.makedirs(d, exist_ok=True)
    rng = random.Random(20261206)
    n = write_radial_file(rng)
    write_radial_info()
    write_header()
    write_pattern()
    write_small_configs()
    write_spectra(random.Random(1400))
    write_diag_info()
    write_radial_report(random.Random(61), n)
    write_receiver_report(random.Random(62))
    print("example station written: %d vectors in %d range cells" % (n, CELLS))


if __name__ == "__main__":
    main()
