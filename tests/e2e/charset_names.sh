#!/usr/bin/env bash
# File names in UTF-8: Chinese and Greek names show as their characters, sort by their
# upper case, open, copy and rename with exact bytes; bytes that are not UTF-8 stay
# escaped; a wide character is never cut in half; Windows-1252 names are unchanged.
. "$(dirname "$0")/lib.sh"
D=$(make_dir names)
printf 'hello' >"$D/文件.txt"
printf 'alpha' >"$D/αβγ.txt"
printf 'omega' >"$D/Ωmega.txt"
printf 'plain' >"$D/abc.txt"
printf 'bad' >"$D/$(printf 'b\xe9d')"
printf 'wide' >"$D/a文件文件.txt"
export XDG_DATA_HOME="$WORK/data"

run_headless --cwd "$D" --charset utf-8 --no-run <<'S'
screen
key End
key Enter
screen
key Esc
key End
input 复制.txt
key c
key End
input Ωμέγα.txt
key r
screen
S
# The 8.3 form: "a文件文" takes 7 cells, the next wide character would cross the cut.
expect_screen_row 3 "ABC     .TXT     5" 1
expect_screen_row 4 "A文件文 ~TXT     4" 1
expect_screen_row 5 "B¤E9D            3" 1
expect_screen_row 6 "ΑΒΓ     .TXT     5" 1
expect_screen_row 7 "ΩMEGA   .TXT     5" 1
expect_screen_row 8 "文件    .TXT     5" 1
expect_contains "hello"
expect_contains 'prompt="VX0043-Enter new file name for 文件.txt" default="文件.txt"'
[ "$(cat "$D/复制.txt")" = hello ] || fail "copy to 复制.txt"
[ "$(cat "$D/Ωμέγα.txt")" = hello ] || fail "rename to Ωμέγα.txt"
[ ! -e "$D/文件.txt" ] || fail "the renamed file is still there"
expect_contains "|ΩΜΈΓΑ   .TXT"
expect_contains "|复制    .TXT"

# Windows-1252: the same names show escaped, as before.
run_headless --cwd "$D" <<'S'
screen
S
expect_contains "|¤E5¤A4¤8~TXT"
expect_contains "|B¤E9D"

# A typed name is UTF-8 and found case-blind by its Unicode upper case.
run_headless --cwd "$D" --charset utf-8 --cmdline 'ωMEGA.TXT' <<'S'
screen
S
expect_screen_row 2 "omega"

# Name patterns count characters: "??" is two Chinese characters; "ω*" is upper-cased
# per character and finds both omegas.
run_headless --cwd "$D" --charset utf-8 <<'S'
input ??.txt
key f
screen
input ω*
key f
screen
S
expect_screen_row 3 "复制    .TXT     5" 1
expect_screen_row 4 "        " 1
expect_screen_row 3 "ΩMEGA   .TXT     5" 2
expect_screen_row 4 "ΩΜΈΓΑ   .TXT     5" 2
expect_screen_row 5 "        " 2

# A ZIP member name flagged as UTF-8 shows decoded and sorts by its upper case.
Z=$(make_dir zip)
python3 - "$Z" <<'PY' || fail "python archive"
import sys, zipfile
with zipfile.ZipFile(sys.argv[1] + "/u.zip", "w") as z:
    z.writestr("文件.txt", b"hello")  # zipfile flags a name beyond ASCII as UTF-8
    z.writestr("ωmega.txt", b"x")
PY
run_headless --cwd "$Z" --charset utf-8 <<'S'
key Down
key v
screen
S
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 0 of 2 Entries  UTF-8"
expect_screen_row 3 "ΩMEGA   .TXT     1"
expect_screen_row 4 "文件    .TXT     5"
finish
