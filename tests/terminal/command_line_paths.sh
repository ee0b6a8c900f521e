#!/usr/bin/env bash
# Linux profile: a word that names an existing folder is that folder, also a single
# top-level one (/etc, /, /usr/); a "/" word naming nothing and no switch is a usage error.
. "$(dirname "$0")/lib.sh"
export TEST_PROFILE=linux
dir=$(make_dir here)
for word in /etc / /usr/; do
  rm -f "$WORK/exit.txt" && start_tembra "$dir" "" "$word"
  wait_for "Directory List - 0 of $(ls -A "$word" | wc -l) Entries" && wait_for "Parm=$word"
  keys F10
  [ "$(wait_exit)" = 0 ] || fail "$word: exit status"
done
(cd "$dir" && "$TEMBRA_BIN" /nothing-here </dev/null >/dev/null 2>"$WORK/err.txt")
[ $? = 2 ] || fail "/nothing-here: exit status"
grep -q "^tembra: unknown switch: /nothing-here$" "$WORK/err.txt" || fail "no reason: $(cat "$WORK/err.txt")"
finish
