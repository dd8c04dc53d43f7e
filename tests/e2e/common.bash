# Sourced by the end-to-end scripts. ctest runs them inside the session that
# scripts/test started (WINEPREFIX, DISPLAY, a desktop with a taskbar).
set -euo pipefail
BIN=${TRAYLET_BIN:?run through ctest}
SRC=${TRAYLET_SRC:?run through ctest}
OUT="$BIN/e2e-out/$(basename "$0" .sh)"
mkdir -p "$OUT"
STARTED_PIDS=()

fail() { echo "FAIL: $*" >&2; exit 1; }
pass() { echo "ok: $*"; }

# Wine's console output ends lines with CR LF.
drv() { wine "$BIN/traydriver.exe" "$@" | tr -d '\r'; }

# Starts a program of ours in the background and remembers it for cleanup.
# Its output goes to a file: a background program must not hold the test's
# output pipe open after the test ends.
start_bg() {
  local log="$OUT/$(basename "$1" .exe).$#.log"
  wine "$@" >"$log" 2>&1 &
  STARTED_PIDS+=($!)
}

start_traylet() {
  start_bg "$BIN/Traylet.exe"
  TRAYLET_PID=${STARTED_PIDS[-1]}
  drv wait-window '#32770' Traylet 10000 || fail "Traylet's dialog did not appear"
  TRAYLET_DLG=$(drv find '#32770' Traylet)
}

# Ends Traylet from outside with a sent IDCANCEL: the dialog's loop ends and
# the program exits as after "Exit".
stop_traylet() {
  local dlg
  dlg=$(drv find '#32770' Traylet) || return 0
  drv send "$dlg" 0x0111 2 0 >/dev/null || true
  wait_pid_gone "$TRAYLET_PID" 10 || fail "Traylet did not end"
}

wait_pid_gone() {  # pid seconds
  local i
  for i in $(seq $(( $2 * 20 ))); do
    kill -0 "$1" 2>/dev/null || return 0
    sleep 0.05
  done
  return 1
}

# Retries a command until it succeeds or the seconds run out.
wait_until() {  # seconds command...
  local secs=$1; shift
  local end=$(( $(date +%s%N) + secs * 1000000000 ))
  until "$@" >/dev/null 2>&1; do
    [ "$(date +%s%N)" -lt "$end" ] || return 1
    sleep 0.05
  done
}

screenshot() { import -window root "$OUT/$1.png"; echo "$OUT/$1.png"; }

cleanup_started() {
  local p
  for p in "${STARTED_PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${STARTED_PIDS[@]}"; do wait_pid_gone "$p" 5 || kill -9 "$p" 2>/dev/null || true; done
}
trap cleanup_started EXIT
