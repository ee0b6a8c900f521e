#!/usr/bin/env bash
# Alt+D held down deletes once (to the trash); it deletes again only after the key
# was released.
. "$(dirname "$0")/lib.sh"

D=$(make_dir d)
export XDG_DATA_HOME="$WORK/share"
touch "$D/a" "$D/b" "$D/c"
run_headless --size 80x25 --cwd "$D" <<'S'
key Down
down d alt
down d alt
screen
up d alt
down d alt
up d alt
screen
S
expect_screen_row 3 "B                0" 1
expect_screen_row 4 "C                0" 1
expect_screen_row 3 "C                0" 2
[ -e "$D/a" ] && fail "a was not deleted"
[ -e "$D/b" ] && fail "b was not deleted after the release"
[ -e "$D/c" ] || fail "c was deleted"
[ -e "$WORK/share/Trash/files/a" ] || fail "a is not in the trash"
finish
