#!/usr/bin/env bash
# scripts/check-map against a small tree: the arrows of its map pass, an
# include or a link against them fails and is named by file and line.
set -euo pipefail
check="$1"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/docs" "$root/low" "$root/high" "$root/side"
cat >"$root/docs/ARCHITECTURE.md" <<'MAP'
```map
low   lanzhou_low   -
high  lanzhou_high  lanzhou_low
side  lanzhou_side  -
```
MAP
echo '#pragma once' >"$root/low/low.h"
printf '#include "low/low.h"\n' >"$root/high/high.cpp"
printf 'lanzhou_add_library(lanzhou_high SOURCES high.cpp PUBLIC lanzhou_low)\n' >"$root/high/CMakeLists.txt"
echo '#pragma once' >"$root/side/side.h"
"$check" "$root" >/dev/null

fails_naming() {  # expected text in the failure report
  local report
  if report="$("$check" "$root" 2>&1)"; then
    echo "check-map passed a tree it must refuse" >&2
    exit 1
  fi
  grep -qF "$1" <<<"$report" || { echo "report lacks '$1':" >&2; echo "$report" >&2; exit 1; }
}

printf '// the low layer\n#include "high/high.h"\n' >"$root/low/low.cpp"
touch "$root/high/high.h"
fails_naming 'low/low.cpp:2: includes high/high.h of lanzhou_high'
rm "$root/low/low.cpp"

printf 'lanzhou_add_library(lanzhou_side\n  SOURCES side.cpp\n  PUBLIC lanzhou_high)\n' >"$root/side/CMakeLists.txt"
fails_naming 'side/CMakeLists.txt:3: links lanzhou_high'
rm "$root/side/CMakeLists.txt"

printf '#include "side/side.h"\n' >"$root/side/side.cpp"
"$check" "$root" >/dev/null
echo "check-map: planted arrows refused, allowed ones passed"
