#!/usr/bin/env bash
# An exercise on the real simulator in a real X server, in real time: the
# trainee silences the sounders with a quick click through the X server
# (press and release at once) about 5 s after the fire shows. The debrief
# times it, the caption shows the exercise's end, and the recording made
# alongside, replayed by qx40-scenario, gives the same verdicts and time.
set -euo pipefail
qx40="$1"
xprobe="$2"
scenario="$3"

source "$(dirname "$0")/xserver.sh"

fail() { echo "exercise: $*" >&2; cat "$work/app.log" >&2 || true; exit 1; }

# The Sounders start/stop key in the front panel's client area.
readonly sounders_x=$((634 + 12)) sounders_y=$((127 + 8))
readonly answer_s=5

cd "$work"
cat >drill.qxs <<'SCRIPT'
# Exercise: a quick silence.
# Teaches: silencing the sounders once a fire has been investigated.
click Keyswitch at 2 2
wait 200ms
level ZoneAnalogueControl1 500 ohm
wait-until FireLED 1 within 10s
mark fire
say "Silence the sounders."
measure "sounders silenced after the fire" SounderOutput1 0 within 1min since fire
expect FireLED 1
SCRIPT
QT_QPA_PLATFORM=xcb "$qx40" --scale 1 --exercise drill.qxs --report debrief.html --record answer.qxs --log events.csv \
  --trainee 'Ann <"O'"'"'Neil">'$'\n''level ZoneAnalogueControl2 500 ohm' >"$work/app.log" 2>&1 &
app=$!
await "$xprobe" origin "QX40 Simulation" || fail "front panel window did not appear"
await grep -q ",fire,Zone 1 fire" events.csv || fail "the fire did not show: $(cat events.csv)"
sleep "$answer_s"  # the trainee investigates
read -r fx fy < <("$xprobe" origin "QX40 Simulation")
xdotool mousemove $((fx + sounders_x)) $((fy + sounders_y)) mousedown 1 mouseup 1
await test -s debrief.html || fail "no report within 20 s"
measured="$(grep -o '<td class="n">[0-9.]* s</td><td>PASS' debrief.html | head -1 | grep -o '[0-9.]*' | head -1)"
[ -n "$measured" ] || fail "the debrief has no passed measurement: $(grep -o '<p[^>]*>[^<]*' debrief.html)"
awk -v m="$measured" -v a="$answer_s" 'BEGIN { exit !(m >= a - 1 && m <= a + 1) }' ||
  fail "the debrief timed the silence at $measured s, not about $answer_s s"
grep -q 'Ann &lt;&quot;O&#39;Neil&quot;&gt;\|Ann &lt;&quot;O&apos;Neil&quot;&gt;' debrief.html || fail "the trainee's name is not in the debrief, escaped"
await xdotool search --name "^Hardware Interface - exercise drill .*3 of 3 checkpoints \(ended; report in debrief.html\)$" ||
  fail "the hardware window does not show the exercise's end: $(xdotool search --name 'Hardware Interface' getwindowname)"
kill -0 "$app" || fail "the program ended with the exercise"
kill -TERM "$app"
wait "$app" || fail "qx40 exited $? on SIGTERM"
app=

# The recording is the trainee's answer: judged again, the same verdicts and time.
# A line break in the trainee's name stays inside the header's comment.
grep -q "^# Done by: Ann <\"O'Neil\"> level ZoneAnalogueControl2 500 ohm$" answer.qxs || fail "the name is not one header line: $(head answer.qxs)"
replay="$("$scenario" answer.qxs)" || fail "the replay did not pass: $replay"$'\n'"$(cat answer.qxs)"
grep -q "3 passed, 0 failed" <<<"$replay" || fail "the replay judged otherwise: $replay"
replayed="$(grep -o 'measure "sounders silenced after the fire" = [0-9.]*' <<<"$replay" | grep -o '[0-9.]*$')"
# The real program's firmware thread reads the keys on its own 20 ms beat, the
# replay's on the stepper's: the times agree to two key reads.
awk -v m="$measured" -v r="$replayed" 'BEGIN { d = m - r; exit !(d <= 0.0405 && d >= -0.0405) }' ||
  fail "live $measured s, replayed $replayed s"
echo "silenced after $measured s live, $replayed s replayed"

# A refused exercise leaves nothing behind: no report, settings or lock.
mkdir refused && cd refused
printf 'level NoSuchControl 5\n' >bad.qxs
if QT_QPA_PLATFORM=xcb "$qx40" --exercise bad.qxs --record rec.qxs >out.log 2>&1; then fail "a bad exercise was run"; fi
grep -q "bad.qxs:1: error" out.log || fail "the error lacks its line: $(cat out.log)"
[ "$(ls)" = "$(printf 'bad.qxs\nout.log')" ] || fail "a refused exercise left files: $(ls)"
