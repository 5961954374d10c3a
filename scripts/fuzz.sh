#!/usr/bin/env bash
# Runs every fuzz target for the given seconds (default 300) from a seed corpus of
# generated files. Needs the build-asan tree that scripts/test.sh makes.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-300}
BUILD=build-asan
SEEDS=$BUILD/fuzz-seeds
rm -rf "$SEEDS"
mkdir -p "$SEEDS"
"$BUILD/fuzz/quillory-fuzz-seeds" "$SEEDS"
[ -d fuzz/seeds ] && cp -r fuzz/seeds/. "$SEEDS"/
status=0
for target in "$BUILD"/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  work=$BUILD/fuzz-work/$name
  mkdir -p "$work"
  echo "-- $name (${SECONDS_EACH}s)"
  if ! "$target" -max_total_time="$SECONDS_EACH" -rss_limit_mb=2048 -max_len=65536 \
       -artifact_prefix="$work/" -print_final_stats=0 "$work" "$SEEDS" >"$work/log.txt" 2>&1; then
    echo "FAILED: $name; its log and crash input are in $work"
    tail -n 40 "$work/log.txt"
    status=1
  fi
done
exit $status
