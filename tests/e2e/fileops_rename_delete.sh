#!/usr/bin/env bash
# Rename and delete from the directory page: existing names, the parent entry, the
# Trash with its info file, a declined confirmation (a cancel, nothing reported),
# permanent deletion, another file system.
. "$(dirname "$0")/lib.sh"
D=$(make_dir work)
printf 'alpha' >"$D/a.txt"
printf 'bravo' >"$D/b.txt"
printf 'charlie' >"$D/c d.txt"
printf 'echo' >"$D/e.txt"
export XDG_DATA_HOME="$WORK/data"

run_headless --cwd "$D" --clock "2026-03-04 10:00:00" --no-run <<'S'
key a shift
input b.txt
key r
screen
input a.txt
key r
screen
key Home
key r
screen
key a shift
input  new name.txt
key r
S
[ "$(grep -c '^|VX0108 - Newname already exists' "$OUT")" -eq 2 ] || fail "rename to an existing name"
[ "$(cat "$D/b.txt")" = bravo ] || fail "rename onto b.txt changed it"
expect_contains "|VX0105 - Cursor must point to file or directory"
expect_contains 'prompt="VX0043-Enter new file name for a.txt" default="a.txt"'
[ "$(cat "$D/new name.txt")" = alpha ] || fail "rename to a name with a blank"
[ ! -e "$D/a.txt" ] || fail "old name still there"
[ "$(screen_row 3)" != "" ] || fail "no page"
expect_contains "|NEW NAME.TXT"

# Delete to the Trash: the platform asks; Yes moves the file with its info file.
run_headless --cwd "$D" --clock "2026-03-04 10:00:00" --no-run <<'S'
key c shift
answer Yes
key d
key e shift
answer No
key d
screen
S
expect_line 'MSGBOX caption="Delete" text="Move the file \"c d.txt\" to the Trash?" buttons=YesNo -> Yes'
[ ! -e "$D/c d.txt" ] || fail "deleted file still there"
[ "$(cat "$XDG_DATA_HOME/Trash/files/c d.txt")" = charlie ] || fail "file not in the Trash"
INFO="$XDG_DATA_HOME/Trash/info/c d.txt.trashinfo"
[ "$(sed -n 1p "$INFO")" = "[Trash Info]" ] || fail "info file header"
[ "$(sed -n 2p "$INFO")" = "Path=${D// /%20}/c%20d.txt" ] || fail "info file path: $(sed -n 2p "$INFO")"
grep -qE '^DeletionDate=[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}$' "$INFO" || fail "info file date"
# No is a cancel: no failure is reported, the file stays, and the program goes on.
expect_line 'MSGBOX caption="Delete" text="Move the file \"e.txt\" to the Trash?" buttons=YesNo -> No'
expect_not_contains "VX8009"
[ "$(cat "$D/e.txt")" = echo ] || fail "No to the confirmation deleted the file"
expect_no_line "EXIT immediate"
expect_contains "|E       .TXT"

# Permanent deletion (Shift+Alt+Delete): gone, and not in the Trash.
run_headless --cwd "$D" --clock "2026-03-04 10:00:00" --no-run <<'S'
key e shift
key Delete shift alt
S
[ ! -e "$D/e.txt" ] || fail "permanent delete"
[ ! -e "$XDG_DATA_HOME/Trash/files/e.txt" ] || fail "permanent delete went to the Trash"

# A file on another file system goes to that file system's trash, or is refused.
M="$WORK/mnt"
mkdir -p "$M"
if mount -t tmpfs -o size=1m tmpfs "$M" 2>/dev/null; then
  trap 'umount "$M" 2>/dev/null; rm -rf "$WORK"' EXIT
  printf 'one' >"$M/f.txt"
  printf 'two' >"$M/g.txt"
  run_headless --cwd "$M" --clock "2026-03-04 10:00:00" --no-run <<'S'
key f shift
answer Yes
key d
S
  [ "$(cat "$M/.Trash-$(id -u)/files/f.txt")" = one ] || fail "not in the trash of the other file system"
  [ "$(sed -n 2p "$M/.Trash-$(id -u)/info/f.txt.trashinfo")" = "Path=f.txt" ] || fail "topdir info path"
  rm -rf "$M/.Trash-$(id -u)"
  printf 'not a folder' >"$M/.Trash-$(id -u)"
  run_headless --cwd "$M" --clock "2026-03-04 10:00:00" --no-run <<'S'
key g shift
answer Yes
answer OK
key d
screen
S
  [ "$(cat "$M/g.txt")" = two ] || fail "refused trash deleted the file"
  expect_contains "VX8009 - File not deleted"
  umount "$M"
fi
finish
