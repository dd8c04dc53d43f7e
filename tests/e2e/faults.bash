# The fault run: hostile scenarios against the real program, each ending
# with the check that no window was lost. Sourced after common.bash by
# tests/e2e/faults.sh (inside the session scripts/test made) and, through
# it, by scripts/faults (which makes a session of its own).
#
# Each scenario runs in a subshell of its own: `die` ends it with a reason,
# and whatever it started is stopped when it ends, however it ends. One line
# per scenario, then "N passed, N failed".

HELPER_CLASS=DockWindowsTool
# The tray area at the taskbar's right end, where the shell draws icons
# (y 750 to 765), less its top rows, which a maximized window reaches.
AREA_X=800 AREA_Y=752
AREA="224x14+$AREA_X+$AREA_Y"

# Where the machine runs both kinds of program, the run also starts the other
# build's Traylet.exe (TRAYLET_OTHER_BIN: its build folder) beside this
# one's: a 32-bit and a 64-bit copy are one program to the user.
OTHER_EXE=${TRAYLET_OTHER_BIN:+$TRAYLET_OTHER_BIN/Traylet.exe}

# Ends the scenario with a reason, and keeps the screen as it was.
die() { printf '%s\n' "$*" >"$WHY"; import -window root "${WHY%.why}.png" 2>/dev/null || true; exit 1; }
figure() { printf '%s\n' "$*" >"$FIGURE"; }
# Ends a scenario that this machine cannot play, saying why.
skip() { printf '%s\n' "$*" >"$SKIPPED"; exit 0; }
need_other_build() { [ -n "$OTHER_EXE" ] || skip "one kind of program runs here"; }
ms_since() { echo $(( ($(date +%s%N) - $1) / 1000000 )); }

# --- Traylet ---------------------------------------------------------------

# Starts Traylet (this build's, or the program given); sets TRAYLET_PID,
# TRAYLET_DLG, TRAYLET_WPID (its Windows process id) and OWN_ICON (its own
# icon window, the only one at start).
f_start_traylet() {  # [exe]
  start_bg "${1:-$BIN/Traylet.exe}"
  TRAYLET_PID=${STARTED_PIDS[-1]}
  f_found_traylet
}
# The running Traylet's dialog, process and icon.
f_found_traylet() {
  drv wait-window '#32770' Traylet 10000 >/dev/null || die "Traylet's dialog did not appear"
  TRAYLET_DLG=$(drv find '#32770' Traylet)
  [[ $(drv state "$TRAYLET_DLG") =~ \ pid=([0-9]+)\  ]] || die "no process for the dialog"
  TRAYLET_WPID=${BASH_REMATCH[1]}
  wait_until 5 one_icon_window || die "no icon window: $(icon_windows)"
  OWN_ICON=$(icon_windows | cut -d' ' -f1)
}

# The program's icon windows: plain, never shown, unowned, 10 x 10 at 0,0.
icon_windows() {
  drv list | grep -F " pid=$TRAYLET_WPID " | grep ' class=Traylet:' | grep ' visible=0 ' \
    | grep ' owner=0x0 ' | grep ' rect=0,0,10,10 ' || true
}
icon_count() { icon_windows | grep -c . || true; }
one_icon_window() { [ "$(icon_count)" -eq 1 ]; }
docked_icons() { icon_windows | cut -d' ' -f1 | grep -vx "$OWN_ICON" || true; }
icon_count_is() { [ "$(icon_count)" -eq "$1" ]; }
popup_visible() { drv list | grep -F " pid=$TRAYLET_WPID " | grep ' class=Traylet:' | grep -q ' visible=1 '; }
no_popup() { ! popup_visible; }
window_gone() { ! drv state "$1" >/dev/null; }
not_visible() { ! drv state "$1" | grep -q ' visible=1 '; }
dialog_visible() { drv state "$TRAYLET_DLG" | grep -q ' visible=1 '; }
pixel_is() { [ "$(drv pixel "$1" "$2")" = "$3" ]; }
traylet_alive() { kill -0 "$TRAYLET_PID" 2>/dev/null && drv find '#32770' Traylet >/dev/null; }

# Exit from the main menu: command 141 posted with the own icon's handle.
post_exit() {
  local err
  err=$(drv post "$TRAYLET_DLG" 0x5F5 141 "$OWN_ICON" 2>&1 >/dev/null) && return 0
  die "could not post Exit ($(grep -o 'PostMessage failed.*' <<<"$err" || echo 'the driver did not run'); $(traylet_alive && echo 'Traylet runs' || echo 'Traylet had ended'))"
}
f_exit_traylet() {
  post_exit
  wait_pid_gone "$TRAYLET_PID" 10 || die "Traylet did not end on Exit"
}

# A sent IDCANCEL ends the dialog's loop, as Exit does.
f_stop_traylet() {
  drv send "$TRAYLET_DLG" 0x0111 2 0 >/dev/null || true
  wait_pid_gone "$TRAYLET_PID" 10 || die "Traylet did not end on a sent IDCANCEL"
}

# Prints "ms=.. popup=.. rect=.." for the own icon's main menu, and closes it.
open_menu() { drv open-menu "${1:-$OWN_ICON}" ${2:+keep}; }

f_dock() {  # title
  local why
  why=$(drv dock "$TRAYLET_DLG" "$OWN_ICON" "$1" 2>&1 >/dev/null) || die "could not dock '$1': $why"
}

# --- Traylet's processes and its record ----------------------------------

fd() { wine "$BIN/faultdriver.exe" "$@" | tr -d '\r'; }
# The running Traylet processes (Windows ids): "PID PARENT CREATED" lines.
traylet_procs() { drv procs Traylet.exe; }
no_traylet_process() { [ -z "$(traylet_procs)" ]; }
# The guard of the running main process: the Traylet process it started.
guard_wpid() { traylet_procs | awk -v m="$TRAYLET_WPID" '$2 == m { print $1; exit }'; }
# Its Unix process, which Wine shows with its Windows path and arguments: the
# main process's id and creation time, which no other process shares (ids
# repeat across prefixes).
guard_unix_pid() {
  if [ -z "${GUARD_ARGS:-}" ]; then
    local created; created=$(traylet_procs | awk -v m="$TRAYLET_WPID" '$1 == m { print $3 }')
    [ -n "$created" ] && [ "$created" != - ] || return 1
    GUARD_ARGS="/guard $TRAYLET_WPID $created"
  fi
  pgrep -f "Traylet\.exe $GUARD_ARGS\$" | head -n1 | grep .
}
guard_running() { guard_unix_pid >/dev/null; }
# A process that is not this shell's child: gone once it is reaped or a zombie.
unix_gone() { [ ! -e "/proc/$1" ] || grep -q '^State:[[:space:]]*Z' "/proc/$1/status" 2>/dev/null; }
guard_other_than() { local p; p=$(guard_unix_pid) && [ "$p" != "$1" ]; }
record_of() { wine reg query 'HKCU\Software\Traylet\Docked' /v "$1" >/dev/null 2>&1; }
no_record_of() { ! record_of "$1"; }

# Three windows of the helper docked (normal, minimized, maximized), and a
# guard watching Traylet.
f_dock_three() {
  f_start_helper "Dock Maximized"
  f_start_traylet
  local t
  for t in "Dock Normal" "Dock Minimized" "Dock Maximized"; do f_dock "$t"; done
  [ "$(icon_count)" -eq 4 ] || die "expected 4 icon windows, have $(icon_count)"
  wait_until 5 guard_running || die "no guard process: $(traylet_procs | tr '\n' ' ')"
}

