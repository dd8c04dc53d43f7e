# Shared by the scripts: dependency install, the architectures this machine
# runs, the private Wine prefix, and a private X display. Sourced, never run.
#
# A prefix serves one session at a time, and a script stops only what it
# started: use_arch first, then claim_prefix, ensure_prefix, start_xvfb and
# start_server, with `trap stop_session EXIT` set before any of them
# (start_session does all of that and brings up the desktop).

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build"
PRESETS=(win32 win64)
ORIGINAL_PATH=$PATH
need_cmd() { command -v "$1" >/dev/null 2>&1; }

# Installs what a fresh Debian 12 lacks; a no-op (no apt call) when all is there.
ensure_deps() {
  local missing=()
  need_cmd i686-w64-mingw32-g++-posix || missing+=(g++-mingw-w64-i686-posix mingw-w64-i686-dev)
  need_cmd x86_64-w64-mingw32-g++-posix || missing+=(g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev)
  need_cmd cmake || missing+=(cmake)
  need_cmd ninja || missing+=(ninja-build)
  need_cmd wine || missing+=(wine wine32:i386 wine64)
  [ -x /usr/lib/wine/wine64 ] || missing+=(wine64)
  [ -e /usr/lib/i386-linux-gnu/wine/i386-windows/user32.dll ] || missing+=(wine32:i386)
  [ -f /usr/share/wine/fonts/tahoma.ttf ] || missing+=(fonts-wine)
  [ -f /usr/share/fonts/truetype/wqy/wqy-microhei.ttc ] || missing+=(fonts-wqy-microhei)
  need_cmd Xvfb || missing+=(xvfb)
  need_cmd xdotool || missing+=(xdotool)
  need_cmd xwininfo || missing+=(x11-utils)
  { need_cmd import && import -version >/dev/null 2>&1; } || missing+=(imagemagick)
  [ -f /usr/src/googletest/CMakeLists.txt ] || missing+=(googletest)
  need_cmd zip || missing+=(zip)
  need_cmd unzip || missing+=(unzip)
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "installing: ${missing[*]}" >&2
  local sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Both programs, 32-bit and 64-bit, with their tests and tools; the programs
# are build/win32/Traylet.exe and build/win64/Traylet.exe.
build_all() {
  ensure_deps
  local preset
  for preset in "${PRESETS[@]}"; do build_preset "$preset"; done
}

build_preset() {
  if [ ! -f "$BUILD/$1/build.ninja" ]; then
    cmake --preset "$1" -S "$ROOT" >/dev/null
  fi
  cmake --build "$BUILD/$1"
}

# --- Architectures -------------------------------------------------------
# Whether this kernel runs x86 programs of a kind (32 or 64): a minimal
# static ELF of that kind that exits with 42. The same kernel version can
# have 32-bit support on or off, and a hypervisor can take it away, so only
# running something tells; Wine's loader of a kind runs where this does.
arch_runs() {
  local probe status=0
  probe=$(mktemp)
  if [ "$1" = 32 ]; then
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
  else
    printf '\x7fELF\x02\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x3e\x00\x01\x00\x00\x00\x78\x00\x40\x00\x00\x00\x00\x00\x40\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x40\x00\x38\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x05\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x40\x00\x00\x00\x00\x00\x00\x00\x40\x00\x00\x00\x00\x00\x84\x00\x00\x00\x00\x00\x00\x00\x84\x00\x00\x00\x00\x00\x00\x00\x00\x10\x00\x00\x00\x00\x00\x00\xbf\x2a\x00\x00\x00\xb8\x3c\x00\x00\x00\x0f\x05' >"$probe"
  fi
  chmod +x "$probe"
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  [ "$status" = 42 ]
}

# The kinds this machine runs, 32 first. TRAYLET_ARCHS ("64", "32 64"), when
# set, stands in for the probe: a machine that runs 32-bit code can then play
# one that does not.
runnable_archs() {
  if [ -n "${TRAYLET_ARCHS:-}" ]; then echo "$TRAYLET_ARCHS"; return; fi
  local arch found=()
  for arch in 32 64; do arch_runs "$arch" && found+=("$arch"); done
  echo "${found[*]}"
}

# The one kind a script that runs a single program uses: TRAYLET_ARCH when
# set, else the 32-bit program wherever it runs, else the 64-bit one. Says
# so, or why none can run, at once.
pick_arch() {
  local archs; archs=" $(runnable_archs) "
  if [ -n "${TRAYLET_ARCH:-}" ]; then
    case "$archs" in *" $TRAYLET_ARCH "*) echo "$TRAYLET_ARCH"; return 0 ;; esac
    echo "$(basename "$0"): this machine runs no $TRAYLET_ARCH-bit programs, so Wine cannot run the $TRAYLET_ARCH-bit Traylet here" >&2
    return 1
  fi
  case "$archs" in
    *" 32 "*) echo 32 ;;
    *" 64 "*) echo 64 ;;
    *) echo "$(basename "$0"): this kernel runs neither 32-bit nor 64-bit x86 programs: Wine cannot start here" >&2; return 1 ;;
  esac
}

