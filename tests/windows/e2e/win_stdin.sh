#!/usr/bin/env bash
# Standard input viewed through the Win32 layer (run by scripts/windows.sh under Wine):
# "-" on the driver's command line, the script from a file. Lines piped in, End and the
# count; a larger stream stopped at TEMBRA_SPOOL_LIMIT; a writer that stays open holds
# neither the view nor the end; "-" without a pipe is refused; no copy outlives the run.
. "$TEMBRA_TESTS/e2e/lib.sh"
D=$(make_dir stdin)
DW="C:${D//\//\\}\\"
printf 'key End\nscreen\n' >"$D/end.txt"
view() { "$TEMBRA_HEADLESS" --cwd "$D" --cmdline - --script "${DW}end.txt" >"$OUT" 2>"$WORK/stderr.txt"; }

view < <(seq 1 30 | sed 's/^/row /') || fail "status $?"
expect_line "CAPTION TEMBRA • LIST • ${DW}<STDIN>"
expect_contains "8 of 30 Lines"
expect_screen_row 24 "row 30"

TEMBRA_SPOOL_LIMIT=300000 view < <(seq 1 100000) || fail "status $?"
expect_screen_row 25 "VX1060 - Reading stopped at the limit of 300,000 bytes"

view < <(printf 'open 1\nopen 2\n'; echo $BASHPID >"$D/writer"; exec sleep 300) || fail "status $?"
kill "$(cat "$D/writer")"
expect_screen_row 3 "open 2"
expect_line "EXIT unload"

view </dev/null && fail "\"-\" without a pipe was taken"
grep -q 'standard input is not a pipe or a file' "$WORK/stderr.txt" || fail "no reason for refusing \"-\""
[ -z "$(find "${WINEPREFIX:?}/drive_c/users" -name 'tembra-spool-*' 2>/dev/null)" ] || fail "a copy of standard input outlived the program"
finish
