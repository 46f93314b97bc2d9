#!/usr/bin/env bash
# Every program answers --help and --version on standard output with exit
# code 0, writing nothing and opening no window; an unknown option is an error
# with the usage and exit code 2; qx40 without a display says so (exit 2);
# a bad value or a missing file is named with what to do; qx40-scenario runs
# without its drawing module all but a screenshot, which says where it looked.
#
#   command_line_test.sh QX40 QX40_SCENARIO QX40_RENDER [QX40_CLASSROOM]
set -uo pipefail
work="$(mktemp -d)" alone="$(mktemp -d)"
trap 'rm -rf "$work" "$alone"' EXIT
cd "$work" || exit 1
status=0
fail() { echo "FAIL: $*"; status=1; }

# expect CODE PATTERN STREAM COMMAND...: the exit code, and a line of the stream matching.
expect() {
  local code="$1" pattern="$2" stream="$3"
  shift 3
  "$@" >"$work/.out" 2>"$work/.err"
  local got=$?
  [ "$got" -eq "$code" ] || fail "$* exited $got, not $code"
  grep -q -- "$pattern" "$work/.$stream" || fail "$* wrote no '$pattern' on std$stream"
  rm -f "$work/.out" "$work/.err"
  [ -z "$(ls -A "$work")" ] || { fail "$* left files: $(ls -A "$work")"; rm -rf "${work:?}"/*; }
}

# Without a display anywhere, so that a window that opens fails loudly.
headless=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
for program in "$@"; do
  name="$(basename "$program")"
  expect 0 "^usage: $name" out "${headless[@]}" "$program" --help
  expect 0 "^$name [0-9]" out "${headless[@]}" "$program" --version
  expect 2 "^usage: $name" err "${headless[@]}" "$program" --no-such-option
done
expect 0 "Hardware.dat" out "$1" --help
expect 2 "DISPLAY" err "${headless[@]}" "$1"
expect 2 "needs the socket's path" err "${headless[@]}" "$1" --control
expect 2 "cannot read the exercise /nonexistent.qxs: No such file or directory" err env QT_QPA_PLATFORM=offscreen "$1" --exercise /nonexistent.qxs
# qx40-scenario says what is wrong; listing names leaves no Hardware.dat behind.
expect 0 "^control frmMainDisplay.FireLED$" out "$2" --list-names
expect 2 "bad number of jobs in '-j 0': write -j N with N from 1 to 256" err "$2" -j 0 x.qxs
expect 2 "no script given" err "$2"
# A copy of qx40-scenario where no drawing module lies.
cp "$2" "$alone/" && printf 'wait 1s\nexpect PowerLED 1\n' >"$alone/plain.qxs" &&
  printf 'wait 1s\nscreenshot frmMainDisplay front.png\n' >"$alone/shot.qxs" || exit 2
expect 0 "^1 passed, 0 failed$" out "$alone/qx40-scenario" "$alone/plain.qxs"
expect 2 "shot.qxs:2: error: cannot load the drawing module, which screenshots need: .*$alone/qx40-drawing.so: cannot open shared object file.*build its target qx40-drawing, or reinstall qx40$" \
  out "$alone/qx40-scenario" "$alone/shot.qxs"
# qx40-classroom names a bad address or a missing page before it opens anything.
if [ $# -ge 4 ]; then
  expect 2 "--listen 'nowhere' is not ADDR:PORT" err "$4" --listen nowhere
  expect 2 "/nonexistent has no index.html; build the page" err "$4" --page /nonexistent
fi
exit $status
