#!/usr/bin/env python3
"""`zevac run` against a hand-written floor.

bench_run.py BIN_DIR [--sizes N ...] [--runs R]

Compiles bench/run/chain.zeva (it must compile without messages), has
run_model_generator write an instance model of N objects for each size,
then runs, alternately and R times each, run_floor (the same changes made
by hand through the repository library) and `zevac run --stats` on it. The
two saved models must be identical byte for byte. Prints, per size, the
medians of the run phase (load and save left out), their ratio, the growth
of each from the size before and the peak resident set of each process.
"""

import argparse
import filecmp
import os
import re
import statistics
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCE = os.path.join(ROOT, "bench", "run", "chain.zeva")
SCRIPT = os.path.join("chain", ".zeva", "Chain", "kel", "MMscript.txt")
RUN_MS = re.compile(r"\brun ([\d.]+) ms.*objects (\d+) before, (\d+) after")


def launch(cmd, cwd):
    """Runs cmd; returns (exit status, stderr text, peak RSS in bytes)."""
    p = subprocess.Popen(cmd, cwd=cwd, stdout=subprocess.DEVNULL,
                         stderr=subprocess.PIPE, text=True)
    err = p.stderr.read()
    p.stderr.close()
    _, status, usage = os.wait4(p.pid, 0)
    p.returncode = os.waitstatus_to_exitcode(status)
    return p.returncode, err, usage.ru_maxrss * 1024


def timed(cmd, cwd):
    """Runs a program that prints its stats; returns (run ms, after, RSS)."""
    status, err, rss = launch(cmd, cwd)
    m = RUN_MS.search(err)
    if status != 0 or not m:
        sys.exit(f"bench_run: {' '.join(cmd)} failed ({status}):\n{err}")
    return float(m.group(1)), int(m.group(3)), rss


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("bin")
    ap.add_argument("--sizes", type=int, nargs="+",
                    default=[10_000, 100_000, 1_000_000])
    ap.add_argument("--runs", type=int, default=7)
    a = ap.parse_args()
    bin_dir = os.path.abspath(a.bin)
    zevac = os.path.join(bin_dir, "zevac")
    work = os.path.join(os.path.dirname(bin_dir), "run-bench")
    os.makedirs(work, exist_ok=True)

    status, err, _ = launch([zevac, "compile", SOURCE, "-o", "compiled.json"],
                            work)
    messages = [l for l in err.splitlines() if not l.startswith("zevac: wrote")]
    if status != 0 or messages:
        sys.exit(f"bench_run: {SOURCE} does not compile cleanly:\n{err}")

    # What a run costs whatever the model: the program's start (it writes
    # its trace file debug.txt) and end, on a model of one node.
    fixed = []
    status, err, _ = launch([os.path.join(bin_dir, "run_model_generator"),
                             SCRIPT, "1", "model_1.json"], work)
    if status != 0:
        sys.exit(f"bench_run: run_model_generator 1 failed:\n{err}")
    for _ in range(a.runs):
        fixed.append(timed([zevac, "run", "compiled.json", "--model",
                            "model_1.json", "-o", "zevac.json", "--stats",
                            "--quiet"], work)[0])
    os.remove(os.path.join(work, "model_1.json"))

    print("| N | objects after | floor run ms | zevac run ms | ratio "
          "| floor growth | zevac growth | floor peak RSS MB "
          "| zevac peak RSS MB |")
    print("|---|---|---|---|---|---|---|---|---|")
    last = None
    for n in a.sizes:
        model = f"model_{n}.json"
        status, err, _ = launch([os.path.join(bin_dir, "run_model_generator"),
                                 SCRIPT, str(n), model], work)
        if status != 0:
            sys.exit(f"bench_run: run_model_generator {n} failed:\n{err}")
        floor, interp, floor_rss, interp_rss = [], [], [], []
        for _ in range(a.runs):
            ms, after, rss = timed([os.path.join(bin_dir, "run_floor"),
                                    SCRIPT, model, "floor.json"], work)
            floor.append(ms)
            floor_rss.append(rss)
            ms, after_z, rss = timed([zevac, "run", "compiled.json", "--model",
                                      model, "-o", "zevac.json", "--stats",
                                      "--quiet"], work)
            interp.append(ms)
            interp_rss.append(rss)
            filecmp.clear_cache()
            if after_z != after or not filecmp.cmp(
                    os.path.join(work, "floor.json"),
                    os.path.join(work, "zevac.json"), shallow=False):
                sys.exit(f"bench_run: at N = {n}, zevac run and the floor "
                         f"leave different models ({work}/floor.json, "
                         f"{work}/zevac.json)")
        f, z = statistics.median(floor), statistics.median(interp)
        growth = [f"{x / y:.1f}x" for x, y in zip((f, z), last)] if last \
            else ["", ""]
        print(f"| {n:,} | {after:,} | {f:.1f} | {z:.1f} | {z / f:.2f} "
              f"| {growth[0]} | {growth[1]} "
              f"| {max(floor_rss) / 2**20:.0f} | {max(interp_rss) / 2**20:.0f} |",
              flush=True)
        last = (f, z)
        for name in (model, "floor.json", "zevac.json"):
            os.remove(os.path.join(work, name))
    print(f"Medians of {a.runs} runs; both programs left identical models. "
          f"zevac's run on a model of one object takes "
          f"{statistics.median(fixed):.1f} ms. Target: ratio at most 3 at "
          f"1,000,000 objects, growth about 10x per tenfold size.")


if __name__ == "__main__":
    main()
