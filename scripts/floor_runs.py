"""Shared by bench_run.py and bench_mutex.py: runs of `zevac run` and of a
hand-written floor on the same model, and what they print."""

import filecmp
import os
import re
import statistics
import subprocess
import sys

RUN_MS = re.compile(r"\brun ([\d.]+) ms.*objects (\d+) before, (\d+) after")


def launch(cmd, cwd):
    """Runs cmd; returns (exit status, stderr text, peak RSS in bytes)."""
    p = subprocess.Popen(cmd, cwd=cwd, stdout=subprocess.DEVNULL,
                         stderr=subprocess.PIPE, text=True)
    err = p.stderr.read()
    p.stderr.close()
    _, status, usage = os.wait4(p.pid, 0)
    return os.waitstatus_to_exitcode(status), err, usage.ru_maxrss * 1024


def timed(cmd, cwd, who):
    """Runs a program that prints its stats; returns (run ms, after, RSS)."""
    status, err, rss = launch(cmd, cwd)
    m = RUN_MS.search(err)
    if status != 0 or not m:
        sys.exit(f"{who}: {' '.join(cmd)} failed ({status}):\n{err}")
    return float(m.group(1)), int(m.group(3)), rss


def compile_cleanly(zevac, source, work, who):
    """Compiles source into work/compiled.json; exits on any message."""
    status, err, _ = launch([zevac, "compile", source, "-o", "compiled.json"],
                            work)
    messages = [l for l in err.splitlines() if not l.startswith("zevac: wrote")]
    if status != 0 or messages:
        sys.exit(f"{who}: {source} does not compile cleanly:\n{err}")


def compare(floor_cmd, zevac, model, work, runs, who, what):
    """Runs floor_cmd (which writes floor.json) and `zevac run` on model,
    alternately, runs times each; both must leave the same file. Returns the
    medians of the run phases, the objects after and each peak RSS."""
    floor, interp, floor_rss, interp_rss = [], [], [], []
    for _ in range(runs):
        ms, after, rss = timed(floor_cmd, work, who)
        floor.append(ms)
        floor_rss.append(rss)
        ms, after_z, rss = timed([zevac, "run", "compiled.json", "--model",
                                  model, "-o", "zevac.json", "--stats",
                                  "--quiet"], work, who)
        interp.append(ms)
        interp_rss.append(rss)
        filecmp.clear_cache()
        if after_z != after or not filecmp.cmp(
                os.path.join(work, "floor.json"),
                os.path.join(work, "zevac.json"), shallow=False):
            sys.exit(f"{who}: {what}, zevac run and the floor leave different "
                     f"models ({work}/floor.json, {work}/zevac.json)")
    return (statistics.median(floor), statistics.median(interp), after,
            max(floor_rss), max(interp_rss))


def growth(now, last):
    """The growth of each time from the size before, as table cells."""
    return [f"{x / y:.1f}x" for x, y in zip(now, last)] if last else ["", ""]
