#!/usr/bin/env bash
# Deleting from the page in a terminal. Esc in the Trash question is a No, and a No is a
# cancel: nothing is reported and the program goes on. With markers on, a deletion key
# acts at its first press after another one (Alt+D, Ctrl+D, Alt+D), also when the first
# was refused in a box that was open when the key was released (Alt+D on a folder).
. "$(dirname "$0")/lib.sh"
dir=$(make_dir del)
for f in A B C; do printf '%s' "$f" >"$dir/$f.TXT"; done
export XDG_DATA_HOME="$WORK/share"

start_tembra "$dir" truecolor
wait_for "Directory List - 0 of 3 Entries"
keys Down d
wait_for "to the Trash?"
keys Escape
wait_gone "to the Trash?"
keys Down
wait_for "Directory List - 2 of 3 Entries"
screen | grep -q "VX8009" && fail "a declined deletion was reported"
[ -f "$WORK/exit.txt" ] && fail "tembra ended after Esc in the Trash question"
[ "$(cat "$dir/A.TXT")" = A ] || fail "A.TXT was deleted"
keys F10
wait_exit >/dev/null

# Markers on (the folder SUB comes first): Alt+D refused in a box, then Alt+D, Ctrl+D and
# Alt+D on the files, each pressed once.
mdir=$(make_dir markers)
for f in A B C; do printf '%s' "$f" >"$mdir/$f.TXT"; done
mkdir "$mdir/SUB"
printf 'VX0017\r\n' >"$mdir/VXCONFIG.TXT"
rm -f "$WORK/exit.txt"
start_tembra "$mdir" truecolor
wait_for "Directory List - 0 of 5 Entries"
wait_file() {
  local i
  for i in $(seq 1 150); do
    compgen -G "$1" >/dev/null && return 0
    sleep 0.1
  done
  fail "$2"
}
keys Down M-d
wait_for "VX1001 - Delete of directory is not allowed"
keys Enter
wait_gone "VX1001 - Delete of directory is not allowed"
keys A M-d
wait_file "$XDG_DATA_HOME/Trash/files/A.TXT" "Alt+D after a refusal in a box did not delete A.TXT"
keys B C-d
wait_file "$mdir/_V*DD.B.TXT" "Ctrl+D after Alt+D did not set B.TXT aside"
keys C M-d
wait_file "$XDG_DATA_HOME/Trash/files/C.TXT" "Alt+D after Ctrl+D did not delete C.TXT"
keys F10
status=$(wait_exit)
[ "$status" = 0 ] || fail "exit status $status"
expect_normal_terminal
finish
