#!/usr/bin/env bash
# Times the viewer program on the demonstration recording (16 channels, five
# minutes, as tools/demo.sh writes it) under a private Xvfb server and prints
# each figure against its target:
#   start to first complete draw, no min/max cache   (target <= 1.5 s)
#   start to first complete draw, with the cache     (target <= 0.5 s)
#   full redraw of four displays, 16 channels        (target <= 50 ms)
#   scroll step ">", new time range and redraw       (target <= 100 ms)
# Every figure is the best of RUNS runs (default 3).  Exit status 1 when a
# target is missed.
# Usage: bench/viewer_gui/run.sh [build dir]   (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cmake --build "$build" --target trendel tavio-demo tctables -j2 >/dev/null
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$build/bin/tctables.txt" "$dir/"
"$build/bin/tavio-demo" "$dir/demo.bin" 300
bash "$root/viewer/scripts/tests/run_xvfb.sh" \
  wish8.6 "$root/bench/viewer_gui/viewer_gui_bench.tcl" "$build/bin/trendel" "$dir/demo.bin" "${RUNS:-3}"
