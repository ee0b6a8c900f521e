#!/usr/bin/env bash
# The size prompt "&", the file-specification prompt "F" and a configuration line
# typed with "?" on the parent entry.
. "$(dirname "$0")/lib.sh"
D=$(make_dir work)
printf '0123456789' >"$D/small.txt"
head -c 5000 /dev/zero >"$D/big.txt"
head -c 3000 /dev/zero >"$D/mid.dat"
export XDG_DATA_HOME="$WORK/data"

run_headless --cwd "$D" --clock "2026-03-04 10:00:00" --no-run <<'S'
input 2K
key &
screen
input -4k
key &
screen
input >s1K-4K
key &
screen
input *
key &
screen
input b*
key f
screen
S
expect_contains 'INPUT caption="Size Specifications" prompt="VX0011-Enter Size Specifications" default="*" -> "2K"'
rows() { for r in 3 4 5 6; do screen_row $r "$1" | awk '{print $1}'; done | tr -s '\n' ' ' | sed 's/ *$//'; }
[ "$(rows 1)" = "BIG MID" ] || fail "2K: $(rows 1)"
[ "$(rows 2)" = "MID SMALL" ] || fail "-4k: $(rows 2)"
[ "$(rows 3)" = "MID" ] || fail ">s1K-4K: $(rows 3)"
[ "$(rows 4)" = "BIG MID SMALL" ] || fail "*: $(rows 4)"
[ "$(rows 5)" = "BIG" ] || fail "b*: $(rows 5)"

# "?" on the parent entry takes one configuration line: NOPREC deletes without asking.
run_headless --cwd "$D" --clock "2026-03-04 10:00:00" --no-run <<'S'
key Home
input NOPREC
key ?
key s shift
key d
S
expect_contains 'prompt="VX0007 - Enter one config line"'
expect_not_contains 'to the Trash?'
[ ! -e "$D/small.txt" ] || fail "NOPREC delete"
[ -f "$XDG_DATA_HOME/Trash/files/small.txt" ] || fail "NOPREC delete did not use the Trash"
finish