# Points PRESET and Wine at one kind. Debian's `wine` (and wineboot and the
# other wrappers, through wine-stable) picks the 32-bit loader whenever it
# is installed, even where the kernel cannot run it; for the 64-bit kind a
# `wine` and `wine-stable` of our own that start the 64-bit loader come first
# on PATH. In a 64-bit prefix that loader starts 32-bit programs too, where
# the machine runs them.
use_arch() {
  ARCH=$1
  PRESET=win$1
  export PATH=$ORIGINAL_PATH
  if [ "$1" = 64 ]; then
    local shim="$BUILD/wine64-bin" name
    mkdir -p "$shim"
    for name in wine wine-stable; do
      printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$shim/$name"
      chmod +x "$shim/$name"
    done
    export PATH="$shim:$PATH" WINELOADER=/usr/lib/wine/wine64 WINEARCH=win64
  else
    unset WINELOADER WINEARCH
  fi
}

# The prefix of a purpose for the kind in use: wineprefix-test, and
# wineprefix-test64 for the 64-bit kind.
prefix_for() {
  echo "$BUILD/wineprefix$1$([ "$ARCH" = 64 ] && echo 64)"
}

wine_env() {
  export WINEPREFIX=${WINEPREFIX:-$BUILD/wineprefix}
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
}

# Takes $WINEPREFIX for this script's lifetime, or says why not and exits 1
# without touching it: a lock on a file beside the prefix (the prefix itself
# may be made anew), held by this shell and what it starts, and no Wine
# server running for the prefix that something else started.
claim_prefix() {
  wine_env
  local me; me=$(basename "$0")
  mkdir -p "$(dirname "$WINEPREFIX")"
  exec {PREFIX_LOCK_FD}>>"$WINEPREFIX.lock"
  if ! flock -n "$PREFIX_LOCK_FD"; then
    echo "$me: the Wine prefix $WINEPREFIX is in use by another session; leaving it alone" >&2
    exit 1
  fi
  if prefix_server_running; then
    echo "$me: a Wine server that this script did not start is running for $WINEPREFIX; leaving it alone" >&2
    exit 1
  fi
}

# Whether a Wine server runs for $WINEPREFIX: the server works in a directory
# named after the prefix directory's device and inode.
prefix_server_running() {
  [ -d "$WINEPREFIX" ] || return 1
  local dir cwd p
  dir=$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
  for p in /proc/[0-9]*; do
    cwd=$(readlink "$p/cwd" 2>/dev/null) || continue
    [ "${cwd##*/}" = "$dir" ] && return 0
  done
  return 1
}

# A persistent Wine server for the session (later starts are quick).
start_server() {
  wineserver -p
  SERVER_STARTED=1
}

# A prefix of our own with Tahoma and a virtual desktop that has a taskbar.
# Made once (wineboot is slow), then reused; the marker's number goes up
# whenever what a prefix gets changes, so older prefixes are made again. It
# is made beside its place and moved there when whole, so a Wine that cannot
# start leaves nothing half made behind, and says why at once.
PREFIX_MARK=.traylet-ready-2
# One step of making a prefix. A step that fails is tried once more after the
# prefix's server has gone; a second failure ends the script and says which
# step it was, rather than leaving a half-made prefix without a word.
prefix_step() {
  "$@" >/dev/null 2>&1 && return 0
  wineserver -w 2>/dev/null || true
  "$@" >/dev/null 2>&1 && return 0
  echo "$(basename "$0"): could not make the Wine prefix for the $ARCH-bit program: this failed twice: $*" >&2
  exit 1
}

