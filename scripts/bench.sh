#!/usr/bin/env bash
# Runs every benchmark binary in the given folder (among them notation_bench:
# the notation's import and export against load and save of the generated
# models), zevac run against hand-written floors (bench_run.py, and the mutex
# benchmark in bench_mutex.py), then whole
# zevac compile runs on generated models (bench_compile.py), and the report
# and diagrams of the examples and of generated models (bench_report.py).
set -euo pipefail
dir=${1:?usage: bench.sh BUILD/bin}
for b in "$dir"/*_bench; do
  echo "== $(basename "$b")"
  "$b"
done
echo "== bench_run.py"
"$(dirname "$0")/bench_run.py" "$dir"
echo "== bench_mutex.py"
"$(dirname "$0")/bench_mutex.py" "$dir"
echo "== bench_compile.py"
"$(dirname "$0")/bench_compile.py" "$dir"
echo "== bench_report.py"
"$(dirname "$0")/bench_report.py" "$dir"
echo "== bench_lint.py"
"$(dirname "$0")/bench_lint.py" "$dir"