# A watcher that times the windows' return from the end of the main process
# (or, with no process, from its own start); f_back_ms reads its figure.
f_watch_back() {  # what [wpid]
  WATCH_LOG="$OUT/back.$RANDOM.log"
  wine "$BIN/faultdriver.exe" back "$1" 10000 ${2:-} >"$WATCH_LOG" 2>&1 &
  WATCH_PID=$!
  STARTED_PIDS+=("$WATCH_PID")
  wait_until 10 grep -q watching "$WATCH_LOG" || die "the watcher did not start: $(cat "$WATCH_LOG")"
}
f_back_ms() {
  wait "$WATCH_PID" || true
  local line; line=$(tr -d '\r' <"$WATCH_LOG" | grep -v '^watching' | head -n1)
  [[ $line =~ ^back\ ([0-9]+)\ ms ]] || die "windows not back: $line"
  BACK_MS=${BASH_REMATCH[1]}
}

# After the main process ended: the windows came back, the guard ended, and
# the record went.
f_after_main_ended() {
  f_back_ms
  no_window_lost
  wait_until 5 no_traylet_process || die "Traylet processes left: $(traylet_procs | tr '\n' ' ')"
  no_record_of "$TRAYLET_WPID" || die "the record of $TRAYLET_WPID stayed"
}
# Finds Traylet's own icon on the screen: call f_grab_tray before Traylet
# starts, then this; sets ICON_X ICON_Y (its centre, the icon 16 wide).
f_grab_tray() { grab without; }
f_find_own_icon() {
  wait_until 5 area_drawn || die "no icon was drawn"
  wait_until 5 area_settled || die "the tray area never settled"
  grab with
  local box
  box=$(convert "$OUT/without.png" "$OUT/with.png" -compose difference -composite -colorspace gray \
    -threshold 0 -format '%@' info:)
  [[ $box =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || die "cannot find the icon: '$box'"
  # Ours is the rightmost icon; window buttons further left may have moved
  # when the notification area grew.
  ICON_X=$(( AREA_X + BASH_REMATCH[3] + BASH_REMATCH[1] - 9 )) ICON_Y=$(( AREA_Y + BASH_REMATCH[4] + BASH_REMATCH[2] / 2 ))
}

# The popup open now: its window POPUP, rectangle PL PT PR PB, height PH,
# client origin CX CY.
f_read_popup() {
  local line
  line=$(drv list | grep -F " pid=$TRAYLET_WPID " | grep ' class=Traylet:' | grep ' visible=1 ' | head -n1)
  [[ $line =~ rect=(-?[0-9]+),(-?[0-9]+),(-?[0-9]+),(-?[0-9]+) ]] || return 1
  POPUP=${line%% *}
  PL=${BASH_REMATCH[1]} PT=${BASH_REMATCH[2]} PR=${BASH_REMATCH[3]} PB=${BASH_REMATCH[4]}
  PH=$(( PB - PT ))
  read -r CX CY < <(wine "$BIN/dockwindows.exe" popup | tr -d '\r')
}
# A real right-click on our icon; the popup is read. With "keys", it checks
# that the popup took the keyboard: it is the foreground window and has the
# focus. Keys then reach it through the X server's input focus, which Wine
# moves to the popup with the time of the message being handled; when
# another program's window took the X focus later than that (one that took
# over from a window just docked), the X server ignores the move, and the
# scenario makes it itself.
x_focus_is_traylet() { [ "$(xdotool getwindowfocus getwindowpid 2>/dev/null)" = "$TRAYLET_PID" ]; }
popup_has_focus() { [ "$(drv focus)" = "foreground=$POPUP focus=$POPUP" ]; }
f_right_click_menu() {  # [keys]
  xdotool mousemove "$ICON_X" "$ICON_Y" click 3
  wait_until 5 popup_visible || die "no popup after a right-click on our icon"
  f_read_popup || die "cannot read the popup"
  [ -n "${1:-}" ] || return 0
  wait_until 5 popup_has_focus || die "the popup ($POPUP) did not take the keyboard: $(drv focus)"
  if ! wait_until 1 x_focus_is_traylet; then
    X_FOCUS_MOVED=$(( ${X_FOCUS_MOVED:-0} + 1 ))
    xdotool windowfocus --sync "$(xdotool search --onlyvisible --pid "$TRAYLET_PID" | head -n1)" 2>/dev/null || true
    wait_until 5 x_focus_is_traylet || die "the X focus did not come to the popup"
  fi
}
# The row whose top is at client y is highlighted (its fill, right of the text).
popup_row_hot() { pixel_is $(( PR - 15 )) $(( CY + $1 + 1 )) C2CFE5; }
f_inside_work_area() {  # what
  local wl wt wr wb
  read -r wl wt wr wb < <(drv workarea)
  [ "$PL" -ge "$wl" ] && [ "$PT" -ge "$wt" ] && [ "$PR" -le "$wr" ] && [ "$PB" -le "$wb" ] \
    || die "$1: the menu at $PL,$PT,$PR,$PB is not inside the work area $wl,$wt,$wr,$wb"
  WORK_H=$(( wb - wt ))
}
listed_last() { drv catalogue "$TRAYLET_DLG" | tail -n1 | cut -d' ' -f3-; }
hidden() { drv state "$(hwnd_of "$1")" | grep -q ' visible=0 '; }

# --- the helper's windows -------------------------------------------------

# Starts dockwindows with ARGS and waits for the window TITLE, then for its
# "ready": until then it is still showing and activating its windows, and an
# activation would close a popup opened meanwhile.
f_start_helper() {  # title args...
  local title=$1; shift
  start_bg "$BIN/dockwindows.exe" "$@"
  HELPER_LOG=$(ls -t "$OUT"/dockwindows.*.log | head -n1)
  drv wait-window "$HELPER_CLASS" "$title" 120000 >/dev/null || die "the helper's window '$title' did not appear"
  wait_until 30 grep -q '^ready' "$HELPER_LOG" || die "the helper did not report ready"
}
helper_windows() { drv list | grep " class=$HELPER_CLASS " || true; }
hwnd_of() { drv find "$HELPER_CLASS" "$1"; }

# The state each window is meant to be in; a scenario may change an entry.
# Sets WANT (no subshell: the check runs over hundreds of windows).
declare -A EXPECT=()
expected_state() {  # title
  WANT=${EXPECT[$1]:-}
  [ -z "$WANT" ] || return 0
  case $1 in
    *Minimized*) WANT=min ;;
    *Maximized*) WANT=max ;;
    *) WANT=normal ;;
  esac
}

