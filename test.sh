#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-test/ and runs every test.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
cd "$top"
scripts/setup.sh
scripts/build.sh build-test RelWithDebInfo -DT4_SANITIZE=ON
cd build-test
ctest --output-on-failure -j "$(nproc)" --timeout 600
