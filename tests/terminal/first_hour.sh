#!/usr/bin/env bash
# What a new user meets first: --help, -h and --version answer without a terminal;
# F1 shows the keys of the page and Esc closes them; a terminal that cannot place the
# cursor (TERM=dumb, an unknown TERM) is refused with a reason and status 2; under
# LANG=C the box lines are ASCII.
. "$(dirname "$0")/lib.sh"
dir=$(make_dir first)
head -c 10 /dev/zero >"$dir/data.bin"

# ---- the usage and the version, before any terminal is needed
for word in --help -h; do
  out=$("$TEMBRA_BIN" "$word" </dev/null 2>"$WORK/err.txt")
  status=$?
  [ "$status" = 0 ] || fail "$word: exit status $status"
  [ -s "$WORK/err.txt" ] && fail "$word wrote to standard error: $(cat "$WORK/err.txt")"
  for want in "Usage: tembra" "/usr/share" "TEMBRA_DRIVES" "EDITOR" "VXCONFIG.TXT" "~/.config/tembra/" "F1"; do
    case "$out" in *"$want"*) ;; *) fail "$word: no '$want' in the usage" ;; esac
  done
done
[ "$("$TEMBRA_BIN" --version </dev/null)" = "tembra Beta_7Z" ] || fail "--version: $("$TEMBRA_BIN" --version)"
hout=$("$TEMBRA_HEADLESS" --help)
[ $? = 0 ] || fail "tembra-headless --help: non-zero status"
case "$hout" in *"--size COLSxROWS"*"--no-run"*"Script lines:"*) ;; *) fail "tembra-headless --help: $hout" ;; esac

# ---- F1 and Esc in a terminal
start_tembra "$dir" ""
wait_for "Directory List - 0 of 1 Entries"
keys F1
wait_for "Keys - Directory page"
screen | grep -q "^Ctrl+Home / Ctrl+End" || fail "the help shows no key rows"
keys Escape
wait_for "Directory List - 0 of 1 Entries"
wait_gone "Keys - Directory page"
keys F10
[ "$(wait_exit)" = 0 ] || fail "F10 did not end normally"
tmux -L "$SOCK" kill-server >/dev/null 2>&1
rm -f "$WORK/exit.txt"

# ---- terminals that cannot place the cursor
for case in 'dumb:the terminal type "dumb" cannot place the cursor' \
  'no-such-terminal-type:unknown terminal type "no-such-terminal-type"'; do
  term=${case%%:*}
  TEST_TERM=$term start_tembra "$dir" ""
  status=$(wait_exit)
  [ "$status" = 2 ] || fail "TERM=$term: exit status $status"
  wait_for "tembra: ${case#*:}"
  screen | grep -q $'\e' && fail "TERM=$term: escape sequences on the screen"
  tmux -L "$SOCK" kill-server >/dev/null 2>&1
  rm -f "$WORK/exit.txt"
done

# ---- LANG=C: a message box drawn with ASCII lines
TEST_LANG=C start_tembra "$dir" ""
wait_for "Directory List - 0 of 1 Entries"
keys o
wait_for "VX1006 - Edit only allowed on a file"
screen | grep -qF -- "+- Tembra Not Allowed ---" || fail "no ASCII top line: $(screen)"
screen | grep -qF -- "| VX1006 - Edit only allowed on a file |" || fail "no ASCII sides: $(screen)"
screen | grep -qE -- '\+-{30,}\+' || fail "no ASCII bottom line: $(screen)"
screen | grep -q '?' && fail "box lines shown as '?': $(screen)"
keys Enter
wait_gone "VX1006"
keys F10
wait_exit >/dev/null
finish
