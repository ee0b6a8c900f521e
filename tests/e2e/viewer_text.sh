#!/usr/bin/env bash
# The file view: opening a file from the directory page, paging, jumps, word wrap,
# leaving the view; a file of 3 GB is viewed as its first 2,147,221,504 bytes.
. "$(dirname "$0")/lib.sh"
D=$(make_dir text)
DW="C:${D//\//\\}\\"
{
  printf 'first\tcol9\r\n'
  for i in $(seq 2 100); do printf 'line %d\n' "$i"; done
} >"$D/a.txt"

run_headless --cwd "$D" --clock "2026-03-04 10:00:00" <<'S'
key Down
key Enter
screen
key B
screen
key Space
screen
key T
input 50
key #
screen
input 1000
key -
screen
input 1000
key +
screen
key W
screen
key Esc
screen
S
expect_line "CAPTION TEMBRA • LIST • ${DW}A.TXT"
expect_screen_row 2 "first   col9" 1
expect_screen_row 3 "line 2" 1
expect_contains " 1 of 100 Lines"
expect_screen_row 2 "line 78" 2
expect_screen_row 24 "line 100" 2
# Page down on the last page: the last record alone at the top.
expect_screen_row 2 "line 100" 3
[ "$(screen_row 3 3 | tr -d ' ')" = "" ] || fail "rows after the last record not blank"
expect_line 'INPUT caption="Jump to line" prompt="VX0037 - Enter line number to which to jump" default="1" -> "50"'
expect_screen_row 2 "line 50" 4
expect_screen_row 2 "first" 5
expect_line 'INPUT caption="Relative jump" prompt="VX0040 - Enter the number of lines to increment" default="0" -> "1000"'
expect_screen_row 2 "line 78" 6
expect_screen_row 25 "VX0202 - Word Wrap ON" 7
expect_line "CAPTION TEMBRA • DIR • $DW"
expect_screen_row 1 "Ver: Beta_7Z - Directory List" 8

# An empty file is refused and the directory page stays.
E=$(make_dir empty)
: >"$E/zero.txt"
run_headless --cwd "$E" <<'S'
key Down
key Enter
screen
S
expect_line "BEEP"
expect_screen_row 25 "VX1002 - >>>   FILE LENGTH IS ZERO   <<<"
expect_no_line "CAPTION TEMBRA • LIST • $(printf 'C:%s\\ZERO.TXT' "${E//\//\\}")"

# 3,000,000,000 bytes (sparse): viewed as 2,147,221,504, which the message line says; its
# last page works.
B=$(make_dir big)
# (Not under Wine, where reading 2 GiB outlasts the runner's time limit on a busy machine.)
if [ -z "${TEMBRA_WINE:-}" ] && truncate -s 3000000000 "$B/big.bin" 2>/dev/null &&
  printf 'END OF VIEW\n' | dd of="$B/big.bin" bs=1 seek=2147221400 conv=notrunc status=none; then
  run_headless --cwd "$B" <<'S'
key Down
key Enter
screen
key H alt
screen
key End
screen
key H alt
key B
screen
key Right ctrl
screen
key Q
S
  expect_contains "- File List -("
  expect_contains ")-  2,147,221,504 [&H7FFC0000]"
  expect_contains "VX0033 - Viewing the first 2,147,221,504 bytes of 3,000,000,000"
  expect_contains "7FFBFFF0"
  expect_contains "END OF VIEW"
  expect_contains " 524,331 of 524,353 Lines"
else
  echo "no sparse file here; skipping the 3 GB case"
fi
# Keys that speak: less's n / Shift+N / g / Shift+G / h; "#" reads grouped numbers and
# says when an answer is not a number (read as 0: the top); the first key that does nothing
# says that F1 lists the keys (KEYHINT ON, the Linux default), and only the first.
K=$(make_dir keys)
for i in $(seq 1 1200); do if [ "$i" = 30 ] || [ "$i" = 70 ]; then echo "needle $i"; else echo "row $i"; fi; done >"$K/n.txt"
run_headless --cwd "$K" --clock "2026-03-04 10:00:00" <<'S'
input KEYHINT ON
key ?
key Down
key Enter
input NEEDLE
key F
key N
screen
key N shift
screen
key G shift
screen
key G
input 1,100
key #
screen
input 1_000
key #
screen
input abc
key #
screen
key Z
screen
key Down
key J
screen
key H
screen
S
expect_screen_row 2 "needle 70" 1
expect_screen_row 24 "needle 30" 2
expect_screen_row 24 "row 1200" 3
expect_screen_row 2 "row 1100" 4
expect_screen_row 2 "row 1000" 5
[ "$(screen_row 2 6 | sed 's/ *$//')" = "row 1" ] || fail "not a number: not read as 0"
expect_screen_row 25 "VX1038 - Not a number: abc" 6
expect_screen_row 25 "This key does nothing here; F1 lists the keys" 7
[ "$(screen_row 25 8 | grep -c 'F1 lists')" = 0 ] || fail "the key hint was shown twice"
expect_screen_row 1 "Keys - File view" 9
# Keys with no character of their own, and control characters, are hinted when they did
# nothing; a lone modifier or a key that acted is not.
for c in "F2:1" "K alt:1" "K ctrl:1" "F2 ctrl:1" "16:0" "Down:0" "F ctrl:0"; do
  run_headless --cwd "$K" --clock "2026-03-04 10:00:00" <<S
input KEYHINT ON
key ?
key ${c%:*}
screen
S
  [ "$(screen_row 25 1 | grep -c 'F1 lists')" = "${c#*:}" ] || fail "key hint after ${c%:*}"
done

# Word wrap of a line longer than the page (Linux): PgDn, Down and Up move by display
# lines inside it, End shows its tail before the last line, a hit deep inside shows its
# display line; nothing of it is lost beyond 63 display lines.
W=$(make_dir wrap)
{ echo first; seq -s ' ' 1 2000; echo last; } >"$W/long.txt"
run_headless --profile linux --size 40x10 --cwd "$W" --cmdline long.txt <<'S'
key w
keys PgDn PgDn Down
screen
key Up
screen
key End
screen
keys PgUp PgDn
screen
input 1500
type /
screen
key Home
screen
S
row() { screen_row "$1" "$2" | sed 's/ *$//'; }
expect_screen_row 2 "first" 6
[ "$(row 3 2)" = "$(row 2 1)" ] || fail "Down and Up are not one display line"
expect_screen_row 9 "last" 3
case "$(row 8 3)" in *"1999 2000") ;; *) fail "End: the tail of the long line";; esac
[ "$(row 2 4)" = "$(row 2 3)" ] || fail "PgUp PgDn did not return to the end"
case "$(row 2 5)" in *1500*) ;; *) fail "the hit's display line";; esac
# Unwrapped, the pieces of a line longer than 8,388,608 bytes lie one after the other: a
# hit near their boundary, a row across it, a hit in the second piece and Ctrl+Right.
{ echo first; yes 0123456789 | tr -d '\n' | head -c 8388590; printf B
  yes 0123456789 | tr -d '\n' | head -c 611410 | tail -c +2; echo ' MARKER'; echo 'last MARKER'; } >"$W/huge.txt"
