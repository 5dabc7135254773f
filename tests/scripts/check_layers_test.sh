#!/usr/bin/env bash
# scripts/check-layers against a small tree holding the real layer table: each row below is one file
# with one include, and whether the check must pass it.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

cases=(
  # file                          include                                verdict
  'src/expr/Value.h               #include "expr/ValRule.h"              pass'
  'src/expr/Value.h               #include "engine/Engine.h"             fail'
  'src/expr/Value.h               #include "platform/Clock.h"            fail'
  'bench/expr/format_bench.cpp    #include "engine/Engine.h"             fail'
  'src/config/Configuration.h     #include "platform/FileAccess.h"       pass'
  'src/config/Configuration.h     #include "engine/Engine.h"             fail'
  'src/engine/Engine.h            #include "engine/output/LogOutput.h"   pass'
  'src/engine/Engine.h            #include "engine/bus/DdeBridge.h"      fail'
  'src/engine/output/LogOutput.h  #include "engine/bus/DdeBridge.h"      fail'
  'src/engine/bus/DdeBridge.h     #include "engine/output/LogOutput.h"   pass'
  'src/engine/Engine.h            #include "platform/posix/SystemClock.h" fail'
  'src/keys/KeyNames.h            #include <QString>                     fail'
  'src/platform/qt/QtPrompts.h    #include <QString>                     pass'
  'src/platform/x11/X11Keys.h     #include <X11/Xlib.h>                  pass'
  'src/platform/qt/QtPrompts.h    #include <X11/Xlib.h>                  fail'
  'src/runtime/Hoxel.h            #include "platform/x11/X11Keys.h"      fail'
  'src/app/main.cpp               #include "platform/x11/X11Keys.h"      pass'
  'src/nowhere/Stray.h            #include <string>                      fail'
)

failures=0
for row in "${cases[@]}"; do
  read -r file rest <<<"$row"
  verdict=${rest##* }
  include=${rest% *}
  include=${include%"${include##*[! ]}"}
  rm -rf "$tmp/root" && mkdir -p "$tmp/root/docs" "$tmp/root/$(dirname "$file")"
  cp "$repo/docs/ARCHITECTURE.md" "$tmp/root/docs/"
  printf '#pragma once\n%s\n' "$include" >"$tmp/root/$file"
  if "$repo/scripts/check-layers" "$tmp/root" >"$tmp/out" 2>&1; then got=pass; else got=fail; fi
  if [ "$got" != "$verdict" ]; then
    echo "FAIL: $file with $include: expected $verdict, got $got"; cat "$tmp/out"
    failures=$((failures + 1))
  fi
done
[ "$failures" -eq 0 ] && echo "check-layers: ${#cases[@]} cases as expected"
