#!/usr/bin/env bash
# Includes run one way: app/ -> docking/ -> tray/ -> menu/ -> framework/. A
# program file may include headers of its own folder and of the folders
# below it, never of one above it, nor of the tests; the resource
# identifiers (res/) belong to app/ alone. Usage: includes.sh SOURCE_ROOT.
# Prints every include that breaks the order and exits 1 if there is one.
# It then checks itself on a planted tree, so that it cannot pass by
# reading nothing.
set -euo pipefail
ORDER=(framework menu tray docking app)

rank() {  # folder -> its place in ORDER, or -1
  local i
  for i in "${!ORDER[@]}"; do [ "${ORDER[$i]}" = "$1" ] && { echo "$i"; return; }; done
  echo -1
}

# Prints "file: #include ..." for each include out of order under $1, and
# sets FILES to the number of program files read.
offences() {
  local root=$1 dir f line target own
  FILES=0
  for dir in "${ORDER[@]}"; do
    own=$(rank "$dir")
    for f in "$root/$dir"/*.h "$root/$dir"/*.cpp; do
      [ -e "$f" ] || continue
      FILES=$((FILES + 1))
      while IFS= read -r line; do
        target=${line#*\"}
        target=${target%%\"*}
        target=${target%%/*}
        if [ "$target" = res ] && [ "$dir" = app ]; then continue; fi
        local r; r=$(rank "$target")
        if [ "$r" -lt 0 ] || [ "$r" -gt "$own" ]; then echo "${f#"$root"/}: $line"; fi
      done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$f" || true)
    done
  done
}

root=${1:?usage: includes.sh SOURCE_ROOT}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
offences "$root" >"$scratch/found"
found=$(cat "$scratch/found")
if [ "$FILES" -eq 0 ]; then echo "no program files under $root" >&2; exit 1; fi
if [ -n "$found" ]; then
  echo "includes against the order ${ORDER[*]}:" >&2
  echo "$found" >&2
  exit 1
fi
echo "ok: $FILES program files include only their own folder and the folders below it"

# The check itself: a tree with four includes out of order must show four.
plant="$scratch/tree"
mkdir -p "$plant/framework" "$plant/menu" "$plant/docking"
printf '#include "framework/Wnd.h"\n#include "menu/MenuEx.h"\n' >"$plant/framework/Planted.h"
printf '#include <windows.h>\n  #  include "app/TrayDockDlg.h"\n#include "tests/support/TestSupport.h"\n' \
  >"$plant/menu/Planted.cpp"
printf '#include "tray/TrayIcon.h"\n#include "res/resource.h"\n' >"$plant/docking/Planted.cpp"
offences "$plant" >"$scratch/found"
found=$(cat "$scratch/found")
if [ "$(grep -c . <<<"$found")" -ne 4 ]; then
  echo "the check missed includes out of order in a planted tree; it found:" >&2
  echo "$found" >&2
  exit 1
fi
