#!/usr/bin/env bash
# Runs every fuzz target for the given seconds (default 300) from a seed corpus of
# generated files and the inputs kept in fuzz/seeds. Needs the build-asan tree that
# scripts/test.sh makes.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-300}
BUILD=build-asan
SEEDS=$BUILD/fuzz-seeds
rm -rf "$SEEDS"
mkdir -p "$SEEDS/all"
"$BUILD/fuzz/quillory-fuzz-seeds" "$SEEDS/all"
[ -d fuzz/seeds ] && cp -r fuzz/seeds/. "$SEEDS/all"/

# The seeds of one target: a decoder starts from its own format's files (a slow target
# would otherwise spend a short run reading every other format's); the targets that
# take any file start from all of them.
seeds_of() {
  case "$1" in
    fuzz_bmp) echo "bmp seed_1_* seed_rle*" ;;
    fuzz_gif) echo "gif gif_* seed_2_*" ;;
    fuzz_jpeg) echo "jpeg seed_0_*" ;;
    fuzz_tiff) echo "tiff tiff_* seed_3_*" ;;
    fuzz_pcx) echo "pcx pcx_*" ;;
    fuzz_psd) echo "psd psd_*" ;;
    fuzz_png) echo "png_* seed_9_*" ;;
    fuzz_webp) echo "webp_* seed_10_*" ;;
    fuzz_qvx) echo "qvx_*" ;;
    fuzz_layer_stack) echo "layers_*" ;;
    fuzz_history_files) echo "history_step" ;;
    *) echo "." ;;
  esac
}

status=0
for target in "$BUILD"/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  work=$BUILD/fuzz-work/$name
  own=$SEEDS/$name
  mkdir -p "$work" "$own"
  (cd "$SEEDS/all" && for pattern in $(seeds_of "$name"); do
     for found in $pattern; do
       if [ -d "$found" ]; then cp -r "$found"/. "../$name"/; elif [ -e "$found" ]; then cp "$found" "../$name"/; fi
     done
   done)
  echo "-- $name (${SECONDS_EACH}s)"
  if ! "$target" -max_total_time="$SECONDS_EACH" -rss_limit_mb=2048 -max_len=65536 \
       -artifact_prefix="$work/" -print_final_stats=0 "$work" "$own" >"$work/log.txt" 2>&1; then
    echo "FAILED: $name; its log and crash input are in $work"
    tail -n 40 "$work/log.txt"
    status=1
  fi
done
exit $status
