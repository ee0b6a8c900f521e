#!/usr/bin/env bash
# Alt+D held down deletes once (to the trash); it deletes again only after the key
# was released. With markers on, the release that arrives while the deletion runs (its
# own rescans let it through) frees the key: the next Ctrl+D or Alt+D acts at once.
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

M=$(make_dir m)
for f in A B C; do printf '%s' "$f" >"$M/$f.TXT"; done
printf 'VX0017\r\n' >"$M/VXCONFIG.TXT"
run_headless --size 80x25 --cwd "$M" --clock "2026-03-04 10:00:00" <<'S'
key Down
key D alt
key Down
key D ctrl
key Down
key D alt
S
[ "$(cat "$WORK/share/Trash/files/A.TXT")" = A ] || fail "A.TXT is not in the trash"
[ "$(cat "$M"/_V260304.VX*DD.B.TXT)" = B ] || fail "Ctrl+D after Alt+D did not set B.TXT aside"
[ "$(cat "$WORK/share/Trash/files/C.TXT")" = C ] || fail "Alt+D after Ctrl+D did not delete C.TXT"
for f in A B C; do
  [ "$(head -c 15 "$M/$f.TXT")" = " TEMBRA VX0017 " ] || fail "no marker for $f.TXT"
done
finish
