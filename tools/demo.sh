#!/usr/bin/env bash
# Sets up the machine, builds everything and runs the main job.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
echo "built into $root/build/bin:"
ls "$root/build/bin"
