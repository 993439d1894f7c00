#!/usr/bin/env bash
# Runs one fuzz target for a set time on its checked-in seeds:
#   fuzz/run.sh TARGET SECONDS WORK_DIR [libFuzzer options...]
# TARGET is the fuzzer binary (fuzz_load, fuzz_expression, fuzz_mutation,
# fuzz_notation, fuzz_mmscript, fuzz_run).
# New inputs go to WORK_DIR/corpus, crashing ones to WORK_DIR/artifacts; the
# seeds in fuzz/corpus/NAME stay as they are. With FUZZ_FRESH=1 the inputs
# of earlier runs in WORK_DIR are dropped first.
set -euo pipefail
binary=$1 seconds=$2 work=$3
shift 3
name=$(basename "$binary")
name=${name#fuzz_}
here=$(cd "$(dirname "$0")" && pwd)
# Longer mutation lists from the start: each operation is cheap beside the
# compile that follows.
case $name in
  load | notation | mmscript) limits=(-max_len=8192) ;;
  expression | run) limits=(-max_len=1024) ;;
  *) limits=(-max_len=512 -len_control=0) ;;
esac
[ "${FUZZ_FRESH:-0}" = 1 ] && rm -rf "$work"
mkdir -p "$work/corpus" "$work/artifacts"
work=$(cd "$work" && pwd)
dict=()
[ -f "$here/$name.dict" ] && dict=(-dict="$here/$name.dict")
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
exec "$binary" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=4096 \
  "${limits[@]}" -print_final_stats=1 \
  -artifact_prefix="$work/artifacts/" "${dict[@]}" "$@" \
  "$work/corpus" "$here/corpus/$name"
