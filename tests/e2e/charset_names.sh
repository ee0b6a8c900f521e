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

# The message line decodes UTF-8 as the page does: the command line, and a path in a
# message.
M=$(make_dir message)
printf 'hello' >"$M/文件.txt"
mkdir "$M/文件夹"
run_headless --cwd "$M" --charset utf-8 --size 200x25 --cmdline 文件.txt <<'S'
screen
key Esc
input 文件夹\nosuch
key p
screen
S
expect_screen_row 25 "VX0001 - Parm=文件.txt" 1
case "$(screen_row 25)" in
  "VX0104 - Path (C:"*"\message\文件夹\nosuch\) does not exist"*) ;;
  *) fail "folder prompt message: $(screen_row 25)" ;;
esac

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

# Names that are UTF-8 without the flag (as jar writes them) show as file names do, in
# both sets: the escapes of the directory page in Windows-1252, a format character
# escaped in UTF-8 too.
N=$(make_dir zipnames)
printf 'x' >"$N/Főtanúsítvány.txt"
python3 - "$N/n.zip" <<'PY' || fail "python archive"
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w") as z:
    z.writestr("Főtanúsítvány.txt", b"abc")
    z.writestr("a\u202eb.txt", b"y")
d = bytearray(open(sys.argv[1], "rb").read())
for sig, flags in ((b"PK\x03\x04", 6), (b"PK\x01\x02", 8)):  # clear the UTF-8 flag
    i = d.find(sig)
    while i >= 0:
        d[i + flags + 1] &= 0xF7
        i = d.find(sig, i + 4)
open(sys.argv[1], "wb").write(bytes(d))
PY
last_word() { awk '{print $NF}' <<<"$1"; }
for cs in 1252 utf-8; do
  run_headless --cwd "$N" --charset "$cs" <<'S'
key 1
screen
key Down
key Down
key v
screen
S
  [ "$cs" = 1252 ] && want=F¤C5¤91tanúsítvány.txt || want=Főtanúsítvány.txt
  [ "$(last_word "$(screen_row 3 1)")" = "$want" ] || fail "$cs: directory page: $(screen_row 3 1)"
  [ "$(last_word "$(screen_row 4 2)")" = "$want" ] || fail "$cs: ZIP listing: $(screen_row 4 2)"
  [ "$(last_word "$(screen_row 3 2)")" = "a¤E2¤80¤AEb.txt" ] || fail "$cs: ZIP listing: $(screen_row 3 2)"
done
finish
