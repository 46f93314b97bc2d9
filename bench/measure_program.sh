#!/usr/bin/env bash
# Measures the real simulator in a private Xvfb server, one figure a line:
# start-up time until both windows are shown, CPU use while idle with both
# windows open (as a percentage of one core) over WINDOWS windows of
# IDLE_SECONDS each, as min/median/max, for the whole process and for each
# of its threads with its wake-ups a second, and resident memory.
#
#   bench/measure_program.sh [BUILD_DIR] [IDLE_SECONDS] [QX40_OPTION...]
#
# BUILD_DIR (default build) must hold qx40 and tests/qx40-xprobe; the options
# after the two go to qx40 (--control qx40.sock, say, made in its folder).
# WINDOWS (default 3) sets the number of windows. With a sound server
# (PULSE_SERVER, or a pulseaudio --daemonize of this user) the program plays
# on it; without one it runs silent. MUTED=1 starts it with its Mute sound box
# checked, so that the fault beep of a fresh panel plays nothing either.
set -euo pipefail
build="${1:-build}"
idle_seconds="${2:-30}"
windows="${WINDOWS:-3}"
shift $(($# < 2 ? $# : 2))
qx40="$(realpath "$build/qx40")"
xprobe="$(realpath "$build/tests/qx40-xprobe")"

source "$(dirname "$0")/../tests/smoke/xserver.sh"

shown() { "$xprobe" origin "$1" >/dev/null 2>&1; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }

# One line per thread: "TID NAME CPU_NS SLICES", from the scheduler's own
# nanosecond count and count of times on a core (each a wake-up, near enough).
thread_stats() {
  for task in /proc/"$app"/task/*; do
    [ -r "$task/schedstat" ] || continue
    printf '%s %s %s\n' "${task##*/}" "$(tr ' ' '_' <"$task/comm")" "$(awk '{ print $1, $3 }' "$task/schedstat")"
  done
}

# min/median/max of the numbers on standard input, with two decimals.
spread() { sort -g | awk '{ v[NR] = $1 } END { printf "%.3f/%.3f/%.3f", v[1], v[int((NR + 1) / 2)], v[NR] }'; }

cd "$work"
if [ "${MUTED:-0}" = 1 ]; then
  mkdir -p "$XDG_CONFIG_HOME/qx40"
  printf '[sound]\nmuted=true\n' >"$XDG_CONFIG_HOME/qx40/qx40.conf"
fi
start=$(now_ms)
QT_QPA_PLATFORM=xcb "$qx40" "$@" >"$work/app.log" 2>&1 &
app=$!
until shown "QX40 Simulation" && shown "Hardware Interface"; do
  kill -0 "$app" 2>/dev/null || { echo "the simulator ended during start-up" >&2; exit 1; }
  sleep 0.005
done
echo "startup_to_both_windows_ms $(($(now_ms) - start))"

sleep 2 # past the first paints
thread_stats >"$work/stats.0"
for window in $(seq "$windows"); do
  sleep "$idle_seconds"
  thread_stats >"$work/stats.$window"
  # Per thread, this window: percent of one core and wake-ups a second.
  join <(sort "$work/stats.$((window - 1))") <(sort "$work/stats.$window") |
    awk -v s="$idle_seconds" '{ printf "%s %s %.4f %.1f\n", $1, $2, ($6 - $3) / 1e7 / s, ($7 - $4) / s }' \
      >"$work/window.$window"
done

# The threads, in the order they were made, then the whole process.
for tid in $(cut -d' ' -f1 "$work/window.1" | sort -n); do
  name=$(awk -v t="$tid" '$1 == t { print $2 }' "$work/window.1")
  cpu=$(cat "$work"/window.* | awk -v t="$tid" '$1 == t { print $3 }' | spread)
  wakes=$(cat "$work"/window.* | awk -v t="$tid" '$1 == t { print $4 }' | spread)
  echo "thread $tid $name cpu_percent_min/median/max $cpu wakeups_per_s $wakes"
done
total=$(for window in $(seq "$windows"); do awk '{ t += $3 } END { print t }' "$work/window.$window"; done | spread)
echo "idle_cpu_percent_of_one_core_min/median/max $total"
echo "resident_memory_kib $(awk '/^VmRSS/ { print $2 }' "/proc/$app/status")"
echo "peak_resident_memory_kib $(awk '/^VmHWM/ { print $2 }' "/proc/$app/status")"
grep -h "qx40:" "$work/app.log" || true

"$xprobe" close "Hardware Interface"
status=0
wait "$app" || status=$?
app=""
echo "exit_code $status"
