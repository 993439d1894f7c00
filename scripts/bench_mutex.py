#!/usr/bin/env python3
"""The mutex benchmark: `zevac run` against a hand-written floor.

bench_mutex.py BIN_DIR [--sizes N ...] [--runs R]

Compiles bench/mutex/mutex.zeva (it must compile without messages) and,
for each size N, writes the starting model (a ring of two processes and a
Ring object of size N), then runs, alternately and R times each,
mutex_floor (the same rule applications written by hand against the
repository library) and `zevac run --stats` on it. The two saved models
must be identical byte for byte. Prints, per size, the medians of the run
phase (load and save left out), their ratio, the growth of each from the
size before and the peak resident set of each process per object after the
run.
"""

import argparse
import filecmp
import os
import re
import statistics
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCE = os.path.join(ROOT, "bench", "mutex", "mutex.zeva")
SCRIPT = os.path.join("mutex", ".zeva", "Mutex", "kel", "MMscript.txt")
RUN_MS = re.compile(r"\brun ([\d.]+) ms.*objects (\d+) before, (\d+) after")


def launch(cmd, cwd):
    """Runs cmd; returns (exit status, stderr text, peak RSS in bytes)."""
    p = subprocess.Popen(cmd, cwd=cwd, stdout=subprocess.DEVNULL,
                         stderr=subprocess.PIPE, text=True)
    err = p.stderr.read()
    p.stderr.close()
    _, status, usage = os.wait4(p.pid, 0)
    return os.waitstatus_to_exitcode(status), err, usage.ru_maxrss * 1024


def timed(cmd, cwd):
    """Runs a program that prints its stats; returns (run ms, after, RSS)."""
    status, err, rss = launch(cmd, cwd)
    m = RUN_MS.search(err)
    if status != 0 or not m:
        sys.exit(f"bench_mutex: {' '.join(cmd)} failed ({status}):\n{err}")
    return float(m.group(1)), int(m.group(3)), rss


def start_model(n):
    return ('{"format": "zeva-repository", "version": 1, "objects": [\n'
            f'{{"id": 1, "class": "mutex::Ring", "attrs": {{"size": "{n}"}}}},\n'
            '{"id": 2, "class": "mutex::Process", '
            '"links": {"next": [3], "prev": [3]}},\n'
            '{"id": 3, "class": "mutex::Process", '
            '"links": {"next": [2], "prev": [2]}}\n]}\n')


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("bin")
    ap.add_argument("--sizes", type=int, nargs="+",
                    default=[1_000, 10_000, 100_000, 1_000_000])
    ap.add_argument("--runs", type=int, default=5)
    a = ap.parse_args()
    bin_dir = os.path.abspath(a.bin)
    zevac = os.path.join(bin_dir, "zevac")
    work = os.path.join(os.path.dirname(bin_dir), "mutex-bench")
    os.makedirs(work, exist_ok=True)

    status, err, _ = launch([zevac, "compile", SOURCE, "-o", "compiled.json"],
                            work)
    messages = [l for l in err.splitlines() if not l.startswith("zevac: wrote")]
    if status != 0 or messages:
        sys.exit(f"bench_mutex: {SOURCE} does not compile cleanly:\n{err}")

    print("| processes | floor run ms | zevac run ms | ratio | floor growth "
          "| zevac growth | floor peak RSS B/object "
          "| zevac peak RSS B/object |")
    print("|---|---|---|---|---|---|---|---|")
    last = None
    for n in a.sizes:
        if n < 2:
            sys.exit("bench_mutex: a ring has at least two processes")
        model = f"start_{n}.json"
        with open(os.path.join(work, model), "w") as f:
            f.write(start_model(n))
        floor, interp, floor_rss, interp_rss = [], [], [], []
        for _ in range(a.runs):
            ms, after, rss = timed([os.path.join(bin_dir, "mutex_floor"),
                                    SCRIPT, model, "floor.json"], work)
            floor.append(ms)
            floor_rss.append(rss)
            ms, after_z, rss = timed([zevac, "run", "compiled.json", "--model",
                                      model, "-o", "zevac.json", "--stats",
                                      "--quiet"], work)
            interp.append(ms)
            interp_rss.append(rss)
            filecmp.clear_cache()
            if after_z != after or after != n + 2 or not filecmp.cmp(
                    os.path.join(work, "floor.json"),
                    os.path.join(work, "zevac.json"), shallow=False):
                sys.exit(f"bench_mutex: with {n} processes, zevac run and the "
                         f"floor leave different models ({work}/floor.json, "
                         f"{work}/zevac.json)")
        f, z = statistics.median(floor), statistics.median(interp)
        growth = [f"{x / y:.1f}x" for x, y in zip((f, z), last)] if last \
            else ["", ""]
        print(f"| {n:,} | {f:.1f} | {z:.1f} | {z / f:.2f} "
              f"| {growth[0]} | {growth[1]} "
              f"| {max(floor_rss) / after:.0f} | {max(interp_rss) / after:.0f} |",
              flush=True)
        last = (f, z)
        for name in (model, "floor.json", "zevac.json"):
            os.remove(os.path.join(work, name))
    print(f"Medians of {a.runs} runs; both programs left identical models. "
          "Target: ratio at most 2 at 1,000,000 processes, growth at most 11x "
          "per tenfold size.")


if __name__ == "__main__":
    main()