# Every window of the helpers is visible in its expected state, or hidden
# and docked: Traylet (while it runs) has one icon window for each hidden
# one besides its own. Sets LOST to what is wrong.
windows_in_place() {
  LOST=""
  local line hidden=0 total=0 title state
  while IFS= read -r line; do
    [ -n "$line" ] || continue
    total=$((total + 1))
    title=${line#* title=}
    if [[ $line == *" visible=0 "* ]]; then
      hidden=$((hidden + 1))
      continue
    fi
    if [[ $line == *" iconic=1 "* ]]; then state=min
    elif [[ $line == *" zoomed=1 "* ]]; then state=max
    else state=normal; fi
    expected_state "$title"
    [ "$state" = "$WANT" ] || LOST+="'$title' is $state, not $WANT; "
  done < <(helper_windows)
  [ "$total" -gt 0 ] || LOST+="the helpers have no windows; "
  if traylet_alive; then
    local icons; icons=$(icon_count)
    [ "$icons" -eq $((hidden + 1)) ] || LOST+="$hidden hidden windows but $icons icon windows; "
  else
    [ "$hidden" -eq 0 ] || LOST+="$hidden windows still hidden after Traylet ended; "
  fi
  [ -z "$LOST" ]
}

no_window_lost() {
  local until=$(( $(date +%s) + 5 ))
  until windows_in_place; do
    [ "$(date +%s)" -lt "$until" ] || die "window lost: $LOST"
    sleep 0.1
  done
}

# --- the tray area on the screen ------------------------------------------

grab() { import -window root -crop "$AREA" +repage "$OUT/$1.png"; }
# Pixels that differ between two grabs.
differing() { compare -metric AE "$OUT/$1.png" "$OUT/$2.png" null: 2>&1 | cut -d' ' -f1 || true; }
# The area stopped changing: two grabs in a row are equal.
area_differs_by() { grab now; [ "$(differing without now)" = "$1" ]; }
area_drawn() { grab now; [ "$(differing without now)" != 0 ]; }
area_settled() { grab settle-a; sleep 0.2; grab settle-b; [ "$(differing settle-a settle-b)" = 0 ]; }

# --- the scenarios ----------------------------------------------------------

scenario_exit_with_docked() {
  f_start_helper "Dock Maximized"
  f_start_traylet
  local t
  for t in "Dock Normal" "Dock Minimized" "Dock Maximized"; do f_dock "$t"; done
  no_window_lost
  [ "$(icon_count)" -eq 4 ] || die "expected 4 icon windows, have $(icon_count)"
  local t0 ms; t0=$(date +%s%N)
  f_exit_traylet
  no_window_lost
  ms=$(ms_since "$t0")
  # The guard ends with the main process; nothing of Traylet stays behind.
  wait_until 1 no_traylet_process || die "Traylet processes left after Exit: $(traylet_procs | tr '\n' ' ')"
  no_record_of "$TRAYLET_WPID" || die "Exit left its record"
  figure "3 docked windows back in their states $ms ms after Exit; no Traylet process $(ms_since "$t0") ms after it"
}

scenario_docked_destroyed() {
  f_start_helper "Dock Maximized"
  f_start_traylet
  f_dock "Dock Normal"; f_dock "Dock Minimized"
  local victim icon_before t0
  victim=$(hwnd_of "Dock Normal")
  icon_before=$(icon_count)
  t0=$(date +%s%N)
  drv post "$victim" reg:DockWindowsTool.Destroy 0 0 >/dev/null || die "could not ask for the destroy"
  drv wait-gone "$HELPER_CLASS" "Dock Normal" 5000 >/dev/null || die "the helper did not destroy its window"
  wait_until 5 icon_count_is $((icon_before - 1)) \
    || die "the destroyed window's icon stayed: $(icon_count) icon windows"
  local ms; ms=$(ms_since "$t0")
  traylet_alive || die "Traylet ended"
  no_window_lost
  f_stop_traylet
  no_window_lost
  figure "its icon went ${ms} ms after the window"
}

scenario_docked_shown() {
  f_start_helper "Dock Maximized"
  f_start_traylet
  f_dock "Dock Normal"; f_dock "Dock Maximized"
  local w t0 before
  w=$(hwnd_of "Dock Normal")
  t0=$(date +%s%N)
  drv post "$w" reg:DockWindowsTool.Show 0 0 >/dev/null || die "could not ask for the show"
  # Its program showed it as docking left it: minimized.
  EXPECT["Dock Normal"]=min
  wait_until 5 icon_count_is 2 \
    || die "the shown window's icon stayed: $(icon_count) icon windows"
  local ms; ms=$(ms_since "$t0")
  no_window_lost
  before=$(tr -d '\r' <"$HELPER_LOG" | grep -c '^Dock Normal SYSCOMMAND' || true)
  f_stop_traylet
  no_window_lost
  # Exit brings back what is docked; the dropped window is not touched.
  [ "$(tr -d '\r' <"$HELPER_LOG" | grep -c '^Dock Normal SYSCOMMAND' || true)" -eq "$before" ] \
    || die "Exit drove the window its program had shown"
  figure "its icon went ${ms} ms after the show"
}

scenario_sweep_with_open_popup() {
  f_start_helper "Dock Maximized"
  f_start_traylet
  f_dock "Dock Normal"
  local icon line w
  icon=$(docked_icons)
  [ -n "$icon" ] || die "no docked icon"
  xdotool mousemove 700 500
  line=$(open_menu "$icon" keep) || die "the docked icon's menu did not open"
  # Destroyed, not shown: showing it would take the focus from the popup,
  # which would close before the sweep.
  w=$(hwnd_of "Dock Normal")
  drv post "$w" reg:DockWindowsTool.Destroy 0 0 >/dev/null || die "could not ask for the destroy"
  # The sweep drops the record and its icon while the icon's popup runs.
  wait_until 5 window_gone "$icon" || die "the sweep kept the icon"
  traylet_alive || die "Traylet ended when the sweep dropped the icon"
  # A choice on the orphaned popup: a real click on its first row, "UnDock",
  # once the row is hot (drawn in the highlight colour).
  [[ $line =~ popup=(0x[0-9a-f]+)\ rect=(-?[0-9]+),(-?[0-9]+),(-?[0-9]+), ]] || die "popup: $line"
  drv state "${BASH_REMATCH[1]}" | grep -q ' visible=1 ' || die "the popup closed before the sweep"
  local left=${BASH_REMATCH[2]} top=${BASH_REMATCH[3]} right=${BASH_REMATCH[4]}
  xdotool mousemove $(( left + 20 )) $(( top + 10 ))
  wait_until 5 pixel_is $(( right - 12 )) $(( top + 10 )) C2CFE5 \
    || die "the first row of the orphaned popup did not light up"
  xdotool click 1
  wait_until 5 no_popup \
    || die "the popup did not close"
  xdotool mousemove 700 500
  traylet_alive || die "Traylet ended after the popup of a dropped icon"
  open_menu >/dev/null || die "the main menu no longer opens"
  no_window_lost
  f_stop_traylet
  no_window_lost
  figure "the popup outlived its icon; a click on its UnDock row was dropped"
}

scenario_shell_restart() {
  xdotool mousemove 400 300
  # Before the helper: its maximized window may reach over the taskbar until
  # it is docked. Every grab compared with this one is taken with all three
  # docked.
  grab without
  f_start_helper "Dock Maximized"
  f_start_traylet
  local t
  for t in "Dock Normal" "Dock Minimized" "Dock Maximized"; do f_dock "$t"; done
  wait_until 5 area_drawn || die "no icon was drawn"
  wait_until 5 area_settled || die "the tray area never settled"
  grab with
  local drawn; drawn=$(differing without with)
  [ "$drawn" -gt 0 ] || die "no icons on the screen"
  local icons; icons=$(icon_windows | cut -d' ' -f1)
  local h
  for h in $icons; do
    wine "$BIN/trayshell.exe" delete "$h" >/dev/null 2>&1 || die "the shell did not know icon $h"
  done
  wait_until 5 area_differs_by 0 || die "the icons did not go"
  wine "$BIN/trayshell.exe" taskbar-created || die "the broadcast failed"
  # The icons may come back in another order: the same icons cover the same
  # number of pixels wherever they sit.
  wait_until 5 area_differs_by "$drawn" \
    || die "not every icon came back ($drawn pixels before, $(differing without now) after)"
  # Each of them, one by one: the shell knows it again.
  for h in $icons; do
    wine "$BIN/trayshell.exe" delete "$h" >/dev/null 2>&1 || die "icon $h did not come back"
  done
  wine "$BIN/trayshell.exe" taskbar-created || die "the second broadcast failed"
  traylet_alive || die "Traylet ended"
  no_window_lost
  f_exit_traylet
  no_window_lost
  figure "$(echo "$icons" | wc -w) icons back after TaskbarCreated"
}

scenario_hung_window() {
  f_start_helper "Dock Maximized"
  f_start_traylet
  start_bg "$BIN/dockwindows.exe" hang "Hung Window" 20
  drv wait-window "$HELPER_CLASS" "Hung Window" 10000 >/dev/null || die "the hung window did not appear"
  local hung; hung=$(hwnd_of "Hung Window")
  wait_until 10 drv hung "$hung" || die "the window never counted as hung"
  xdotool mousemove 700 500
  local line ms
  line=$(open_menu) || die "the main menu did not open beside a hung window"
  ms=$(sed -E 's/^ms=([0-9]+).*/\1/' <<<"$line")
  [ "$ms" -lt 500 ] || die "the menu took $ms ms to open"
  drv catalogue "$TRAYLET_DLG" | grep -q ' Hung Window$' || die "the hung window is not listed"
  traylet_alive || die "Traylet ended"
  no_window_lost
  f_stop_traylet
  no_window_lost
  figure "menu opened in $ms ms with a hung window listed"
}

screen_as_before() { import -window root "$OUT/screen-now.png"; [ "$(compare -metric AE "$OUT/screen-before.png" "$OUT/screen-now.png" null: 2>&1 | cut -d' ' -f1)" = 0 ]; }
# The screen before a scenario of hundreds of windows, the pointer out of
# the way.
f_keep_screen() { xdotool mousemove 700 500; import -window root "$OUT/screen-before.png"; }
# The end of such a scenario: the helper ended by its own hand, not killed,
# so its windows go away as a program's windows do; then the wait until the
# screen behind them is painted again. The desktop takes its time over
# hundreds of windows gone, and later scenarios and tests read the screen.
f_end_many() {  # helper-pid count seconds
  drv post "$(hwnd_of "Many 1")" reg:DockWindowsTool.Quit 0 0 >/dev/null
  wait_pid_gone "$1" "$3" || die "the helper of $2 windows did not end"
  xdotool mousemove 700 500
  wait_every 0.5 60 screen_as_before || die "the screen was not painted again after the $2 windows"
}

scenario_many_windows() {
  f_keep_screen
  f_start_helper "Many 500" many 500
  f_start_traylet
  xdotool mousemove 700 500
  local line ms n
  line=$(open_menu) || die "the main menu did not open with 500 windows"
  ms=$(sed -E 's/^ms=([0-9]+).*/\1/' <<<"$line")
  n=$(drv catalogue "$TRAYLET_DLG" | grep -c ' Many ' || true)
  [ "$n" -eq 500 ] || die "$n of 500 windows listed"
  [[ $line =~ rect=(-?[0-9]+),(-?[0-9]+),(-?[0-9]+),(-?[0-9]+) ]] || die "popup: $line"
  PL=${BASH_REMATCH[1]} PT=${BASH_REMATCH[2]} PR=${BASH_REMATCH[3]} PB=${BASH_REMATCH[4]}
  f_inside_work_area "500 windows"
  f_dock "Many 1"; f_dock "Many 500"
  no_window_lost
  f_exit_traylet
  no_window_lost
  f_end_many "${STARTED_PIDS[0]}" 500 10
  figure "menu of 500 windows opened in $ms ms; two docked and back"
}

scenario_right_clicks() {
  xdotool mousemove 400 300
  # Small normal windows: a maximized one could lie over the icon.
  f_start_helper "Many 3" many 3
  f_grab_tray
  f_start_traylet
  f_find_own_icon
  local cx=$ICON_X cy=$ICON_Y
  xdotool mousemove "$cx" "$cy" click --repeat 10 --delay 40 3
  local visible
  popups() { drv list | grep -F " pid=$TRAYLET_WPID " | grep ' class=Traylet:' | grep -c ' visible=1 ' || true; }
  wait_until 5 popup_visible \
    || die "no popup after ten right-clicks"
  visible=$(popups)
  [ "$visible" -eq 1 ] || die "$visible popups open at once"
  traylet_alive || die "Traylet ended"
  # Close what is open; a popup closes when it loses the focus.
  local i p
  for i in $(seq 20); do
    p=$(drv list | grep -F " pid=$TRAYLET_WPID " | grep ' class=Traylet:' | grep ' visible=1 ' | head -n1 | cut -d' ' -f1)
    [ -n "$p" ] || break
    drv post "$p" 0x0008 0 0 >/dev/null || true
    wait_until 5 not_visible "$p" || die "popup $p did not close"
  done
  [ "$(popups)" -eq 0 ] || die "popups stayed open"
  xdotool mousemove 700 500
  open_menu >/dev/null || die "the main menu no longer opens"
  [ "$(icon_count)" -eq 1 ] || die "$(icon_count) icon windows after the clicks"
  no_window_lost
  f_stop_traylet
  no_window_lost
  figure "one popup open after ten clicks"
}

scenario_second_starts() {
  f_start_helper "Dock Maximized"
  f_start_traylet
  f_dock "Dock Minimized"
  local i t0 ms slowest=0 exe others=0
  for i in $(seq 10); do
    # Every other start by the other build, where it runs: it hands off too.
    exe="$BIN/Traylet.exe"
    if [ -n "$OTHER_EXE" ] && [ $((i % 2)) -eq 0 ]; then exe=$OTHER_EXE others=$((others + 1)); fi
    t0=$(date +%s%N)
    timeout 10 wine "$exe" >/dev/null 2>&1 || die "start $i did not end by itself"
    ms=$(ms_since "$t0"); [ "$ms" -le "$slowest" ] || slowest=$ms
  done
  [ "$(drv list | grep -c 'class=#32770 title=Traylet$' || true)" -eq 1 ] || die "more than one dialog"
  [ "$(icon_count)" -eq 2 ] || die "$(icon_count) icon windows, expected 2"
  # The first copy and its one guard, and nothing the second starts made.
  local procs; procs=$(traylet_procs)
  [ "$(grep -c . <<<"$procs")" -eq 2 ] && [ "$(guard_wpid)" != "" ] \
    || die "Traylet processes: $(tr '\n' ' ' <<<"$procs")"
  wait_until 5 dialog_visible \
    || die "the hand-off did not show the dialog"
  traylet_alive || die "Traylet ended"
  no_window_lost
  f_exit_traylet
  no_window_lost
  figure "10 second starts ($others by the other build), slowest ${slowest} ms, one dialog, one guard"
}

# Ten starts at the same moment with no copy running (half of them the other
# build's, where it runs): one copy runs, with one guard and one icon, and the
# other nine hand off to it and end.
scenario_simultaneous_starts() {
  f_start_helper "Dock Maximized"
  local i exe pids=() alive t0 others=0
  t0=$(date +%s%N)
  for i in $(seq 10); do
    exe="$BIN/Traylet.exe"
    if [ -n "$OTHER_EXE" ] && [ $((i % 2)) -eq 0 ]; then exe=$OTHER_EXE others=$((others + 1)); fi
    wine "$exe" >"$OUT/simultaneous.$i.log" 2>&1 &
    pids+=($!)
    STARTED_PIDS+=($!)
  done
  live_starts() { local p n=0; for p in "${pids[@]}"; do kill -0 "$p" 2>/dev/null && n=$((n + 1)); done; echo "$n"; }
  one_live_start() { [ "$(live_starts)" -eq 1 ]; }
  wait_until 20 one_live_start || die "$(live_starts) of the 10 starts still run"
  local ended; ended=$(ms_since "$t0")
  for p in "${pids[@]}"; do kill -0 "$p" 2>/dev/null && TRAYLET_PID=$p; done
  f_found_traylet
  [ "$(drv list | grep -c 'class=#32770 title=Traylet$' || true)" -eq 1 ] || die "more than one dialog"
  wait_until 5 guard_running || die "no guard process: $(traylet_procs | tr '\n' ' ')"
  sleep 1   # a second copy, had one run, would have made its icon and guard by now
  local procs; procs=$(traylet_procs)
  [ "$(grep -c . <<<"$procs")" -eq 2 ] || die "Traylet processes: $(tr '\n' ' ' <<<"$procs")"
  [ "$(drv list | grep ' class=Traylet:' | grep ' visible=0 ' | grep -c ' rect=0,0,10,10 ' || true)" -eq 1 ] \
    || die "more than one icon window: $(drv list | grep ' class=Traylet:' | grep -c ' rect=0,0,10,10 ')"
  f_dock "Dock Normal"
  no_window_lost
  f_exit_traylet
  no_window_lost
  figure "10 starts at once ($others by the other build): one copy, one guard, one icon; the others ended within ${ended} ms"
}

scenario_foreign_buildmenu() {
  f_start_helper "Dock Maximized"
  f_start_traylet
  f_dock "Dock Normal"
  xdotool mousemove 700 500
  local before after
  before=$(open_menu) || die "the main menu did not open"
  wine "$BIN/faultdriver.exe" buildmenu "$TRAYLET_DLG" "$OWN_ICON" >"$OUT/buildmenu.txt" 2>&1 \
    || die "a bogus build request was not refused: $(tr -d '\r' <"$OUT/buildmenu.txt" | grep -v ' -> answered 0$' | head -n3 | tr '\n' ' ')"
  traylet_alive || die "Traylet ended"
  after=$(open_menu) || die "the main menu no longer opens"
  [ "${before#* rect=}" = "${after#* rect=}" ] || die "the menu changed: ${before#* rect=} then ${after#* rect=}"
  no_window_lost
  f_stop_traylet
  no_window_lost
  figure "$(tr -d '\r' <"$OUT/buildmenu.txt" | grep -c '^send') bogus requests answered 0; the next menu the same"
}

scenario_command_flood() {
  f_start_helper "Dock Maximized"
  f_start_traylet
  f_dock "Dock Minimized"
  open_menu >/dev/null || die "the main menu did not open"   # the catalogue to dock from
  local t0 counts
  t0=$(date +%s%N)
  counts=$(wine "$BIN/faultdriver.exe" flood "$TRAYLET_DLG" "$OWN_ICON" 2000 "${FAULT_SEED:-20240501}" | tr -d '\r') \
    || die "the flood failed: $counts"
  # Options is left out of the flood, so the dialog showing up says that
  # every command before it has been carried out.
  drv post "$TRAYLET_DLG" 0x5F5 142 "$OWN_ICON" >/dev/null
  wait_until 60 dialog_visible \
    || die "the program did not get through the flood"
  local ms; ms=$(ms_since "$t0")
  traylet_alive || die "Traylet ended"
  drv post "$TRAYLET_DLG" 0x0111 2 0 >/dev/null   # a queued IDCANCEL hides the dialog
  no_window_lost
  f_exit_traylet
  no_window_lost
  figure "${counts#posted }; all carried out in $ms ms"
}

scenario_run_values() {
  f_start_helper "Dock Maximized"
  rk() { wine "$BIN/runkey.exe" "$@" | tr -d '\r'; }
  local saved; saved=$(winepath -w "$OUT/runkey.saved")
  rk save "$saved" || die "could not save the Run key"
  RESTORE_RUN_KEY=$saved
  local text hex kind
  text="\"$(winepath -w "$BIN/Traylet.exe")\""
  hex=$(printf '%s' "$text" | od -An -tx1 -v | tr -d ' \n')
  local -a kinds=("REG_DWORD" "REG_EXPAND_SZ path" "REG_BINARY path" "REG_SZ path without NUL" "REG_SZ 64 KB")
  for kind in "${kinds[@]}"; do
    case $kind in
      REG_DWORD) rk set-hex 4 01000000 ;;
      "REG_EXPAND_SZ path") rk set 2 "$text" ;;
      "REG_BINARY path") rk set-hex 3 "${hex}00" ;;
      "REG_SZ path without NUL") rk set 1 "$text" nonul ;;
      "REG_SZ 64 KB") rk fill 1 65536 ;;
    esac || die "could not write the $kind value"
    local snap; snap=$(rk snapshot)
    f_start_traylet
    [ "$(drv check "$TRAYLET_DLG" 1001)" = 0 ] || die "$kind: the box is checked"
    traylet_alive || die "$kind: Traylet ended"
    [ "$(rk snapshot)" = "$snap" ] || die "$kind: the value was altered"
    f_stop_traylet
  done
  rk restore "$saved" || die "could not restore the Run key"
  no_window_lost
  figure "${#kinds[@]} odd values: box unchecked, value untouched"
}

