#!/usr/bin/env bash
# The source tree keeps its layers; and the check itself catches an upward
# include and a stray Qt header planted in a scratch tree.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="${1:?usage: layering_test.sh SOURCE_ROOT}"

"$here/check_layers.sh" "$root" || { echo "FAIL: the source tree breaks its layers"; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/board" "$scratch/windows" "$scratch/qt"
printf '#include "machine/machine.h"\n' >"$scratch/board/upward.h"
printf '#include <QWidget>\n#include "board/upward.h"\n' >"$scratch/windows/stray.cpp"
printf '#include <QWidget>\n#include "windows/form.h"\n' >"$scratch/qt/allowed.cpp"
report=$("$here/check_layers.sh" "$scratch") && { echo "FAIL: the planted faults passed"; exit 1; }
expected=("board/upward.h:1: board/ includes machine/, a layer above it"
          "windows/stray.cpp:1: a Qt header outside qt/, tools/ and tests/: #include <QWidget>")
for line in "${expected[@]}"; do
  grep -qxF "$line" <<<"$report" || { echo "FAIL: missing '$line' in:"; echo "$report"; exit 1; }
done
[ "$(wc -l <<<"$report")" -eq 2 ] || { echo "FAIL: more than the planted faults:"; echo "$report"; exit 1; }
echo "layers hold; planted faults caught"
