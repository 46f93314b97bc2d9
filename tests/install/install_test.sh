#!/usr/bin/env bash
# Installs the build into a scratch prefix, moves the prefix elsewhere and runs
# the installed programs from another directory: they find their artwork
# relative to themselves and never through the source or build tree. The menu's
# launcher starts qx40 in the user's data directory. Then packs the build as a
# Debian package, which lintian must pass without an error or a warning.
#
#   install_test.sh CMAKE SOURCE_DIR BUILD_DIR BUILD_QX40_SCENARIO BINDIR DATADIR MANDIR
# (the last three as GNUInstallDirs names them, relative to the prefix)
set -uo pipefail
cmake="$1" source="$2" build="$3" built_runner="$4" bindir="$5" datadir="$6" mandir="$7"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }
export QT_QPA_PLATFORM=offscreen

"$cmake" --install "$build" --prefix "$work/installed" >"$work/install.log" ||
  { cat "$work/install.log"; echo "FAIL: cmake --install $build"; exit 1; }
# Nothing of the install path may be remembered: the programs must run wherever the prefix lies.
mv "$work/installed" "$work/prefix"
prefix="$work/prefix"
bin="$prefix/$bindir"
data="$prefix/$datadir"

for file in "$bin/qx40" "$bin/qx40-scenario" "$bin/qx40-render" \
  "$data/icons/hicolor/32x32/apps/qx40.png" \
  "$prefix/$mandir/man1/qx40.1.gz" "$prefix/$mandir/man1/qx40-scenario.1.gz" "$prefix/$mandir/man1/qx40-render.1.gz" \
  "$data/doc/qx40/copyright" "$data/doc/qx40/changelog.gz"; do
  [ -s "$file" ] || fail "not installed: $file"
done
diff <(ls "$source/assets") <(ls "$data/qx40/assets") >/dev/null || fail "the artwork in $data/qx40/assets differs from assets/"

desktop=("$data"/applications/*.desktop)
metainfo=("$data"/metainfo/*.metainfo.xml)
[ -f "${desktop[0]}" ] || fail "no desktop entry in $data/applications"
[ -f "${metainfo[0]}" ] || fail "no AppStream metadata in $data/metainfo"
for tool in desktop-file-validate appstreamcli groff lintian; do
  command -v "$tool" >/dev/null || fail "$tool is missing: run tools/install-deps.sh"
done
desktop-file-validate "${desktop[@]}" || fail "desktop entry not valid: ${desktop[*]}"
appstreamcli validate --no-net "${metainfo[@]}" >"$work/appstream.log" ||
  { cat "$work/appstream.log"; fail "AppStream metadata not valid: ${metainfo[*]}"; }
for page in "$prefix/$mandir"/man1/*.1.gz; do
  warnings="$(zcat "$page" | groff -man -ww -z -Tutf8 2>&1)"
  [ -z "$warnings" ] || fail "$page: $warnings"
done

# From a directory of its own, far from the source and the build.
elsewhere="$work/elsewhere"
mkdir -p "$elsewhere"
cd "$elsewhere" || exit 1
"$bin/qx40" --version | grep -q '^qx40 [0-9]' || fail "installed qx40 --version"
scenario="$source/scenarios/first-fire.qxs"
"$bin/qx40-scenario" "$scenario" >"$work/scenario.log" ||
  { cat "$work/scenario.log"; fail "installed qx40-scenario $scenario"; }

# The front panel drawn by the installed runner matches the build's drawing,
# and stops matching once the installed picture is gone: only the installed
# artwork is used.
printf 'wait 1s\nscreenshot frmMainDisplay front.png\n' >shot.qxs
shoot() {  # RUNNER FOLDER: the picture lands in the folder the runner starts in
  mkdir -p "$2" && (cd "$2" && "$1" ../shot.qxs >/dev/null) || fail "$1 in $2"
}
shoot "$built_runner" built
shoot "$bin/qx40-scenario" installed
cmp -s built/front.png installed/front.png || fail "the installed runner draws the front panel otherwise than the build's"
rm "$data/qx40/assets/MarvaneBackImage.jpg"
shoot "$bin/qx40-scenario" without
cmp -s installed/front.png without/front.png && fail "the installed runner found a fascia picture outside its prefix"

"$bin/qx40-render" "$elsewhere/render" >/dev/null || fail "installed qx40-render"
[ -s "$elsewhere/render/front-corvella.png" ] || fail "installed qx40-render wrote no front-corvella.png"

# The menu's command line, as a desktop runs it, starts qx40 in the user's data
# directory: a stand-in qx40 tells where it was started.
exec_line="$(sed -n 's/^Exec=//p' "${desktop[0]}")"
launcher="${exec_line/#$work\/installed/$prefix}"
[ -x "$launcher" ] || fail "the desktop entry runs '$exec_line', not a launcher in the installed prefix"
printf '#!/bin/sh\npwd >"%s/started-in"\n' "$work" >"$bin/qx40"
(cd / && env -u XDG_DATA_HOME HOME="$work/home" "$launcher") || fail "the menu's launcher $launcher"
[ "$(cat "$work/started-in" 2>/dev/null)" = "$work/home/.local/share/qx40" ] ||
  fail "from the menu qx40 starts in '$(cat "$work/started-in" 2>/dev/null)', not ~/.local/share/qx40"
(cd / && XDG_DATA_HOME="$work/data" "$launcher") && [ "$(cat "$work/started-in")" = "$work/data/qx40" ] ||
  fail "from the menu qx40 ignores XDG_DATA_HOME"

# The Debian package, built from the same tree.
cpack="$(dirname "$cmake")/cpack"
(cd "$work" && "$cpack" --config "$build/CPackConfig.cmake" -B "$work/deb" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; fail "cpack could not build the Debian package"; }
package=("$work"/deb/*.deb)
if [ -f "${package[0]}" ]; then
  lintian --display-info --fail-on error,warning "${package[0]}" >"$work/lintian.log" 2>&1 ||
    fail "lintian finds errors or warnings in ${package[0]##*/}"
  grep -E '^[EW]: |hardening' "$work/lintian.log" && fail "lintian: see above"
  echo "lintian on ${package[0]##*/}, $(stat -c %s "${package[0]}") bytes: $(grep -c '^[A-Z]: ' "$work/lintian.log") notes"
  cat "$work/lintian.log"
else
  fail "cpack wrote no package into $work/deb"
fi
exit $status
