#!/usr/bin/env bash
# The set-up scripts: tools/run.sh asks only for the desktop program's
# packages (no emscripten, no chromium) and builds qx40 alone in build-run/,
# leaving the test suite's build/ as it is; tools/install-deps.sh without a set
# still installs every set, and refuses an unknown one.
#
#   setup_scripts_test.sh SOURCE_DIR
set -uo pipefail
source="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }
deps="$source/tools/install-deps.sh"

run_set="$("$deps" --list run)"
for heavy in emscripten chromium lintian libgtest-dev xvfb; do
  grep -qx "$heavy" <<<"$run_set" && fail "the run set installs $heavy"
done
all="$("$deps" --list)"
for set in run test web classroom; do
  missing="$(comm -23 <("$deps" --list "$set") <(echo "$all"))"
  [ -z "$missing" ] || fail "install-deps without a set leaves out the $set set's $missing"
done
"$deps" --list bogus >/dev/null 2>"$work/err"
[ $? -eq 2 ] && grep -q "unknown set 'bogus'" "$work/err" || fail "install-deps bogus: $(cat "$work/err")"

# tools/run.sh in a copy of the tools folder, with cmake and install-deps
# standing in that record what they were asked, and a qx40 that says it started.
repo="$work/repo"
mkdir -p "$repo/tools" "$work/bin"
cp "$source/tools/run.sh" "$repo/tools/"
cat >"$repo/tools/install-deps.sh" <<STUB
#!/bin/sh
echo "install-deps \$*" >>"$work/calls"
STUB
cat >"$work/bin/cmake" <<STUB
#!/bin/sh
echo "cmake \$*" >>"$work/calls"
case "\$1" in --build) mkdir -p "\$2"; printf '#!/bin/sh\necho "qx40 \$@"\n' >"\$2/qx40"; chmod +x "\$2/qx40" ;; esac
STUB
chmod +x "$repo/tools/install-deps.sh" "$work/bin/cmake"
started="$(PATH="$work/bin:$PATH" "$repo/tools/run.sh" --scale 2)" || fail "tools/run.sh exited $?"
[ "$started" = "qx40 --scale 2" ] || fail "tools/run.sh started '$started', not 'qx40 --scale 2'"
grep -qx "install-deps run" "$work/calls" || fail "tools/run.sh did not ask install-deps for the run set alone"
grep -q -- "-B $repo/build-run .*-DBUILD_TESTING=OFF" "$work/calls" || fail "tools/run.sh did not configure build-run/"
grep -q -- "--build $repo/build-run --target qx40$" "$work/calls" || fail "tools/run.sh did not build qx40 alone in build-run/"
grep -q -- "$repo/build[ /]" "$work/calls" && fail "tools/run.sh touched build/"
[ $status -eq 0 ] || cat "$work/calls"
exit $status
