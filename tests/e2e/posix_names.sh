#!/usr/bin/env bash
# Names that only POSIX systems allow: a ":" inside a file or folder name is no drive;
# two names that differ only in letter case are two files.
. "$(dirname "$0")/lib.sh"

# The file opens, the folder is entered.
C=$(make_dir colon)
printf 'colon\n' >"$C/a:b.txt"
mkdir "$C/co:lon" && printf 'in\n' >"$C/co:lon/in.txt"
run_headless --cwd "$C" <<'S'
key Down
key Down
key Enter
screen
key Esc
key Up
key Enter
key Down
key Enter
S
expect_not_contains "VX9"
expect_not_contains "EXIT"
expect_screen_row 2 "colon" 1
expect_screen_row 2 "in" 2

# Setting one of two case twins aside (Ctrl+D) leaves the other as it is.
T=$(make_dir twins)
printf 'u\n' >"$T/UPPER.TXT"
printf 'l\n' >"$T/upper.txt"
run_headless --cwd "$T" <<'S'
key Down
key D ctrl
S
expect_not_contains "VX9"
expect_not_contains "EXIT"
left=$(ls "$T" | grep -ix upper.txt)
case "$left" in UPPER.TXT) want=u ;; upper.txt) want=l ;; *) want=none; fail "both twins or neither left: $(ls "$T")" ;; esac
[ "$(cat "$T/$left" 2>/dev/null)" = "$want" ] || fail "the twin was changed"
ls "$T" | grep -q '^_V' || fail "nothing was set aside: $(ls "$T")"
finish