# With three windows docked, the main process ends: by TerminateProcess from
# another process (as a task manager does), by kill -9, or by a fault in its
# own code.
f_main_ends() {  # taskkill | kill | fault
  f_dock_three
  f_watch_back "$HELPER_CLASS" "$TRAYLET_WPID"
  case $1 in
    taskkill) wine taskkill /F /PID "$TRAYLET_WPID" >/dev/null 2>&1 || die "could not end Traylet" ;;
    kill) kill -9 "$TRAYLET_PID" ;;
    # The dialog's object gets a vtable pointer into the first page; the next
    # message, a WM_NULL sent from the driver's process, faults in Traylet's
    # dispatch: in its own code, in a handler run for a message sent from
    # another process, which Wine swallows unless the program acts first.
    fault)
      fd corrupt "$TRAYLET_DLG" >"$OUT/corrupt.txt" || die "could not corrupt: $(cat "$OUT/corrupt.txt")"
      ENDED=$(grep -o 'ended [0-9]* ms' "$OUT/corrupt.txt") || die "no end on the fault: $(tr '\n' ' ' <"$OUT/corrupt.txt")" ;;
  esac
  wait_pid_gone "$TRAYLET_PID" 10 || die "Traylet's process stayed"
  f_after_main_ended
}
scenario_terminated() { f_main_ends taskkill; figure "3 windows back ${BACK_MS} ms after the end of the main process"; }
scenario_killed() { f_main_ends kill; figure "3 windows back ${BACK_MS} ms after the end of the main process"; }
scenario_fault_in_handler() { f_main_ends fault; figure "$ENDED after the faulting send; 3 windows back ${BACK_MS} ms after that"; }

