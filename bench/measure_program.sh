#!/usr/bin/env bash
# Measures the real simulator in a private Xvfb server, one figure a line:
# start-up time until both windows are shown, CPU use while idle with both
# windows open (as a percentage of one core), and resident memory.
#
#   bench/measure_program.sh [BUILD_DIR] [IDLE_SECONDS] [QX40_OPTION...]
#
# BUILD_DIR (default build) must hold qx40 and tests/qx40-xprobe; the options
# after the two go to qx40 (--control qx40.sock, say, made in its folder).
set -euo pipefail
build="${1:-build}"
idle_seconds="${2:-30}"
shift $(($# < 2 ? $# : 2))
qx40="$(realpath "$build/qx40")"
xprobe="$(realpath "$build/tests/qx40-xprobe")"

source "$(dirname "$0")/../tests/smoke/xserver.sh"

shown() { "$xprobe" origin "$1" >/dev/null 2>&1; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }
# User plus system CPU time of the process, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$app/stat"; }

cd "$work"
start=$(now_ms)
QT_QPA_PLATFORM=xcb "$qx40" "$@" >"$work/app.log" 2>&1 &
app=$!
until shown "QX40 Simulation" && shown "Hardware Interface"; do
  kill -0 "$app" 2>/dev/null || { echo "the simulator ended during start-up" >&2; exit 1; }
  sleep 0.005
done
echo "startup_to_both_windows_ms $(($(now_ms) - start))"

sleep 2  # past the first paints
ticks_before=$(cpu_ticks)
sleep "$idle_seconds"
ticks_after=$(cpu_ticks)
hz=$(getconf CLK_TCK)
awk -v t=$((ticks_after - ticks_before)) -v hz="$hz" -v s="$idle_seconds" \
  'BEGIN { printf "idle_cpu_percent_of_one_core %.2f\n", 100 * t / hz / s }'
echo "resident_memory_kib $(awk '/^VmRSS/ { print $2 }' "/proc/$app/status")"
echo "peak_resident_memory_kib $(awk '/^VmHWM/ { print $2 }' "/proc/$app/status")"

"$xprobe" close "Hardware Interface"
status=0
wait "$app" || status=$?
app=""
echo "exit_code $status"
