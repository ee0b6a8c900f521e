#!/usr/bin/env bash
# Linux profile: a missing file alone on the command line is a message and status 1;
# empty files are passed over with one message; a broken link names its target; a delete
# in a folder the user cannot write says "Permission denied" before any Trash question.
. "$(dirname "$0")/lib.sh"
export TEST_PROFILE=linux
dir=$(make_dir files)
printf 'hello\n' >"$dir/a.txt" && : >"$dir/e1.txt" && : >"$dir/e2.txt" && ln -s gone "$dir/dead"
start_tembra "$dir" "" missing.txt
[ "$(wait_exit)" = 1 ] || fail "a missing file: exit status"
wait_for "tembra: missing.txt: No such file or directory"
rm -f "$WORK/exit.txt"
start_tembra "$dir" "" e1.txt a.txt e2.txt
wait_for "VX1064 - Passed over, of zero length: e1.txt, e2.txt" && wait_for "hello"
keys Escape && wait_for "Directory List" && keys Home Down Down Enter
wait_for "VX1065 - Broken link: dead -> gone"
keys F10 && wait_exit >/dev/null
# As another user, where the test runs as root (root may write any folder).
if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null; then
  ro=$(make_dir ro) && printf 'x' >"$ro/keep.txt" && chmod 755 "$WORK" && chmod 555 "$ro"
  printf '#!/bin/sh\nexec setpriv --reuid=65534 --regid=65534 --clear-groups "%s" "$@"\n' "$TEMBRA_BIN" >"$WORK/nobody.sh"
  chmod 755 "$WORK/nobody.sh" && rm -f "$WORK/exit.txt"
  TEMBRA_BIN="$WORK/nobody.sh" start_tembra "$ro" ""
  wait_for "keep.txt" && keys Down d
  wait_for "Permission denied"
  screen | grep -q "Trash" && fail "Trash talk before the permission error"
  keys Enter F10 && wait_exit >/dev/null
fi
finish
