#!/usr/bin/env python3
"""Whole zevac runs on generated models of 100, 1,000 and 10,000 procedures.

Usage: bench_compile.py [BUILD/bin]   (default: build/bench/bin)

For each size, model_generator writes a model (fixed seed); the I/O floor
tool (../shared/tools/floor.cpp from the repository root, compiled into the
build folder) parses and writes it back; `zevac compile --stats` runs on a
fresh copy. Prints one table of the phases, each against the floor (the
save also per object written: zevac saves the compiled repository, the floor
writes back the input), and the peak memory per object, then how each phase
grows from size to size.
"""

import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

SIZES = (100, 1000, 10000)
SEED = 1
RUNS = 3
SLOW_S = 20.0  # a size whose first run takes longer is run once

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FLOOR_SRC = os.path.normpath(os.path.join(ROOT, "..", "shared", "tools", "floor.cpp"))

STATS = re.compile(r"zevac: stats: load ([\d.]+) ms, compile ([\d.]+) ms, "
                   r"save ([\d.]+) ms, objects (\d+) before, (\d+) after")
FLOOR = re.compile(r"floor: load ([\d.]+) ms \(parse [\d.]+ ms\), "
                   r"save ([\d.]+) ms, objects (\d+)")


def fail(message):
    sys.exit(f"bench_compile: {message}")


def run(argv, cwd):
    """Runs argv; returns (exit status, stdout+stderr text, max RSS bytes)."""
    with tempfile.TemporaryFile() as out:
        child = subprocess.Popen(argv, cwd=cwd, stdout=out, stderr=subprocess.STDOUT)
        # wait4 gives this child's own usage, unlike RUSAGE_CHILDREN,
        # which keeps the maximum over every child so far.
        _, status, usage = os.wait4(child.pid, 0)
        child.returncode = os.waitstatus_to_exitcode(status)
        out.seek(0)
        text = out.read().decode(errors="replace")
    return child.returncode, text, usage.ru_maxrss * 1024


def build_floor(build_dir):
    if not os.path.exists(FLOOR_SRC):
        print(f"bench_compile: {FLOOR_SRC} is missing; the floor columns stay empty")
        return None
    exe = os.path.join(build_dir, "floor")
    if not os.path.exists(exe) or os.path.getmtime(exe) < os.path.getmtime(FLOOR_SRC):
        subprocess.run(["g++", "-O3", "-std=c++20", FLOOR_SRC, "-o", exe], check=True)
    return exe


def measure(bin_dir, floor, work, n):
    model = os.path.join(work, f"model_{n}.json")
    code, text, _ = run([os.path.join(bin_dir, "model_generator"), str(n), str(SEED), model], work)
    if code != 0:
        fail(f"model_generator {n} failed:\n{text}")
    row = {"n": n, "mb": os.path.getsize(model) / 1e6}

    if floor:
        loads, saves = [], []
        for _ in range(RUNS):
            code, text, _ = run([floor, model], work)
            m = FLOOR.search(text)
            if code != 0 or not m:
                fail(f"floor failed on {model}:\n{text}")
            loads.append(float(m.group(1)))
            saves.append(float(m.group(2)))
        row["floor_load"] = statistics.median(loads)
        row["floor_save"] = statistics.median(saves)
        row["floor_objects"] = int(m.group(3))

    loads, compiles, saves, rss = [], [], [], []
    copy = os.path.join(work, "copy.json")
    for i in range(RUNS):
        shutil.copyfile(model, copy)
        started = time.monotonic()
        code, text, peak = run([os.path.join(bin_dir, "zevac"), "compile", copy,
                                "--stats"], work)
        elapsed = time.monotonic() - started
        m = STATS.search(text)
        if code != 0 or not m:
            fail(f"zevac compile of the {n}-procedure model exited {code}:\n{text[-2000:]}")
        loads.append(float(m.group(1)))
        compiles.append(float(m.group(2)))
        saves.append(float(m.group(3)))
        row["after"] = int(m.group(5))
        rss.append(peak)
        if i == 0 and elapsed > SLOW_S:
            break
    row["runs"] = len(loads)
    row["load"] = statistics.median(loads)
    row["compile"] = statistics.median(compiles)
    row["save"] = statistics.median(saves)
    row["rss"] = max(rss)
    os.remove(copy)
    os.remove(model)
    return row


def ratio(a, b):
    return f"{a / b:.1f}x" if b else ""


def print_table(rows):
    head = ("N", "objects after", "file MB", "load ms", "x floor", "compile ms",
            "x floor load", "save ms", "x floor save", "x per object",
            "peak RSS B/object", "runs")
    lines = []
    for r in rows:
        fl, fs = r.get("floor_load"), r.get("floor_save")
        lines.append((f"{r['n']:,}", f"{r['after']:,}", f"{r['mb']:.1f}",
                      f"{r['load']:.1f}", ratio(r["load"], fl) if fl else "",
                      f"{r['compile']:.1f}", ratio(r["compile"], fl) if fl else "",
                      f"{r['save']:.1f}", ratio(r["save"], fs) if fs else "",
                      f"{r['save'] / r['after'] / (fs / r['floor_objects']):.2f}x"
                      if fs else "",
                      f"{r['rss'] / r['after']:.0f}", str(r["runs"])))
    widths = [max(len(h), *(len(l[i]) for l in lines)) for i, h in enumerate(head)]
    print("  ".join(h.rjust(w) for h, w in zip(head, widths)))
    for l in lines:
        print("  ".join(c.rjust(w) for c, w in zip(l, widths)))
    if any("floor_load" in r for r in rows):
        print("floor (ms): " + ", ".join(
            f"N={r['n']:,} load {r['floor_load']:.1f} save {r['floor_save']:.1f}"
            for r in rows))

    print()
    print("growth        load  compile  save  objects after  peak RSS")
    for a, b in zip(rows, rows[1:]):
        print(f"{a['n']:>6,} -> {b['n']:<6,}" +
              "".join(f"{b[k] / a[k]:>{w}.1f}x" for k, w in
                      (("load", 5), ("compile", 8), ("save", 5),
                       ("after", 14), ("rss", 9))))


def main():
    bin_dir = os.path.abspath(sys.argv[1] if len(sys.argv) > 1
                              else os.path.join(ROOT, "build", "bench", "bin"))
    for tool in ("model_generator", "zevac"):
        if not os.path.exists(os.path.join(bin_dir, tool)):
            fail(f"{tool} not found in {bin_dir}; build with -DZEVA_BENCH=ON")
    build_dir = os.path.dirname(bin_dir)
    floor = build_floor(build_dir)
    work = tempfile.mkdtemp(prefix="bench_compile_", dir=build_dir)
    try:
        rows = []
        for n in SIZES:
            rows.append(measure(bin_dir, floor, work, n))
        print_table(rows)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
