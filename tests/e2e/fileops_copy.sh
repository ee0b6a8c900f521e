#!/usr/bin/env bash
# Copy and move from the directory page: destination forms, the replace question,
# the time-stamp refresh, a read-only destination, a full file system, the parent entry.
. "$(dirname "$0")/lib.sh"
D=$(make_dir work)
O=$(make_dir other)
mkdir -p "$D/sub" "$D/sub2"
printf 'alpha' >"$D/a.txt"
printf 'bravo' >"$D/b c.txt"
printf 'keep' >"$D/sub2/a.txt"
export XDG_DATA_HOME="$WORK/data"
win() { local p="C:$1"; printf '%s' "${p//\//\\}"; }
DW=$(win "$D")
OW=$(win "$O")

run_headless --cwd "$D" --clock "2026-03-04 10:00:00" --no-run <<S
key a shift
input sub
key c
input $DW\\sub2\\
answer No
key c
input copy1.txt
key c
input ${OW#C:}
key c
input C:renamed.txt
key c
input +
key c
S
[ "$(cat "$D/sub/a.txt")" = alpha ] || fail "copy into a folder named without the final backslash"
[ "$(cat "$D/sub2/a.txt")" = keep ] || fail "No to the replace question changed the destination"
[ "$(cat "$D/a.txt")" = alpha ] || fail "No to the replace question changed the source"
expect_line 'MSGBOX caption="Tembra" text="VX0045-BACKUP/COPY File already exists.  Do you want to replace?" buttons=YesNo -> No'
[ "$(cat "$D/copy1.txt")" = alpha ] || fail "relative destination"
[ "$(cat "$O/a.txt")" = alpha ] || fail "destination starting with a backslash"
[ "$(cat "$D/renamed.txt")" = alpha ] || fail "drive and name without backslash"
# "+" refreshes the time stamp without starting a program.
expect_not_contains "RUN"
expect_contains "prompt=\"VX0042-Enter Destination for a.txt\""

# A read-only destination: refused with the platform's text, nothing changed.
printf 'readonly' >"$O/ro.txt"
chmod 444 "$O/ro.txt"
run_headless --cwd "$D" --clock "2026-03-04 10:00:00" --no-run <<S
key a shift
input $OW\\ro.txt
answer Yes
key c
screen
S
expect_contains "|VX1003 - BACKUP ERROR - Permission denied."
expect_line "BEEP"
[ "$(cat "$O/ro.txt")" = readonly ] || fail "read-only destination changed"
[ "$(cat "$D/a.txt")" = alpha ] || fail "source changed"
chmod 644 "$O/ro.txt"

# A full file system: a small tmpfs where one can be mounted, else a simulated write error.
FULL="$WORK/full"
mkdir -p "$FULL"
MOUNTED=0
if mount -t tmpfs -o size=64k tmpfs "$FULL" 2>/dev/null; then
  MOUNTED=1
  trap 'umount "$FULL" 2>/dev/null; rm -rf "$WORK"' EXIT
  SIM=
else
  SIM=28
fi
head -c 300000 /dev/zero | tr '\0' 'x' >"$D/big.dat"
printf 'precious' >"$FULL/big.dat"
FW=$(win "$FULL")
TEMBRA_SIMULATE_WRITE_ERROR=$SIM run_headless --cwd "$D" --clock "2026-03-04 10:00:00" --no-run <<S
key b shift
key Down
input $FW
answer Yes
key c
screen
S
expect_contains "Destination for big.dat"
expect_contains "|VX1003 - BACKUP ERROR - No space left on device."
[ "$(cat "$FULL/big.dat")" = precious ] || fail "full file system: the destination was lost"
[ "$(ls -A "$FULL")" = big.dat ] || fail "full file system: left-overs $(ls -A "$FULL")"
[ "$(wc -c <"$D/big.dat")" -eq 300000 ] || fail "full file system: source changed"
# A move onto the full file system keeps its source.
TEMBRA_SIMULATE_WRITE_ERROR=$SIM run_headless --cwd "$D" --clock "2026-03-04 10:00:00" --no-run <<S
key b shift
key Down
input $FW\\moved.dat
key m
S
[ -f "$D/big.dat" ] || fail "failed move deleted its source"
[ ! -e "$FULL/moved.dat" ] || fail "failed move left a destination"
if [ $MOUNTED = 1 ]; then umount "$FULL"; fi

# Move: the copy, then the source goes to the Trash; the parent entry is refused.
run_headless --cwd "$D" --clock "2026-03-04 10:00:00" --no-run <<S
key b shift
input sub
key m
key Home
key b
key c
key d
key m
S
[ "$(cat "$D/sub/b c.txt")" = bravo ] || fail "move: no copy"
[ ! -e "$D/b c.txt" ] || fail "move: source still there"
[ "$(cat "$XDG_DATA_HOME/Trash/files/b c.txt")" = bravo ] || fail "move: source not in the Trash"
[ "$(grep -c 'VX1014-Not able to delete/move/copy parent directory' "$OUT")" -eq 4 ] || fail "parent refusals"
# A move with "+" refreshes in place and deletes nothing.
run_headless --cwd "$D" --clock "2026-03-04 10:00:00" --no-run <<S
key a shift
input +
key m
S
[ -f "$D/a.txt" ] || fail "move with + deleted the file"

# Case twins: after "+" the cursor stays on the entry refreshed (a.txt sorts after A.TXT).
T=$(make_dir twins)
printf 'lower' >"$T/a.txt"
printf 'UPPER' >"$T/A.TXT"
run_headless --cwd "$T" --no-run <<'S'
key End ctrl
input +
key c
key Enter
screen
S
expect_screen_row 2 "lower"
# A move to the same name in other letters, typed as a full path or as a plain name, and a
# rename to it: the file takes the new name, nothing else is left.
for how in full plain rename; do
  M=$(make_dir "case-$how")
  printf 'alpha' >"$M/a.txt"
  dest=A.TXT key=m
  [ $how != full ] || dest="$(win "$M")\\A.TXT"
  [ $how != rename ] || key=r
  printf 'key a shift\ninput %s\nkey %s\n' "$dest" "$key" | run_headless --cwd "$M" --no-run
  expect_not_contains "VX1003"
  [ "$(ls "$M")" = A.TXT ] && [ "$(cat "$M/A.TXT")" = alpha ] || fail "$how to A.TXT: [$(ls "$M")]"
done

# A typed escape that stands for "/" or NUL is refused and named; nothing moves.
E=$(make_dir esc/in)
printf 'alpha' >"$E/a.txt"
printf 'key a shift\ninput \xa42F..\xa42Fx\nkey r\nscreen\ninput %s\\a\xa400b\nkey c\nscreen\ninput \xa42f..\xa42fy\nkey m\nscreen\n' \
  "$(win "$E")" | run_headless --cwd "$E" --no-run
expect_screen_row 25 'VX1003 - RENAME ERROR - A name cannot hold "/" (typed as ¤2F).' 1
expect_screen_row 25 'VX1003 - BACKUP ERROR - A name cannot hold the NUL character (typed as ¤00).' 2
expect_screen_row 25 'VX1003 - BACKUP ERROR - A name cannot hold "/" (typed as ¤2F).' 3
[ "$(ls "$WORK/esc")" = in ] && [ "$(ls "$E")" = a.txt ] || fail "escapes: [$(ls "$WORK/esc")] [$(ls "$E")]"
# Moves that are renames (Linux profile, or MOVE RENAME): within one file system the
# entry keeps its inode and nothing goes to the Trash, a folder moves too, and a copy of
# a folder is refused in plain words; across file systems (/tmp and /dev/shm) the copy is
# made and the original goes to the Trash.
R=$(make_dir renames)
mkdir -p "$R/dest" "$R/folder"
printf 'one' >"$R/a1.txt"
printf 'two' >"$R/folder/inside.txt"
printf 'three' >"$R/x3.txt"
INODE=$(stat -c %i "$R/a1.txt")
rm -rf "$XDG_DATA_HOME/Trash"
SHM=
if [ -d /dev/shm ] && [ "$(stat -c %d /dev/shm)" != "$(stat -c %d "$R")" ]; then SHM=$(mktemp -d /dev/shm/tembra-e2e.XXXXXX); fi
run_headless --profile linux --cwd "$R" --clock "2026-03-04 10:00:00" --no-run <<S
key a shift
input dest
key m
key Home
key Down
key Down
input dest
key c
screen
key m
input ${SHM:-$R/dest}
key x shift
key m
screen
S
[ "$(stat -c %i "$R/dest/a1.txt" 2>/dev/null)" = "$INODE" ] || fail "move within a file system: not a rename"
[ -f "$R/dest/folder/inside.txt" ] && [ ! -e "$R/folder" ] || fail "folder not moved within a file system"
[ ! -e "$XDG_DATA_HOME/Trash/files/a1.txt" ] && [ ! -e "$XDG_DATA_HOME/Trash/files/folder" ] ||
  fail "a rename put something in the Trash"
expect_contains "|VX1003 - COPY ERROR - Folders are not copied; folder is a folder"
if [ -n "$SHM" ]; then
  [ "$(cat "$SHM/x3.txt")" = three ] || fail "move across file systems: no copy"
  [ "$(cat "$XDG_DATA_HOME/Trash/files/x3.txt")" = three ] || fail "move across file systems: original not in the Trash"
  rm -rf "$SHM"
fi
# Classic moves by copying; the MOVE RENAME line makes it rename there too.
printf 'four' >"$R/a4.txt"
INODE=$(stat -c %i "$R/a4.txt")
run_headless --cwd "$R" --clock "2026-03-04 10:00:00" --no-run <<S
key Home
input MOVE RENAME
key ?
key a shift
input dest
key m
S
[ "$(stat -c %i "$R/dest/a4.txt" 2>/dev/null)" = "$INODE" ] || fail "MOVE RENAME in Classic: not a rename"
# Esc during a long copy cancels it and leaves nothing at the destination (each piece of
# 1 MiB made slow by the test hook; the progress it shows is a unit test's).
P=$(make_dir progress)
mkdir -p "$P/to"
head -c 4194304 /dev/zero >"$P/big4.bin"
TEMBRA_SIMULATE_SLOW_COPY=400 run_headless --cwd "$P" --no-run <<S
key b shift
input $(win "$P")\\to
keys c Esc
screen
S
expect_contains "|VX1003 - BACKUP ERROR - Operation canceled."
[ -z "$(ls -A "$P/to")" ] || fail "a cancelled copy left $(ls -A "$P/to")"
finish
