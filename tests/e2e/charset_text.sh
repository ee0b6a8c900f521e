#!/usr/bin/env bash
# The character-set setting and the text view in UTF-8: accents, wide characters,
# combining marks, format characters, stray bytes, tabs, word wrap and horizontal
# scrolling count cells; Windows-1252 text reads the same in both sets.
. "$(dirname "$0")/lib.sh"
D=$(make_dir text)
W50=$(printf '文%.0s' $(seq 1 50))
{
  printf 'caf\xc3\xa9 na\xc3\xafve\n'                   # 2: accents
  printf '\xe6\x96\x87\xe4\xbb\xb6 CJK\n'             # 3: two wide characters
  printf 'cafe\xcc\x81!\n'                            # 4: e + combining acute
  printf 'caf\xe9 \xc3 \xed\xa0\x80 end\n'            # 5: stray bytes, a cut sequence, a surrogate
  printf '\xe6\x96\x87\tX\n'                          # 6: a tab after a wide character
  printf 'a%s\n' "$W50"                               # 7: a wide character at the edges
  printf 'tail\n'
  printf '\xe6\x96\x87\xcc\x81x\n'                      # 9: a combining mark after a wide character
  # 10: format characters (U+202E, U+200B, U+FEFF, the soft hyphen, U+2066), then a tab
  printf 'a\xe2\x80\xaeb\xe2\x80\x8bc\xef\xbb\xbfd\xc2\xade\xe2\x81\xa6f\tX\n'
} >"$D/u.txt"
printf 'caf\xe9 na\xefve \x80 \x93q\x94\n' >"$D/w.txt"   # Windows-1252, not valid UTF-8

run_headless --cwd "$D" --cmdline u.txt --charset utf-8 <<'S'
screen
key Right
screen
key W
screen
S
expect_screen_row 1 "Ver: Beta_7Z - File List -"
expect_contains "Lines  UTF-8"
expect_screen_row 2 "café naïve" 1
expect_screen_row 3 "文件 CJK" 1
expect_screen_row 4 $'cafe\u0301!' 1          # the mark joins the "e" cell
expect_screen_row 5 $'café Ã í\u00a0€ end' 1
expect_screen_row 6 "文      X" 1   # 文 takes 2 cells, the tab goes to column 9
expect_screen_row 9 $'文\u0301x' 1          # the mark joins the wide character's cell
# Each format character takes a cell and shows as the unprintable character; the tab
# counts those cells.
expect_screen_row 10 "a•b•c•d•e•f     X" 1
# 79 cells: "a" and 39 wide characters; the 40th would cross the right edge.
expect_screen_row 7 "a$(printf '文%.0s' $(seq 1 39)) " 1
[ "$(screen_row 7 1)" = "a$(printf '文%.0s' $(seq 1 39)) " ] || fail "row 7: '$(screen_row 7 1)'"
# Ten cells to the right: the cut wide character shows as a blank.
[ "$(screen_row 7 2)" = " $(printf '文%.0s' $(seq 1 39)) " ] || fail "scrolled row 7: '$(screen_row 7 2)'"
# Word wrap: the line breaks before the wide character that would not fit.
expect_screen_row 7 "a$(printf '文%.0s' $(seq 1 39))" 3
expect_screen_row 8 "$(printf '文%.0s' $(seq 1 11))" 3
expect_screen_row 9 "tail" 3

# The same file in Windows-1252 shows its bytes one by one, and the set is not shown.
run_headless --cwd "$D" --cmdline u.txt <<'S'
screen
S
expect_screen_row 2 "cafÃ© naÃ¯ve"
expect_not_contains "UTF-8"

# A Windows-1252 file shows the same in both sets.
run_headless --cwd "$D" --cmdline w.txt <<'S'
screen
S
expect_screen_row 2 "café naïve € “q”"
run_headless --cwd "$D" --cmdline w.txt --charset utf-8 <<'S'
screen
S
expect_screen_row 2 "café naïve € “q”"

# The configuration keyword switches the set; a value it does not know is reported.
printf 'CHARSET UTF-8\n' >"$D/VXCONFIG.TXT"
run_headless --cwd "$D" --cmdline u.txt <<'S'
screen
S
expect_screen_row 2 "café naïve"
printf 'CHARSET utf-8\nCHARSET 1252\n' >"$D/VXCONFIG.TXT"
run_headless --cwd "$D" --cmdline u.txt --charset utf-8 <<'S'
screen
S
expect_screen_row 2 "cafÃ© naÃ¯ve"
printf 'CHARSET UTF-16\n' >"$D/VXCONFIG.TXT"
run_headless --cwd "$D" --cmdline u.txt <<'S'
answer OK
screen
S
expect_line 'MSGBOX caption="VX8015 - Invalid CONFIG record.  OK to ignore, Cancel to end TEMBRA" text="CHARSET UTF-16" buttons=OKCancel -> OK'
# The profile keyword takes the two names and reports any other.
printf 'PROFILE linux\nPROFILE CLASSIC\nPROFILE BSD\n' >"$D/VXCONFIG.TXT"
run_headless --cwd "$D" --cmdline u.txt <<'S'
answer OK
S
[ "$(grep -c '^MSGBOX' "$OUT")" = 1 ] || fail "PROFILE lines: $(cat "$OUT")"
expect_line 'MSGBOX caption="VX8015 - Invalid CONFIG record.  OK to ignore, Cancel to end TEMBRA" text="PROFILE BSD" buttons=OKCancel -> OK'
rm "$D/VXCONFIG.TXT"
"$TEMBRA_HEADLESS" --profile bsd >/dev/null 2>"$WORK/err.txt" && fail "--profile bsd accepted"
grep -qF "bad --profile: bsd" "$WORK/err.txt" || fail "no message for --profile bsd"
"$TEMBRA_HEADLESS" --charset utf-16 >/dev/null 2>"$WORK/err.txt" && fail "--charset utf-16 accepted"
grep -qF "bad --charset: utf-16" "$WORK/err.txt" || fail "no message for --charset utf-16"
finish
