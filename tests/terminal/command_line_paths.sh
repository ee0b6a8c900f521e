#!/usr/bin/env bash
# In the Linux profile a word that names an existing file or folder is that path, also a
# single top-level one that reads like a switch (/etc, /, /usr/); a "/" word naming
# nothing is a switch, and one that is no switch is a usage error (status 2, no window).
. "$(dirname "$0")/lib.sh"
export TEST_PROFILE=linux
dir=$(make_dir here)
for word in /etc / /usr/; do
  rm -f "$WORK/exit.txt"
  start_tembra "$dir" "" "$word"
  wait_for "Directory List - 0 of $(ls -A "$word" | wc -l) Entries"
  wait_for "Parm=$word"
  screen | grep -q "Stop zGetParm\|VX1031" && fail "$word read as a switch"
  keys F10
  [ "$(wait_exit)" = 0 ] || fail "$word: exit status"
done
(cd "$dir" && "$TEMBRA_BIN" /nothing-here </dev/null >/dev/null 2>"$WORK/err.txt")
status=$?
[ "$status" = 2 ] || fail "/nothing-here: exit status $status"
grep -q "^tembra: unknown switch: /nothing-here$" "$WORK/err.txt" || fail "no reason: $(cat "$WORK/err.txt")"
finish
