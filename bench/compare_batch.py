#!/usr/bin/env python3
"""Batch exsitu conversion side by side, in one run on one set of files.

    bench/compare_batch.py [SCAN_FILE_TOOL] [--files N] [--rounds R]

Generates N complete exsitu files (33 positions, 404 lines) in a temporary
folder on the file system of the working folder, then times
  - scan_file_tool convert-exsitu (every check, durable group commit),
  - a lean Python converter (split each line once, float() every value,
    pack the scan file; no checks, no fsync),
  - cp of the same files (the floor of reading and writing them),
each R times (best time kept), and prints the times and the ratios.
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time

POSITIONS = 33
POINTS = 121
FIRST_LINES = (36, 160, 284)


def exsitu_text(plate):
    lines = ["filler %d" % n for n in range(1, 405)]
    lines[3] = "Plate,%d,x" % plate
    lines[7] = "Pos,mm,x," + ",".join(str(10 * (i + 1)) for i in range(POSITIONS))
    lines[9] = "  Sheet resistance "
    lines[10] = "R,Ohm,x," + ",".join(str(1.5 + i * 0.25) for i in range(POSITIONS))
    for s, first in enumerate(FIRST_LINES):
        for j in range(POINTS):
            values = ("%.3f" % ((s * 5000 + i * 121 + j + plate % 97) / 8.0) for i in range(POSITIONS))
            lines[first + j - 1] = "%d,nm,x,%s" % (380 + 5 * j, ",".join(values))
    return "\r\n".join(lines) + "\r\n"


def lean_convert(files, out):
    """What a minimal script does: no checks, no durability."""
    for path in files:
        with open(path, encoding="cp1252") as f:
            lines = f.read().splitlines()
        plate = int(lines[3].split(",")[1])
        positions = [int(v) for v in lines[7].split(",")[3:]]
        n = len(positions)
        sheet = [float(v) for v in lines[10].split(",")[3:]]
        rows = [[float(v) for v in lines[first + j - 1].split(",")[3:]]
                for first in FIRST_LINES for j in range(POINTS)]
        data = bytearray(struct.pack("<fiii", 1.2, n, 3, POINTS))
        data += struct.pack("<%di" % n, *positions)
        data += struct.pack("<%df" % n, *sheet)
        data += struct.pack("<3f", 380.0, 380.0, 380.0) + struct.pack("<3f", 980.0, 980.0, 980.0)
        data += struct.pack("<3i", POINTS, POINTS, POINTS)
        for p in range(n):
            for s in range(3):
                data += struct.pack("<%df" % POINTS, *(rows[s * POINTS + j][p] for j in range(POINTS)))
        data += struct.pack("<d", os.path.getmtime(path) / 86400.0 + 25569.0)
        with open(os.path.join(out, "%d.scn" % plate), "wb") as f:
            f.write(data)


def best_of(rounds, run, out):
    best = None
    for _ in range(rounds):
        shutil.rmtree(out, ignore_errors=True)
        os.makedirs(out)
        start = time.perf_counter()
        run()
        elapsed = time.perf_counter() - start
        best = elapsed if best is None else min(best, elapsed)
    return best


def main():
    args = sys.argv[1:]
    tool = "build/bin/scan_file_tool"
    count, rounds = 300, 5
    while args:
        arg = args.pop(0)
        if arg == "--files":
            count = int(args.pop(0))
        elif arg == "--rounds":
            rounds = int(args.pop(0))
        else:
            tool = arg
    with tempfile.TemporaryDirectory(dir=".") as folder:
        inputs = os.path.join(folder, "in")
        os.makedirs(inputs)
        files = []
        for n in range(count):
            path = os.path.join(inputs, "exsitu_%d.csv" % (1000 + n))
            with open(path, "w", encoding="cp1252", newline="") as f:
                f.write(exsitu_text(1000 + n))
            files.append(path)
        out = os.path.join(folder, "out")

        def run_tool():
            subprocess.run([tool, "convert-exsitu", out] + files, check=True,
                           stdout=subprocess.DEVNULL)

        timings = {
            "scan_file_tool": best_of(rounds, run_tool, out),
            "lean Python": best_of(rounds, lambda: lean_convert(files, out), out),
            "cp": best_of(rounds, lambda: subprocess.run(["cp"] + files + [out], check=True), out),
        }
    print("%d exsitu files of %d positions, best of %d, %d cores" %
          (count, POSITIONS, rounds, os.cpu_count()))
    for name, seconds in timings.items():
        print("  %-15s %7.3f s  %6.3f ms/file" % (name, seconds, seconds * 1000 / count))
    tool_time = timings["scan_file_tool"]
    print("  lean Python / scan_file_tool: %.1fx" % (timings["lean Python"] / tool_time))
    print("  scan_file_tool / cp:          %.1fx" % (tool_time / timings["cp"]))


if __name__ == "__main__":
    main()
