#!/usr/bin/env bash
# Entering and leaving folders, "." at a root and below it, and the change of drive
# and directory: prefixes, a drive letter alone, a file, a missing path.
. "$(dirname "$0")/lib.sh"

R=$(make_dir droot)
mkdir -p "$R/Program/inner" "$R/project1" "$R/Zeta"
echo hi >"$R/readme.txt"
echo a >"$R/Program/a.txt"
echo b >"$R/Program/b.txt"
O=$(make_dir other)
echo o >"$O/o.txt"
OW="C:${O//\//\\}\\"
export TEMBRA_DRIVES="D=$R"

# ---- a root has no parent entry; "." there is refused
run_headless --cwd "$R" <<'S'
screen
key .
screen
key Down
key Down
key Enter
screen
key .
screen
key Enter
key Home ctrl
key Enter
screen
S
expect_line "CAPTION TEMBRA • DIR • D:\\"
expect_screen_row 2 ">PROGRAM      <DIR>" 1
expect_line "BEEP"
expect_screen_row 25 'VX1008 -   "."   ignored in root directory' 2
expect_line "CAPTION TEMBRA • DIR • D:\\Zeta\\"
expect_screen_row 2 "<<PARENT DIR" 3
# back up with ".": the cursor is on the folder just left
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 3 of 4 Entries" 4
# into Zeta again, then Enter on the parent entry: back on Zeta
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 3 of 4 Entries" 5

# ---- P: prefixes, lower case, a missing path, a file, an unknown drive, Cancel
run_headless --cwd "$R" <<'S'
input \PRO
key p
screen
input \proj
key p
input \nothing
key p
screen
input \readme.txt
key p
screen
input Q
key p
screen
input-cancel
key p
screen
S
expect_line "CAPTION TEMBRA • DIR • D:\\Program\\"
expect_line "CAPTION TEMBRA • DIR • D:\\project1\\"
expect_line 'INPUT caption="" prompt="VX0014-Enter drive:dir\\filename" default="C:" -> "\\PRO"'
expect_screen_row 25 'VX0104 - Path (D:\nothing\) does not exist' 2
expect_screen_row 25 "VX0110 - New Path Specified is a file, not a path" 3
expect_screen_row 25 "VX0003 - Drive Q not available" 4
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 0 of 0 Entries" 5

# ---- a drive letter alone returns to the last folder of that drive and its entry
run_headless --cwd "$R/Program" <<S
key End ctrl
input $OW
key p
screen
input d
key p
screen
S
expect_line "CAPTION TEMBRA • DIR • $OW"
expect_screen_row 2 "<<PARENT DIR" 1
expect_line "CAPTION TEMBRA • DIR • D:\\Program\\"
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 3 of 3 Entries" 2
finish
