#!/usr/bin/env bash
# The file view's less keys (Linux profile) as a user types them: lines, pages, the end, a
# search forward and back with N, a mark and '' back, h, q ending a program started on a
# file and q back to the directory page; the title keeps the name at 80 columns, l shows
# line numbers, and an idle message line shows the cursor entry's name the page cuts.
. "$(dirname "$0")/lib.sh"
export TEST_PROFILE=linux XDG_CONFIG_HOME="$WORK/xdg"
dir=$(make_dir less)
log=application-server-2026-12-10.log
seq -f 'row %g' 1 200 >"$dir/$log"
: >"$dir/a-file-name-far-too-long-for-its-column-of-the-directory-page-so-cut-there.txt"
at() { wait_for "-  $1 of 200 Lines"; }
start_tembra "$dir" "" "$log"
at 1 && [ "$(row 1 | sed "s/  */ /g")" = "File List - 1 of 200 Lines UTF-8 $log" ] || fail "title: $(row 1)"
keys l && wait_for " 1 row 1" && keys l && wait_for "VX0258"
keys j j j && at 4
keys k && at 3
keys Space && at 26
keys b && at 3
keys d && at 14
keys / && wait_for "VX0044"
keys 'row 150' Enter && at 150
keys "'" "'" && at 14
keys m x G && at 178
keys "'" x && at 14
keys G '?' && wait_for "VX0044"
keys Enter && at 128
keys N && at 150
keys h && wait_for "File view, Linux profile"
keys Escape && at 150
keys q && wait_exit >/dev/null
start_tembra "$dir" "" "$dir"
wait_for "application" && keys End k && wait_for "directory-page-so-cut"
keys j && wait_gone "directory-page-so-cut" && keys Enter && at 1
keys q && wait_for "2 of 2 Entries" && wait_gone "Lines"
keys F10 && wait_exit >/dev/null
finish
