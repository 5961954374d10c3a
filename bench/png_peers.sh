#!/usr/bin/env bash
# PNG and WebP decode and encode of the 4000 × 3000 photograph, Quillory against Pillow
# and libvips, one thread each, all pinned to one core, in ONE run. Needs the peers'
# inputs (bench_peers.sh or gen_inputs.py of ../shared/bench-peers make $DIR/photo_L.ppm
# and photo_L.bmp); the PNG and WebP files are written here by Pillow at its defaults
# (PNG: level 6, adaptive row filters; WebP: quality 80, method 4; lossless: quality 80).
#
#   bash bench/png_peers.sh [BUILD_DIR]        (DIR=/tmp/perf, ROUNDS=5, CORE=0)
#
# Every round times each operation once per program, the programs taking turns, and the
# table keeps each program's minimum over the rounds. Times are CPU time (user + system),
# because the machine is shared; TIME=wall gives wall-clock times instead.
#   Quillory: one iteration of png_bench's benchmark after one warm-up iteration, each
#             round a fresh process (Google Benchmark's CPU time).
#   Pillow:   in-process (decode from the page cache, encode into memory), one warm-up call.
#   libvips:  its command line (`vips copy x.png x.v`, `vips pngsave x.v y.png`, ...), less
#             the same command on a 1 × 1 picture (its start-up), as report.py of the peers
#             counts it. Its decoders also write a .v copy to /dev/shm, not removed.
# Every program runs at its own defaults: Quillory writes PNG at level 6 with libpng's
# filter choice and lossy WebP at quality 100 (its JPEG quality), libvips WebP at 75.
set -eu
BUILD=${1:-build}
DIR=${DIR:-/tmp/perf}
CORE=${CORE:-0}
ROUNDS=${ROUNDS:-5}
TIME=${TIME:-cpu}
PY=/usr/bin/python3
OUT=/dev/shm/quillory-png-peers
[ -f "$DIR/photo_L.ppm" ] || { echo "no $DIR/photo_L.ppm: generate the peers' inputs first" >&2; exit 2; }
[ -x "$BUILD/bench/png_bench" ] || { echo "no $BUILD/bench/png_bench: build the target png_bench" >&2; exit 2; }
mkdir -p "$OUT"
trap 'rm -rf "$OUT"' EXIT
export VIPS_CONCURRENCY=1 OMP_NUM_THREADS=1 QUILLORY_PEER_DIR=$DIR

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

echo "$(date -u '+%F %T') UTC, load $(cut -d' ' -f1-3 /proc/loadavg), core $CORE, $ROUNDS rounds, $TIME time"
taskset -c "$CORE" "$PY" - "$DIR" "$OUT" "$BUILD/bench/png_bench" "$ROUNDS" "$TIME" <<'PYEOF'
import io, json, os, subprocess, sys, time
from PIL import Image
d, out, bench, rounds, clock = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4]), sys.argv[5]
cpu = clock == "cpu"
photo = Image.open(d + "/photo_L.ppm"); photo.load()

def pillow(fn):
    fn()  # warm-up
    t0, c0 = time.perf_counter(), time.process_time()
    fn()
    return (time.process_time() - c0 if cpu else time.perf_counter() - t0) * 1e3

def pillow_decode(name):
    def run():
        with Image.open(f"{d}/{name}") as p:
            p.load()
    return lambda: pillow(run)

def pillow_encode(fmt, **kw):
    return lambda: pillow(lambda: photo.save(io.BytesIO(), fmt, **kw))

def process_ms(args):
    """CPU (children's user + system) or wall time of one command, in ms."""
    t0 = time.perf_counter()
    child = subprocess.Popen(args, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - t0
    if status != 0:
        sys.exit(f"failed: {' '.join(args)}: {child.stderr.read().decode(errors='replace')}")
    return (usage.ru_utime + usage.ru_stime if cpu else wall) * 1e3

def vips(*args):
    return lambda: process_ms(["vips", *args]) - process_ms(["vips", "copy", f"{out}/tiny.v", f"{out}/t.v"])

def quillory(name):
    def run():
        result = subprocess.run([bench, f"--benchmark_filter=^{name}(/|$)", "--benchmark_min_time=0",
                                 "--benchmark_min_warmup_time=0.000001", "--benchmark_format=json"],
                                capture_output=True, text=True, check=True)
        report = json.loads(result.stdout)["benchmarks"][0]
        if report.get("error_occurred"):
            sys.exit(f"{name}: {report.get('error_message')}")
        return report["cpu_time" if cpu else "real_time"]
    return run

png, webp, lossless, v = f"{d}/photo_L.png", f"{d}/photo_L.webp", f"{d}/photo_L_lossless.webp", f"{d}/photo_L.v"
rows = [
    ("PNG decode", quillory("BM_PngDecode"), pillow_decode("photo_L.png"), vips("copy", png, f"{out}/o.v")),
    ("PNG encode (defaults)", quillory("BM_PngEncode"), pillow_encode("PNG"), vips("pngsave", v, f"{out}/o.png")),
    ("WebP lossy decode", quillory("BM_WebpDecode"), pillow_decode("photo_L.webp"), vips("copy", webp, f"{out}/o.v")),
    ("WebP lossy encode (defaults: 100/80/75)", quillory("BM_WebpEncode"), pillow_encode("WEBP"),
     vips("webpsave", v, f"{out}/o.webp")),
    ("WebP lossy encode (quality 80)", quillory("BM_WebpEncodeQuality80"), pillow_encode("WEBP", quality=80),
     vips("webpsave", v, f"{out}/o.webp", "--Q", "80")),
    ("WebP lossless decode", quillory("BM_WebpLosslessDecode"), pillow_decode("photo_L_lossless.webp"),
     vips("copy", lossless, f"{out}/o.v")),
    ("WebP lossless encode", quillory("BM_WebpLosslessEncode"), pillow_encode("WEBP", lossless=True),
     vips("webpsave", v, f"{out}/o.webp", "--lossless")),
]
best = {}
for r in range(rounds):
    for name, *programs in rows:
        for i, run in enumerate(programs):
            ms = run()
            best[name, i] = min(best.get((name, i), ms), ms)
    print(f"round {r + 1} of {rounds} done", file=sys.stderr)

print("%-40s %9s %9s %9s %7s" % ("work (ms, 4000 x 3000)", "quillory", "pillow", "vips", "ratio"))
for name, *_ in rows:
    q, p, vv = (best[name, i] for i in range(3))
    print("%-40s %9.1f %9.1f %9.1f %7.2f" % (name, q, p, vv, q / min(p, vv)))
PYEOF
