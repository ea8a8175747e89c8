#!/usr/bin/env python3
"""Receipts in CI, two builds side by side, in turns, so that both see the
same machine: marlix-run -p virtual --receipts on

  - each library stream of tests/data/library-streams (one receipt each),
    11 runs a build (ONE_RUNS to change), with and without --receipts:
    the run with receipts at most half of today's, and the first receipt
    at most 15 ms more than the same run without --receipts;
  - 1,000 text receipts (the streams of library-streams/characters in turn,
    each from a reset, each cut), RUNS rounds (5 unless set), written to
    tmpfs (/dev/shm) and to the disk (a folder beside the build): at least
    1.5 times today's rate on both. On the disk, each run writes into a new
    folder and, beside it, into the folder whose files the run before it
    had just deleted (what a CI job that cleans its output does): the
    difference is the file system's, not either build's.

Figures are medians of processor time (user + system), wall time beside
them. A benchmark: it prints figures; the tests do not run it.

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
LIBRARY = os.path.join(ROOT, "tests/data/library-streams")
TARGETS = {"one": 0.5, "first_ms": 15.0, "rate": 1.5}


def text_stream(path):
    """RECEIPTS text receipts: the character streams in turn, each from a reset, each cut."""
    streams = [open(f, "rb").read() for f in sorted(glob.glob(os.path.join(LIBRARY, "characters/*.bin")))]
    if not streams:
        sys.exit("receipts-speed: no streams in tests/data/library-streams/characters")
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


def file_system(folder):
    return subprocess.run(["stat", "-f", "-c", "%T", folder], capture_output=True, text=True).stdout.strip() or "?"


def verdict(met):
    return "met" if met else "NOT met"


def one_receipt(programs, scratch, runs):
    """Per library stream and build: medians (cpu, wall) in ms with and without --receipts."""
    streams = sorted(glob.glob(os.path.join(LIBRARY, "*/*.bin")))
    figures = {}
    for stream in streams:
        samples = {(n, mode): [] for n in programs for mode in ("receipts", "plain")}
        for _ in range(runs):
            for name, program in programs.items():
                out = os.path.join(scratch, name + "-one")
                shutil.rmtree(out, ignore_errors=True)
                cpu, wall, status = run(program, ["--receipts", out, stream], scratch)
                if status != 0:
                    sys.exit(f"receipts-speed: {program} --receipts {stream}: exit status {status}")
                samples[(name, "receipts")].append((cpu * 1000, wall * 1000))
                cpu, wall, _ = run(program, [stream], scratch)
                samples[(name, "plain")].append((cpu * 1000, wall * 1000))
        figures[os.path.relpath(stream, LIBRARY)] = {
            key: (statistics.median(c for c, _ in v), statistics.median(w for _, w in v)) for key, v in samples.items()}
    return figures


def thousand(programs, scratch, disk, rounds):
    """Per build and place: (receipts a second by processor time, by wall time) medians; PNG bytes a receipt."""
    places = {"tmpfs": scratch, "disk, new folder": disk, "disk, files just deleted": disk}
    cpu = {(n, p): [] for n in programs for p in places}
    wall = {(n, p): [] for n in programs for p in places}
    pngs = {}
    for r in range(rounds):
        for name, program in programs.items():
            for place, base in places.items():
                if place == "disk, new folder":
                    out = os.path.join(base, f"{name}-new-{r}")
                else:
                    out = os.path.join(base, name + "-out")
                    if place.endswith("deleted") and r == 0:
                        run(program, ["--receipts", out, "receipts.bin"], scratch)  # files to delete
                    for old in glob.glob(os.path.join(out, "*")):
                        os.remove(old)
                c, w, status = run(program, ["--receipts", out, "receipts.bin"], scratch)
                made = len(glob.glob(os.path.join(out, "receipt-*.png")))
                if status != 0 or made != RECEIPTS:
                    sys.exit(f"receipts-speed: {program} made {made} receipts, exit status {status}")
                cpu[(name, place)].append(RECEIPTS / c)
                wall[(name, place)].append(RECEIPTS / w)
                if place == "tmpfs":
                    files = glob.glob(os.path.join(out, "receipt-*.png"))
                    pngs[name] = sum(os.path.getsize(f) for f in files) / len(files)
    med = statistics.median
    return {k: med(v) for k, v in cpu.items()}, {k: med(v) for k, v in wall.items()}, list(places), pngs


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
    one_runs = int(os.environ.get("ONE_RUNS", "11"))
    scratch = tempfile.mkdtemp(prefix="receipts-speed-", dir="/dev/shm" if os.path.isdir("/dev/shm") else None)
    disk = tempfile.mkdtemp(prefix="receipts-speed-", dir=os.path.dirname(os.path.abspath(builds["after"])))
    os.environ["XDG_CONFIG_HOME"] = scratch  # the window's saved settings: none of the user's
    os.environ["QT_QPA_PLATFORM"] = "offscreen"
    try:
        size = text_stream(os.path.join(scratch, "receipts.bin"))
        one = one_receipt(programs, scratch, one_runs)
        rate_cpu, rate_wall, places, pngs = thousand(programs, scratch, disk, rounds)
        disk_type = file_system(disk)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
        shutil.rmtree(disk, ignore_errors=True)

    print(f"Receipts in CI: medians of processor time, wall time in brackets (a loaded machine shows in the wall time)")
    print(f"One receipt a stream, tests/data/library-streams, {one_runs} runs each (ms):")
    print(f"  {'stream':42}{'before':>16}{'after':>16}{'after/before':>13}{'after, no --receipts':>22}{'first receipt':>15}")
    totals = {"before": 0.0, "after": 0.0}
    worst_first = 0.0
    for stream, f in one.items():
        b, a, plain = f[("before", "receipts")], f[("after", "receipts")], f[("after", "plain")]
        first = a[0] - plain[0]
        worst_first = max(worst_first, first)
        totals["before"] += b[0]
        totals["after"] += a[0]
        print(f"  {stream:42}{b[0]:>7.1f} ({b[1]:>6.1f}){a[0]:>7.1f} ({a[1]:>6.1f}){a[0] / b[0]:>12.2f}x"
              f"{plain[0]:>12.1f} ({plain[1]:>6.1f}){first:>+14.1f}")
    one_x = totals["after"] / totals["before"]
    print(f"  all streams: after/before {one_x:.2f}x, at most {TARGETS['one']}x: {verdict(one_x <= TARGETS['one'])}")
    print(f"  first receipt, the most over the run without --receipts: {worst_first:+.1f} ms, at most "
          f"+{TARGETS['first_ms']:.0f} ms: {verdict(worst_first <= TARGETS['first_ms'])}")
    print(f"{RECEIPTS:,} text receipts ({size:,} bytes), {rounds} rounds; the disk is {disk_type} (receipts a second):")
    print(f"  {'written to':30}{'before':>20}{'after':>20}{'after/before':>14}  target")
    for place in places:
        b, a = rate_cpu[("before", place)], rate_cpu[("after", place)]
        x = a / b
        print(f"  {place:30}{b:>10,.0f} ({rate_wall[('before', place)]:>6,.0f}){a:>10,.0f} ({rate_wall[('after', place)]:>6,.0f})"
              f"{x:>13.2f}x  at least {TARGETS['rate']}x: {verdict(x >= TARGETS['rate'])}")
    for name in programs:
        cost = {p: 1000.0 / rate_wall[(name, p)] - 1000.0 / rate_wall[(name, "tmpfs")] for p in places[1:]}
        print(f"  the disk's cost, {name}: " + ", ".join(f"{p}: {c:+.2f} ms a receipt (wall)" for p, c in cost.items()))
    print(f"  {'PNG bytes a receipt':30}{pngs['before']:>20,.0f}{pngs['after']:>20,.0f}{pngs['after'] / pngs['before']:>13.2f}x")


if __name__ == "__main__":
    main()
