#!/usr/bin/env bash
# Backup copies under dated temporary names, set-aside with Ctrl+D, the refusals for
# temporary names, marker files and folders, and the sweep at the root of a drive.
. "$(dirname "$0")/lib.sh"
D=$(make_dir work)
mkdir -p "$D/folder"
printf 'alpha' >"$D/a.txt"
printf 'bravo' >"$D/b.txt"
printf 'charlie' >"$D/c.txt"
printf ' TEMBRA VX0017 \r\n' >"$D/m.txt"
printf 'old' >"$D/_V260101.VX0900BU.c.txt"

# Three temporary names in one minute: h, h+1, h+2.
run_headless --cwd "$D" --clock "2026-03-04 10:00:00" --no-run <<'S'
key a shift
key b
key a shift
key b
key b shift
key b
key m shift
key b
key _ shift
key b
key Home
key Down
key b
S
[ "$(cat "$D/_V260304.VX1000BU.a.txt")" = alpha ] || fail "first backup"
[ "$(cat "$D/_V260304.VX1001BU.a.txt")" = alpha ] || fail "second backup in the same minute"
[ "$(cat "$D/_V260304.VX1002BU.b.txt")" = bravo ] || fail "third backup in the same minute"
[ "$(grep -c 'text="VX1000 - May not create temporary file from existing temporary file"' "$OUT")" -eq 2 ] ||
  fail "refusal for the marker file and the temporary name"
expect_line 'MSGBOX caption="Tembra" text="VX1001 - Backup of directory is not allowed" buttons=OK -> OK'
expect_contains "|_V260304"
[ "$(ls "$D" | grep -c '^_V')" -eq 4 ] || fail "unexpected temporary files: $(ls "$D")"

# Ctrl+D sets the file aside under a temporary name; the next day counts from the time again.
run_headless --cwd "$D" --clock "2026-03-05 09:30:00" --no-run <<'S'
key c shift
key d ctrl
S
[ ! -e "$D/c.txt" ] || fail "set-aside left the file"
[ "$(cat "$D/_V260305.VX0930DD.c.txt")" = charlie ] || fail "set-aside name"

# The sweep is refused at the root of a drive.
R=$(make_dir root)
printf 'x' >"$R/f.txt"
TEMBRA_DRIVES="D=$R" run_headless --cwd "$R" --clock "2026-03-04 10:00:00" --no-run <<'S'
key Delete shift
S
[ -f "$R/f.txt" ] || fail "sweep at the root deleted something"
finish
