#!/usr/bin/env bash
# The colour adjustments, Quillory against ImageMagick, GraphicsMagick, libvips (one
# thread each) and Pillow, all pinned to one core, in the same run, on the peers'
# 4000 × 3000 photograph. Needs the peers' inputs in DIR (bench_peers.sh makes them).
#
#   bash bench/adjust_peers.sh [BUILD_DIR]        (DIR=/tmp/perf by default)
#
# Two tables: wall time as bench_peers.sh takes it (command-line peers net of reading
# the picture, report.py's rule), and processor time, which a busy machine disturbs
# much less: user time for the command-line peers, net of the same command without
# the operation (their system time is mostly page faults of reading the file, and it
# varies more than the fast operations take). Ratios are Quillory / fastest peer.
set -eu
BUILD=${1:-build}
DIR=${DIR:-/tmp/perf}
CORE=${CORE:-0}
PEERS_DIR=${PEERS_DIR:-$(cd "$(dirname "$0")/../.." && pwd)/shared/bench-peers}
PY=/usr/bin/python3
[ -f "$DIR/photo_L.ppm" ] || { echo "no $DIR/photo_L.ppm: generate the peers' inputs first" >&2; exit 2; }
export MAGICK_THREAD_LIMIT=1 OMP_NUM_THREADS=1 VIPS_CONCURRENCY=1

# A private folder of links, so the peers' own results file stays as it is.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for f in "$DIR"/photo_L.* "$DIR"/bw.ppm "$DIR"/tiny.*; do ln -s "$f" "$work/"; done
cp -r "$DIR/impolicy" "$work/" 2>/dev/null || true
ops=startup,read_src,bright_contrast,invert,grey,autolevel,fs_1bit
DIR=$work SIZES=L THREADS=1 PEERS="im gm vips" BENCH_OPS=$ops taskset -c "$CORE" bash "$PEERS_DIR/bench_peers.sh" --no-gen >/dev/null 2>&1
DIR=$work SIZES=L PEERS=pillow BENCH_OPS=$ops taskset -c "$CORE" bash "$PEERS_DIR/bench_peers.sh" --no-gen >/dev/null 2>&1

# Processor time of the command-line peers: the same commands as bench_peers.sh.
P=$DIR/photo_L V=$DIR/photo_L.v o=/dev/shm/adjust-peers
IM=/usr/bin/convert; command -v magick >/dev/null 2>&1 && IM=$(command -v magick)
export MAGICK_CONFIGURE_PATH=$work/impolicy
cpu() {  # NAME PEER COMMAND...
  local name=$1 peer=$2; shift 2
  hyperfine -N --style none --warmup 1 --runs 10 --export-json "$work/h.json" "$(printf '%q ' "$@")" >/dev/null 2>&1 || return 0
  "$PY" -c "import json,sys; r=json.load(open(sys.argv[1]))['results'][0]; print(sys.argv[2], sys.argv[3], '%.1f' % (r['user'] * 1e3))" \
    "$work/h.json" "$name" "$peer" >>"$work/cpu.txt"
}
: >"$work/cpu.txt"
run_cpu() {
  cpu read_src im taskset -c "$CORE" "$IM" "$P.ppm" null:
  cpu bright_contrast im taskset -c "$CORE" "$IM" "$P.ppm" -brightness-contrast 10x20 null:
  cpu invert im taskset -c "$CORE" "$IM" "$P.ppm" -negate null:
  cpu grey im taskset -c "$CORE" "$IM" "$P.ppm" -colorspace Gray null:
  cpu autolevel im taskset -c "$CORE" "$IM" "$P.ppm" -auto-level null:
  cpu fs_1bit im taskset -c "$CORE" "$IM" "$P.ppm" -colorspace Gray -dither FloydSteinberg -remap "$DIR/bw.ppm" null:
  cpu read_src gm taskset -c "$CORE" gm convert "$P.ppm" null:
  cpu bright_contrast gm taskset -c "$CORE" gm convert "$P.ppm" -level 10%,1.0,90% null:
  cpu invert gm taskset -c "$CORE" gm convert "$P.ppm" -negate null:
  cpu grey gm taskset -c "$CORE" gm convert "$P.ppm" -colorspace Gray null:
  cpu fs_1bit gm taskset -c "$CORE" gm convert "$P.ppm" -colorspace Gray -map "$DIR/bw.ppm" null:
  cpu read_src vips taskset -c "$CORE" vips copy "$V" "$o.v"
  cpu bright_contrast vips taskset -c "$CORE" vips linear --uchar -- "$V" "$o.v" 1.2 -10
  cpu invert vips taskset -c "$CORE" vips invert "$V" "$o.v"
  cpu grey vips taskset -c "$CORE" vips colourspace "$V" "$o.v" b-w
}
run_cpu
rm -f "$o.v"
taskset -c "$CORE" "$PY" - "$P.ppm" >>"$work/cpu.txt" <<'PYEOF'
import statistics, sys, time
from PIL import Image, ImageOps
im = Image.open(sys.argv[1]); im.load()
lut = [max(0, min(255, int(1.2 * v - 10))) for v in range(256)] * 3
ops = [("bright_contrast", lambda: im.point(lut)), ("invert", lambda: ImageOps.invert(im)),
       ("grey", lambda: im.convert("L")), ("autolevel", lambda: ImageOps.autocontrast(im)),
       ("fs_1bit", lambda: im.convert("1", dither=Image.Dither.FLOYDSTEINBERG))]
