#!/usr/bin/env bash
# Without a terminal tembra refuses to start, with a reason, and touches nothing.
. "$(dirname "$0")/lib.sh"
dir=$(make_dir quiet)
(cd "$dir" && "$TEMBRA_BIN" </dev/null >"$WORK/out.txt" 2>"$WORK/err.txt")
status=$?
[ "$status" = 2 ] || fail "exit status $status without a terminal"
grep -q "must be a terminal" "$WORK/err.txt" || fail "no reason given: $(cat "$WORK/err.txt")"
[ -s "$WORK/out.txt" ] && fail "wrote to standard output: $(cat -v "$WORK/out.txt")"
[ -z "$(ls -A "$dir")" ] || fail "files appeared: $(ls -A "$dir")"
# A command line it cannot use (an unknown option, an unknown switch) is refused before
# the terminal is looked at: the reason and the usage on standard error, status 2. A
# "-" word is an option even where a file has its name; a "/" word that names an
# existing file or folder is no switch.
touch "$dir/-x"
for bad in --bogus /Zz -x; do
  (cd "$dir" && "$TEMBRA_BIN" "$bad" </dev/null >"$WORK/out.txt" 2>"$WORK/err.txt")
  status=$?
  [ "$status" = 2 ] || fail "$bad: exit status $status"
  grep -q "^tembra: unknown .*: $bad\$" "$WORK/err.txt" || fail "$bad: no reason: $(cat "$WORK/err.txt")"
  grep -q "^Usage: tembra" "$WORK/err.txt" || fail "$bad: no usage line"
  [ -s "$WORK/out.txt" ] && fail "$bad: wrote to standard output"
done
(cd "$dir" && "$TEMBRA_BIN" /Q-S "$dir/-x" /tmp / -- -y </dev/null >/dev/null 2>"$WORK/err.txt")
grep -q "must be a terminal" "$WORK/err.txt" || fail "a path or /Q-S taken as unknown: $(cat "$WORK/err.txt")"
finish
