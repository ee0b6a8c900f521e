#!/usr/bin/env bash
# Input boxes in a terminal: drawn over the page with prompt, caption and the default
# answer selected; typing replaces it; cursor keys, Home, End, Backspace and Delete edit;
# Esc cancels and Enter accepts. The terminal's cursor shows only while the box is open.
# A resize to 1x1 and back leaves the answer shown.
. "$(dirname "$0")/lib.sh"
dir=$(make_dir page)
touch "$dir/one.txt"
mkdir "$dir/sub"
cursor_on() { tmux -L "$SOCK" display-message -p -t t '#{cursor_flag}'; }

start_tembra "$dir" truecolor
wait_for "Directory List - 0 of 2 Entries"
[ "$(cursor_on)" = 0 ] || fail "the terminal's cursor shows on the page"

# Change directory: the box asks with its prompt and shows the default answer.
keys p
wait_for "VX0014-Enter drive:dir\\filename"
wait_for "C:"
wait_for "[ OK ]"
wait_for "Cancel"
[ "$(cursor_on)" = 1 ] || fail "no cursor in the input box"
# Esc cancels: the page stays in the same directory.
keys Escape
wait_gone "VX0014-Enter drive:dir"
wait_for "ONE     .TXT"
[ "$(cursor_on)" = 0 ] || fail "the cursor stays after the box"

# Typing replaces the selected default; then edit "xsuq" into "sub".
keys p
wait_for "VX0014-Enter drive:dir\\filename"
keys x s u q
wait_for "xsuq"
keys BSpace b Home Delete End
wait_for "sub"
screen | grep -q "xsub\|C:" && fail "editing went wrong: $(screen | grep -n 'su')"
keys Enter
wait_gone "VX0014-Enter drive:dir"
wait_for "Directory List - 0 of 0 Entries"
tmux -L "$SOCK" display-message -p -t t '#{pane_title}' | grep -qi '\\sub\\$' ||
  fail "not in sub: $(tmux -L "$SOCK" display-message -p -t t '#{pane_title}')"

# After a resize to 1x1 and back the answer is shown again, not only kept: the rename
# box, then the folder prompt.
tiny_and_back() {
  tmux -L "$SOCK" resize-window -t t -x 1 -y 1
  sleep 0.5
  tmux -L "$SOCK" resize-window -t t -x 100 -y 30
}
keys p
wait_for "VX0014-Enter drive:dir\\filename"
shown=$(screen | grep -o 'C:[^ │]*' | tail -1)
tiny_and_back
wait_for "VX0014-Enter drive:dir\\filename"
wait_for "│ $shown "
keys C-u .. Enter
wait_for "Directory List - 0 of 2 Entries"
keys O r
wait_for "VX0043-Enter new file name for one.txt"
tiny_and_back
wait_for "VX0043-Enter new file name for one.txt"
wait_for "│ one.txt "
keys Escape
wait_gone "VX0043-Enter new file name"

keys Escape
status=$(wait_exit)
[ "$status" = 0 ] || fail "exit status $status"
expect_normal_terminal

# The search prompt shows whether letter case counts, and Ctrl+T turns it: "/" searches
# with exact case, turned to any case it finds GAMMA before gamma.
sdir=$(make_dir search)
printf 'alpha\nbeta\nGAMMA\ngamma\n' >"$sdir/g.txt"
start_tembra "$sdir" truecolor g.txt
wait_for "alpha"
keys /
wait_for "Exact case (Ctrl+T: any case)"
keys C-t
wait_for "Any case (Ctrl+T: exact case)"
keys gamma Enter
wait_gone "Any case (Ctrl+T"
wait_for "GAMMA"
row 2 | grep -q "^GAMMA" || fail "the any-case search did not stop at GAMMA: $(row 2)"
finish
