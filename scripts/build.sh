#!/usr/bin/env bash
# scripts/build.sh BUILD_DIR BUILD_TYPE [extra cmake options...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$1; type=$2; shift 2
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@"
fi
cmake --build "$dir" -j "$(nproc)"
