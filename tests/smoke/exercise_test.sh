#!/usr/bin/env bash
# Runs a short exercise on the real simulator in a real X server, in real
# time: the hardware window's caption shows its progress and then its end,
# its debrief holds each checkpoint judged, the recording made alongside has
# the instructor's line, and the program runs on until it is closed.
set -euo pipefail
qx40="$1"
xprobe="$2"

source "$(dirname "$0")/xserver.sh"

fail() { echo "exercise: $*" >&2; cat "$work/app.log" >&2 || true; exit 1; }

cd "$work"
cat >short.qxs <<'SCRIPT'
level ZoneAnalogueControl1 500 ohm
wait-until FireLED 1 within 5s
wait 1s
expect SounderOutput1 1
expect FireLED 0      # nobody reset the panel: judged as failed
SCRIPT
QT_QPA_PLATFORM=xcb "$qx40" --scale 1 --exercise short.qxs --report debrief.html --record answer.qxs >"$work/app.log" 2>&1 &
app=$!
await "$xprobe" origin "QX40 Simulation" || fail "front panel window did not appear"
await test -s debrief.html || fail "no report within 20 s"
grep -q "2 of 3 checkpoints passed" debrief.html || fail "the report lacks its checkpoints: $(grep -o '<p>[^<]*' debrief.html)"
grep -q "<td>FireLED = 0</td><td>FAIL</td>" debrief.html || fail "the failed checkpoint is not in the report"
await xdotool search --name "^Hardware Interface - exercise short 0:0[0-9], 3 of 3 checkpoints \(ended; report in debrief.html\)$" ||
  fail "the hardware window does not show the exercise's end: $(xdotool search --name 'Hardware Interface' getwindowname)"
grep -qx "level ZoneAnalogueControl1 500 ohm" answer.qxs || fail "the recording lacks the instructor's line"
kill -0 "$app" || fail "the program ended with the exercise"
kill -TERM "$app"
wait "$app" || fail "qx40 exited $? on SIGTERM"
app=
