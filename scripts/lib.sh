# Shared by the scripts: dependency install, the private Wine prefix, and a
# private X display. Sourced, never run.
#
# A prefix serves one session at a time, and a script stops only what it
# started: claim_prefix first, then ensure_prefix, start_xvfb and
# start_server, with `trap stop_session EXIT` set before any of them.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build"
PRESET=${TRAYLET_PRESET:-win32}

need_cmd() { command -v "$1" >/dev/null 2>&1; }

# Installs what a fresh Debian 12 lacks; a no-op (no apt call) when all is there.
ensure_deps() {
  local missing=()
  need_cmd i686-w64-mingw32-g++-posix || missing+=(g++-mingw-w64-i686-posix mingw-w64-i686-dev)
  need_cmd cmake || missing+=(cmake)
  need_cmd ninja || missing+=(ninja-build)
  need_cmd wine || missing+=(wine wine32:i386 wine64)
  [ -e /usr/lib/i386-linux-gnu/wine/i386-windows/user32.dll ] || missing+=(wine32:i386)
  [ -f /usr/share/wine/fonts/tahoma.ttf ] || missing+=(fonts-wine)
  [ -f /usr/share/fonts/truetype/wqy/wqy-microhei.ttc ] || missing+=(fonts-wqy-microhei)
  need_cmd Xvfb || missing+=(xvfb)
  need_cmd xdotool || missing+=(xdotool)
  need_cmd xwininfo || missing+=(x11-utils)
  { need_cmd import && import -version >/dev/null 2>&1; } || missing+=(imagemagick)
  [ -f /usr/src/googletest/CMakeLists.txt ] || missing+=(googletest)
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "installing: ${missing[*]}" >&2
  local sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

build_all() {
  ensure_deps
  if [ ! -f "$BUILD/$PRESET/build.ninja" ]; then
    cmake --preset "$PRESET" -S "$ROOT" >/dev/null
  fi
  cmake --build "$BUILD/$PRESET"
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
# whenever what a prefix gets changes, so older prefixes are made again.
PREFIX_MARK=.traylet-ready-2
ensure_prefix() {
  wine_env
  if [ ! -f "$WINEPREFIX/$PREFIX_MARK" ]; then
    rm -rf "$WINEPREFIX"; mkdir -p "$WINEPREFIX"
    DISPLAY= wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    # Tahoma for the menus and dialogs, Marlett for the caption buttons.
    cp /usr/share/wine/fonts/tahoma*.ttf /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    # Wine draws no glyph that the chosen font lacks unless the font is
    # linked to others, as Windows links its own: Greek and CJK titles.
    local face link='DejaVuSans.ttf,DejaVu Sans\0wqy-microhei.ttc,WenQuanYi Micro Hei'
    for face in Tahoma 'Tahoma Bold'; do
      DISPLAY= wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
        /v "$face" /t REG_MULTI_SZ /d "$link" /f >/dev/null 2>&1
    done
    DISPLAY= wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null 2>&1
    DISPLAY= wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d "${TRAYLET_SCREEN:-1024x768}" /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/$PREFIX_MARK"
  fi
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
