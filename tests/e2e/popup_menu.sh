#!/usr/bin/env bash
# The popup menu under the real pointer: opened by a demo program with its
# bottom-right corner at the pointer, it highlights the row under the
# pointer (seen on the screen), drops the highlight when the pointer leaves,
# ignores a click on a grayed row, reports a click on an item and closes; a
# click on the desktop closes it with nothing chosen.
. "$(dirname "$0")/common.bash"

FILL=C2CFE5    # highlight fill as R G B
WHITE=FFFFFF

DEMO_LOG=""
# Starts the demo at X Y with the pointer there, and reads its layout.
open_popup() {  # x y
  xdotool mousemove "$1" "$2"
  rm -f "$OUT/popupdemo.3.log"
  start_bg "$BIN/popupdemo.exe" "$1" "$2"
  DEMO_PID=${STARTED_PIDS[-1]}
  DEMO_LOG="$OUT/popupdemo.3.log"
  wait_until 15 grep -q '^ready' "$DEMO_LOG" || fail "the popup did not open: $(cat "$DEMO_LOG")"
  local ready; ready=$(tr -d '\r' < "$DEMO_LOG" | grep '^ready')
  CX=$(sed -E 's/.*client=([0-9-]+),.*/\1/' <<<"$ready")
  CY=$(sed -E 's/.*client=[0-9-]+,([0-9-]+) .*/\1/' <<<"$ready")
  W=$(sed -E 's/.*width=([0-9]+).*/\1/' <<<"$ready")
  # A point inside every row's highlight and right of all text.
  PROBE_X=$((CX + W - 12))
}
row_top() { tr -d '\r' < "$DEMO_LOG" | sed -nE "s/^row $1 top=([0-9-]+) .*/\\1/p"; }
row_probe() { drv pixel "$PROBE_X" $(( $(row_top "$1") + 1 )); }
row_is() { [ "$(row_probe "$1")" = "$2" ]; }
point_at_row() { xdotool mousemove $((CX + 30)) $(( $(row_top "$1") + 6 )); }
result() { tr -d '\r' < "$DEMO_LOG" | grep -E '^(track|chosen|none)' | tr '\n' ' '; }
pixel_in() {  # png x y -> RRGGBB
  convert "$1" -format '%[hex:p{'"$2,$3"'}]' info: | cut -c1-6
}

# --- hover, leave, a refused click, a choice --------------------------------
open_popup 600 500
for i in 0 2 3 4; do
  row_is "$i" "$WHITE" || fail "row $i is $(row_probe "$i") before the pointer moved onto the popup"
done
pass "opens at the pointer with nothing highlighted"

point_at_row 0
wait_until 5 row_is 0 "$FILL" || fail "row 0 not highlighted: $(row_probe 0)"
shot=$(screenshot hover-row0)
[ "$(pixel_in "$shot" "$PROBE_X" $(( $(row_top 0) + 1 )))" = "$FILL" ] || fail "screenshot: row 0 not highlighted"
[ "$(pixel_in "$shot" "$PROBE_X" $(( $(row_top 3) + 1 )))" = "$WHITE" ] || fail "screenshot: row 3 highlighted too"
pass "hover highlights row 0 ($shot)"

point_at_row 3
wait_until 5 row_is 3 "$FILL" || fail "row 3 not highlighted: $(row_probe 3)"
row_is 0 "$WHITE" || fail "row 0 kept its highlight"
shot=$(screenshot hover-row3)
[ "$(pixel_in "$shot" "$PROBE_X" $(( $(row_top 3) + 1 )))" = "$FILL" ] || fail "screenshot: row 3 not highlighted"
[ "$(pixel_in "$shot" "$PROBE_X" $(( $(row_top 0) + 1 )))" = "$WHITE" ] || fail "screenshot: row 0 still highlighted"
pass "the highlight follows the pointer to row 3 ($shot)"

# Outside the popup no mouse message reaches it: the hover timer alone
# takes the highlight away.
xdotool mousemove $((CX + W + 40)) $(( $(row_top 3) + 6 ))
wait_until 5 row_is 3 "$WHITE" || fail "row 3 stayed highlighted after the pointer left"
pass "the highlight goes when the pointer leaves"

# A click on the grayed row chooses nothing; had it closed the popup, the
# next click could not choose 203.
point_at_row 2
wait_until 5 row_is 2 "$FILL" || fail "grayed row 2 not highlighted when hot"
xdotool click 1
point_at_row 3
wait_until 5 row_is 3 "$FILL" || fail "popup gone after a click on the grayed row: $(result)"
xdotool click 1
wait_pid_gone "$DEMO_PID" 10 || fail "the popup did not close after a choice"
[ "$(result)" = "track 0 chosen 203 " ] || fail "after a click on row 3: $(result)"
pass "a click on a grayed row is ignored; a click on row 3 chooses 203 and closes"

# --- a click on the desktop ------------------------------------------------
open_popup 700 600
point_at_row 0
wait_until 5 row_is 0 "$FILL" || fail "second popup: row 0 not highlighted"
xdotool mousemove 120 120 click 1
wait_pid_gone "$DEMO_PID" 10 || fail "a click on the desktop left the popup open"
[ "$(result)" = "track 0 none " ] || fail "after a click on the desktop: $(result)"
pass "a click on the desktop closes the popup with nothing chosen"
