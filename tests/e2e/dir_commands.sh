#!/usr/bin/env bash
# The sort prompt and its information keys, the rescan, entry columns, the listing
# file, and the shift+letter jump.
. "$(dirname "$0")/lib.sh"

D=$(make_dir cmds)
mkdir "$D/Bdir" "$D/Adir"
head -c 300 /dev/zero >"$D/c.txt"
head -c 100 /dev/zero >"$D/a.zip"
head -c 200 /dev/zero >"$D/e.doc"
touch -d "2024-01-05 10:00" "$D/a.zip"
touch -d "2024-01-01 10:00" "$D/c.txt"
touch -d "2024-01-07 10:00" "$D/e.doc"
touch -d "2024-02-01 10:00" "$D/Adir" "$D/Bdir"
DW="C:${D//\//\\}\\"

# ---- sort prompt: date descending, size ascending, refused key, Esc, information box
run_headless --size 80x25 --cwd "$D" <<'S'
key s
screen
key -
key d
screen
key s
key s
screen
key s
key q
screen
key s
key Esc
screen
key s
key r ctrl
S
expect_screen_row 25 "VX0088 - Sort by: [-] (F)ilename (E)xtension (D)ate (N)one (S)ize  (-)descending" 1
# directories first and in name order, files newest first
expect_screen_row 3 ">ADIR         <DIR>" 2
expect_screen_row 4 ">BDIR         <DIR>" 2
expect_screen_row 5 "E       .DOC   200" 2
expect_screen_row 6 "A       .ZIP   100" 2
expect_screen_row 7 "C       .TXT   300" 2
expect_screen_row 5 "A       .ZIP   100" 3
expect_screen_row 7 "C       .TXT   300" 3
expect_line "BEEP"
expect_screen_row 25 "VX1018 - Invalid Sort Sequence/Key" 4
expect_screen_row 5 "A       .ZIP   100" 5
expect_line "MSGBOX caption=\"$(printf '%s' "$DW" | sed 's/\\/\\\\/g')\" text=\"$(printf '%s' "${DW%\\}" | sed 's/\\/\\\\/g')\" buttons=OK -> OK"

# ---- "*" rescans with the cursor kept; a new file shows up
run_headless --size 80x25 --cwd "$D" <<'S'
key Down
key Down
key Down
key *
screen
S
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 3 of 5 Entries"

# ---- shift+letter: first unmarked file from that letter on
run_headless --size 80x25 --cwd "$D" <<'S'
key b shift
screen
key z shift
screen
S
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 4 of 5 Entries" 1
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 4 of 5 Entries" 2
expect_no_line "VX0088 - Sort by: [-] (F)ilename (E)xtension (D)ate (N)one (S)ize  (-)descending"

# ---- Ctrl+F writes the listing file; the rescan lists it
run_headless --size 80x25 --cwd "$D" <<'S'
key f ctrl
screen
S
L="$D/\$\$Tembra_Directory.txt"
[ -f "$L" ] || fail "no listing file"
expect_contains '$$TEMBRA~TXT'
tr -d '\r' <"$L" >"$WORK/list.txt"
{
  printf '%s\n' "    Bytes yyyy-mm-dd hh:mm:ss ASHR Name                  Path = $DW"
  printf ' \n'
  printf '%s\n' ">ADIR         <DIR>    2024-02-01 10:00 ---- Adir"
  printf '%s\n' ">BDIR         <DIR>    2024-02-01 10:00 ---- Bdir"
  printf ' \n'
  printf '%s\n' "A       .ZIP      100  2024-01-05 10:00 A--- a.zip"
  printf '%s\n' "C       .TXT      300  2024-01-01 10:00 A--- c.txt"
  printf '%s\n' "E       .DOC      200  2024-01-07 10:00 A--- e.doc"
} >"$WORK/want.txt"
diff "$WORK/want.txt" "$WORK/list.txt" || fail "listing file differs"

# ---- Shift+Alt+D cycles the date order; three times returns to year first
run_headless --size 80x25 --cwd "$D" <<'S'
key 1
key End ctrl
key d shift alt
screen
key d shift alt
screen
key d shift alt
screen
S
expect_contains "|E       .DOC      200  01/07/2024 10:00 A--- e.doc"
expect_contains "|E       .DOC      200  07-01-2024 10:00 A--- e.doc"
[ "$(grep -c "|E       .DOC      200  2024-01-07 10:00 A--- e.doc" "$OUT")" = 2 ] || fail "year first again (screen 3 and the final screen)"

# ---- F10 in the file view closes the file and ends with the plain closing message
run_headless --size 80x25 --cwd "$D" --clock "2026-01-01 10:00:00" <<'S'
key End ctrl
key Enter
key F10
S
expect_contains "CAPTION TEMBRA • LIST • "
expect_screen_row 25 "VX0099 - End Tembra"
expect_line "EXIT normal"

# ---- "Q" right after start-up ends like Esc; "?" at a root does nothing
export TEMBRA_DRIVES="D=$D"
run_headless --size 80x25 --cwd "$D" --clock "2026-01-01 10:00:00" <<'S'
key ?
screen
key q
S
expect_not_contains "INPUT "
expect_line "EXIT normal"
finish
