#!/usr/bin/env bash
# Ctrl+V opens an archive's listing and its character does not leave it again; Enter
# on the listing's parent entry returns to the folder with the cursor on the archive.
. "$(dirname "$0")/lib.sh"

D=$(make_dir z)
touch "$D/a.txt" "$D/c.txt"
# One stored member "b.txt" holding "x".
{
  printf 'PK\x03\x04\x14\x00\x00\x00\x00\x00\x00\x00\x21\x5a\x83\x16\xdc\x8c\x01\x00\x00\x00\x01\x00\x00\x00\x05\x00\x00\x00b.txtx'
  printf 'PK\x01\x02\x14\x00\x14\x00\x00\x00\x00\x00\x00\x00\x21\x5a\x83\x16\xdc\x8c\x01\x00\x00\x00\x01\x00\x00\x00\x05\x00'
  printf '\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00b.txt'
  printf 'PK\x05\x06\x00\x00\x00\x00\x01\x00\x01\x00\x33\x00\x00\x00\x24\x00\x00\x00\x00\x00'
} >"$D/arch.zip"
DW="C:${D//\//\\}\\"

run_headless --size 80x25 --cwd "$D" --clock "2026-01-01 10:00:00" <<'S'
key Down
key Down
key v ctrl
wait 2000
screen
key Enter
screen
S
expect_line "CAPTION TEMBRA • ZIP • ${DW}ARCH.ZIP"
expect_screen_row 2 "<<PARENT DIR" 1
expect_screen_row 3 "B       .TXT     1" 1
expect_line "CAPTION TEMBRA • DIR • $DW"
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 2 of 3 Entries" 2

# ---- The listing's Shift+letter and Shift+Alt+D act as on the directory page: the first
# member from that letter on (its own letter included), and the date order cycles.
if command -v python3 >/dev/null; then
  Z=$(make_dir members)
  python3 - "$Z/arch.zip" <<'PY' || fail "python archive"
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w") as z:
    for n in ["apple.txt", "berry.txt", "cherry.txt"]:
        z.writestr(zipfile.ZipInfo(n, (2024, 1, 7, 10, 0, 0)), b"x")
PY
  run_headless --size 80x6 --cwd "$Z" <<'S'
key Down
key v ctrl
wait 2000
key 1
key b shift
screen
key d shift alt
screen
key d shift alt
screen
key d shift alt
screen
S
  expect_screen_row 1 "Ver: Beta_7Z - Directory List - 2 of 3 Entries" 1
  expect_screen_row 1 "Ver: Beta_7Z - Directory List - 2 of 3 Entries" 4
  expect_contains "|BERRY   .TXT        1  01/07/2024 10:00 ---- berry.txt"
  expect_contains "|BERRY   .TXT        1  07-01-2024 10:00 ---- berry.txt"
  [ "$(grep -c "|BERRY   .TXT        1  2024-01-07 10:00 ---- berry.txt" "$OUT")" = 3 ] ||
    fail "year first at the start and again after three (screens 1, 4 and the final one)"
fi
finish
