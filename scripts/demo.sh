#!/usr/bin/env bash
# Compiles the bundled example into a scratch copy and shows the result.
set -euo pipefail
zevac=$(readlink -f "${1:?usage: demo.sh PATH/TO/zevac}")
root=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp "$root/examples/library/model.json" "$scratch/model.json"
cd "$scratch"
echo "== zevac compile examples/library/model.json (scratch copy in $scratch)"
status=0
"$zevac" compile model.json --listing - --stats || status=$?
echo "== exit status $status"
