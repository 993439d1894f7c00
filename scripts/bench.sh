#!/usr/bin/env bash
# Runs every benchmark binary in the given folder.
set -euo pipefail
dir=${1:?usage: bench.sh BUILD/bin}
for b in "$dir"/*_bench; do
  echo "== $(basename "$b")"
  "$b"
done
