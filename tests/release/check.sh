#!/usr/bin/env bash
# The release archive as a user who downloads it gets it: one folder named
# after the version holding exactly the two programs, the README, the LICENSE
# and SHA256SUMS; every sum right; each program the build's own file, of its
# kind. Run by scripts/test on what scripts/dist wrote.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
ZIP=$1
fail() { echo "release: $*" >&2; exit 1; }

version=$(sed -n 's/^#define TRAYLET_VERSION_TEXT "\(.*\)"$/\1/p' "$ROOT/res/Version.h")
name="Traylet-$version"
[ "$(basename "$ZIP")" = "$name.zip" ] || fail "the archive is $(basename "$ZIP"), not $name.zip"
listing=$(unzip -Z1 "$ZIP" | sort)
expected=$(printf '%s\n' "$name/" "$name/LICENSE" "$name/README.md" "$name/SHA256SUMS" "$name/Traylet.exe" \
  "$name/Traylet64.exe" | sort)
[ "$listing" = "$expected" ] || fail "the archive holds: $(tr '\n' ' ' <<<"$listing")"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
unzip -q "$ZIP" -d "$tmp"
cd "$tmp/$name"
summed=$(tr -d '\r' <SHA256SUMS | sed 's/^[0-9a-f]\{64\} [ *]//' | sort | tr '\n' ' ')
[ "$summed" = "LICENSE README.md Traylet.exe Traylet64.exe " ] || fail "SHA256SUMS names: $summed"
sha256sum --quiet -c SHA256SUMS || fail "a sum does not match"
cmp -s Traylet.exe "$ROOT/build/win32/Traylet.exe" || fail "Traylet.exe is not the 32-bit build"
cmp -s Traylet64.exe "$ROOT/build/win64/Traylet.exe" || fail "Traylet64.exe is not the 64-bit build"
# The machine field of each program's header: i386, and AMD64.
machine() { local pe; pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' '); od -An -tx2 -j$((pe + 4)) -N2 "$1" | tr -d ' '; }
[ "$(machine Traylet.exe)" = 014c ] || fail "Traylet.exe is not a 32-bit program: machine $(machine Traylet.exe)"
[ "$(machine Traylet64.exe)" = 8664 ] || fail "Traylet64.exe is not a 64-bit program: machine $(machine Traylet64.exe)"
echo "release: $name.zip holds both programs, the README, the LICENSE and SHA256SUMS; every sum matches"
