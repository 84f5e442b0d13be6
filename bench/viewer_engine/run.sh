#!/usr/bin/env bash
# Runs the viewer engine benchmarks and prints the figures and ratios:
#   full computation / plain read   (target >= 0.4)
#   full computation / NumPy        (target >= 5)
#   first load / cached second load (target >= 50)
#   zoom + 16 point lists           (target <= 2 ms)
#   peak memory loading 4 GiB       (target <= 100 MB)
# Usage: bench/viewer_engine/run.sh [build dir]   (default: build)
# The recordings (6 GiB in $VIEWER_BENCH_DIR, default /tmp) are removed at the
# end unless VIEWER_BENCH_KEEP=1.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
bench=$build/bin/viewer_engine_bench
dir=${VIEWER_BENCH_DIR:-/tmp}
export VIEWER_BENCH_DIR=$dir
py=/usr/bin/python3
if ! $py -c 'import numpy' 2>/dev/null; then
  apt-get install -y python3-numpy >/dev/null
fi
cmake --build "$build" --target viewer_engine_bench -j2 >/dev/null
json=$(mktemp)
"$bench" --benchmark_format=json --benchmark_out="$json" --benchmark_out_format=json >/dev/null
header=$($py - "$dir/viewer_bench_4096.dat" <<'PY'
import struct, sys
# The header ends 266 bytes per channel after the four lists (16 channels).
data = open(sys.argv[1], "rb").read(8192)
pos = 1015
for _ in range(4):
    pos = data.index(b"\v", pos) + 1
print(pos + 266 * 16)
PY
)
np_whole=$($py "$root/bench/viewer_engine/numpy_minmax.py" "$dir/viewer_bench_4096.dat" 4096 4096 "$header")
np_part=$($py "$root/bench/viewer_engine/numpy_minmax.py" "$dir/viewer_bench_65536.dat" 65536 32768 "$header")
big=$dir/viewer_bench_4g.dat
[ -f "$big" ] || "$bench" --make "$big" 4 4096
peak=$("$bench" --peak "$big" | awk '/peak_rss_mb/ {print $2}')
$py - "$json" "$np_whole" "$np_part" "$peak" <<'PY'
import json, sys
runs = {b["name"].split("/min_time")[0]: b for b in json.load(open(sys.argv[1]))["benchmarks"]}
gb = lambda name: runs[name]["bytes_per_second"] / 1e9
ms = lambda name: runs[name]["cpu_time"] * {"ms": 1, "us": 1e-3, "ns": 1e-6}[runs[name]["time_unit"]]
for s, np_rate, kind in ((4096, float(sys.argv[2]), "whole-block"), (65536, float(sys.argv[3]), "part-block")):
    full, read = gb("BM_FullStats/%d" % s), gb("BM_PlainRead/%d" % s)
    print("%-11s full %.2f GB/s  read %.2f GB/s  ratio %.2f (>= 0.4)  NumPy %.2f GB/s  ratio %.1f (>= 5)"
          % (kind, full, read, full / read, np_rate, full / np_rate))
    print("%-11s first load %.1f ms  cached load %.2f ms  ratio %.0f (>= 50)"
          % (kind, ms("BM_FullStats/%d" % s), ms("BM_CacheLoad/%d" % s), ms("BM_FullStats/%d" % s) / ms("BM_CacheLoad/%d" % s)))
print("zoom + 16 point lists: %.2f ms (<= 2)" % ms("BM_ZoomDraw"))
print("peak memory loading 4 GiB: %s MB (<= 100)" % sys.argv[4])
PY
rm -f "$json"
if [ "${VIEWER_BENCH_KEEP:-0}" != 1 ]; then
  rm -f "$dir"/viewer_bench_4096.* "$dir"/viewer_bench_65536.* "$dir"/viewer_bench_4g.*
fi
