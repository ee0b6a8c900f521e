#!/usr/bin/env bash
# Names that only POSIX systems allow: a ":" inside a file or folder name is no drive.
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
finish
