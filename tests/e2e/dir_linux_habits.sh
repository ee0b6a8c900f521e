#!/usr/bin/env bash
# The directory page of the Linux profile and what both profiles say plainly: full names
# in columns fitted to the longest name, links marked, Backspace up, the folder Tembra
# ends in, the viewed file's name, and errors that name what went wrong.
. "$(dirname "$0")/lib.sh"
D=$(make_dir page)
printf 'alpha\n' >"$D/alpha.txt"
printf 'mixed\n' >"$D/Mixed_Case_Long_Name_Of_A_File.txt"
mkdir "$D/sub" "$D/locked"
ln -s alpha.txt "$D/link-to-alpha"
ln -s sub "$D/link-to-dir"
ln -s nowhere "$D/dangling"
ln -s loop "$D/loop"
touch -h -d '2024-01-02 03:04:05' "$D"/* "$D"/sub
DW="C:${D//\//\\}"

# Full names: the longest (34 characters) needs entry columns 66 wide with the attribute
# letters. 133 columns hold two of them, 132 only one (6 entries a page: the last three
# are then on the next).
mkdir -p "$WORK/cfg" && printf 'PERMISSIONS OFF\n' >"$WORK/cfg/VXCONFIG.TXT"
run_headless --profile linux --cwd "$D" --size 133x8 --cmdline "/C$WORK/cfg/" <<<'screen'
expect_screen_row 2 "<<PARENT DIR"
# Links: a mark after the name, the target when it fits; a dangling link and a loop "!".
case "$(screen_row 2 | cut -c68-)" in "       6  2024-01-02 03:04 A--- link-to-alpha@ -> alpha.txt "*) ;;
  *) fail "second column: '$(screen_row 2 | cut -c68-)'" ;; esac
expect_contains " A--- Mixed_Case_Long_Name_Of_A_File.txt"
expect_contains "<DIR>    2024-01-02 03:04 ---- link-to-dir@ -> sub"
expect_contains "dangling! -> nowhere"
expect_contains "loop! -> loop"
run_headless --profile linux --cwd "$D" --size 132x8 <<<'screen'
expect_contains "dangling! -> nowhere"
expect_not_contains "link-to-alpha"
# Classic keeps the compact layout; its mark follows the short name.
run_headless --cwd "$D" --size 80x12 <<<'screen'
expect_contains "DANGLING!"
expect_contains "LINK-TO-ALPH@"
expect_not_contains "Mixed_Case"

# Each Linux item has its own keyword: OFF gives the Classic form in the Linux profile.
mkdir -p "$WORK/cfg" && printf 'FULLNAMES OFF\nBACKSPACE OFF\nHOSTPATHS OFF\n' >"$WORK/cfg/VXCONFIG.TXT"
run_headless --profile linux --cwd "$D/sub" --cmdline "/C$WORK/cfg/" <<<'key Backspace
key Backspace'
expect_line "CAPTION TEMBRA • DIR • $DW\\sub\\"
expect_no_line "CAPTION TEMBRA • DIR • $DW\\"
printf 'FULLNAMES ON\n' >"$WORK/cfg/VXCONFIG.TXT"
run_headless --cwd "$D" --size 133x8 --cmdline "/C$WORK/cfg/" <<<'screen'
expect_contains "link-to-dir@ -> sub"

# Backspace goes up (cursor on the folder left) and TEMBRA_LASTDIR gets the folder
# Tembra ends in; Classic leaves Backspace alone.
TEMBRA_LASTDIR="$WORK/last" run_headless --profile linux --cwd "$D/sub" --size 133x6 <<'EOF'
key Backspace
key Enter
key Backspace
key F10
EOF
expect_line "CAPTION TEMBRA • DIR • $D/"
[ "$(cat "$WORK/last" 2>/dev/null)" = "$D" ] || fail "last folder: '$(cat "$WORK/last" 2>/dev/null)'"
run_headless --cwd "$D/sub" <<<'key Backspace'
expect_no_line "CAPTION TEMBRA • DIR • $DW\\"

# The viewed file's name as it is on disk: on the title line where it fits, else on the
# message line as the file opens.
run_headless --profile linux --cwd "$D" --size 133x6 <<<'key M shift
key Enter
screen'
case "$(screen_row 1)" in *"  Mixed_Case_Long_Name_Of_A_File.txt") ;; *) fail "title: $(screen_row 1)" ;; esac
run_headless --profile linux --cwd "$D" --size 70x6 <<<'key M shift
key Enter
screen'
expect_screen_row 6 "Mixed_Case_Long_Name_Of_A_File.txt"

# A copy onto itself is refused before the replace question; a missing editor and a
# missing opener are named with the way to set one.
VISUAL=/nonexistent/editor PATH=/nonexistent run_headless --cwd "$D" --size 120x25 <<'EOF'
key A shift
key c
screen
key e
screen
answer Cancel
key o
EOF
expect_contains "VX1003 - BACKUP ERROR - The file cannot be copied onto itself."
expect_not_contains "VX0045"
expect_contains "VX1041 - Editor /nonexistent/editor not found: set VISUAL or EDITOR to the editor to use"
expect_contains "VX1042 - xdg-open not found: install xdg-utils, or name a program with EXT or EXT DEFAULT"

# As an ordinary user: a folder that cannot be read is named with the reason and the
# page stays; a file that cannot be opened is named as it is on disk.
if setpriv --reuid=65534 --regid=65534 --clear-groups true 2>/dev/null &&
  setpriv --reuid=65534 --regid=65534 --clear-groups test -x "$TEMBRA_HEADLESS"; then
  chmod 755 "$WORK" "$D"
  chmod 700 "$D/locked"
  printf 'secret\n' >"$D/Secret.TXT"
  chmod 600 "$D/Secret.TXT"
  HOME=$WORK setpriv --reuid=65534 --regid=65534 --clear-groups \
    "$TEMBRA_HEADLESS" --cwd "$D" --size 133x8 --script - >"$OUT" 2>"$WORK/stderr.txt" <<'EOF'
key Down
key Down
key Enter
screen
key S shift
key Enter
EOF
  expect_contains "VX1040 - Folder cannot be read: $DW\\locked\\ - Permission denied."
  expect_no_line "CAPTION TEMBRA • DIR • $DW\\locked\\"
  expect_line "MSGBOX caption=\"${DW//\\/\\\\}\\\\Secret.TXT\" text=\"VX1009 - File cannot be opened for reading\" buttons=OK -> OK"
  # Named on the command line: said on the first page, which stays in the start folder.
  HOME=$WORK setpriv --reuid=65534 --regid=65534 --clear-groups \
    "$TEMBRA_HEADLESS" --cwd "$D" --size 133x8 --cmdline "$D/locked" --script - >"$OUT" 2>"$WORK/stderr.txt" <<'EOF'
screen
EOF
  expect_screen_row 8 "VX1040 - Folder cannot be read: $DW\\locked\\ - Permission denied." 1
  expect_line "CAPTION TEMBRA • DIR • $DW\\"
else
  echo "skip: no unprivileged user can run the driver here"
fi
finish
