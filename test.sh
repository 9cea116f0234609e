#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-test/ and runs every test; then
# builds the test programs of the folders that run threads into build-tsan/
# and runs their tests under ThreadSanitizer.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
cd "$top"
scripts/setup.sh
scripts/build.sh build-test RelWithDebInfo -DT4_SANITIZE=ON
(cd build-test && ctest --output-on-failure -j "$(nproc)" --timeout 600)

# ThreadSanitizer: messages and threads (platform, base), the shell with its
# game thread, window requests and dialogs, sound with the mixer's thread,
# and stage loading on thLoader. Only the programs of those folders are
# built, so the second tree adds minutes, not another full build.
scripts/build.sh build-tsan RelWithDebInfo -DT4_TSAN=ON -DT4_BENCH=OFF -- \
  t4_tests_platform t4_tests_base t4_tests_shell t4_tests_sound t4_tests_records
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$top/scripts/tsan.supp"
cd build-tsan
ctest --output-on-failure -j "$(nproc)" --timeout 600 -L '^(platform|base|shell|sound)$'
ctest --output-on-failure -j "$(nproc)" --timeout 600 -L '^records$' -R '^(StageLoading|StageFile)\.'
