#!/usr/bin/env bash
# Linux profile: `/` takes an extended regular expression, the whole match in the found
# style; a wrong pattern says what and where; Ctrl+R at the prompt takes the text literally.
. "$(dirname "$0")/lib.sh"
export TEST_PROFILE=linux XDG_CONFIG_HOME="$WORK/xdg"
dir=$(make_dir rx)
{ echo "first line"; echo "axc plain"; seq 1 40; echo "bar fizz buzz"; echo "a.c literal"; } >"$dir/log.txt"
start_tembra "$dir" truecolor
wait_for "log.txt"
keys j Enter && wait_for "first line"
keys / && wait_for "Regex (Ctrl+R: literal)"
keys C-u '^b.*z ' Enter && wait_for "bar fizz buzz"
# The top line; "bar fizz " drawn in another style than "buzz".
screen_e | sed -n 2p | grep -q '^[^ ]*bar fizz .*\[[0-9;]*m.*buzz' || fail "hit or highlight: $(screen_e | sed -n 2p)"
keys Home / C-u 'x(' Enter && wait_for "VX1084 - Pattern: this ( has no ) at column 2"
keys / C-r && wait_for "Literal (Ctrl+R: regex)"
keys C-u 'a.c' Enter && wait_for "a.c literal"
[ "$(row 2 | cut -c1-11)" = "a.c literal" ] || fail "the literal text is not the top line: $(row 2)"
keys F10 && wait_exit >/dev/null
finish
