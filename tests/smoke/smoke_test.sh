#!/usr/bin/env bash
# Runs the real simulator in a real X server: both windows appear, a drag of
# zone 1 into the fire band lights zone 1's fire LED on the screen, and closing
# the hardware window ends the program with exit code 0 and a 309-byte
# Hardware.dat. A second run, from that file, ends by closing the front panel,
# and a third, driven through its control socket, by SIGTERM. Of the missing
# sound each says one line, and nothing more.
set -euo pipefail
qx40="$1"
xprobe="$2"

source "$(dirname "$0")/xserver.sh"

fail() { echo "smoke: $*" >&2; exit 1; }

cd "$work"
# At the size the pixel positions below are for, which is then remembered.
QT_QPA_PLATFORM=xcb "$qx40" --scale 1 >"$work/app.log" 2>&1 &
app=$!
await "$xprobe" origin "QX40 Simulation" || fail "front panel window did not appear"
await "$xprobe" origin "Hardware Interface" || fail "hardware window did not appear"
sleep 0.5

# Zone 1's fire LED, before and after the drag.
led_x=$((298 + 5)); led_y=$((132 + 5))
read -r r0 g0 b0 < <("$xprobe" pixel "QX40 Simulation" $led_x $led_y)

# Zone 1's level box sits at 40, 16 in the first group box; press at 2 + a
# width in the fire band (about 500 ohms) and release there.
read -r hx hy < <("$xprobe" origin "Hardware Interface")
xdotool mousemove $((hx + 40 + 2 + 48)) $((hy + 16 + 5)) mousedown 1
xdotool mousemove $((hx + 40 + 2 + 49)) $((hy + 16 + 5)) mouseup 1

lit() {
  read -r r g b < <("$xprobe" pixel "QX40 Simulation" $led_x $led_y)
  [ "$r" -gt $((r0 + 60)) ] && [ "$r" -gt "$g" ] && [ "$r" -gt "$b" ]
}
await lit || fail "zone 1 fire LED did not light (before: $r0 $g0 $b0)"

# Ends the program as described and expects a clean exit that saved the whole file.
end_and_check() {
  local how="$1"
  shift
  "$@"
  for _ in $(seq 100); do
    kill -0 "$app" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$app" 2>/dev/null && fail "program still running after $how"
  set +e
  wait "$app"
  status=$?
  set -e
  app=""
  [ "$status" -eq 0 ] || fail "exit code $status after $how"
  size=$(stat -c %s "$work/Hardware.dat" 2>/dev/null || echo missing)
  [ "$size" = 309 ] || fail "Hardware.dat is $size bytes, not 309, after $how"
}

end_and_check "closing the hardware window" "$xprobe" close "Hardware Interface"

QT_QPA_PLATFORM=xcb "$qx40" >>"$work/app.log" 2>&1 &
app=$!
await "$xprobe" origin "Hardware Interface" || fail "second run: hardware window did not appear"
# The saved zone 1 level brings the fire back.
await lit || fail "second run: zone 1 fire LED did not light from the saved settings"
end_and_check "closing the front panel" "$xprobe" close "QX40 Simulation"

# The control socket: one line sent, its reply line printed.
sock="$work/qx40.sock"
ask() {
  /usr/bin/python3 -c 'import socket, sys
s = socket.socket(socket.AF_UNIX)
s.connect(sys.argv[1])
s.sendall(sys.argv[2].encode() + b"\n")
print(s.makefile().readline().rstrip("\n"))' "$sock" "$1"
}
expect_reply() {
  local got
  got="$(ask "$1")"
  [ "$got" = "$2" ] || fail "control socket: '$1' answered '$got', not '$2'"
}

# A terminate signal saves as a close does, and removes the control socket.
# This run starts as with no Hardware.dat: no fire until the socket makes one.
rm -f "$work/Hardware.dat"
QT_QPA_PLATFORM=xcb "$qx40" --control "$sock" >>"$work/app.log" 2>&1 &
app=$!
await "$xprobe" origin "Hardware Interface" || fail "third run: hardware window did not appear"
[ "$(stat -c %a "$sock")" = 600 ] || fail "control socket mode is $(stat -c %a "$sock"), not 600"
expect_reply "print var zonesInFire" 0
expect_reply "level ZoneAnalogueControl1 500 ohm" ok
expect_reply "wait-until var zonesInFire 0x01 within 5s" ok
expect_reply "print config 129" 1
expect_reply "print $(printf 'x\001')" "error: a control character at byte 8: send lines of text"
rm -f "$work/Hardware.dat"
end_and_check "SIGTERM" kill -TERM "$app"
[ ! -e "$sock" ] || fail "the control socket was left behind"
# No sound server runs here: each run says so once, in its own words, and
# passes on nothing of Qt's.
notice="qx40: no audio output device found: the panel runs silent"
[ "$(grep -cx "$notice" "$work/app.log")" = 3 ] || fail "not one notice of the missing sound in each of 3 runs"
if grep -v -x "$notice" "$work/app.log" | grep -i -E "pulse|audio|multimedia|sound" >&2; then
  fail "the program spoke of sound beyond its notice"
fi
echo "smoke: both windows shown, zone 1 fire LED lit, clean exits by either window and SIGTERM, Hardware.dat 309 bytes, control socket answered"
