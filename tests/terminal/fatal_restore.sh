#!/usr/bin/env bash
# A fatal error at start-up shows its message boxes in the terminal; answering them ends
# the program with status 1 and the terminal back in its normal mode.
. "$(dirname "$0")/lib.sh"
dir=$(make_dir start)
# Drive C: is the test folder, where the debug switch's folder C:\0BAT\ does not exist.
export TEMBRA_DRIVES="C=$WORK"
start_tembra "$dir" truecolor "?vx"
wait_for "VX9004 LOAD - FILE IS NOT A PATH"
# The box is framed and centred, with its OK button.
wait_for "[ OK ]"
box_row=$(screen | grep -n "VX9004" | head -1 | cut -d: -f1)
[ "$box_row" -ge 8 ] && [ "$box_row" -le 14 ] || fail "box not centred (row $box_row)"
keys Enter
wait_for "Critical/Unexpected Error"
keys Enter
wait_for "│ with this message"
keys Enter
status=$(wait_exit)
[ "$status" = 1 ] || fail "exit status $status, expected 1"
expect_normal_terminal
finish
