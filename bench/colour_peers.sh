#!/usr/bin/env bash
# Colour reduction and GIF saving, Quillory against Pillow, one thread each,
# pinned to one core, in the same run. Needs the peers' inputs (bench_peers.sh
# generates them; or run gen_inputs.py DIR from ../shared/bench-peers).
#
#   bash bench/colour_peers.sh [BUILD_DIR]        (DIR=/tmp/perf by default)
#
# Prints Pillow's quantize(256, FASTOCTREE, no dither) against BM_ReduceToEightBits
# and Pillow's BMP -> fast octree -> GIF against `quillory-cli convert x.bmp x.gif`.
set -eu
BUILD=${1:-build}
DIR=${DIR:-/tmp/perf}
CORE=${CORE:-0}
PY=/usr/bin/python3
[ -f "$DIR/photo_L.bmp" ] || { echo "no $DIR/photo_L.bmp: generate the peers' inputs first" >&2; exit 2; }

pillow=$(taskset -c "$CORE" "$PY" - "$DIR" <<'PYEOF'
import io, statistics, sys, time
from PIL import Image
d = sys.argv[1]
im = Image.open(d + "/photo_L.bmp"); im.load()
def median(fn, runs=7):
    fn()
    times = []
    for _ in range(runs):
        t0 = time.perf_counter(); fn(); times.append((time.perf_counter() - t0) * 1e3)
    return statistics.median(times)
def gif():
    with Image.open(d + "/photo_L.bmp") as b:
        b.quantize(256, Image.Quantize.FASTOCTREE, dither=Image.Dither.NONE).save(io.BytesIO(), "GIF")
print("%.1f %.1f" % (median(lambda: im.quantize(256, Image.Quantize.FASTOCTREE, dither=Image.Dither.NONE)), median(gif)))
PYEOF
)
read -r pillowQuant pillowGif <<<"$pillow"

quant=$(QUILLORY_PEER_DIR=$DIR taskset -c "$CORE" "$BUILD/bench/quantizer_bench" --benchmark_filter='BM_ReduceToEightBits$' \
  --benchmark_repetitions=7 --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null |
  awk -F, '/_median/ { print $3 }')
json=$(mktemp)
hyperfine -N --style none --warmup 1 --runs 7 --export-json "$json" \
  "taskset -c $CORE $BUILD/quillory-cli convert $DIR/photo_L.bmp /dev/shm/quillory-colour-peers.gif" >/dev/null
gif=$("$PY" -c "import json,sys; print('%.1f' % (json.load(open(sys.argv[1]))['results'][0]['median'] * 1e3))" "$json")
rm -f "$json" /dev/shm/quillory-colour-peers.gif

printf '%-44s %10s %10s %7s\n' work quillory pillow ratio
printf '%-44s %10.1f %10.1f %7.2f\n' "reduction to 256 colours (ms)" "$quant" "$pillowQuant" "$(echo "$quant / $pillowQuant" | bc -l)"
printf '%-44s %10.1f %10.1f %7.2f\n' "BMP saved as GIF (ms, Quillory: process)" "$gif" "$pillowGif" "$(echo "$gif / $pillowGif" | bc -l)"