for name, fn in ops:
    fn()
    times = []
    for _ in range(7):
        t0 = time.process_time(); fn(); times.append((time.process_time() - t0) * 1e3)
    print(name, "pillow", "%.1f" % statistics.median(times))
PYEOF

QUILLORY_PEER_DIR=$DIR taskset -c "$CORE" "$BUILD/bench/adjust_bench" --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null | grep _median >"$work/quillory.csv"

"$PY" - "$work/results.tsv" "$work/cpu.txt" "$work/quillory.csv" <<'PYEOF'
import csv, sys
def num(v):
    try: return float(v)
    except (TypeError, ValueError): return None
wall = {(r["op"], r["peer"]): num(r["median_ms"]) for r in csv.DictReader(open(sys.argv[1]), delimiter="\t")}
cpu = {}
for line in open(sys.argv[2]):
    op, peer, ms = line.split()
    cpu[(op, peer)] = float(ms)
ours_wall, ours_cpu = {}, {}
for row in csv.reader(open(sys.argv[3])):
    name = row[0].split("/")[0]
    ours_wall[name], ours_cpu[name] = float(row[2]), float(row[3])
pairs = [("bright_contrast", "BM_BrightnessContrast"), ("invert", "BM_Invert"), ("grey", "BM_Desaturate"),
         ("autolevel", "BM_AutoLevels"), ("fs_1bit", "BM_FloydSteinberg")]

def table(title, peers, value, ours):
    print(title)
    print("| work | Quillory | " + " | ".join(peers) + " | Quillory / fastest |")
    print("|---|---|" + "---|" * len(peers) + "---|")
    for op, bench in pairs:
        cells, best = [], None
        for p in peers:
            v = value(op, p)
            cells.append("n/a" if v is None else "%.1f" % v)
            # A net figure at or below zero is lost in the noise of reading the file.
            if v is not None and v > 0 and (best is None or v < best):
                best = v
        q = ours[bench]
        print("| %s | %.1f | %s | %s |" % (op, q, " | ".join(cells), "%.2f" % (q / best) if best else "n/a"))
    print()

def wall_net(op, p):
    v = wall.get((op, p))
    if v is None or p == "pillow": return v
    base = wall.get(("read_src", p))
    return v - base if base is not None else None

def cpu_net(op, p):
    v = cpu.get((op, p))
    if v is None or p == "pillow": return v
    base = cpu.get(("read_src", p))
    return v - base if base is not None else None

table("Wall time, ms (same run, one core)", ["im-1T", "gm-1T", "vips-1T", "pillow"], wall_net, ours_wall)
table("Processor time, ms (same run, one core)", ["im", "gm", "vips", "pillow"], cpu_net, ours_cpu)
PYEOF
