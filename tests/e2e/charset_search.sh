#!/usr/bin/env bash
# Search in UTF-8: typed text is UTF-8; case-blind search folds accented, Greek and
# Cyrillic letters; exact search matches bytes; column prefixes count characters; the
# found text is emphasised on its own cells.
. "$(dirname "$0")/lib.sh"
D=$(make_dir search)
{
  printf 'top\n'
  printf 'abc caf\xc3\xa9\n'                          # 2: "café" from character 5
  printf '\xc3\xa9\xc3\xa9 caf\xc3\xa9\n'             # 3: "café" from character 4
  printf 'CAF\xc3\x89 \xe6\x96\x87\n'                 # 4: upper case, a wide character
  printf '\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82 \xd0\xbc\xd0\xb8\xd1\x80\n'  # 5: Привет мир
  printf '\xce\xa3\xce\x9f\xce\xa6\xce\x99\xce\x91\n'  # 6: ΣΟΦΙΑ
} >"$D/s.txt"

run_headless --cwd "$D" --cmdline s.txt --charset utf-8 <<'S'
input CAFÉ
key F
attrs
input CAFÉ
key S
screen
key Home
input МИР
key F
screen
key Home
input σοφια
key F
screen
key Home
input @4=CAFÉ
key F
screen
S
expect_line 'INPUT caption="Tembra Text Search" prompt="VX0044-Text For Which to Search" default="" -> "CAFÉ"'
# Case-blind: "café" of line 2, its four cells emphasised after "abc ".
expect_contains "abc [fg=FF0000 bg=FFF1A6 b]café["
expect_screen_row 2 "CAFÉ 文" 1
expect_screen_row 2 "Привет мир" 2
expect_screen_row 2 "ΣΟΦΙΑ" 3
expect_screen_row 2 "éé café" 4

# Text typed as Windows-1252 (the terminal's input box) is searched for in its UTF-8 form.
printf 'input caf\xc9\nkey F\nscreen\n' | run_headless --cwd "$D" --cmdline s.txt --charset utf-8
expect_screen_row 2 "abc café"

# In Windows-1252 the same bytes are other characters: "CAFÉ" typed as UTF-8 finds the
# bytes of line 4 exactly and, case-blind, no other line.
run_headless --cwd "$D" --cmdline s.txt <<'S'
input CAFÉ
key F
screen
S
expect_screen_row 2 "CAFÃ‰ æ–‡"
finish
