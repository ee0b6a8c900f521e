#!/usr/bin/env bash
# The directory page's Linux keys: j/k down and up, Right into a folder, Left and h to
# the parent, Shift+letter to a folder or file, and find as typed (`/`): the first name that
# contains the text in any case, no match keeps the cursor, Backspace, Esc and Enter.
. "$(dirname "$0")/lib.sh"
export TEST_PROFILE=linux XDG_CONFIG_HOME="$WORK/xdg"
dir=$(make_dir find)
mkdir "$dir/apps" "$dir/bin" "$dir/docs" "$dir/zeta"
: >"$dir/apps/inner.txt"
for f in notes.txt readme.md todo-notes.txt; do echo x >"$dir/$f"; done
at() { wait_for "$1 of 7 Entries"; }
start_tembra "$dir" ""
at 0
keys j j && at 2
keys k && at 1
keys Right && wait_for "inner.txt"
keys Left && at 1
keys Right && wait_for "inner.txt"
keys h && at 1
# Shift+letter: a name that starts with the letter (readme.md) before one after it (zeta).
keys B && at 2
keys R && at 6
keys C && at 3
keys S-Right && at 7
# Find: "otES" is in notes.txt and todo-notes.txt: the first; then no match keeps it.
keys k k k k && at 3
keys / o t E S && at 5
wait_for "VX0066 - Find: otES"
keys x && wait_for "VX0066 - Find: otESx  (no name contains it)" && at 5
keys BSpace && wait_gone "otESx" && at 5
keys Escape && at 3
keys / r e && at 6
keys Enter && wait_gone "VX0066" && keys j && at 7
# A name filter shows on the title line until `=` clears it.
keys f && wait_for "VX0010"
keys '*' o t e s '*' Enter && wait_for "of 6 Entries - Filter: *OTES*.* (= clears)"
keys = && wait_gone "Filter:" && wait_for "of 7 Entries"
keys F10 && wait_exit >/dev/null
finish
