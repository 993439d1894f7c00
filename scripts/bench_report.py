#!/usr/bin/env python3
"""Time and peak memory of `zevac report` and `zevac diagram`.

Usage: bench_report.py [BUILD/bin]   (default: build/bench/bin)

Runs, in a scratch folder: the report of the library example (its notation
file, compiled in memory) and of its repository file; then, for generated
models of 100 and 1,000 procedures (model_generator, fixed seed), the report
of the model as generated and of the model compiled, every diagram of it
into a folder, and `zevac check` of the same file for the cost of loading
alone. Peak memory is the largest resident set of the zevac process and of
the copies it forks to draw. Targets: the library's report under a second;
the report of the 1,000-procedure model under 50 MB.
"""

import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SIZES = (100, 1000)
SEED = 1
RUNS = 3


def run(argv, cwd):
    """Runs argv; returns (seconds, max RSS in bytes) after checking it passed."""
    start = time.perf_counter()
    child = subprocess.Popen(argv, cwd=cwd, stdout=subprocess.DEVNULL,
                             stderr=subprocess.PIPE)
    # wait4 gives this child's usage, including the copies it forked and
    # waited for.
    _, status, usage = os.wait4(child.pid, 0)
    seconds = time.perf_counter() - start
    err = child.stderr.read().decode(errors="replace")
    child.stderr.close()
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"bench_report: {' '.join(argv)} failed:\n{err}")
    return seconds, usage.ru_maxrss * 1024


def measure(argv, cwd, runs=RUNS):
    results = [run(argv, cwd) for _ in range(runs)]
    return (statistics.median(r[0] for r in results),
            max(r[1] for r in results))


def main():
    bin_dir = os.path.abspath(sys.argv[1] if len(sys.argv) > 1
                              else os.path.join(ROOT, "build", "bench", "bin"))
    zevac = os.path.join(bin_dir, "zevac")
    generator = os.path.join(bin_dir, "model_generator")
    rows = []
    with tempfile.TemporaryDirectory(prefix="bench_report.") as tmp:
        shutil.copytree(os.path.join(ROOT, "examples"), os.path.join(tmp, "examples"))
        for name in ("library.zeva", "model.json"):
            t, rss = measure([zevac, "report", f"examples/library/{name}",
                              "-o", "library.html"], tmp)
            rows.append((f"report of examples/library/{name}", t, rss))
        library_s = rows[0][1]
        big_rss = None
        for n in SIZES:
            plain = f"m{n}.json"
            subprocess.run([generator, str(n), str(SEED), plain], cwd=tmp,
                           check=True, stdout=subprocess.DEVNULL)
            compiled = f"c{n}.json"
            shutil.copy(os.path.join(tmp, plain), os.path.join(tmp, compiled))
            run([zevac, "compile", compiled, "--quiet"], tmp)
            t, rss = measure([zevac, "report", plain, "-o", "r.html"], tmp)
            rows.append((f"report, {n} procedures, not compiled", t, rss))
            if n == 1000:
                big_rss = rss
            for what, argv in (
                    ("report", [zevac, "report", compiled, "-o", "r.html"]),
                    ("diagram (every procedure)",
                     [zevac, "diagram", compiled, "-o", f"d{n}"]),
                    ("check (loading alone)", [zevac, "check", compiled])):
                if what.startswith("diagram"):
                    shutil.rmtree(os.path.join(tmp, f"d{n}"), ignore_errors=True)
                t, rss = measure(argv, tmp, runs=1 if what.startswith("diagram") else RUNS)
                rows.append((f"{what}, {n} procedures, compiled", t, rss))
    print(f"{'run':<52} {'seconds':>8} {'peak MB':>8}")
    for name, t, rss in rows:
        print(f"{name:<52} {t:>8.3f} {rss / 1e6:>8.1f}")
    print(f"targets: library report {library_s:.3f} s (under 1 s: "
          f"{'met' if library_s < 1 else 'MISSED'}); report of 1,000 "
          f"procedures {big_rss / 1e6:.1f} MB (under 50 MB: "
          f"{'met' if big_rss < 50e6 else 'MISSED'})")


if __name__ == "__main__":
    main()
