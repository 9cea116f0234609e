#!/usr/bin/env bash
# scripts/build.sh BUILD_DIR BUILD_TYPE [extra cmake options...] [-- TARGET...]
# Configures BUILD_DIR once, then builds the targets named after "--" (all
# when none are named).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$1; type=$2; shift 2
opts=(); targets=()
while [ $# -gt 0 ]; do
  if [ "$1" = "--" ]; then shift; targets=("$@"); break; fi
  opts+=("$1"); shift
done
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "${opts[@]}"
fi
if [ ${#targets[@]} -gt 0 ]; then
  cmake --build "$dir" -j "$(nproc)" --target "${targets[@]}"
else
  cmake --build "$dir" -j "$(nproc)"
fi
