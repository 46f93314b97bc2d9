#!/usr/bin/env bash
# The desktop program as a user meets it on a 1366x768 screen, bare or under
# a window manager: a right-click menu, dismissed or used, never takes the
# next left click; the event log opens on the screen and off the hardware
# window; hints show in a window without the focus; restarts leave both
# windows where they were; --scale 2 draws both windows twice as large, takes
# clicks at that size and is remembered; an unreachable display is said
# plainly (exit 2).
#
#   desktop_test.sh QX40 XPROBE [WINDOW_MANAGER]
set -euo pipefail
qx40="$1"
xprobe="$2"
window_manager="${3:-}"
screen=1366x768

source "$(dirname "$0")/xserver.sh"

fail() { echo "desktop${window_manager:+ under $window_manager}: $*" >&2; cat "$work/app.log" >&2 || true; exit 1; }

cd "$work"
if [ -n "$window_manager" ]; then
  "$window_manager" >"$work/wm.log" 2>&1 &
  # Not only started but serving: one still starting loses windows mapped meanwhile.
  await "$xprobe" serving || fail "$window_manager did not start: $(cat "$work/wm.log")"
fi

start() {
  "$qx40" "$@" >>"$work/app.log" 2>&1 &
  app=$!
  await "$xprobe" origin "QX40 Simulation" || fail "front panel window did not appear"
  await "$xprobe" origin "Hardware Interface" || fail "hardware window did not appear"
  await "$xprobe" pixel "Hardware Interface" 0 0 || fail "hardware window cannot be read"
  sleep 0.5
}

stop() {
  "$xprobe" close "QX40 Simulation"
  wait "$app" || fail "qx40 exited $? on closing"
  app=
}

# The Mute sound box's tick, in the hardware window's client area at scale 1.
scale=1
mute_x=114 mute_y=315
muted() {
  read -r r _ _ < <("$xprobe" pixel "Hardware Interface" $((mute_x * scale)) $((mute_y * scale)))
  [ "$r" -lt 128 ]
}
unmuted() { ! muted; }
# A left click at a point of the hardware window's client area at scale 1.
click_hardware() {
  read -r hx hy < <("$xprobe" origin "Hardware Interface")
  xdotool mousemove $((hx + $1 * scale)) $((hy + $2 * scale)) click "${3:-1}"
}
# Clicking the box turns it from either state to the other.
expect_mute_toggles() {
  if muted; then
    click_hardware $((mute_x + 2)) $mute_y
    await unmuted || fail "Mute sound was not cleared by a click $1"
  else
    click_hardware $((mute_x + 2)) $mute_y
    await muted || fail "Mute sound was not ticked by a click $1"
  fi
}
# The program's windows on the screen: its two, a menu, a hint, the event log.
windows_shown() { [ "$(xdotool search --onlyvisible --class qx40 | wc -l)" -eq "$1" ]; }
# A bare spot of the hardware window, for its menu.
bare_x=450 bare_y=300

start
expect_mute_toggles "at the start"
click_hardware $bare_x $bare_y 3
await windows_shown 3 || fail "right-click showed no menu"
xdotool key Escape
expect_mute_toggles "after a menu dismissed with Escape"

# The menu's first item: the event log.
click_hardware $bare_x $bare_y 3
await windows_shown 3 || fail "right-click showed no menu"
xdotool key Down Return
await xdotool search --onlyvisible --name "^Event Log$" || fail "the event log did not open"
expect_mute_toggles "after the menu opened the event log"
read -r lx ly lw lh < <("$xprobe" geometry "Event Log")
read -r hx hy hw hh < <("$xprobe" frame "Hardware Interface")
[ "$lx" -ge 0 ] && [ "$ly" -ge 0 ] && [ $((lx + lw)) -le 1366 ] && [ $((ly + lh)) -le 768 ] ||
  fail "the event log ($lw x $lh at $lx,$ly) leaves the 1366x768 screen"
[ $((lx + lw)) -le "$hx" ] || [ "$lx" -ge $((hx + hw)) ] || [ $((ly + lh)) -le "$hy" ] || [ "$ly" -ge $((hy + hh)) ] ||
  fail "the event log ($lw x $lh at $lx,$ly) covers the hardware window ($hw x $hh at $hx,$hy)"
"$xprobe" close "Event Log"
await windows_shown 2 || fail "the event log did not close"

# A hint over the hardware window while the front panel has the focus.
xdotool windowfocus --sync "$(xdotool search --onlyvisible --name "^QX40 Simulation$" | tail -1)"
read -r hx hy < <("$xprobe" origin "Hardware Interface")
xdotool mousemove $((hx + mute_x)) $((hy + mute_y))
sleep 0.1
xdotool mousemove $((hx + mute_x + 1)) $((hy + mute_y))
await windows_shown 3 || fail "no hint over Mute sound while the front panel had the focus"

# Restarts keep both windows where they were, client areas and all.
placed="$("$xprobe" origin "QX40 Simulation") $("$xprobe" origin "Hardware Interface")"
stop
for run in 1 2 3; do
  start
  now="$("$xprobe" origin "QX40 Simulation") $("$xprobe" origin "Hardware Interface")"
  [ "$now" = "$placed" ] || fail "restart $run moved the windows from $placed to $now"
  stop
done

# Twice as large: drawn, clicked and remembered at that size.
for run in "--scale 2" ""; do
  start $run
  read -r _ _ width height < <("$xprobe" geometry "Hardware Interface")
  [ "$width x $height" = "962 x 674" ] || fail "qx40 $run: the hardware window is $width x $height, not 962 x 674"
  scale=2
  expect_mute_toggles "at scale 2"
  scale=1
  stop
done

# A display that is set but does not answer.
set +e
DISPLAY=:9999 "$qx40" >/dev/null 2>"$work/nodisplay.log"
status=$?
set -e
[ $status -eq 2 ] || fail "an unreachable display gave exit code $status, not 2"
grep -q "cannot connect to the display DISPLAY=:9999" "$work/nodisplay.log" || fail "an unreachable display was not said: $(cat "$work/nodisplay.log")"
# No sound server here: the program says so once, and nothing else.
[ "$(grep -c . "$work/app.log")" = "$(grep -cx "qx40: no audio output device found: the panel runs silent" "$work/app.log")" ] ||
  fail "the program said more than that it runs silent"
echo "desktop${window_manager:+ under $window_manager}: clicks after menus, event log on screen and off the hardware window, hints without focus, 3 restarts in place, scale 2 drawn, clicked and remembered, unreachable display exit 2"
