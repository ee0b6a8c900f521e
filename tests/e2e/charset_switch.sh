#!/usr/bin/env bash
# The character set switched on the directory page by a typed configuration line: the
# file layer follows it, so a Chinese name is listed and opened in UTF-8 at once. Set by
# the configuration file, the driver's transcript follows it as well.
. "$(dirname "$0")/lib.sh"
D=$(make_dir switch)
printf 'hello' >"$D/文件.txt"
printf 'plain' >"$D/abc.txt"

run_headless --cwd "$D" <<'S'
input CHARSET UTF-8
type ?
screen
key End
key Enter
screen
S
expect_contains 'prompt="VX0007 - Enter one config line"'
expect_screen_row 4 "文件    .TXT     5" 1
expect_screen_row 2 "hello"

# Set by the configuration file: the driver's caption and dialog lines follow too.
printf 'CHARSET UTF-8\n' >"$D/VXCONFIG.TXT"
run_headless --cwd "$D" <<'S'
key End
key r
S
expect_contains 'prompt="VX0043-Enter new file name for 文件.txt" default="文件.txt"'
finish