# Main and guard killed with three windows docked; then a start of the
# program given repairs, before anything else.
f_both_killed() {  # exe
  f_dock_three
  local guard old=$TRAYLET_WPID
  guard=$(guard_unix_pid) || die "no guard process"
  # Both stopped before either is killed: a main process that died first
  # would wake its guard, which could bring the windows back before its own
  # kill arrived.
  kill -STOP "$TRAYLET_PID" "$guard"
  kill -9 "$TRAYLET_PID" "$guard"
  wait_pid_gone "$TRAYLET_PID" 10 && wait_until 10 unix_gone "$guard" || die "the processes stayed"
  # With nobody left to bring them back (given a second to), they stay hidden
  # and the record stays.
  sleep 1
  [ "$(helper_windows | grep -c ' visible=0 ' || true)" -eq 3 ] || die "not all three stayed hidden"
  record_of "$old" || die "the record of the killed Traylet is gone"
  f_watch_back "$HELPER_CLASS"
  f_start_traylet "$1"
  f_back_ms
  [ "$(icon_count)" -eq 1 ] || die "the new Traylet docked something: $(icon_count) icon windows"
  no_record_of "$old" || die "the repaired record stayed"
  no_window_lost
  f_stop_traylet
  no_window_lost
}
scenario_both_killed() {
  f_both_killed "$BIN/Traylet.exe"
  figure "3 windows back ${BACK_MS} ms after the next start was launched (its start-up included)"
}
# The record one build left is repaired by a start of the other.
scenario_both_killed_other() {
  need_other_build
  f_both_killed "$OTHER_EXE"
  figure "3 windows back ${BACK_MS} ms after the other build's start was launched"
}

