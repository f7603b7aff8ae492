#!/usr/bin/env python3
"""How soon a scanner with a backlog shows its window and converts.

    bench/startup_backlog.py [PROGRAM] [--files N] [--runs R]

Makes a fresh deployment (--init) with copies of N complete exsitu files
(33 positions, made once) waiting in its exsitu input folder, written a minute ago so they
are settled, starts the scanner headless (its window on the offscreen
platform) and times from the start to its journal's first `state: ` line
(the window is made and its panel filled, just before it is shown) and to
the first `history: ` line (the first file converted). R runs, each on a
fresh deployment; prints every run and the best.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from compare_batch import exsitu_text  # noqa: E402


def write_backlog(folder, files):
    os.makedirs(folder)
    written = time.time() - 60
    for plate in range(1, files + 1):
        path = os.path.join(folder, "traverse_%d.csv" % plate)
        with open(path, "w", encoding="cp1252", newline="") as f:
            f.write(exsitu_text(plate))
        os.utime(path, (written, written))


def deployment_with_backlog(work, program, backlog):
    folder = os.path.join(work, "deployment")
    subprocess.run([program, "--init", folder], check=True, stdout=subprocess.DEVNULL)
    exsitu = os.path.join(folder, "input", "exsitu")
    os.rmdir(exsitu)
    shutil.copytree(backlog, exsitu)
    return folder


def one_run(program, backlog):
    work = tempfile.mkdtemp(prefix="startup_backlog.", dir=os.getcwd())
    try:
        folder = deployment_with_backlog(work, program, backlog)
        env = dict(os.environ, DISPLAY="", WAYLAND_DISPLAY="", QT_QPA_PLATFORM="offscreen",
                   XDG_DATA_HOME=os.path.join(work, "user"),
                   XDG_RUNTIME_DIR=os.path.join(work, "runtime"))
        os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
        started = time.monotonic()
        scanner = subprocess.Popen([program, "--program-folder", folder], env=env,
                                   stderr=subprocess.PIPE, text=True, errors="replace")
        shown = converted = None
        for line in scanner.stderr:
            now = time.monotonic() - started
            if shown is None and line.startswith("state: "):
                shown = now
            if converted is None and line.startswith("history: "):
                converted = now
                break
        scanner.terminate()
        scanner.communicate(timeout=60)
        return shown, converted
    finally:
        shutil.rmtree(work, ignore_errors=True)


def report(run, times, files):
    shown, converted = times
    print("run %d: %d files waiting: window %.3f s, first file converted %.3f s"
          % (run + 1, files, shown, converted), flush=True)
    return times


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program", nargs="?", default="build/bin/DORNIK_spectrum_scanner")
    parser.add_argument("--files", type=int, default=5000)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    program = os.path.abspath(args.program)
    results = []
    backlog = tempfile.mkdtemp(prefix="startup_backlog.", dir=os.getcwd())
    try:
        write_backlog(os.path.join(backlog, "files"), args.files)
        for run in range(args.runs):
            results.append(report(run, one_run(program, os.path.join(backlog, "files")), args.files))
    finally:
        shutil.rmtree(backlog, ignore_errors=True)
    print("best: window %.3f s, first file converted %.3f s"
          % (min(r[0] for r in results), min(r[1] for r in results)))


if __name__ == "__main__":
    main()
