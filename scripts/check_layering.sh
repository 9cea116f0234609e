#!/usr/bin/env bash
# scripts/check_layering.sh [SOURCE_ROOT]: fails when a folder includes a
# header of a folder above it. Dependencies point one way:
#   platform <- base <- records <- flow <- play <- shell, media on base and platform.
# A test folder may include what the folder it tests may include, plus the
# fixture builders of tests/support (which stand on records/).
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}

declare -A allowed=(
  [platform]="platform"
  [base]="platform base"
  [records]="platform base records"
  [flow]="platform base records flow"
  [media]="platform base media"
  [play]="platform base records flow media play"
  [shell]="platform base records flow media play shell"
  [tools]="platform base records tests"
  [bench]="platform base records flow media play shell tests"
)
# Test folders named apart from the folder they test.
declare -A tested=( [graphics]=media [sound]=media [e2e]=shell [support]=records )

status=0
check() {  # check FILE ALLOWED...
  local file=$1; shift
  local ok=" $* "
  while IFS= read -r inc; do
    local top=${inc%%/*}
    case "$ok" in
      *" $top "*) ;;
      *) echo "layering: ${file#"$root"/} includes \"$inc\" from a folder above it"; status=1 ;;
    esac
  done < <(sed -nE 's@^[[:space:]]*#[[:space:]]*include[[:space:]]+"([a-z_]+/[^"]+)".*@\1@p' "$file")
}

for folder in platform base records flow media play shell tools bench; do
  [ -d "$root/$folder" ] || continue
  while IFS= read -r -d '' f; do
    check "$f" ${allowed[$folder]}
  done < <(find "$root/$folder" -type f \( -name '*.h' -o -name '*.cpp' \) -print0)
done

for dir in "$root"/tests/*/; do
  name=$(basename "$dir")
  [ "$name" = golden ] && continue
  module=${tested[$name]:-$name}
  [ -n "${allowed[$module]:-}" ] || { echo "layering: tests/$name names no folder"; status=1; continue; }
  while IFS= read -r -d '' f; do
    check "$f" ${allowed[$module]} ${allowed[records]} tests
  done < <(find "$dir" -type f \( -name '*.h' -o -name '*.cpp' \) -print0)
done

exit $status
