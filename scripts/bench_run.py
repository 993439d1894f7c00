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
import os
import statistics
import sys

from floor_runs import compare, compile_cleanly, growth, launch, timed

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCE = os.path.join(ROOT, "bench", "run", "chain.zeva")
SCRIPT = os.path.join("chain", ".zeva", "Chain", "kel", "MMscript.txt")


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

    compile_cleanly(zevac, SOURCE, work, "bench_run")

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
                            "--quiet"], work, "bench_run")[0])
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
        f, z, after, floor_rss, interp_rss = compare(
            [os.path.join(bin_dir, "run_floor"), SCRIPT, model, "floor.json"],
            zevac, model, work, a.runs, "bench_run", f"at N = {n}")
        g = growth((f, z), last)
        print(f"| {n:,} | {after:,} | {f:.1f} | {z:.1f} | {z / f:.2f} "
              f"| {g[0]} | {g[1]} "
              f"| {floor_rss / 2**20:.0f} | {interp_rss / 2**20:.0f} |",
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
