#!/usr/bin/env bash
# Fails when a source file includes a header of a layer above its own, or when
# a Qt header appears outside the Qt front end, the tools and the tests.
#
#   check_layers.sh SOURCE_ROOT
set -uo pipefail
root="${1:?usage: check_layers.sh SOURCE_ROOT}"
cd "$root" || exit 2

# The layers from the bottom up; each may include only its own and lower ones.
layers=(board firmware windows machine scenario qt web app bench)
rank() {
  local i
  for i in "${!layers[@]}"; do [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }; done
  echo -1
}

status=0
while IFS= read -r file; do
  folder="${file%%/*}"
  own=$(rank "$folder")
  while IFS=: read -r line text; do
    included=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]+"([^/"]+)\/.*/\1/' <<<"$text")
    [ "$included" = "$text" ] && continue
    if [ "$included" = tests ] || [ "$included" = tools ]; then
      [ "$own" -ge 0 ] && { echo "$file:$line: includes $included/, which no layer may"; status=1; }
      continue
    fi
    theirs=$(rank "$included")
    if [ "$own" -ge 0 ] && [ "$theirs" -gt "$own" ]; then
      echo "$file:$line: $folder/ includes $included/, a layer above it"
      status=1
    fi
  done < <(grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]+"' "$file")
  case "$folder" in qt|tools|tests) continue ;; esac
  while IFS=: read -r line text; do
    echo "$file:$line: a Qt header outside qt/, tools/ and tests/: $text"
    status=1
  done < <(grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]+<Q' "$file")
done < <(find "${layers[@]}" tools tests -type f \( -name '*.cpp' -o -name '*.h' \) 2>/dev/null | sort)
exit $status
