#!/usr/bin/env bash
# The program's own notification-area icon, seen from outside: it appears in
# the taskbar, a real right-click opens the popup at the pointer, it comes
# back after the shell loses it and announces a new taskbar, and exit removes
# it. The taskbar draws its icons itself, so they are found in screenshots.
. "$(dirname "$0")/common.bash"

# The taskbar's right end, where the icons are drawn.
AREA_X=800 AREA_Y=738
AREA="224x30+$AREA_X+$AREA_Y"
grab() { import -window root -crop "$AREA" +repage "$OUT/$1.png"; }
# Number of pixels that differ between two grabs.
differing() { compare -metric AE "$OUT/$1.png" "$OUT/$2.png" null: 2>&1 | cut -d' ' -f1 || true; }
# The area now looks like grab $1 (after a fresh grab named $2).
looks_like() { grab "$2"; [ "$(differing "$1" "$2")" = 0 ]; }
looks_unlike() { grab "$2"; [ "$(differing "$1" "$2")" != 0 ]; }
# The bounding box WxH+X+Y of the pixels that differ.
diff_box() {
  convert "$OUT/$1.png" "$OUT/$2.png" -compose difference -composite -colorspace gray -threshold 0 \
    -format '%@' info:
}
trayshell() { wine "$BIN/trayshell.exe" "$@" | tr -d '\r'; }
# Traylet's windows of its framework classes; the popup is the visible one.
traylet_windows() { drv list | grep ' class=Traylet:' || true; }
visible_popup() { traylet_windows | grep ' visible=1 ' | head -n1; }

drv find '#32770' Traylet >/dev/null && fail "a Traylet is already running"
xdotool mousemove 400 300
grab without

start_traylet
wait_until 10 looks_unlike without with || fail "no icon appeared in the notification area"
grab with
box=$(diff_box without with)
[[ $box =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || fail "cannot locate the icon: '$box'"
w=${BASH_REMATCH[1]} h=${BASH_REMATCH[2]}
cx=$(( AREA_X + BASH_REMATCH[3] + w / 2 )) cy=$(( AREA_Y + BASH_REMATCH[4] + h / 2 ))
[ "$w" -le 20 ] && [ "$h" -le 20 ] || fail "the change is not one icon: $box"
pass "icon appears in the notification area (${w}x${h}, centre $cx,$cy)"

# The icon's own window: hidden, untitled, 10 x 10.
icon_line=$(traylet_windows | grep ' visible=0 ' | grep ' title=$' | grep 'rect=0,0,10,10 ' || true)
[ "$(printf '%s\n' "$icon_line" | grep -c . || true)" -eq 1 ] || { traylet_windows >&2; fail "expected one icon window"; }
ICON=${icon_line%% *}
pass "one hidden 10x10 icon window $ICON"

# A real right-click opens the popup with its bottom-right corner at the pointer.
xdotool mousemove "$cx" "$cy" click 3
wait_until 5 sh -c "wine '$BIN/traydriver.exe' list | tr -d '\r' | grep ' class=Traylet:' | grep -q ' visible=1 '" \
  || fail "no popup after a right-click on the icon"
popup=$(visible_popup)
screenshot popup >/dev/null
[[ $popup =~ rect=(-?[0-9]+),(-?[0-9]+),(-?[0-9]+),(-?[0-9]+) ]] || fail "popup: $popup"
[ "${BASH_REMATCH[3]}" -eq "$cx" ] && [ "${BASH_REMATCH[4]}" -eq "$cy" ] \
  || fail "popup at ${BASH_REMATCH[*]:1}, pointer at $cx,$cy"
pass "right-click opens the popup at the pointer ($popup)"
# A click elsewhere takes the focus from the popup, which closes.
xdotool mousemove 300 300 click 1
wait_until 5 sh -c "! wine '$BIN/traydriver.exe' list | tr -d '\r' | grep ' class=Traylet:' | grep -q ' visible=1 '" \
  || fail "popup did not close"
xdotool mousemove 400 300
pass "the popup closes when it loses the focus"

# The shell loses the icon; a new taskbar is announced; the icon is back.
trayshell delete "$ICON" >/dev/null || fail "the shell did not know Traylet's icon"
wait_until 5 looks_like without now || fail "the icon did not go after the delete"
trayshell taskbar-created || fail "broadcast failed"
wait_until 5 looks_like with now || fail "the icon did not come back after TaskbarCreated"
pass "the icon comes back after TaskbarCreated"

# "Options" brings the dialog out of the tray; its close button hides it into
# the tray again (a queued IDCANCEL) and the program runs on.
dlg_visible() { drv state "$TRAYLET_DLG" | grep -q " visible=$1 "; }
drv post "$TRAYLET_DLG" 0x0111 140 0 >/dev/null   # what a second start sends: shows the dialog
wait_until 5 dlg_visible 1 || fail "the dialog did not come out of the tray"
[[ $(drv state "$TRAYLET_DLG") =~ rect=(-?[0-9]+),(-?[0-9]+),(-?[0-9]+),(-?[0-9]+) ]] || fail "dialog rect"
# The caption's close button sits at the top-right corner, inside the frame.
xdotool mousemove $(( BASH_REMATCH[3] - 12 )) $(( BASH_REMATCH[2] + 12 )) click 1
wait_until 5 dlg_visible 0 || { screenshot close-button >/dev/null; fail "the close button did not hide the dialog"; }
xdotool mousemove 400 300
kill -0 "$TRAYLET_PID" 2>/dev/null || fail "closing the dialog ended the program"
wait_until 5 looks_like with now || fail "the icon changed when the dialog was hidden"
pass "the close button hides the dialog into the tray; the program and its icon stay"

stop_traylet
wait_until 5 looks_like without now || fail "the icon stayed after exit"
trayshell delete "$ICON" >/dev/null && fail "the shell still had the icon after exit"
pass "exit removes the icon"
