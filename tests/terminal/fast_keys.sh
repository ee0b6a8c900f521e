#!/usr/bin/env bash
# Keys that arrive together (fast typing, a paste, ssh) act one after the other, each
# key's character right after its own key: Shift+X then "j" jumps to xray.txt and starts
# no shell, "D j" asks to delete nothing, "E Enter" opens the file instead of an editor.
. "$(dirname "$0")/lib.sh"
dir=$(make_dir fast)
printf 'd\n' >"$dir/dog.txt"
printf 'e\n' >"$dir/egg.txt"
printf 'x\n' >"$dir/xray.txt"

start_tembra "$dir" truecolor
wait_for "Directory List - 0 of 3 Entries"
keys "X" "j"
wait_for "Directory List - 3 of 3 Entries"
keys "D" "j"
wait_for "Directory List - 1 of 3 Entries"
keys "E" "Enter"
wait_for "File List"
screen | grep -q "Trash" && fail "a delete was asked for"
[ -f "$WORK/exit.txt" ] && fail "tembra ended"
row 2 | grep -q "^e" || fail "egg.txt is not shown: $(row 2)"
keys F10
status=$(wait_exit)
[ "$status" = 0 ] || fail "exit status $status"
expect_normal_terminal
finish
