#!/usr/bin/env bash
# Keys that arrive together (fast typing, a paste, ssh) act one after the other, each
# key's character right after its own key: Shift+X then "j" jumps to xray.txt and starts
# no shell, "D j" asks to delete nothing, "E Enter" opens the file instead of an editor.
# Keys typed while End indexes a large file act after it: End Home ends at the top, and in
# "End # 5 Enter" the prompt that "#" opens gets the "5" and the Enter.
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

big=$(make_dir big)
seq 1 30000000 >"$big/big.txt"  # 258,888,897 bytes, written out (not sparse)
start_tembra "$big" truecolor big.txt
wait_for "File List"
keys End Home
wait_for " 1 of 30,000,000 Lines"
row 2 | grep -qx "1 *" || fail "End Home did not end at the top: $(row 2)"
keys F10
wait_exit >/dev/null
start_tembra "$big" truecolor big.txt
wait_for "File List"
keys End "#" 5 Enter
wait_for " 5 of 30,000,000 Lines"
row 2 | grep -qx "5 *" || fail "End # 5 Enter did not jump to line 5: $(row 2)"
keys F10
status=$(wait_exit)
[ "$status" = 0 ] || fail "exit status $status"
rm -f "$big/big.txt"
finish
