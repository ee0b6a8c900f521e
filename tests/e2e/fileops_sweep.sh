#!/usr/bin/env bash
# Marks and the deletion sweep, set up by a configuration file in the listed folder:
# four versions of one file on one day, marker files, the 50-action limit, and the
# sweep's confirmation refused.
. "$(dirname "$0")/lib.sh"
export XDG_DATA_HOME="$WORK/data"

# Four versions made on one day, all older than 10 days: the middle two go to the Trash.
V=$(make_dir versions)
printf 'REC VXTEMP 500\n' >"$V/VXCONFIG.TXT"
for t in 0900 0901 0902 0903; do printf '%s' "$t" >"$V/_V260101.VX${t}BU.a.txt"; done
touch -d "2026-01-01 12:00" "$V"/_V*
printf 'a' >"$V/a.txt"
run_headless --cwd "$V" --clock "2026-03-04 10:00:00" --no-run <<'S'
key Delete shift
S
[ -f "$V/_V260101.VX0900BU.a.txt" ] && [ -f "$V/_V260101.VX0903BU.a.txt" ] || fail "first or last version deleted"
[ ! -e "$V/_V260101.VX0901BU.a.txt" ] && [ ! -e "$V/_V260101.VX0902BU.a.txt" ] || fail "middle versions kept"
[ "$(cat "$XDG_DATA_HOME/Trash/files/_V260101.VX0902BU.a.txt")" = 0902 ] || fail "middle version not in the Trash"
[ -f "$V/a.txt" ] || fail "the file itself was touched"

# Marker files: set aside with a marker, the marker has 17 bytes with CR LF, an old
# marker is deleted by the sweep, a young one stays.
M=$(make_dir markers)
# (markers are looked at only when there is a deletion rule)
printf 'REC VXTEMP 30 x 30\nVX0017\nDEL *.NONE 600\n' >"$M/VXCONFIG.TXT"
printf 'bravo' >"$M/b.txt"
printf ' TEMBRA VX0017 \r\n' >"$M/old.txt"
touch -d "2025-01-01 12:00" "$M/old.txt"
printf ' TEMBRA VX0017 \r\n' >"$M/new.txt"
touch -d "2026-03-01 12:00" "$M/new.txt"
run_headless --cwd "$M" --clock "2026-03-04 10:00:00" --no-run <<'S'
key b shift
key d ctrl
key Delete shift
S
[ "$(cat "$M/_V260304.VX1000DD.b.txt")" = bravo ] || fail "set-aside name"
[ "$(od -An -c "$M/b.txt" | tr -s ' ')" = "$(printf ' TEMBRA VX0017 \r\n' | od -An -c | tr -s ' ')" ] ||
  fail "marker file content"
[ "$(wc -c <"$M/b.txt")" -eq 17 ] || fail "marker file size"
[ ! -e "$M/old.txt" ] || fail "old marker kept"
[ -f "$M/new.txt" ] || fail "young marker deleted"

# More than 50 marks: the sweep acts on 50 and stops.
L=$(make_dir limit)
printf 'DEL *.OLD 20\n' >"$L/VXCONFIG.TXT"
for i in $(seq -w 1 60); do printf 'x' >"$L/f$i.old"; done
touch -d "2025-01-01 12:00" "$L"/*.old
run_headless --cwd "$L" --clock "2026-03-04 10:00:00" --no-run <<'S'
key Delete shift
S
[ "$(ls "$L" | grep -c '\.old$')" -eq 10 ] || fail "sweep limit: $(ls "$L" | grep -c '\.old$') left"

# Automatic deletion switched on: leaving the folder asks first; Cancel deletes nothing.
C=$(make_dir confirm)
mkdir -p "$C/sub"
printf 'DEL *.OLD 20\nAUTOD\n' >"$C/sub/VXCONFIG.TXT"
printf 'x' >"$C/sub/g.old"
touch -d "2025-01-01 12:00" "$C/sub/g.old"
run_headless --cwd "$C/sub" --clock "2026-03-04 10:00:00" --no-run <<'S'
key Home
answer Cancel
key Enter
key Esc
S
expect_line 'MSGBOX caption="Tembra" text="VX8020 - Confirm automatic deletion of old temporary files" buttons=OKCancel -> Cancel'
[ -f "$C/sub/g.old" ] || fail "deleted after Cancel"
finish
