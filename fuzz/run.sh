#!/usr/bin/env bash
# Runs one fuzz target for a while: bash fuzz/run.sh TARGET SECONDS [libFuzzer options]
# Builds the targets with clang, libFuzzer and the sanitizers in build-fuzz;
# new inputs go to build-fuzz/corpus/TARGET, the seeds in fuzz/corpus/TARGET are
# only read.  Crashing inputs are written to build-fuzz/crashes/.
set -euo pipefail
if [ $# -lt 2 ]; then
  echo "usage: bash fuzz/run.sh TARGET SECONDS [libFuzzer options]" >&2
  echo "targets: $(cd "$(dirname "$0")/targets" && ls *.cmake | sed 's/\.cmake$//' | tr '\n' ' ')" >&2
  exit 2
fi
target=$1
seconds=$2
shift 2
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
if [ ! -f "fuzz/targets/$target.cmake" ]; then
  echo "run.sh: no fuzz target '$target' (fuzz/targets/$target.cmake)" >&2
  exit 2
fi
build=${ORVELA_FUZZ_BUILD:-build-fuzz}  # ORVELA_FUZZ_BUILD picks another build folder
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
  -DCMAKE_C_FLAGS_DEBUG="-g -O1" -DORVELA_SANITIZE=ON -DORVELA_FUZZ=ON -DORVELA_FUZZ_COVERAGE=ON -DORVELA_BUILD_JAVA=OFF -DORVELA_BUILD_VIEWER=ON \
  -DORVELA_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target "$target" -j2
build=$(cd "$build" && pwd)
mkdir -p "$build/corpus/$target" "$build/crashes"
seeds=()
[ -d "fuzz/corpus/$target" ] && seeds=("$root/fuzz/corpus/$target")
# The target runs from the bin folder, as the programs do, so that libraries
# loaded by a relative path there ("./kepr.so") are found.
cd "$build/bin"
ASAN_OPTIONS=abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  "./$target" -max_total_time="$seconds" -artifact_prefix="$build/crashes/" "$@" \
  "$build/corpus/$target" "${seeds[@]}"