scenario_guard_killed() {
  f_dock_three
  local first t0 restart
  first=$(guard_unix_pid)
  # Any program can post the notice that the guard ended: with the guard
  # running it starts nothing. Options, posted behind it, shows when it has
  # been handled.
  drv post "$TRAYLET_DLG" 0x8001 0 0 >/dev/null
  drv post "$TRAYLET_DLG" 0x5F5 142 "$OWN_ICON" >/dev/null
  wait_until 5 dialog_visible || die "Options did not show"
  drv post "$TRAYLET_DLG" 0x0111 2 0 >/dev/null
  [ "$(guard_unix_pid)" = "$first" ] && [ "$(traylet_procs | grep -c . || true)" -eq 2 ] \
    || die "a posted notice changed the guard: $(traylet_procs | tr '\n' ' ')"
  t0=$(date +%s%N)
  kill -9 "$first"
  wait_until 5 guard_other_than "$first" || die "no new guard after the first was killed"
  restart=$(ms_since "$t0")
  [ "$(traylet_procs | grep -c . || true)" -eq 2 ] || die "Traylet processes: $(traylet_procs | tr '\n' ' ')"
  f_watch_back "$HELPER_CLASS" "$TRAYLET_WPID"
  kill -9 "$TRAYLET_PID"
  wait_pid_gone "$TRAYLET_PID" 10 || die "Traylet's process stayed"
  f_after_main_ended
  figure "a new guard within ${restart} ms; 3 windows back ${BACK_MS} ms after the end of the main process"
}

scenario_planted_record() {
  f_start_helper "Dock Maximized"
  local normal minimized maximized helper owner before
  normal=$(hwnd_of "Dock Normal") minimized=$(hwnd_of "Dock Minimized") maximized=$(hwnd_of "Dock Maximized")
  [[ $(drv state "$normal") =~ \ pid=([0-9]+)\  ]] || die "no process for the helper"
  helper=${BASH_REMATCH[1]}
  # Its program hides two of its windows itself and destroys the third.
  drv post "$normal" reg:DockWindowsTool.Hide 0 0 >/dev/null
  drv post "$maximized" reg:DockWindowsTool.Hide 0 0 >/dev/null
  drv post "$minimized" reg:DockWindowsTool.Destroy 0 0 >/dev/null
  drv wait-gone "$HELPER_CLASS" "Dock Minimized" 5000 >/dev/null || die "the helper did not destroy its window"
  wait_until 5 not_visible "$normal" && wait_until 5 not_visible "$maximized" || die "the helper did not hide its windows"
  # A record whose owner has ended: the maximized window as docked; the
  # normal one under another process's id, as if its handle now named a
  # window of another program; the destroyed one.
  owner=$(fd record "$maximized:$helper:2" "$normal:$((helper + 4)):0" "$minimized:$helper:1") \
    || die "could not write the record"
  record_of "$owner" || die "the planted record is not there"
  before=$(tr -d '\r' <"$HELPER_LOG" | grep -c '^Dock Normal ' || true)
  f_watch_back "$HELPER_CLASS:Dock Maximized"
  f_start_traylet
  f_back_ms
  no_record_of "$owner" || die "the repaired record stayed"
  not_visible "$normal" || die "the window of another process id was shown"
  [ "$(tr -d '\r' <"$HELPER_LOG" | grep -c '^Dock Normal ' || true)" -eq "$before" ] \
    || die "the window of another process id got messages: $(tr -d '\r' <"$HELPER_LOG" | grep '^Dock Normal ' | tail -n 3 | tr '\n' ' ')"
  [ "$(icon_count)" -eq 1 ] || die "the repair docked something"
  # Its own program shows it again, as it was.
  drv post "$normal" reg:DockWindowsTool.Show 0 0 >/dev/null
  no_window_lost
  f_stop_traylet
  no_window_lost
  figure "the recorded window back ${BACK_MS} ms after the start was launched; the others untouched"
}

scenario_end_session() {
  f_dock_three
  # An end of session that is called off changes nothing.
  drv send "$TRAYLET_DLG" 0x0016 0 0 >/dev/null || die "WM_ENDSESSION FALSE not answered"
  [ "$(icon_count)" -eq 4 ] && [ "$(helper_windows | grep -c ' visible=0 ' || true)" -eq 3 ] \
    || die "a called-off end of session undocked"
  local out
  out=$(fd endsession "$TRAYLET_DLG" "$HELPER_CLASS" 10000) || die "windows not back: $(tr '\n' ' ' <<<"$out")"
  grep -qx 'query 1' <<<"$out" || die "WM_QUERYENDSESSION answered: $(head -n1 <<<"$out")"
  [[ $out =~ back\ ([0-9]+)\ ms ]] || die "no figure: $out"
  traylet_alive || die "Traylet ended"
  wait_until 5 one_icon_window || die "icons left: $(icon_count)"
  no_record_of "$TRAYLET_WPID" || die "the record stayed"
  no_window_lost
  # The system ends the guard as well: no new one for a session that ends
  # (given longer than a sweep to start one).
  local guard; guard=$(guard_unix_pid) || die "no guard"
  kill -9 "$guard"
  sleep 1.5
  ! guard_running || die "a new guard was started after the end of the session"
  f_stop_traylet
  no_window_lost
  figure "3 windows back ${BASH_REMATCH[1]} ms after WM_ENDSESSION was sent"
}

scenario_menu_keys() {
  xdotool mousemove 400 300
  f_start_helper "Many 80" many 80
  f_grab_tray
  f_start_traylet
  f_find_own_icon
  local docked=0 last t0
  # A real right-click: the popup takes the keys from the start.
  f_right_click_menu keys
  f_inside_work_area "80 windows"
  [ "$PH" -gt $(( WORK_H - 18 )) ] || die "a menu of 80 windows is $PH high in a work area of $WORK_H"
  last=$(listed_last)
  # End is Exit; Options, Close All and Minimize All above it; then the
  # last window.
  xdotool key End Up Up Up Up Return
  wait_until 5 no_popup || die "Enter did not close the popup"
  wait_until 5 hidden "$last" || die "the keys did not dock the last window, '$last'"
  docked=$((docked + 1))

  # The wheel on the list to its end; the last window in view, just above
  # the strip, is clicked. Fixed rows now: a separator, UnDock All, a
  # separator, Minimize All, Close All, a separator, Options, Exit.
  f_right_click_menu
  last=$(listed_last)
  xdotool mousemove $(( CX + 40 )) $(( CY + 60 ))
  xdotool click --repeat 40 --delay 15 5
  local row=$(( PH - 5 - 5 * 18 - 3 * 11 - 12 - 18 ))
  xdotool mousemove $(( CX + 40 )) $(( CY + row + 9 ))
  wait_until 5 popup_row_hot "$row" || die "the last window's row is not under the pointer after the wheel"
  xdotool click 1
  wait_until 5 hidden "$last" || die "the wheel and a click did not dock the last window, '$last'"
  docked=$((docked + 1))

  # Part of a title, then Enter.
  f_right_click_menu keys
  t0=$(date +%s%N)
  xdotool type --delay 30 "ny 42"
  xdotool key Return
  wait_until 5 hidden "Many 42" || die "typing 'ny 42' and Enter did not dock Many 42"
  docked=$((docked + 1))
  local ms; ms=$(ms_since "$t0")

  # Escape closes, choosing nothing.
  f_right_click_menu keys
  xdotool key Escape
  wait_until 5 no_popup || die "Escape did not close the popup"
  sleep 0.3
  [ "$(icon_count)" -eq $((docked + 1)) ] || die "Escape chose something: $(icon_count) icon windows"
  traylet_alive || die "Traylet ended"
  no_window_lost
  f_exit_traylet
  no_window_lost
  figure "menu ${PH} px high in a work area of $WORK_H; keys, wheel and filter docked $docked windows (the X focus moved by the scenario ${X_FOCUS_MOVED:-0} times)"
}

