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
import os
import sys

from floor_runs import compare, compile_cleanly, growth

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCE = os.path.join(ROOT, "bench", "mutex", "mutex.zeva")
SCRIPT = os.path.join("mutex", ".zeva", "Mutex", "kel", "MMscript.txt")


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
    ap.add_argument("--runs", type=int, default=9)
    a = ap.parse_args()
    bin_dir = os.path.abspath(a.bin)
    zevac = os.path.join(bin_dir, "zevac")
    work = os.path.join(os.path.dirname(bin_dir), "mutex-bench")
    os.makedirs(work, exist_ok=True)

    compile_cleanly(zevac, SOURCE, work, "bench_mutex")

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
        f, z, after, floor_rss, interp_rss = compare(
            [os.path.join(bin_dir, "mutex_floor"), SCRIPT, model,
             "floor.json"], zevac, model, work, a.runs, "bench_mutex",
            f"with {n} processes")
        if after != n + 2:
            sys.exit(f"bench_mutex: with {n} processes, the ring has "
                     f"{after - 2} after the run")
        g = growth((f, z), last)
        print(f"| {n:,} | {f:.1f} | {z:.1f} | {z / f:.2f} | {g[0]} | {g[1]} "
              f"| {floor_rss / after:.0f} | {interp_rss / after:.0f} |",
              flush=True)
        last = (f, z)
        for name in (model, "floor.json", "zevac.json"):
            os.remove(os.path.join(work, name))
    print(f"Medians of {a.runs} runs; both programs left identical models. "
          "Target: ratio at most 2 at 1,000,000 processes, growth at most 11x "
          "per tenfold size.")


if __name__ == "__main__":
    main()
