#!/usr/bin/env bash
# File operations through the Win32 layer (run by scripts/windows.sh under Wine):
# rename, the recycle bin with the shell's confirmation, a declined confirmation (a cancel) and
# permanent deletion.
. "$TEMBRA_TESTS/e2e/lib.sh"
D=$(make_dir work)
printf 'alpha' >"$D/a.txt"
printf 'bravo' >"$D/b.txt"
printf 'charlie' >"$D/c d.txt"
printf 'echo' >"$D/e.txt"

run_headless --cwd "$D" --clock "2026-03-04 10:00:00" --no-run <<'S'
key a shift
input b.txt
key r
screen
key a shift
input  new name.txt
key r
S
expect_contains "|VX0108 - Newname already exists"
[ "$(cat "$D/b.txt")" = bravo ] || fail "rename onto b.txt changed it"
[ "$(cat "$D/new name.txt")" = alpha ] || fail "rename to a name with a blank"
[ ! -e "$D/a.txt" ] || fail "old name still there"
# The compact layout shows the short name the file system made for the long name.
grep -q '^|NEW[^ ]*~[^ ]*\.TXT ' "$OUT" || fail "no short name for the long name"

run_headless --cwd "$D" --clock "2026-03-04 10:00:00" --no-run <<'S'
key c shift
answer Yes
key d
key e shift
answer No
key d
S
expect_line 'MSGBOX caption="Delete File" text="Are you sure you want to move \"c d.txt\" to the Recycle Bin?" buttons=YesNo -> Yes'
[ ! -e "$D/c d.txt" ] || fail "recycled file still there"
expect_not_contains "VX8009"  # No is a cancel: nothing is reported
[ "$(cat "$D/e.txt")" = echo ] || fail "No to the confirmation deleted the file"

run_headless --cwd "$D" --clock "2026-03-04 10:00:00" --no-run <<'S'
key e shift
key Delete shift alt
S
[ ! -e "$D/e.txt" ] || fail "permanent delete"
finish