# Rows: 2 margins, text rows and separator rows; at 96 DPI 5, 18 and 11.
scenario_menu_at_144_dpi() {
  f_start_helper "Dock Maximized"
  f_start_traylet
  local line h96 h144 rows
  line=$(open_menu) || die "the main menu did not open"
  [[ $line =~ rect=(-?[0-9]+),(-?[0-9]+),(-?[0-9]+),(-?[0-9]+) ]] || die "popup: $line"
  h96=$(( BASH_REMATCH[4] - BASH_REMATCH[2] ))
  f_stop_traylet
  RESTORE_DPI=1
  DISPLAY= wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1 \
    || die "could not set 144 DPI"
  f_start_traylet
  line=$(open_menu) || die "the main menu did not open at 144 DPI"
  [[ $line =~ rect=(-?[0-9]+),(-?[0-9]+),(-?[0-9]+),(-?[0-9]+) ]] || die "popup: $line"
  h144=$(( BASH_REMATCH[4] - BASH_REMATCH[2] ))
  f_stop_traylet
  DISPLAY= wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1 || die "could not go back to 96 DPI"
  RESTORE_DPI=""
  # Two separators in the main menu; the rest are text rows.
  rows=$(( (h96 - 10 - 2 * 11) / 18 ))
  [ $(( 10 + 2 * 11 + 18 * rows )) -eq "$h96" ] || die "a main menu of $h96 px at 96 DPI is not made of 18-px rows"
  # Text rows 27, separators 17 (half of a 19-px line and a gap of 8), margins 8.
  [ $(( 16 + 2 * 17 + 27 * rows )) -eq "$h144" ] || die "at 144 DPI the menu is $h144 px, not $(( 16 + 2 * 17 + 27 * rows )) for $rows rows of 27"
  no_window_lost
  figure "$rows text rows: ${h96} px at 96 DPI, ${h144} at 144 (rows of 18 and 27)"
}

# A start with a command, of the program given; its exit code must be want.
f_command() {  # want exe args...
  local want=$1 exe=$2 rc=0; shift 2
  timeout 60 wine "$exe" "$@" >"$OUT/command.out" 2>&1 || rc=$?
  [ "$rc" = "$want" ] || die "$exe $*: exit code $rc, not $want"
}

scenario_hostile_copydata() {
  f_start_helper "Dock Maximized"
  f_start_traylet
  local out
  out=$(fd copydata "$TRAYLET_DLG") || die "a hand-off was not answered as it should be: $(tr '\n' ';' <<<"$out")"
  traylet_alive || die "Traylet ended"
  [ "$(icon_count)" -eq 1 ] || die "a refused hand-off docked something: $(icon_count) icon windows"
  no_window_lost
  # A well-formed command from a later start is still carried out.
  f_command 0 "$BIN/Traylet.exe" /dock "title:Dock Normal"
  no_window_lost
  f_stop_traylet
  no_window_lost
  figure "$(grep -c "answered 0x544c0002$" <<<"$out") answered as bad commands (5 malformed, 1 that does not parse), another magic 0, no window named 1; a /dock after them docked"
}

# Each build's start commands the other build's running copy.
scenario_commands_other_build() {
  need_other_build
  f_start_helper "Dock Maximized"
  f_start_traylet
  f_command 0 "$OTHER_EXE" /dock "title:Dock Normal"
  f_command 0 "$OTHER_EXE" /list
  tr -d '\r' <"$OUT/command.out" | grep -q "^$(hwnd_of "Dock Normal")	docked	normal	" \
    || die "the other build's /list: $(tr '\t\n' ' ;' <"$OUT/command.out")"
  f_command 0 "$OTHER_EXE" /undock-all
  f_stop_traylet
  f_start_traylet "$OTHER_EXE"
  f_command 0 "$BIN/Traylet.exe" /dock "title:Dock M*"
  [ "$(icon_count)" -eq 3 ] || die "this build's /dock docked $(( $(icon_count) - 1 )) windows in the other's copy"
  f_command 1 "$BIN/Traylet.exe" /undock "title:No Window Has This Title"
  no_window_lost
  f_stop_traylet
  no_window_lost
  figure "/dock, /list and /undock-all of each build carried out by the other's running copy"
}

# --- rules -------------------------------------------------------------------

RULES='HKCU\Software\Traylet\Rules'
f_rules() { wine reg export "$RULES" "$(winepath -w "$OUT/$1")" /y >/dev/null 2>&1 || : >"$OUT/$1"; }
# Subkeys that are no rule, each naming the helper's program: read as rules
# (or as broader ones), they would dock its windows.
f_write_hostile_rules() {
  local reg="$OUT/hostile.reg" k="[HKEY_CURRENT_USER\\Software\\Traylet\\Rules" p='"Program"="dockwindows.exe"' w='"When"=dword:00000001'
  local big stars hexbig
  big=$(head -c 65536 /dev/zero | tr '\0' 'A') stars=$(head -c 5000 /dev/zero | tr '\0' '*')
  hexbig="01,$(yes 00 | head -n 65535 | paste -sd,)"
  {
    printf 'REGEDIT4\n\n'
    printf '%s\\no program]\n%s\n\n' "$k" "$w"
    printf '%s\\dword program]\n"Program"=dword:00000001\n%s\n\n' "$k" "$w"
    printf '%s\\expand program]\n"Program"=hex(2):%s\n%s\n\n' "$k" "$(printf 'dockwindows.exe' | od -An -v -tx1 | tr -s ' \n' ',' | sed 's/^,//')00" "$w"
    printf '%s\\64 KB program]\n"Program"="%s"\n%s\n\n' "$k" "$big" "$w"
    printf '%s\\64 KB title]\n%s\n"Title"="%s"\n%s\n\n' "$k" "$p" "$big" "$w"
    printf '%s\\64 KB when]\n%s\n"When"=hex(4):%s\n\n' "$k" "$p" "$hexbig"
    printf '%s\\stars]\n%s\n"Title"="%s"\n%s\n\n' "$k" "$p" "$stars" "$w"
    printf '%s\\binary title]\n%s\n"Title"=hex:2a,00,00,00\n%s\n\n' "$k" "$p" "$w"
    printf '%s\\when zero]\n%s\n"When"=dword:00000000\n\n' "$k" "$p"
    printf '%s\\when all bits]\n%s\n"When"=dword:ffffffff\n\n' "$k" "$p"
    printf '%s\\text when]\n%s\n"When"="1"\n\n' "$k" "$p"
  } | sed 's/$/\r/' >"$reg"
  wine reg import "$(winepath -w "$reg")" >/dev/null 2>&1 || die "could not write the hostile rules"
}

