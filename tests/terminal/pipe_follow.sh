#!/usr/bin/env bash
# "command | tembra" views standard input while the keys come from the terminal (in
# Classic too), and --follow shows lines appended to a file until a key stops it.
. "$(dirname "$0")/lib.sh"
dir=$(make_dir pipe)
cat >"$WORK/piped.sh" <<WRAP
#!/usr/bin/env bash
seq 1 200 | sed 's/^/piped /' | exec '$TEMBRA_BIN' "\$@"
WRAP
chmod +x "$WORK/piped.sh"

TEMBRA_BIN="$WORK/piped.sh" start_tembra "$dir" truecolor
wait_for "piped 1"
keys End
wait_for "of 200 Lines"
row 24 | grep -q "^piped 200" || fail "End does not show the last line: $(row 24)"
keys F10
status=$(wait_exit)
[ "$status" = 0 ] || fail "exit status $status"
expect_normal_terminal

# Linux: the title calls it standard input, Esc goes back to the folder the program
# started in (not to the folder of its descriptor), and an empty pipe is an empty view
# that says so, every time.
rm -f "$WORK/exit.txt"
: >"$dir/start-folder.txt"
TEST_PROFILE=linux TEMBRA_BIN="$WORK/piped.sh" start_tembra "$dir" truecolor
wait_for "piped 1"
screen | grep -q "standard input" || fail "standard input is not named: $(screen)"
keys Escape
wait_for "start-folder.txt"
keys F10
wait_exit >/dev/null
cat >"$WORK/empty.sh" <<WRAP
#!/usr/bin/env bash
true | exec '$TEMBRA_BIN' "\$@"
WRAP
chmod +x "$WORK/empty.sh"
for _ in 1 2 3; do
  rm -f "$WORK/exit.txt"
  TEST_PROFILE=linux TEMBRA_BIN="$WORK/empty.sh" start_tembra "$dir" truecolor
  wait_for "VX1002 - >>>   FILE LENGTH IS ZERO   <<<"
  row 1 | grep -q " 0 of 0 Lines" || fail "an empty pipe: $(row 1)"
  keys F10
  wait_exit >/dev/null
done

seq 1 5 | sed 's/^/old /' >"$dir/app.log"
rm -f "$WORK/exit.txt"
TEST_PROFILE=linux start_tembra "$dir" truecolor --follow app.log
wait_for "VX0060 - Following"
printf 'new 1\nnew 2\n' >>"$dir/app.log"
wait_for "of 7 Lines"
row 8 | grep -q "^new 2" || fail "the appended line is not shown: $(row 8)"
keys x
wait_for "VX0061 - Following stopped"
[ -f "$WORK/exit.txt" ] && fail "the key that stopped following acted"
printf 'new 3\n' >>"$dir/app.log"
keys C-f
wait_for "of 8 Lines"
keys Escape
wait_for "VX0061 - Following stopped"
keys F10
status=$(wait_exit)
[ "$status" = 0 ] || fail "exit status $status"
finish
