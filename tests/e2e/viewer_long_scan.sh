#!/usr/bin/env bash
# Keys typed while End indexes a large file (the scan lets events run every 50 MB) act
# after it, in their order; Esc and Ctrl+C stop the scan, keep the view and say where.
. "$(dirname "$0")/lib.sh"
D=$(make_dir big)
DW="C:${D//\//\\}\\"
seq 1 12000000 >"$D/big.txt"  # 98,888,897 bytes

for profile in classic linux; do
  run() { run_headless --cwd "$D" --clock "2026-03-04 10:00:00" --profile $profile --cmdline big.txt; }
  run <<'S'
keys End Home
screen
input 5
keys End # Down
screen
S
  expect_screen_row 2 "1" 1
  expect_line 'INPUT caption="Jump to line" prompt="VX0037 - Enter line number to which to jump" default="1" -> "5"'
  expect_screen_row 2 "6" 2
  run <<'S'
keys End Esc
screen
key PgDn
screen
S
  # Stopped where it was: the page after the last line indexed, still in the view.
  expect_screen_row 25 "VX1047 - Stopped at line " 1
  expect_no_line "CAPTION TEMBRA • DIR • $DW"
  stopped=$(sed -n 's/.*VX1047 - Stopped at line \([0-9,]*\),.*/\1/p' "$OUT" | head -1 | tr -d ,)
  [ -n "$stopped" ] && [ "$stopped" -lt 12000000 ] || fail "$profile: Esc did not stop End"
  # The bytes said: in Classic those of the whole records before the stop; as grep
  # counts lines, those scanned (up to the start of the line after them).
  byte=$(sed -n 's/.*VX1047 - Stopped at line [0-9,]*, byte \([0-9,]*\).*/\1/p' "$OUT" | head -1 | tr -d ,)
  whole=$(head -n "$stopped" "$D/big.txt" | wc -c)
  if [ $profile = classic ]; then
    [ "$byte" = "$whole" ] || fail "classic: byte $byte after $stopped records of $whole bytes"
  else
    [ "$byte" -ge "$whole" ] && [ "$byte" -lt $((whole + 9)) ] || fail "linux: byte $byte after $stopped lines of $whole bytes"
  fi
  expect_screen_row 24 "$stopped" 1
  expect_screen_row 2 "$((stopped + 1))" 2
  run <<'S'
keys End ctrl+C
screen
S
  expect_screen_row 25 "VX1047 - Stopped at line " 1
  # With nothing typed, or "c" or Shift+C (no Ctrl+C), End reaches the last line.
  run <<'S'
keys End c shift+C
screen
S
  expect_screen_row 24 "12000000" 1
  expect_contains " of 12,000,000 Lines"
done
finish
