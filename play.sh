#!/usr/bin/env bash
# ./play.sh [GAME_FOLDER]: installs what is missing, builds Release into
# build/, and plays the game in GAME_FOLDER (the demo project when none).
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
usage="usage: ./play.sh [GAME_FOLDER]  (plays the game in GAME_FOLDER, the demo project when none is given)"
game=${1:-}
if [ $# -gt 1 ] || [ "$game" = "-h" ] || [ "$game" = "--help" ]; then
  echo "$usage" >&2
  exit 2
fi
if [ -n "$game" ]; then
  if [ ! -d "$game" ]; then
    echo "$usage; no folder $game" >&2
    exit 2
  fi
  game=$(cd "$game" && pwd)
fi
cd "$top"
scripts/setup.sh
# Only what a player runs: the program and the demo-project maker.
scripts/build.sh build Release -DT4_BENCH=OFF -- tarvolin4 make_demo
if [ -z "$game" ]; then
  game="$top/build/demo"
  if [ -x build/make_demo ]; then
    build/make_demo "$game"
  else
    mkdir -p "$game"
  fi
fi
cd "$game"
exec "$top/build/tarvolin4"
