#!/usr/bin/env bash
# The file view's search in the Linux profile takes an extended regular expression: the
# hit goes to the top; a wrong pattern says what and where and searches nothing; Ctrl+R at
# the prompt takes the text literally; the match shows in the found-text colour.
. "$(dirname "$0")/lib.sh"
export TEST_PROFILE=linux XDG_CONFIG_HOME="$WORK/xdg"
dir=$(make_dir rx)
{ echo "first line"; echo "axc plain"; for i in $(seq 1 40); do echo "filler $i"; done
  echo "bar fizz buzz"; echo "a.c literal"; } >"$dir/log.txt"
start_tembra "$dir" truecolor
wait_for "log.txt"
keys j Enter && wait_for "first line"
keys / && wait_for "Regex (Ctrl+R: literal)"
keys C-u '^b.*z ' Enter && wait_gone "Regex (Ctrl+R"
wait_for "bar fizz buzz"
[ "$(row 2 | cut -c1-13)" = "bar fizz buzz" ] || fail "the hit is not the top line: $(row 2)"
# The whole match "bar fizz " is drawn in the found-text style, "buzz" is not.
screen_e | sed -n 2p | grep -q 'bar fizz .*\[[0-9;]*m.*buzz' || fail "the match is not highlighted: $(screen_e | sed -n 2p)"
keys Home
keys / C-u 'x(' Enter && wait_for "VX1084 - Pattern: this ( has no ) at column 2"
keys / && wait_for "Regex (Ctrl+R: literal)"
keys C-r && wait_for "Literal (Ctrl+R: regex)"
keys C-u 'a.c' Enter && wait_for "a.c literal"
[ "$(row 2 | cut -c1-11)" = "a.c literal" ] || fail "the literal text is not the top line: $(row 2)"
keys F10 && wait_exit >/dev/null
finish
