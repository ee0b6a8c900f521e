#!/usr/bin/env bash
# The character set follows the locale: under LANG=C.UTF-8 the program is in UTF-8 and
# shows "café", wide characters in two cells and the name 文件.txt (also in a dialog, on
# the message line, and typed into the input box); under LANG=C it is in Windows-1252.
. "$(dirname "$0")/lib.sh"
dir=$(make_dir charset)
printf 'caf\xc3\xa9 \xe6\x96\x87\xe4\xbb\xb6.txt|\n' >"$dir/u.txt"

start_tembra "$dir" "" u.txt
wait_for "café 文件.txt|"
row 1 | grep -q "Lines  UTF-8" || fail "no UTF-8 on the title line: $(row 1)"
tmux -L "$SOCK" kill-server >/dev/null 2>&1
rm -f "$WORK/exit.txt"

# A file name in UTF-8 on the directory page, in a dialog, and typed into the input box.
printf 'x' >"$dir/文件.txt"
start_tembra "$dir" ""
wait_for "文件    .TXT"
keys Down Down r
wait_for "Enter new file name for 文件.txt"
wait_for "│ 文件.txt "
keys End BSpace BSpace BSpace BSpace 'δ.txt' Enter
wait_for "文件Δ   .TXT"
[ -f "$dir/文件δ.txt" ] || fail "the typed UTF-8 name was not used: $(ls "$dir")"
# Chinese typed into the input box: the folder 中文 is reached by its name.
mkdir "$dir/中文"
keys p
wait_for "VX0014-Enter drive:dir"
keys '中文' Enter
wait_gone "VX0014-Enter drive:dir"
wait_for "0 of 0 Entries"
tmux -L "$SOCK" display-message -p -t t '#{pane_title}' | grep -q '中文' ||
  fail "the typed Chinese name was not reached: $(tmux -L "$SOCK" display-message -p -t t '#{pane_title}')"
tmux -L "$SOCK" kill-server >/dev/null 2>&1
rm -f "$WORK/exit.txt"

# The message line in UTF-8: the command line, and a path named in a message.
mkdir "$dir/文件夹"
start_tembra "$dir" "" 文件δ.txt
wait_for "VX0001 - Parm=文件δ.txt"
keys Escape
wait_for "文件夹"
keys p
wait_for "Enter drive:dir"
keys C-u '文件夹\nosuch' Enter
wait_for "VX0104 - Path (C:"
wait_for '\charset\文件夹\nosuch\'
tmux -L "$SOCK" kill-server >/dev/null 2>&1
rm -f "$WORK/exit.txt"

# Windows-1252 under LANG=C: every byte is a character (beyond ASCII drawn as "?").
TEST_LANG=C start_tembra "$dir" "" u.txt
wait_for "caf?? ??????.txt|"
row 1 | grep -q "UTF-8" && fail "UTF-8 shown under LANG=C: $(row 1)"
finish
