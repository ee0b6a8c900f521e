#!/usr/bin/env bash
# The file view's hex view, text search, bookmarks and clipboard, driven by keys.
. "$(dirname "$0")/lib.sh"
D=$(make_dir view)
{
  printf 'abc\r\n'
  for i in $(seq 1 60); do printf 'line %03d\r\n' "$i"; done
  printf 'xxxxxxxxxAbc here\r\n'
  for i in $(seq 61 80); do printf 'line %03d\r\n' "$i"; done
} >"$D/a.txt"

# Clipboard: the top line with its CR LF; Ctrl+C without marks.
run_headless --cwd "$D" --clock "2026-03-04 10:00:00" <<'S'
key Down
key Enter
key T ctrl
key C ctrl
key C ctrl
screen
S
expect_line 'CAPTION TEMBRA • LIST • C:'"${D//\//\\}"'\A.TXT'
expect_line 'CLIPBOARD 5 abc\x0D\x0A'
expect_screen_row 25 "VX1025 - No text has been marked.  Clipboard empty."
expect_line "BEEP"

# Search: exact case misses, case-blind finds; a faulty column prefix asks again.
run_headless --cwd "$D" --clock "2026-03-04 10:00:00" <<'S'
key Down
key Enter
input abc here
key S
screen
input @x=abc
input @10=abc
key F
screen
key Y alt
screen
S
expect_screen_row 25 "VX0004 - Text not found" 1
expect_line 'INPUT caption="Tembra Text Search" prompt="VX0044-Text For Which to Search" default="abc here" -> "@x=abc"'
expect_line 'INPUT caption="VX8022 - Columns input error, re-enter" prompt="VX0044-Text For Which to Search" default="@x=abc" -> "@10=abc"'
expect_screen_row 2 "xxxxxxxxxAbc here" 2
expect_screen_row 2 "xxxxxxxxxAbc here" 3

# Hex view: the place is kept both ways; too narrow a window is refused.
run_headless --cwd "$D" --clock "2026-03-04 10:00:00" <<'S'
key Down
key Enter
key Down
key H alt
screen
key H alt
screen
S
expect_screen_row 2 "00000000  6162630D 0A6C696E 65203030 310D0A6C |abc••line 001••l| 1" 1
expect_screen_row 3 "00000010  696E6520 3030320D 0A6C696E 65203030 |ine 002••line 00| 3" 1
expect_screen_row 2 "line 001" 2

run_headless --cwd "$D" --size 70x25 --clock "2026-03-04 10:00:00" <<'S'
key Down
key Enter
key H alt
screen
S
expect_line 'MSGBOX caption="VX8012" text="Hex display must be 75+ columns wide" buttons=OK -> OK'
expect_screen_row 2 "abc"
finish
