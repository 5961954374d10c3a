#!/usr/bin/env bash
# PNG and WebP decode and encode, Quillory against Pillow and libvips, one thread each,
# pinned to one core, in the same run. Needs the peers' inputs (bench_peers.sh or
# gen_inputs.py of ../shared/bench-peers make $DIR/photo_L.ppm); the PNG and WebP files
# are written here by Pillow at its defaults (WebP: quality 80; lossless: method 4).
#
#   bash bench/png_peers.sh [BUILD_DIR]        (DIR=/tmp/perf by default)
#
# Pillow is timed in-process (decode from the page cache, encode into memory); vips
# through its command line, less the start-up of `vips copy` on a tiny picture, as
# report.py of the peers counts it. Quillory's figures are Google Benchmark medians.
set -eu
BUILD=${1:-build}
DIR=${DIR:-/tmp/perf}
CORE=${CORE:-0}
RUNS=${RUNS:-7}
PY=/usr/bin/python3
OUT=/dev/shm/quillory-png-peers
[ -f "$DIR/photo_L.ppm" ] || { echo "no $DIR/photo_L.ppm: generate the peers' inputs first" >&2; exit 2; }
mkdir -p "$OUT"
export VIPS_CONCURRENCY=1 OMP_NUM_THREADS=1

"$PY" - "$DIR" <<'PYEOF'
import os, sys
from PIL import Image
d = sys.argv[1]
im = Image.open(d + "/photo_L.ppm"); im.load()
for name, kw in (("photo_L.png", {}), ("photo_L.webp", {}), ("photo_L_lossless.webp", {"lossless": True})):
    if not os.path.exists(f"{d}/{name}"):
        im.save(f"{d}/{name}", **kw)
PYEOF
[ -f "$DIR/photo_L.v" ] || vips copy "$DIR/photo_L.ppm" "$DIR/photo_L.v"
"$PY" -c "from PIL import Image; Image.new('RGB', (1, 1)).save('$OUT/tiny.ppm')"
vips copy "$OUT/tiny.ppm" "$OUT/tiny.v"

pillow=$(taskset -c "$CORE" "$PY" - "$DIR" "$RUNS" <<'PYEOF'
import io, statistics, sys, time
from PIL import Image
d, runs = sys.argv[1], int(sys.argv[2])
im = Image.open(d + "/photo_L.ppm"); im.load()
def median(fn):
    fn()
    times = []
    for _ in range(runs):
        t0 = time.perf_counter(); fn(); times.append((time.perf_counter() - t0) * 1e3)
    return statistics.median(times)
def decode(name):
    def run():
        with Image.open(d + "/" + name) as p:
            p.load()
    return run
def encode(fmt, **kw):
    return lambda: im.save(io.BytesIO(), fmt, **kw)
print(" ".join("%.1f" % median(f) for f in (decode("photo_L.png"), encode("PNG"), decode("photo_L.webp"),
      encode("WEBP"), decode("photo_L_lossless.webp"), encode("WEBP", lossless=True))))
PYEOF
)
read -r pPngDec pPngEnc pWebpDec pWebpEnc pLossDec pLossEnc <<<"$pillow"

vips_ms() {  # median wall time of a vips command in ms
  local json; json=$(mktemp)
  hyperfine -N --style none --warmup 1 --runs "$RUNS" --export-json "$json" "taskset -c $CORE $*" >/dev/null
  "$PY" -c "import json,sys; print('%.1f' % (json.load(open(sys.argv[1]))['results'][0]['median'] * 1e3))" "$json"
  rm -f "$json"
}
start=$(vips_ms vips copy "$OUT/tiny.v" "$OUT/t.v")
net() { echo "$1 - $start" | bc -l; }
vPngDec=$(net "$(vips_ms vips copy "$DIR/photo_L.png" "$OUT/o.v")")
vPngEnc=$(net "$(vips_ms vips pngsave "$DIR/photo_L.v" "$OUT/o.png")")
vWebpDec=$(net "$(vips_ms vips copy "$DIR/photo_L.webp" "$OUT/o.v")")
vWebpEnc=$(net "$(vips_ms vips webpsave "$DIR/photo_L.v" "$OUT/o.webp")")
vLossDec=$(net "$(vips_ms vips copy "$DIR/photo_L_lossless.webp" "$OUT/o.v")")
vLossEnc=$(net "$(vips_ms vips webpsave "$DIR/photo_L.v" "$OUT/o.webp" --lossless)")

declare -A q
while IFS=, read -r name value; do q[$name]=$value; done < <(
  QUILLORY_PEER_DIR=$DIR taskset -c "$CORE" "$BUILD/bench/png_bench" --benchmark_repetitions="$RUNS" \
    --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null |
    awk -F, '/_median/ { gsub(/"/, "", $1); sub(/\/real_time_median/, "", $1); print $1 "," $3 }')
rm -rf "$OUT"

row() {  # name quillory pillow vips
  local best; best=$(echo "if ($3 < $4) $3 else $4" | bc -l)
  printf '%-34s %10.1f %10.1f %10.1f %7.2f\n' "$1" "$2" "$3" "$4" "$(echo "$2 / $best" | bc -l)"
}
printf '%-34s %10s %10s %10s %7s\n' "work (ms, 4000 x 3000)" quillory pillow vips ratio
row "PNG decode" "${q[BM_PngDecode]}" "$pPngDec" "$vPngDec"
row "PNG encode (defaults)" "${q[BM_PngEncode]}" "$pPngEnc" "$vPngEnc"
row "WebP lossy decode" "${q[BM_WebpDecode]}" "$pWebpDec" "$vWebpDec"
row "WebP lossy encode (defaults)" "${q[BM_WebpEncode]}" "$pWebpEnc" "$vWebpEnc"
row "WebP lossless decode" "${q[BM_WebpLosslessDecode]}" "$pLossDec" "$vLossDec"
row "WebP lossless encode" "${q[BM_WebpLosslessEncode]}" "$pLossEnc" "$vLossEnc"