run_headless --profile linux --cwd "$W" --cmdline huge.txt <<'S'
input B
type /
screen
key Right
screen
input MARKER
type /
screen
key Right ctrl
screen
S
D70=$(printf '0123456789%.0s' 1 2 3 4 5 6 7)
[ "$(row 2 1)" = "${D70}B123456789" ] || fail "unwrapped: the hit before the pieces' boundary"
[ "$(row 2 2)" = "${D70:0:60}B1234567890123456789" ] || fail "unwrapped: a row across the pieces' boundary"
case "$(row 2 3)" in *"9 MARKER") ;; *) fail "unwrapped: the hit in the second piece";; esac
expect_screen_row 25 "" 3
case "$(row 2 4)" in *"9 MARKER") ;; *) fail "unwrapped: Ctrl+Right to the end of the line";; esac
# Wrapped, all of it is shown, in pieces of 8,388,608 bytes: the row that ends the first
# piece is short; Down and Up cross into the next piece and back; a hit in the second
# piece and End show their display lines, with no message.
{ echo first; head -c 8388590 /dev/zero | tr '\0' a; printf B; head -c 611403 /dev/zero | tr '\0' a
  echo ' MARKER'; echo 'last MARKER'; } >"$W/piece.txt"
run_headless --profile linux --cwd "$W" --cmdline piece.txt <<'S'
key w
input B
type /
screen
key Down
screen
key Up
screen
input MARKER
type /
screen
key End
screen
S
A80=$(printf '%080d' 0 | tr 0 a)
[ "$(row 2 1)" = "${A80:0:30}B${A80:0:17}" ] && [ "$(row 3 1)" = "$A80" ] || fail "wrapped: the first piece's last row"
[ "$(row 2 2)" = "$A80" ] && [ "$(row 2 3)" = "$(row 2 1)" ] || fail "wrapped: Down and Up across pieces"
case "$(row 2 4)" in *"aaa MARKER") ;; *) fail "wrapped: the hit in the second piece";; esac
expect_screen_row 25 "" 4
case "$(row 23 5)$(row 24 5)" in *"aaa MARKER""last MARKER") ;; *) fail "wrapped: End";; esac
# A piece of a UTF-8 line starts at a character, never inside one; unwrapped, a row
# across two pieces has no gap (Q is 13 characters before the boundary).
{ yes € | head -n 2796190 | tr -d '\n'; printf Q; yes € | head -n 300000 | tr -d '\n'; echo; } >"$W/euro.txt"
run_headless --profile linux --charset utf-8 --size 40x8 --cwd "$W" --cmdline euro.txt <<'S'
key w
input Q
type /
keys Down Down
screen
key w
input Q
type /
keys Right Right
screen
S
[ "$(row 2 1 | tr -d '€')" = "" ] && [ "$(row 6 1 | tr -d '€')" = "" ] || fail "UTF-8 piece: a character cut"
[ "$(row 2 2)" = "$(printf '€%.0s' $(seq 10))Q$(printf '€%.0s' $(seq 29))" ] || fail "UTF-8 pieces unwrapped: a gap"
finish
