#!/usr/bin/env bash
# File names through the Win32 layer (run by scripts/windows.sh under Wine). In UTF-8 a
# Chinese and a Greek name are listed, opened, copied and renamed by their own UTF-16
# names; in Windows-1252 a name of that set is listed, opened and renamed as before.
. "$TEMBRA_TESTS/e2e/lib.sh"
# The names themselves, not the short names Wine makes for every name beyond ASCII.
export TEMBRA_NO_SHORT_NAMES=1
D=$(make_dir names)
printf 'hello' >"$D/文件.txt"
printf 'alpha' >"$D/αβγ.txt"
printf 'plain' >"$D/abc.txt"
printf 'cafe' >"$D/café.txt"

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
expect_screen_row 4 "CAFÉ    .TXT     4" 1
expect_screen_row 5 "ΑΒΓ     .TXT     5" 1
expect_screen_row 6 "文件    .TXT     5" 1
expect_screen_row 2 "hello" 2
expect_contains 'prompt="VX0043-Enter new file name for 文件.txt" default="文件.txt"'
[ "$(cat "$D/复制.txt")" = hello ] || fail "copy to 复制.txt"
[ "$(cat "$D/Ωμέγα.txt")" = hello ] || fail "rename to Ωμέγα.txt"
[ ! -e "$D/文件.txt" ] || fail "the renamed file is still there"
expect_screen_row 6 "ΩΜΈΓΑ   .TXT     5"
expect_screen_row 7 "复制    .TXT     5"

# Windows-1252: names are what the ANSI calls make of them, as before ("?" and the best
# fit for characters the set lacks); "café.txt" is the byte E9 of that set, and a typed
# name is bytes of that set.
printf 'screen\nkey Down\nkey Down\nkey Down\nkey Down\nkey Enter\nscreen\nkey Esc\ninput th\xe9.txt\nkey r\nscreen\n' >"$WORK/s1252"
run_headless --cwd "$D" --no-run <"$WORK/s1252"
expect_screen_row 3 "??      .TXT     5" 1
expect_screen_row 5 "Aß?     .TXT     5" 1
expect_screen_row 6 "CAFÉ    .TXT     4" 1
expect_screen_row 7 "Oµ??A   .TXT     5" 1
expect_screen_row 2 "cafe" 2
[ "$(cat "$D/thé.txt")" = cafe ] || fail "rename to thé.txt in Windows-1252"
expect_screen_row 7 "THÉ     .TXT     4"
finish
