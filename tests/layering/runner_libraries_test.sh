#!/usr/bin/env bash
# The headless runner starts on the C and C++ runtimes alone: its drawing,
# and with it Qt, is a module it loads only for a screenshot.
set -uo pipefail
[ $# -eq 1 ] || { echo "usage: runner_libraries_test.sh QX40_SCENARIO"; exit 2; }

allowed='^(libc|libm|libgcc_s|libstdc\+\+)\.so\.[0-9]+$'

needed=$(readelf -d "$1" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p') || { echo "cannot read $1"; exit 2; }
[ -n "$needed" ] || { echo "readelf found no library $1 needs"; exit 2; }
status=0
while read -r library; do
  [[ $library =~ $allowed ]] && continue
  echo "$(basename "$1") links $library: load it from the drawing module instead"
  status=1
done <<<"$needed"
[ $status -eq 0 ] && echo "$(basename "$1") needs only $(tr '\n' ' ' <<<"$needed")"
exit $status
