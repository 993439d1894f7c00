#!/usr/bin/env python3
"""Lint time against compile time on the generated 10,000-procedure model.

Usage: bench_lint.py [BUILD/bin]   (default: build/bench/bin)

model_generator writes the model (fixed seed); `zevac check` loads it,
`zevac check --lint` loads and lints it, and the difference of the two
(median of RUNS runs each) is the lint time. `zevac compile --stats` gives
the compile time of the same model. Prints one line with both and their
ratio.
"""

import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

SIZE = 10000
SEED = 1
RUNS = 5

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
STATS = re.compile(r"zevac: stats: load [\d.]+ ms, compile ([\d.]+) ms")


def fail(message):
    sys.exit(f"bench_lint: {message}")


def timed(argv, cwd):
    """Runs argv; returns (seconds, stdout+stderr text)."""
    start = time.perf_counter()
    done = subprocess.run(argv, cwd=cwd, stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT, text=True)
    seconds = time.perf_counter() - start
    if done.returncode != 0:
        fail(f"{' '.join(argv)} exited with {done.returncode}:\n{done.stdout}")
    return seconds, done.stdout


def main():
    bin_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "bench", "bin")
    zevac = os.path.join(bin_dir, "zevac")
    generator = os.path.join(bin_dir, "model_generator")
    for exe in (zevac, generator):
        if not os.path.exists(exe):
            fail(f"{exe} is missing; build the zevac and model_generator targets")
    with tempfile.TemporaryDirectory() as work:
        model = os.path.join(work, "model.json")
        timed([generator, str(SIZE), str(SEED), model], work)
        check = [timed([zevac, "check", model], work)[0] for _ in range(RUNS)]
        lint = []
        for _ in range(RUNS):
            seconds, text = timed([zevac, "check", "--lint", model], work)
            # L17 is right on the generated model (NOT elements in traced
            # procedures); any other warning would be a false one.
            others = [line for line in text.splitlines()
                      if "warning: L" in line and "warning: L17 " not in line]
            if others:
                fail("the generated model has warnings:\n" + "\n".join(others[:20]))
            lint.append(seconds)
        copy = os.path.join(work, "copy.json")
        shutil.copy(model, copy)
        _, text = timed([zevac, "compile", copy, "--stats", "--quiet"], work)
        match = STATS.search(text)
        if not match:
            fail(f"no statistics in the compile output:\n{text}")
        compile_ms = float(match.group(1))
    lint_ms = max(0.0, (statistics.median(lint) - statistics.median(check)) * 1000)
    print(f"bench_lint: {SIZE} procedures: lint {lint_ms:.1f} ms, "
          f"compile {compile_ms:.1f} ms, lint/compile {lint_ms / compile_ms:.3f}")


if __name__ == "__main__":
    main()
