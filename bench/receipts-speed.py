#!/usr/bin/env python3
"""Receipts in CI, two builds side by side: marlix-run -p virtual --receipts
on 1,000 library-made receipts (the streams of tests/data/library-streams in
turn, each cut), start-up for an empty file with --receipts, and a run
checked with --expect against one without. The builds run in turns, RUNS
rounds (5 unless set), in a scratch folder on /dev/shm where there is one
(the disk's own speed says nothing of either build); the figures are
medians of processor time (user + system), wall time beside them. A
benchmark: it prints figures; the tests do not run it.

    bench/receipts-speed.py BEFORE_BUILD [AFTER_BUILD]   (AFTER_BUILD: build)
"""
import glob
import os
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RECEIPTS = 1000
TARGETS = {"rate": 2.0, "startup": 0.4, "expect": 0.8}


def library_stream(path):
    """RECEIPTS receipts: the library streams in turn, each from a reset, each cut."""
    streams = [open(f, "rb").read() for f in sorted(glob.glob(os.path.join(ROOT, "tests/data/library-streams/*/*.bin")))]
    if not streams:
        sys.exit("receipts-speed: no streams in tests/data/library-streams")
    out = bytearray()
    for i in range(RECEIPTS):
        stream = streams[i % len(streams)]
        if not stream.startswith(b"\x1b@"):
            stream = b"\x1b@" + stream
        if b"\x1dV" not in stream[-8:]:
            stream += b"\n\x1dV\x00"
        out += stream
    with open(path, "wb") as f:
        f.write(out)
    return len(out)


def run(program, args, cwd):
    """(processor seconds, wall seconds, exit status) of one run."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    done = subprocess.run([program, "-p", "virtual", "--no-transcript", "--paper-length", "1000000"] + args, cwd=cwd,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return cpu, wall, done.returncode


def fresh(folder):
    shutil.rmtree(folder, ignore_errors=True)


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    builds = {"before": sys.argv[1], "after": sys.argv[2] if len(sys.argv) == 3 else os.path.join(ROOT, "build")}
    programs = {}
    for name, build in builds.items():
        programs[name] = os.path.join(os.path.abspath(build), "marlix-run")
        if not os.access(programs[name], os.X_OK):
            sys.exit(f"receipts-speed: {programs[name]} not built")
    rounds = int(os.environ.get("RUNS", "5"))
    scratch = tempfile.mkdtemp(prefix="receipts-speed-", dir="/dev/shm" if os.path.isdir("/dev/shm") else None)
    os.environ["XDG_CONFIG_HOME"] = scratch  # the window's saved settings: none of the user's
    os.environ["QT_QPA_PLATFORM"] = "offscreen"
    try:
        size = library_stream(os.path.join(scratch, "receipts.bin"))
        open(os.path.join(scratch, "empty.bin"), "wb").close()
        figures = {name: {"rate": [], "startup": [], "plain": [], "expect": []} for name in programs}
        walls = {name: {"rate": [], "startup": []} for name in programs}
        pngs = {}
        for name, program in programs.items():
            # Each build checks against a baseline of its own receipts.
            base = os.path.join(scratch, name + "-base")
            cpu, wall, status = run(program, ["--receipts", name + "-out", "--expect", base, "--update", "receipts.bin"], scratch)
            made = glob.glob(os.path.join(base, "receipt-*.png"))
            if status != 0 or len(made) != RECEIPTS:
                sys.exit(f"receipts-speed: {program} made {len(made)} receipts, exit status {status}")
            pngs[name] = sum(os.path.getsize(f) for f in made) / len(made)
        for _ in range(rounds):
            for name, program in programs.items():
                out = os.path.join(scratch, name + "-out")
                fresh(out)
                cpu, wall, _ = run(program, ["--receipts", out, "receipts.bin"], scratch)
                figures[name]["rate"].append(RECEIPTS / cpu)
                walls[name]["rate"].append(RECEIPTS / wall)
                figures[name]["plain"].append(cpu)
                fresh(out)
                cpu, wall, status = run(program, ["--receipts", out, "--expect", os.path.join(scratch, name + "-base"),
                                                  "receipts.bin"], scratch)
                if status != 0:
                    sys.exit(f"receipts-speed: {program} --expect against its own baseline: exit status {status}")
                figures[name]["expect"].append(cpu)
                for _ in range(10):
                    fresh(out)
                    cpu, wall, _ = run(program, ["--receipts", out, "empty.bin"], scratch)
                    figures[name]["startup"].append(cpu * 1000)
                    walls[name]["startup"].append(wall * 1000)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)

    med = statistics.median
    rate = {n: med(figures[n]["rate"]) for n in programs}
    rate_wall = {n: med(walls[n]["rate"]) for n in programs}
    startup = {n: med(figures[n]["startup"]) for n in programs}
    startup_wall = {n: med(walls[n]["startup"]) for n in programs}
    # As fast with --expect as without: the run's time without over its time with.
    expect = {n: med(figures[n]["plain"]) / med(figures[n]["expect"]) for n in programs}
    rate_x = rate["after"] / rate["before"]
    startup_x = startup["after"] / startup["before"]

    def verdict(met):
        return "met" if met else "NOT met"

    print(f"Receipts in CI: {RECEIPTS:,} receipts from tests/data/library-streams ({size:,} bytes), "
          f"{rounds} rounds in turns; medians of processor time, wall time in brackets")
    print(f"  {'':30}{'before':>20}{'after':>20}{'after/before':>14}  target")
    print(f"  {'receipts a second':30}{rate['before']:>10,.0f} ({rate_wall['before']:>6,.0f})"
          f"{rate['after']:>10,.0f} ({rate_wall['after']:>6,.0f}){rate_x:>13.2f}x  at least 2x: "
          f"{verdict(rate_x >= TARGETS['rate'])}")
    print(f"  {'start-up, empty file (ms)':30}{startup['before']:>10.1f} ({startup_wall['before']:>6.1f})"
          f"{startup['after']:>10.1f} ({startup_wall['after']:>6.1f}){startup_x:>13.2f}x  at most 0.4x: "
          f"{verdict(startup_x <= TARGETS['startup'])}")
    print(f"  {'--expect, as fast as without':30}{expect['before']:>20.2f}{expect['after']:>20.2f}{'':>14}  "
          f"at least 0.8: {verdict(expect['after'] >= TARGETS['expect'])}")
    print(f"  {'PNG bytes a receipt':30}{pngs['before']:>20,.0f}{pngs['after']:>20,.0f}"
          f"{pngs['after'] / pngs['before']:>13.2f}x")


if __name__ == "__main__":
    main()
