#!/usr/bin/env bash
# Files named on the command line (drive paths, relative and host paths, after "--"):
# stepping with Ctrl+PgDn / Ctrl+PgUp across two folders, the ends of the list, and a
# search text that opens the first file holding it.
. "$(dirname "$0")/lib.sh"
A=$(make_dir a)
B=$(make_dir b)
printf 'alpha\nline two\n' >"$A/one.txt"
printf 'beta\nneedle here\n' >"$A/two.txt"
printf 'gamma\n' >"$B/three.txt"
printf 'delta needle\n' >"$B/four.txt"
printf 'eps\n' >"$B/five.txt"
AW="C:${A//\//\\}\\"
BW="C:${B//\//\\}\\"

run_headless --cwd "$WORK" --cmdline "-- a/one.txt a/two.txt $B/three.txt b/four.txt ${BW}five.txt" <<'S'
key PgUp ctrl
key PgUp ctrl
screen
key PgDn ctrl
key PgDn ctrl
screen
key PgUp ctrl
screen
key PgDn ctrl
key PgDn ctrl
key PgDn ctrl
key PgDn ctrl
screen
key Esc
screen
S
expect_line "CAPTION TEMBRA • LIST • ${AW}ONE.TXT"
expect_screen_row 2 "alpha" 1
expect_screen_row 25 "VX1011 - This is the first file" 1
expect_screen_row 2 "gamma" 2
expect_screen_row 25 "VX0250 - 3 of 5 Files" 2
expect_screen_row 2 "beta" 3
expect_screen_row 25 "VX0250 - 2 of 5 Files" 3
expect_screen_row 2 "eps" 4
expect_screen_row 25 "VX1010 - This is the last file" 4
expect_line "CAPTION TEMBRA • DIR • $BW"
[ "$(grep -c '^BEEP$' "$OUT")" = 3 ] || fail "expected a beep at each end of the list"

# The first key's message stays on the page it draws.
run_headless --cwd "$WORK" --cmdline "-- a/one.txt a/two.txt $B/three.txt b/four.txt ${BW}five.txt" <<'S'
key PgDn ctrl
screen
S
expect_screen_row 2 "beta"
expect_screen_row 25 "VX0250 - 2 of 5 Files"

# A search text from the command line opens the first file that holds it.
run_headless --cwd "$WORK" --cmdline "/Fneedle a/one.txt a/two.txt b/four.txt" <<'S'
S
expect_line "CAPTION TEMBRA • LIST • ${AW}TWO.TXT"
expect_screen_row 2 "needle here"
expect_not_contains "FOUR.TXT"

# Not found anywhere: the last file stays open.
run_headless --cwd "$WORK" --cmdline "/TNeedle a/one.txt b/four.txt" <<'S'
S
expect_line "CAPTION TEMBRA • LIST • ${BW}FOUR.TXT"
expect_screen_row 25 "VX0004 - Text not found"

# Case twins: each name opens its own file; a pattern and "a" (tried as "a.TXT") step
# through both, each once, and a search finds the one that holds the text.
T=$(make_dir twins)
printf 'lower\n' >"$T/a.txt"
printf 'UPPER\n' >"$T/A.TXT"
row2() { screen_row 2 "$1" | sed 's/ *$//'; }
for words in "a.txt A.TXT" "*.txt" "a" "/Flower *.txt" "/FUPPER *.txt"; do
  run_headless --cwd "$T" --cmdline "$words" <<'S'
screen
key PgDn ctrl
screen
S
  expect_not_contains "VX8006"
  seen="$(row2 1) $(row2 2)"
  case "$words" in
    /F*) [ "$(row2 1)" = "${words:2:5}" ] || fail "$words: opened [$(row2 1)]" ;;
    a.txt*) [ "$seen" = "lower UPPER" ] || fail "$words: stepped through [$seen]" ;;
    *) [ "$seen" = "lower UPPER" ] || [ "$seen" = "UPPER lower" ] || fail "$words: stepped through [$seen]" ;;
  esac
done

# /D: the file's folder, filtered to its name, instead of viewing it.
run_headless --cwd "$WORK" --cmdline "b/four.txt /D" <<'S'
S
expect_line "CAPTION TEMBRA • DIR • ${BW}FOUR.TXT"
expect_screen_row 3 "FOUR    .TXT"
expect_not_contains "LIST •"
finish
