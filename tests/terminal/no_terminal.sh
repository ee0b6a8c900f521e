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
# word that names an existing file or folder is no option.
for bad in --bogus /Zz; do
  (cd "$dir" && "$TEMBRA_BIN" "$bad" </dev/null >"$WORK/out.txt" 2>"$WORK/err.txt")
  status=$?
  [ "$status" = 2 ] || fail "$bad: exit status $status"
  grep -q "^tembra: unknown .*: $bad\$" "$WORK/err.txt" || fail "$bad: no reason: $(cat "$WORK/err.txt")"
  grep -q "^Usage: tembra" "$WORK/err.txt" || fail "$bad: no usage line"
  [ -s "$WORK/out.txt" ] && fail "$bad: wrote to standard output"
done
touch "$dir/-x"
(cd "$dir" && "$TEMBRA_BIN" -x /Q-S "$dir/-x" -- -y </dev/null >/dev/null 2>"$WORK/err.txt")
grep -q "must be a terminal" "$WORK/err.txt" || fail "a file named -x or /Q-S taken as unknown: $(cat "$WORK/err.txt")"
finish
