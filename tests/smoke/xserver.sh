# Sourced by scripts that run the real program: a scratch directory and a
# private Xvfb server on a free display, both gone when the script exits,
# together with the program if $app still names it.
work="$(mktemp -d)"
cleanup() {
  [ -n "${app:-}" ] && kill "$app" 2>/dev/null || true
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number to the given descriptor.
# The script may choose the screen's size first.
# -noreset: with no client left between two starts the server would reset, refusing the next one meanwhile.
Xvfb -displayfd 3 -screen 0 "${screen:-1280x1024}x24" -nolisten tcp -noreset 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { echo "Xvfb did not start: $(cat "$work/xvfb.log")" >&2; exit 1; }
export DISPLAY=":$(cat "$work/display")"

# The program remembers its windows per user: here, in the scratch directory.
export XDG_CONFIG_HOME="$work/config"

# Waits up to 20 s for a command to succeed.
await() {
  for _ in $(seq 200); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  return 1
}
