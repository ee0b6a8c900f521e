#!/usr/bin/env bash
# Stopped from the shell (SIGTSTP) or by Ctrl+Z, tembra gives the terminal back in its
# normal mode and stops; continued (SIGCONT, as fg sends), it draws its page again.
. "$(dirname "$0")/lib.sh"
dir=$(make_dir stop)
printf 'a\n' >"$dir/a.txt"
state() { ps -o stat= -p "$(tembra_pid)" | cut -c1; }
expect_stopped() {
  local i
  for i in $(seq 1 50); do
    [ "$(state)" = T ] && break
    sleep 0.1
  done
  [ "$(state)" = T ] || fail "$1: tembra is not stopped (state $(state))"
  tmux -L "$SOCK" display-message -p -t t '#{alternate_on}' | grep -qx 0 || fail "$1: alternate screen still on"
  stty -a -F "$(tmux -L "$SOCK" display-message -p -t t '#{pane_tty}')" | grep -qE '(^| )icanon( |$)' ||
    fail "$1: the terminal is still in raw mode"
}
expect_redrawn() {
  wait_for "Directory List - 0 of 1 Entries"
  [ "$(state)" != R ] || { sleep 1; [ "$(state)" != R ] || fail "$1: tembra is busy after it continued"; }
}

start_tembra "$dir" truecolor
wait_for "Directory List - 0 of 1 Entries"
kill -TSTP "$(tembra_pid)"
expect_stopped "SIGTSTP"
kill -CONT "$(tembra_pid)"
expect_redrawn "SIGTSTP"
keys C-z
expect_stopped "Ctrl+Z"
kill -CONT "$(tembra_pid)"
expect_redrawn "Ctrl+Z"
keys Escape
status=$(wait_exit)
[ "$status" = 0 ] || fail "exit status $status"
expect_normal_terminal
finish
