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
finish
