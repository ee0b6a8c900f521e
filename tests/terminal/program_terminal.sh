#!/usr/bin/env bash
# A program started from the page (the editor of "E") takes over the terminal in its
# normal mode and on the normal screen; when it ends the page is drawn again and the
# terminal is back in the program's raw mode.
. "$(dirname "$0")/lib.sh"
dir=$(make_dir page)
printf 'hello\n' >"$dir/note.txt"
cat >"$WORK/editor.sh" <<ED
#!/usr/bin/env bash
stty -a >"$WORK/editor-stty.txt"
echo "EDITOR-RUNNING \$1"
read -r line
ED
chmod +x "$WORK/editor.sh"
export VISUAL="$WORK/editor.sh" EDITOR="$WORK/editor.sh"
unset COMSPEC
tty_mode() { stty -a -F "$(tmux -L "$SOCK" display-message -p -t t '#{pane_tty}')" 2>/dev/null; }

start_tembra "$dir" truecolor
wait_for "Directory List - 0 of 1 Entries"
tty_mode | grep -qE '(^| )-icanon( |$)' || fail "the page runs without raw mode"
keys Down
wait_for "Directory List - 1 of 1 Entries"
keys e
wait_for "EDITOR-RUNNING"
screen | grep -q "EDITOR-RUNNING .*note.txt" || fail "editor not given the file: $(screen | grep EDITOR)"
grep -qE '(^| )icanon( |$)' "$WORK/editor-stty.txt" || fail "editor started in raw mode"
grep -qE '(^| )echo( |$)' "$WORK/editor-stty.txt" || fail "editor started without echo"
tmux -L "$SOCK" display-message -p -t t '#{alternate_on}' | grep -qx 0 || fail "editor runs on the alternate screen"
keys Enter
wait_for "Directory List - 1 of 1 Entries"
tty_mode | grep -qE '(^| )-icanon( |$)' || fail "raw mode not back after the editor"
tmux -L "$SOCK" display-message -p -t t '#{alternate_on}' | grep -qx 1 || fail "page not on the alternate screen again"
keys Escape
status=$(wait_exit)
[ "$status" = 0 ] || fail "exit status $status"
expect_normal_terminal
finish