scenario_hostile_rules() {
  wine reg delete "$RULES" /f >/dev/null 2>&1 || true
  f_write_hostile_rules
  f_rules before.reg
  local subkeys; subkeys=$(grep -c '^\[' "$OUT/before.reg")
  [ "$subkeys" -eq 12 ] || die "$subkeys keys written, not the rules key and 11 subkeys"
  f_start_helper "Dock Maximized"
  f_start_traylet
  sleep 2.2   # two sweeps
  [ "$(icon_count)" -eq 1 ] || die "something was docked: $(icon_count) icon windows"
  no_window_lost
  # Traylet's own change beside them, set and cleared from a docked
  # window's row: a subkey of its own comes and goes, nothing else moves.
  f_dock "Dock Normal"
  local icon; icon=$(docked_icons)
  drv post "$TRAYLET_DLG" 0x5F5 130 "$icon" >/dev/null
  wait_until 5 wine reg query "$RULES\\dockwindows.exe" || die "the row made no rule"
  drv post "$TRAYLET_DLG" 0x5F5 130 "$icon" >/dev/null
  wait_until 5 sh -c "! wine reg query '$RULES\\dockwindows.exe'" || die "the row did not clear its rule"
  f_rules after.reg
  cmp -s "$OUT/before.reg" "$OUT/after.reg" || die "the subkeys that are no rule changed: $(diff "$OUT/before.reg" "$OUT/after.reg" | head -c 300)"
  traylet_alive || die "Traylet ended"
  no_window_lost
  f_stop_traylet
  no_window_lost
  figure "11 subkeys that are no rule: nothing docked, each left byte for byte through a rule of Traylet's made and cleared beside them"
}

scenario_rule_for_200_windows() {
  wine reg add "$RULES\\many" /v Program /d dockwindows.exe /f >/dev/null 2>&1 \
    && wine reg add "$RULES\\many" /v Title /d 'Many *' /f >/dev/null 2>&1 \
    && wine reg add "$RULES\\many" /v When /t REG_DWORD /d 1 /f >/dev/null 2>&1 || die "could not write the rule"
  f_keep_screen
  f_start_traylet
  local t0 ms line helper
  t0=$(date +%s%N)
  f_start_helper "Many 200" many 200 300
  helper=${STARTED_PIDS[-1]}
  all_docked() { [ "$(helper_windows | grep ' title=Many ' | grep -c ' visible=0 ')" -eq 200 ] && [ "$(icon_count)" -eq 201 ]; }
  wait_every 1 120 all_docked \
    || die "$(helper_windows | grep -c ' visible=0 ') of 200 hidden, $(icon_count) icon windows"
  ms=$(ms_since "$t0")
  no_window_lost
  xdotool mousemove 700 500
  line=$(open_menu) || die "the main menu did not open with 200 windows docked"
  traylet_alive || die "Traylet ended"
  # Each window comes back, and each icon goes, through the shell: with 200
  # of them under Wine that takes a while.
  t0=$(date +%s%N)
  post_exit
  wait_pid_gone "$TRAYLET_PID" 120 || die "Traylet did not end on Exit"
  local exit_ms; exit_ms=$(ms_since "$t0")
  wait_every 1 120 windows_in_place || die "window lost: $LOST"   # the helper restores 200 windows one by one
  no_window_lost
  # The test after the fault run needs the taskbar painted.
  f_end_many "$helper" 200 20
  figure "200 windows opened at once, all docked within ${ms} ms of the helper's start; menu opened in ${line%% *}; all 200 back on Exit, which took ${exit_ms} ms"
}

FAULT_SCENARIOS=(
  "exit with windows docked:scenario_exit_with_docked"
  "docked window destroyed by its program:scenario_docked_destroyed"
  "docked window shown by its program:scenario_docked_shown"
  "sweep drops a docked icon whose popup is open:scenario_sweep_with_open_popup"
  "shell restart with windows docked:scenario_shell_restart"
  "hung window in the list:scenario_hung_window"
  "500 windows listed:scenario_many_windows"
  "80 windows listed, keys, wheel and a typed filter dock, Escape closes:scenario_menu_keys"
  "menu at 144 DPI:scenario_menu_at_144_dpi"
  "ten right-clicks in quick succession:scenario_right_clicks"
  "ten second starts in a row:scenario_second_starts"
  "ten starts at the same moment:scenario_simultaneous_starts"
  "foreign WM_TRAY_BUILDMENU with bogus pointers:scenario_foreign_buildmenu"
  "WM_TRAY_COMMAND flood:scenario_command_flood"
  "Run values of the wrong type, without NUL, of 64 KB:scenario_run_values"
  "main process ended by TerminateProcess:scenario_terminated"
  "main process killed with kill -9:scenario_killed"
  "main process and guard killed, then a new start:scenario_both_killed"
  "main process and guard killed, then the other build starts:scenario_both_killed_other"
  "a fault in a handler of Traylet's:scenario_fault_in_handler"
  "guard killed, then the main process:scenario_guard_killed"
  "a record naming a destroyed window and another process's:scenario_planted_record"
  "WM_QUERYENDSESSION and WM_ENDSESSION:scenario_end_session"
  "WM_COPYDATA of a wrong size, without terminator, of a megabyte, of another magic, with NULs inside:scenario_hostile_copydata"
  "commands from the other build's start, both ways:scenario_commands_other_build"
  "rule subkeys of wrong types, of 64 KB, of 5000 stars, When 0 and 0xFFFFFFFF:scenario_hostile_rules"
  "a rule matching 200 windows that open at once:scenario_rule_for_200_windows"
)

# Whatever a scenario started ends with it; a Run key it changed is put back.
scenario_cleanup() {
  # Rules made in a scenario (a flood of commands may choose a docked
  # window's rule rows too) would dock windows in the next.
  wine reg delete "$RULES" /f >/dev/null 2>&1 || true
  if [ -n "${RESTORE_RUN_KEY:-}" ]; then wine "$BIN/runkey.exe" restore "$RESTORE_RUN_KEY" >/dev/null 2>&1 || true; fi
  if [ -n "${RESTORE_DPI:-}" ]; then
    DISPLAY= wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1 || true
  fi
  if [ -n "${TRAYLET_PID:-}" ] && kill -0 "$TRAYLET_PID" 2>/dev/null; then
    local dlg; dlg=$(drv find '#32770' Traylet 2>/dev/null) && drv send "$dlg" 0x0111 2 0 >/dev/null 2>&1
    wait_pid_gone "$TRAYLET_PID" 5 || true
  fi
  cleanup_started
}

run_faults() {
  local passed=0 failed=0 skipped=0 entry name fn slug
  for entry in "${FAULT_SCENARIOS[@]}"; do
    name=${entry%%:*} fn=${entry##*:}
    [ -z "${FAULT_ONLY:-}" ] || [[ $name =~ $FAULT_ONLY ]] || continue
    slug=${fn#scenario_}
    WHY="$OUT/$slug.why" FIGURE="$OUT/$slug.figure" SKIPPED="$OUT/$slug.skipped"
    rm -f "$WHY" "$FIGURE" "$SKIPPED"
    SECONDS=0
    if (
      set +e
      STARTED_PIDS=() TRAYLET_PID="" RESTORE_RUN_KEY="" GUARD_ARGS="" RESTORE_DPI=""
      fail() { die "$*"; }
      trap scenario_cleanup EXIT
      "$fn"
    ) >"$OUT/$slug.log" 2>&1; then
      if [ -s "$SKIPPED" ]; then
        skipped=$((skipped + 1))
        echo "SKIP $name: $(cat "$SKIPPED")"
        continue
      fi
      passed=$((passed + 1))
      if [ -s "$FIGURE" ]; then echo "PASS $name ($(cat "$FIGURE")) ${SECONDS} s"; else echo "PASS $name ${SECONDS} s"; fi
    else
      failed=$((failed + 1))
      if [ -s "$WHY" ]; then echo "FAIL $name: $(cat "$WHY")"; else echo "FAIL $name: ended unexpectedly, see $OUT/$slug.log"; fi
    fi
  done
  echo "$passed passed, $failed failed$([ "$skipped" -eq 0 ] || echo ", $skipped skipped")"
  [ "$failed" -eq 0 ]
}
