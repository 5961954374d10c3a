#!/usr/bin/env bash
# The colour adjustments, Quillory against ImageMagick, GraphicsMagick, libvips (one
# thread each) and Pillow, all pinned to one core, in the same run, on the peers'
# 4000 × 3000 photograph. Needs the peers' inputs in DIR (bench_peers.sh makes them).
#
#   bash bench/adjust_peers.sh [BUILD_DIR]        (DIR=/tmp/perf by default)
#
# Peer figures are net of reading the picture (report.py's rule); the ratio is
# Quillory / fastest peer.
set -eu
BUILD=${1:-build}
DIR=${DIR:-/tmp/perf}
CORE=${CORE:-0}
PEERS_DIR=${PEERS_DIR:-$(cd "$(dirname "$0")/../.." && pwd)/shared/bench-peers}
PY=/usr/bin/python3
[ -f "$DIR/photo_L.ppm" ] || { echo "no $DIR/photo_L.ppm: generate the peers' inputs first" >&2; exit 2; }

# A private folder of links, so the peers' own results file stays as it is.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for f in "$DIR"/photo_L.* "$DIR"/bw.ppm "$DIR"/tiny.*; do ln -s "$f" "$work/"; done
cp -r "$DIR/impolicy" "$work/" 2>/dev/null || true
ops=startup,read_src,bright_contrast,invert,grey,autolevel,fs_1bit
DIR=$work SIZES=L THREADS=1 PEERS="im gm vips" BENCH_OPS=$ops taskset -c "$CORE" bash "$PEERS_DIR/bench_peers.sh" --no-gen >/dev/null
DIR=$work SIZES=L PEERS=pillow BENCH_OPS=$ops taskset -c "$CORE" bash "$PEERS_DIR/bench_peers.sh" --no-gen >/dev/null
QUILLORY_PEER_DIR=$DIR taskset -c "$CORE" "$BUILD/bench/adjust_bench" --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null | grep _median >"$work/quillory.csv"

"$PY" - "$work/results.tsv" "$work/quillory.csv" <<'PYEOF'
import csv, sys
rows = {}
for r in csv.DictReader(open(sys.argv[1]), delimiter="\t"):
    rows[(r["op"], r["peer"])] = r["median_ms"]
def num(v):
    try: return float(v)
    except (TypeError, ValueError): return None
ours = {}
for line in open(sys.argv[2]):
    name, _, real = line.split(",")[:3]
    ours[name.strip('"').split("/")[0]] = float(real)
pairs = [("bright_contrast", "BM_BrightnessContrast"), ("invert", "BM_Invert"), ("grey", "BM_Desaturate"),
         ("autolevel", "BM_AutoLevels"), ("fs_1bit", "BM_FloydSteinberg")]
peers = ["im-1T", "gm-1T", "vips-1T", "pillow"]
print("| work | Quillory | " + " | ".join(peers) + " | Quillory / fastest |")
print("|---|---|" + "---|" * len(peers) + "---|")
for op, bench in pairs:
    cells, best = [], None
    for p in peers:
        v = num(rows.get((op, p)))
        if v is not None and p != "pillow":
            base = num(rows.get(("read_src", p)))
            v = v - base if base is not None else v
        cells.append("n/a" if v is None else "%.1f" % v)
        # A net figure at or below zero is lost in the noise of reading the file.
        if v is not None and v > 0 and (best is None or v < best):
            best = v
    q = ours.get(bench)
    print("| %s | %.1f | %s | %s |" % (op, q, " | ".join(cells), "%.2f" % (q / best) if best else "n/a"))
PYEOF
