#!/usr/bin/env bash
# Keys that must never crash or end the program: keys typed faster than the page is drawn,
# the input-file keys with no input-file list, keys during the closing wait, and switches
# the program cannot use.
. "$(dirname "$0")/lib.sh"

D=$(make_dir keys)
printf 'x\n' >"$D/xray.txt"
printf 'd\n' >"$D/dog.txt"
printf 'e\n' >"$D/egg.txt"

# ---- keys waiting together (fast typing, a paste): each key's character comes right
# after its own key-down, so Shift+X jumps to xray.txt and "j" does nothing.
run_headless --no-run --cwd "$D" <<'S'
keys shift+X j
S
expect_not_contains "RUN "
expect_no_line "EXIT normal"
expect_contains "- 3 of 3 Entries"
run_headless --no-run --cwd "$D" <<'S'
keys shift+D j
keys shift+E Enter
S
expect_not_contains "MSGBOX"
expect_not_contains "RUN "
expect_contains "- File List -"
expect_contains 'EGG.TXT'

# ---- the input-file keys in a file opened from the page: nowhere to move
run_headless --cwd "$D" <<'S'
key Down
key Enter
key PgDn ctrl
screen
key PgUp ctrl
screen
key N ctrl
key U ctrl
key Z ctrl
key PgDn ctrl shift
key PgUp ctrl alt
S
expect_screen_row 25 "VX1010 - This is the last file" 1
expect_screen_row 25 "VX1011 - This is the first file" 2
[ "$(grep -c '^BEEP$' "$OUT")" -ge 5 ] || fail "expected a beep for each key"
expect_not_contains "EXIT"
expect_contains "- File List -"

# ---- keys during the closing wait are ignored; the program ends normally
run_headless --cwd "$D" <<'S'
key F10
key A
key B
key C
key D
key 4
S
expect_line "EXIT normal"
expect_not_contains "VX9"
run_headless --cwd "$D" <<'S'
key F10
click 5 5
dblclick 5 3
resize 1 1
key Esc
S
expect_line "EXIT normal"
expect_not_contains "VX9"

# Tab lengthens the closing wait (the screens typed during it are all taken); a second
# F10 ends it at once (nothing after it is taken).
# (The wait is at most 1 s = 20 turns of 50 ms; Tab adds 1.6 s.)
{ echo "key F10"; echo "key Tab"; for i in $(seq 1 30); do echo screen; done; } | run_headless --cwd "$D"
expect_line "EXIT normal"
[ "$(grep -c '^SCREEN ' "$OUT")" = 31 ] || fail "Tab did not lengthen the closing wait"
expect_contains "VX0099 - "
# Four Tabs at once (6.4 s more) stop at the 5-second cap: the turn after them starts at
# 5 s, so exactly 100 more turns take a screen each (plus the final one).
{ echo "key F10"; echo "keys Tab Tab Tab Tab"; for i in $(seq 1 130); do echo screen; done; } |
  run_headless --cwd "$D"
expect_line "EXIT normal"
[ "$(grep -c '^SCREEN ' "$OUT")" = 101 ] || fail "the closing wait is not capped at 5 s: $(grep -c '^SCREEN ' "$OUT")"
run_headless --cwd "$D" <<'S'
key F10
key F10
screen
screen
S
expect_line "EXIT normal"
[ "$(grep -c '^SCREEN ' "$OUT")" = 1 ] || fail "a second F10 did not end the closing wait"

# ---- Tab outside the closing wait leaves the page's character commands working
run_headless --cwd "$D" <<'S'
key Tab
key 2
screen
S
expect_screen_row 3 "DOG     .TXT        2  " 1

# ---- a sort switch without its letter, and a command line of too many words
run_headless --cwd "$D" --cmdline "/Q" <<'S'
S
expect_line 'MSGBOX caption="Tembra" text="VX1032 - /Q needs a sort letter (D F S E N R U); sorting by file name" buttons=OK -> OK'
expect_not_contains "EXIT"
expect_screen_row 2 "<<PARENT DIR"
run_headless --cwd "$D" --cmdline "$(printf '/QS %.0s' $(seq 1 130))" <<'S'
S
expect_line 'MSGBOX caption="Tembra" text="VX1033 - More than 128 words: the rest of the line is ignored" buttons=OK -> OK'
expect_not_contains "EXIT"
# Shift+Esc is the one key that ends the program at once, from the file view too.
run_headless --cwd "$D" --cmdline xray.txt <<'S'
key Esc shift
key Down
S
expect_line 'MSGBOX caption="Tembra" text="Stop - Shift_1" buttons=OK -> OK'
expect_line "EXIT immediate"
finish
