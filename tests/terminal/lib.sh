# Helpers for tests that run tembra in a terminal inside tmux. Source this file.
# Each test gets its own tmux server and temporary folder, both removed at the end.
set -u
: "${TEMBRA_BIN:?TEMBRA_BIN must point to tembra}"
command -v tmux >/dev/null 2>&1 || { echo "tmux is not installed: skipped"; exit 77; }
export TZ=${TZ:-UTC}
# Files the tests write are the user's alone, as the program expects of a configuration
# file it reads, whatever the umask of the shell that runs them.
umask 022
TEST_NAME=$(basename "$0" .sh)
WORK=$(mktemp -d "${TMPDIR:-/tmp}/tembra-term-$TEST_NAME.XXXXXX")
SOCK="tembra-$TEST_NAME-$$"
STARTS=0
FAILURES=0
cleanup() {
  local n
  tmux -L "$SOCK" kill-server >/dev/null 2>&1
  for n in $(seq 1 "$STARTS"); do tmux -L "tembra-$TEST_NAME-$$-$n" kill-server >/dev/null 2>&1; done
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  FAILURES=$((FAILURES + 1))
}

make_dir() { mkdir -p "$WORK/$1" && printf '%s\n' "$WORK/$1"; }

# start_tembra DIR [COLORTERM] [ARGS...]: runs tembra in DIR in an 80x25 pane with
# TERM=xterm-256color (or $TEST_TERM) and LANG=C.UTF-8 (or $TEST_LANG), in the Classic
# profile (or TEST_PROFILE=linux: the terminal's own defaults). When tembra ends,
# its exit status and the terminal's mode (stty -a) are written to $WORK/exit.txt and
# $WORK/stty.txt.
start_tembra() {
  local dir=$1 colorterm=$2
  shift 2
  local args=""
  for a in "$@"; do args="$args '$a'"; done
  cat >"$WORK/run.sh" <<RUN
cd '$dir' || exit 1
stty sane
export TERM=${TEST_TERM:-xterm-256color} COLORTERM='$colorterm' LANG=${TEST_LANG:-C.UTF-8} LC_ALL=${TEST_LANG:-C.UTF-8}
export TEMBRA_PROFILE=${TEST_PROFILE:-classic}
bash -c 'echo \$\$ >"$WORK/pid.txt"; exec "\$0" "\$@"' '$TEMBRA_BIN' $args
echo \$? >'$WORK/exit.tmp'
stty -a >'$WORK/stty.txt' 2>&1
mv '$WORK/exit.tmp' '$WORK/exit.txt'
printf 'SHELL-BACK\n'
exec sleep 600
RUN
  # Each start gets a server of its own: a server just killed may still be ending.
  STARTS=$((STARTS + 1))
  SOCK="tembra-$TEST_NAME-$$-$STARTS"
  tmux -L "$SOCK" -f /dev/null new-session -d -s t -x 80 -y 25 "bash '$WORK/run.sh'"
  tmux -L "$SOCK" set-option -t t status off >/dev/null
  tmux -L "$SOCK" resize-window -t t -x 80 -y 25 >/dev/null 2>&1
}

# The process id of the running tembra.
tembra_pid() { cat "$WORK/pid.txt"; }

keys() { tmux -L "$SOCK" send-keys -t t "$@"; }
screen() { tmux -L "$SOCK" capture-pane -p -t t; }
screen_e() { tmux -L "$SOCK" capture-pane -e -p -t t; }
row() { screen | sed -n "${1}p"; }

# wait_for TEXT: waits (up to 15 s) until the pane shows TEXT; fails otherwise.
wait_for() {
  local i
  for i in $(seq 1 150); do
    screen | grep -qF -- "$1" && return 0
    sleep 0.1
  done
  fail "the screen never showed: $1"
  screen | sed 's/^/  | /'
  return 1
}

# wait_gone TEXT: waits until the pane no longer shows TEXT.
wait_gone() {
  local i
  for i in $(seq 1 150); do
    screen | grep -qF -- "$1" || return 0
    sleep 0.1
  done
  fail "the screen still shows: $1"
  screen | sed 's/^/  | /'
  return 1
}

# wait_exit: waits until tembra has ended; prints its exit status.
wait_exit() {
  local i
  for i in $(seq 1 150); do
    [ -f "$WORK/exit.txt" ] && { cat "$WORK/exit.txt"; return 0; }
    sleep 0.1
  done
  fail "tembra did not end"
  echo none
}

# expect_normal_terminal: after tembra ended the terminal is back in its normal mode.
expect_normal_terminal() {
  grep -qE '(^| )icanon( |$)' "$WORK/stty.txt" || fail "terminal left without icanon: $(cat "$WORK/stty.txt")"
  grep -qE '(^| )echo( |$)' "$WORK/stty.txt" || fail "terminal left without echo"
  grep -qE '(^| )isig( |$)' "$WORK/stty.txt" || fail "terminal left without isig"
  wait_for "SHELL-BACK" >/dev/null
  # The alternate screen is gone: the pane shows the shell's own screen.
  tmux -L "$SOCK" display-message -p -t t '#{alternate_on}' | grep -qx 0 || fail "alternate screen still on"
  tmux -L "$SOCK" display-message -p -t t '#{mouse_any_flag}#{mouse_standard_flag}' | grep -qx 00 ||
    fail "mouse reporting still on"
}

finish() {
  if [ "$FAILURES" -gt 0 ]; then
    echo "$TEST_NAME: $FAILURES failure(s)"
    exit 1
  fi
  echo "$TEST_NAME: ok"
  exit 0
}