ensure_prefix() {
  wine_env
  [ -f "$WINEPREFIX/$PREFIX_MARK" ] && return 0
  local final=$WINEPREFIX log
  rm -rf "$final" "$final.new"
  export WINEPREFIX="$final.new"
  mkdir -p "$WINEPREFIX"
  log=$(DISPLAY= wineboot -i 2>&1) || true
  wineserver -w 2>/dev/null || true
  if [ ! -f "$WINEPREFIX/system.reg" ] || [ ! -d "$WINEPREFIX/drive_c/windows/Fonts" ]; then
    rm -rf "$WINEPREFIX"
    export WINEPREFIX=$final
    echo "$(basename "$0"): Wine could not make a prefix for the $ARCH-bit program, so it cannot start here. wineboot said:" >&2
    printf '%s\n' "$log" | grep -v '^$' | tail -n 5 | sed 's/^/  /' >&2
    exit 1
  fi
  # Tahoma for the menus and dialogs, Marlett for the caption buttons.
  cp /usr/share/wine/fonts/tahoma*.ttf /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  # Wine draws no glyph that the chosen font lacks unless the font is
  # linked to others, as Windows links its own: Greek and CJK titles.
  local face link='DejaVuSans.ttf,DejaVu Sans\0wqy-microhei.ttc,WenQuanYi Micro Hei'
  for face in Tahoma 'Tahoma Bold'; do
    DISPLAY= prefix_step wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$face" /t REG_MULTI_SZ /d "$link" /f
  done
  DISPLAY= prefix_step wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f
  DISPLAY= prefix_step wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d "${TRAYLET_SCREEN:-1024x768}" /f
  # The registry is on disk once the prefix's server has gone.
  prefix_step wineserver -w
  touch "$WINEPREFIX/$PREFIX_MARK"
  mv "$WINEPREFIX" "$final"
  export WINEPREFIX=$final
}

# Starts an Xvfb of our own on a free display number; sets DISPLAY and XVFB_PID.
start_xvfb() {
  local n=${TRAYLET_DISPLAY_BASE:-70} size=${TRAYLET_SCREEN:-1024x768}
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  local i
  for i in $(seq 100); do
    xdpyinfo >/dev/null 2>&1 && return 0
    kill -0 "$XVFB_PID" 2>/dev/null || { start_xvfb; return; }   # lost a race for :n
    sleep 0.05
  done
  echo "Xvfb on :$n did not come up" >&2; return 1
}

# Stops what this script started, and nothing else.
stop_session() {
  if [ -n "${SERVER_STARTED:-}" ]; then wineserver -k >/dev/null 2>&1 || true; wineserver -w >/dev/null 2>&1 || true; fi
  if [ -n "${XVFB_PID:-}" ]; then kill "$XVFB_PID" 2>/dev/null || true; wait "$XVFB_PID" 2>/dev/null || true; fi
}

# A whole session for the kind in use, in the prefix of a purpose (-test,
# -faults, ...): the prefix claimed and made, an Xvfb, a Wine server, and one
# program that keeps the virtual desktop (and its taskbar) up between tests.
# It starts first and alone: the session's services and the desktop's
# explorer are then its children, not the children of a test whose output
# pipe they would hold open. The caller sets `trap stop_session EXIT` first.
start_session() {
  export WINEPREFIX; WINEPREFIX=$(prefix_for "$1")
  claim_prefix
  ensure_prefix
  start_xvfb
  start_server
  wine "$BUILD/$PRESET/desktopkeeper.exe" >/dev/null 2>&1 &
  wine "$BUILD/$PRESET/traydriver.exe" wait-window Shell_TrayWnd - 30000 >/dev/null 2>&1 \
    || { echo "the Wine desktop did not come up" >&2; exit 1; }
}
