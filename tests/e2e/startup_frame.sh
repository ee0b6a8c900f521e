#!/usr/bin/env bash
# The first page: caption, title band, message band, the command line shown once,
# the normal end and the fatal font check.
. "$(dirname "$0")/lib.sh"
D=$(make_dir start)
DW="C:${D//\//\\}\\"

run_headless --size 80x25 --cwd "$D" --cmdline "abc" --clock "2026-03-04 10:00:00" <<'S'
screen
key z
screen
key Esc
S
expect_line "CAPTION TEMBRA • DIR • $DW"
expect_screen_row 1 "Ver: Beta_7Z - Directory List - " 1
expect_screen_row 25 "VX0001 - Parm=abc" 1
[ "$(screen_row 25 2 | tr -d ' ')" = "" ] || fail "message line not cleared after a key"
expect_screen_row 25 "VX0099 - "
expect_line "EXIT normal"

run_headless --cwd "$D" <<'S'
attrs
S
expect_contains "[fg=000000 bg=9F9F9F]Ver: Beta_7Z"
expect_no_line "EXIT normal"

run_headless --cwd "$D" --font proportional <<'S'
key x
S
expect_line 'MSGBOX caption="Critical/Unexpected Error - Contact VX Software with this message" text="VX9021 - Fonts not Monospace" buttons=OK -> OK'
expect_line 'MSGBOX caption="Tembra" text="   ERROR   ***   VX9021 - Fonts not Monospace *** Contact VX Software with this message" buttons=OK -> OK'
expect_line "EXIT fatal"

# A bad script line is the driver's own error (status 2).
echo "bogus" | "$TEMBRA_HEADLESS" --script - >/dev/null 2>&1
[ $? -eq 2 ] || fail "bad script line did not give status 2"
finish
