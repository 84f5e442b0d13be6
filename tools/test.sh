#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test: first the normal
# build, then the native libraries and programs again with AddressSanitizer and
# UndefinedBehaviorSanitizer (any error aborts).  Both stages always run; the
# exit status is non-zero when either failed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh
jobs=$(nproc)
failed=()

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 600 || failed+=("normal build tests")

CC=clang CXX=clang++ cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
  -DCMAKE_C_FLAGS_DEBUG="-g -O1" -DORVELA_SANITIZE=ON -DORVELA_BUILD_JAVA=OFF -DORVELA_BUILD_BENCH=OFF
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 900 || failed+=("sanitizer build tests")

if [ ${#failed[@]} -gt 0 ]; then
  echo "test.sh: failed: ${failed[*]}" >&2
  exit 1
fi
echo "test.sh: all tests passed in both builds"
