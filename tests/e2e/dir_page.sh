#!/usr/bin/env bash
# The directory page: newspaper columns, both layouts at their thresholds, the cursor
# keys with wrap-around, page keys and mouse clicks on the title, content and message
# lines.
. "$(dirname "$0")/lib.sh"

# ---- layouts at the size thresholds, names cut with "~"
D=$(make_dir lay)
(cd "$D" && truncate -s 99999 s99999 && truncate -s 100000 s100000 && truncate -s 9999999 s9999999 &&
  truncate -s 10000000 s10000000 && touch "A name that is rather long for the column.txt" && mkdir Folder &&
  touch -d "2024-03-05 14:07:00" ./*)
run_headless --size 80x25 --cwd "$D" <<'S'
screen
key 3
screen
key 1
screen
S
# 4 columns asked on 80 columns: 19 wide, compact layout, short sizes
expect_screen_row 3 ">FOLDER       <DIR>" 1
expect_screen_row 4 "A NAME T~TXT     0" 1
expect_screen_row 5 "S100000         98k" 1
expect_screen_row 7 "S99999       99999" 1
expect_screen_row 8 "S9999999      9766k" 1
# 3 columns: 26 wide, short date; the parent path cut with "~"
expect_screen_row 2 "<<PARENT DIR          C:\\~" 2
expect_screen_row 5 "S100000         98k 240305" 2
# 1 column: 80 wide, long sizes, date, time, attributes, long name cut with "~"
expect_screen_row 4 "A NAME T~TXT        0  2024-03-05 14:07 A--- A name that is rather long for the~" 3
expect_screen_row 5 "S100000       100,000  2024-03-05 14:07 A--- s100000" 3
expect_screen_row 6 "S10000000       9,766k 2024-03-05 14:07 A--- s10000000" 3
expect_screen_row 7 "S99999         99,999  2024-03-05 14:07 A--- s99999" 3
expect_screen_row 8 "S9999999     9999,999  2024-03-05 14:07 A--- s9999999" 3

# ---- 60 files: columns, wrap, Home/End/PgUp/PgDn
C=$(make_dir cols)
for i in $(seq -w 1 60); do echo x >"$C/f$i.txt"; done
run_headless --size 80x25 --cwd "$C" <<'S'
screen
key Up
screen
key Down
screen
key Right
key Down
screen
key End
screen
key Home
screen
key End ctrl
screen
key Home ctrl
screen
key 0
screen
S
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 0 of 60 Entries" 1
expect_screen_row 2 "<<PARENT DIR        F23     .TXT     2  F46     .TXT     2" 1
expect_screen_row 24 "F22     .TXT     2  F45     .TXT     2" 1
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 60 of 60 Entries" 2
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 0 of 60 Entries" 3
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 24 of 60 Entries" 4
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 60 of 60 Entries" 5
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 0 of 60 Entries" 6
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 60 of 60 Entries" 7
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 0 of 60 Entries" 8
# "0": as many 12-character columns as fit (6 on 80 columns)
expect_screen_row 2 "<<PARENT DIR F23     .TXT F46     .TXT" 9

# Paging on a small window: 3 lines, 3 columns of 12 -> 9 per page
run_headless --size 40x5 --cwd "$C" <<'S'
key PgDn
screen
key PgDn
screen
key PgUp
screen
key Down
screen
S
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 9 of 60" 1
expect_screen_row 2 "F09     .TXT F12     .TXT F15     .TXT" 1
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 18 of 60" 2
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 9 of 60" 3
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 10 of 60" 4

# ---- the cursor highlight, directory and file colours
run_headless --size 80x25 --cwd "$D" <<'S'
key Down
attrs
S
expect_contains "|[fg=0000C0 bg=FFF1A6]>FOLDER       <DIR>[fg=000000 bg=9F9F9F] "
expect_contains "|[fg=000000 bg=EED5B7]S99999       99999"

# ---- mouse: title line, content line, beyond the last entry, message line
run_headless --size 80x25 --cwd "$C" <<'S'
click 30 5
screen
click 3 1
screen
click 25 10
screen
click 70 10
screen
click 40 1
screen
click 10 25
screen
click 78 25
screen
click 30 5 right
screen
S
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 26 of 60 Entries" 1
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 0 of 60 Entries" 2
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 31 of 60 Entries" 3
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 60 of 60 Entries" 4
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 0 of 60 Entries" 5
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 60 of 60 Entries" 6
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 60 of 60 Entries" 7
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 60 of 60 Entries" 8
finish
