#!/usr/bin/env bash
# The directory page in a terminal: the first page, role colours of the title band,
# cursor cell, entries and column bars, cursor keys (with xterm's modified keys), the
# sort prompt, a message box, mouse clicks and a double click, and Esc to end.
. "$(dirname "$0")/lib.sh"
dir=$(make_dir page)
head -c 300 /dev/zero >"$dir/big.dat"
head -c 200 /dev/zero >"$dir/mid.dat"
head -c 100 /dev/zero >"$dir/small.dat"
mkdir "$dir/sub"
cells() { screen_e | python3 "$(dirname "$0")/cells.py" "$@"; }
expect_cell() {  # ROW:COL EXPECTED-COLOURS WHAT
  local got
  got=$(cells "$1")
  case "$got" in "$2"*) ;; *) fail "$3: cell $1 is '$got', expected '$2'" ;; esac
}

start_tembra "$dir" truecolor
wait_for "Directory List - 0 of 4 Entries"
screen | grep -q "^>SUB  *<DIR>" || fail "no directory entry on the first page"
screen | grep -q "^MID     .DAT   200" || fail "no file entry on the first page"
expect_cell 1:1 "fg=000000 bg=9F9F9F V" "title band (roles 4 on 8)"
expect_cell 25:1 "fg=000000 bg=9F9F9F" "message band"
# The cursor's role 7 background (FFF1A6) is too close to the page's (EED5B7) to be seen
# well: the terminal shows it darkened until 3:1 apart, the lettering black on it.
expect_cell 2:1 "fg=000000 bg=807953 <" "cursor cell on the parent entry (role 7 background, darkened)"
expect_cell 3:1 "fg=0000C0 bg=EED5B7 >" "directory entry (roles 2 on 6)"
expect_cell 5:1 "fg=000000 bg=EED5B7 M" "file entry"
expect_cell 3:20 "fg=9F9F9F bg=EED5B7" "bar between entry columns (role 8)"

# Cursor keys, also with Ctrl as xterm reports it.
keys Down Down
wait_for "Directory List - 2 of 4 Entries"
expect_cell 4:1 "fg=000000 bg=807953 B" "cursor cell after two Down"
expect_cell 2:1 "fg=0000C0 bg=EED5B7 <" "old cursor cell after two Down"
keys Up
wait_for "Directory List - 1 of 4 Entries"
keys C-End
wait_for "Directory List - 4 of 4 Entries"
keys C-Home
wait_for "Directory List - 0 of 4 Entries"

# The sort prompt: by size ascending, then descending.
keys s
wait_for "VX0088 - Sort by: [-] (F)ilename (E)xtension (D)ate (N)one (S)ize  (-)descending"
keys s
wait_gone "VX0088 - Sort by"
for i in $(seq 1 50); do [ "$(row 4 | cut -c1-5)" = "SMALL" ] && break; sleep 0.1; done
[ "$(row 4 | cut -c1-5)" = "SMALL" ] && [ "$(row 6 | cut -c1-3)" = "BIG" ] || fail "not sorted by size: $(screen | sed -n 4,6p)"
keys s
wait_for "VX0088 - Sort by"
keys f
wait_gone "VX0088 - Sort by"
for i in $(seq 1 50); do [ "$(row 4 | cut -c1-3)" = "BIG" ] && break; sleep 0.1; done
[ "$(row 4 | cut -c1-3)" = "BIG" ] || fail "not sorted by name again: $(screen | sed -n 4,6p)"

# A message box over the page, answered with Enter, then gone.
keys Down
wait_for "Directory List - 1 of 4 Entries"
keys o
wait_for "VX1006 - Edit only allowed on a file"
wait_for "Tembra Not Allowed"
wait_for "[ OK ]"
keys Enter
wait_gone "VX1006 - Edit only allowed on a file"
wait_for "Directory List - 1 of 4 Entries"
screen | grep -q "^>SUB" || fail "page not restored after the box"

# A click on the third content row puts the cursor there; a double click opens SUB.
keys -l $'\e[<0;3;5M\e[<0;3;5m'
wait_for "Directory List - 3 of 4 Entries"
keys -l $'\e[<0;3;3M\e[<0;3;3m\e[<0;3;3M\e[<0;3;3m'
wait_for "Directory List - 0 of 0 Entries"
tmux -L "$SOCK" display-message -p -t t '#{pane_title}' | grep -q 'TEMBRA • DIR • C:.*\\sub\\$' ||
  fail "caption not on the terminal's title: $(tmux -L "$SOCK" display-message -p -t t '#{pane_title}')"

keys Escape
status=$(wait_exit)
[ "$status" = 0 ] || fail "exit status $status after Esc"
expect_normal_terminal
finish
