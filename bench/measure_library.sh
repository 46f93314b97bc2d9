#!/usr/bin/env bash
# The scenario library's wall time with one and with two threads:
# the median of five runs of every script in scenarios/ and scenarios/en54/.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$repo/build}"
runs=5
for jobs in 1 2; do
  times=()
  for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    "$build/qx40-scenario" -j "$jobs" "$repo"/scenarios/*.qxs "$repo"/scenarios/en54/*.qxs >/dev/null 2>&1
    times+=($(( ($(date +%s%N) - start) / 1000000 )))
  done
  median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p")
  echo "library -j $jobs: $median ms (median of $runs)"
done
