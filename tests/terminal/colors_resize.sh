#!/usr/bin/env bash
# The page in colour (24-bit with COLORTERM=truecolor, else the nearest of 256), a
# resize that lays the page out again, Ctrl+C arriving as a key, and Esc ending the
# program with the terminal back in its normal mode.
. "$(dirname "$0")/lib.sh"
dir=$(make_dir page)
touch "$dir/alpha.txt" "$dir/beta.txt"
mkdir "$dir/gamma"

start_tembra "$dir" truecolor
wait_for "Directory List"
title=$(screen_e | sed -n 1p)
case "$title" in *"48;2;159;159;159"*) ;; *) fail "title band not in role 8: $title" ;; esac
case "$title" in *"38;2;0;0;0"*"Ver: Beta_7Z"*) ;; *) fail "title text not in role 4: $title" ;; esac
page=$(screen_e | sed -n 2p)
case "$page" in *"48;2;238;213;183"*) ;; *) fail "page not in role 5: $page" ;; esac
last=$(screen_e | sed -n 25p)
case "$last" in *"48;2;159;159;159"*) ;; *) fail "message band not in role 8: $last" ;; esac

# Ctrl+C, Ctrl+S and Ctrl+Q are keys for the program, not signals (Ctrl+Z suspends:
# suspend.sh).
keys C-c C-s C-q
sleep 0.3
[ -f "$WORK/exit.txt" ] && fail "a control key ended the program"
wait_for "Directory List"

# A bigger terminal: the page is laid out again, the message band on the new last row.
tmux -L "$SOCK" resize-window -t t -x 100 -y 30
for i in $(seq 1 100); do
  screen_e | sed -n 30p | grep -q "48;2;159;159;159" && break
  sleep 0.1
done
screen_e | sed -n 30p | grep -q "48;2;159;159;159" || fail "no message band on row 30 after the resize"
screen_e | sed -n 25p | grep -q "48;2;159;159;159" && fail "old message band left on row 25"
wait_for "Directory List"

keys Escape
status=$(wait_exit)
[ "$status" = 0 ] || fail "exit status $status after Esc"
expect_normal_terminal
tmux -L "$SOCK" kill-server >/dev/null 2>&1
rm -f "$WORK/exit.txt" "$WORK/stty.txt"

# Without COLORTERM the nearest of the 256 colours: grey 247 for the bands.
start_tembra "$dir" ""
wait_for "Directory List"
title=$(screen_e | sed -n 1p)
case "$title" in *"48;5;247"*) ;; *) fail "title band not grey 247 with 256 colours: $title" ;; esac
case "$title" in *"48;2;"*) fail "24-bit colour without COLORTERM: $title" ;; esac
# A termination signal also puts the terminal back.
kill -TERM "$(tembra_pid)"
status=$(wait_exit)
[ "$status" = 143 ] || fail "exit status $status after SIGTERM"
expect_normal_terminal
tmux -L "$SOCK" kill-server >/dev/null 2>&1
rm -f "$WORK/exit.txt" "$WORK/stty.txt"

# A terminal of 8 colours: the bands and the cursor cell stay apart from the page.
TEST_TERM=xterm start_tembra "$dir" ""
wait_for "Directory List"
cells=$(screen_e | python3 "$(dirname "$0")/cells.py" 1:1 2:1 3:1)
band=$(echo "$cells" | sed -n 1p | sed 's/.*bg=\([^ ]*\).*/\1/')
cursor=$(echo "$cells" | sed -n 2p | sed 's/.*bg=\([^ ]*\).*/\1/')
page=$(echo "$cells" | sed -n 3p | sed 's/.*bg=\([^ ]*\).*/\1/')
case "$band$cursor$page" in 8:*8:*8:*) ;; *) fail "not 8 colours: $cells" ;; esac
[ "$band" != "$page" ] || fail "title band looks like the page with 8 colours: $cells"
[ "$cursor" != "$page" ] || fail "cursor cell looks like the page with 8 colours: $cells"
keys Escape
status=$(wait_exit)
[ "$status" = 0 ] || fail "exit status $status after Esc"
finish
