#!/usr/bin/env bash
# Every panel's state belongs to its machine: the core libraries hold no
# writable process-wide object (.data and .bss; the read-only .data.rel.ro
# is fine) beyond those listed here.
set -uo pipefail
[ $# -gt 0 ] || { echo "usage: core_state_test.sh LIBRARY.a..."; exit 2; }

# The default analogue inputs (const, with a vtable), the iostream
# initialiser, the unwinder's references (to its personality routine and to
# the type a catch clause names, set as the program loads) and the address
# sanitizer's one-definition markers, one byte beside each global.
allowed='^(\(anonymous namespace\)::windowDefaults|std::__ioinit|\.hidden DW\.ref\..*|__odr_asan\..*)$'

status=0
for library in "$@"; do
  objects=$(objdump -t -C "$library") || { echo "cannot read $library"; exit 2; }
  while read -r name; do
    [ -z "$name" ] && continue
    [[ $name =~ $allowed ]] && continue
    echo "$(basename "$library"): writable process-wide object: $name"
    status=1
  done < <(awk '$3 == "O" && $4 ~ /^\.(bss|data)/ && $4 !~ /^\.data\.rel\.ro/ {
                  $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' <<<"$objects")
done
[ $status -eq 0 ] && echo "no writable process-wide state beyond the listed"
exit $status
