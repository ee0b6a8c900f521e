#!/usr/bin/env bash
# The configuration file in the current folder and in the user's configuration folder,
# a configuration line typed at run time ("?" on the parent entry), and picking colours.
. "$(dirname "$0")/lib.sh"
D=$(make_dir work/here)
X=$(make_dir xdg/tembra)
printf 'x\n' >"$D/file.txt"
printf '* my settings\r\nCBT NAVY\r\nCBB yellow\r\nEND\r\nCBT RED\r\n' >"$D/VXCONFIG.TXT"

run_headless --cwd "$D" <<'S'
attrs
S
expect_contains "[fg=000000 bg=FFFF00]Ver: Beta_7Z"
expect_contains "bg=000080"
expect_not_contains "MSGBOX"

# Without a file in the folder the user's configuration folder is read; "/C" suppresses it.
rm "$D/VXCONFIG.TXT"
printf 'CBB GRE\n' >"$X/vxconfig.txt"
XDG_CONFIG_HOME="$WORK/xdg" run_headless --cwd "$D" <<'S'
attrs
S
expect_contains "[fg=000000 bg=00FF00]Ver: Beta_7Z"
XDG_CONFIG_HOME="$WORK/xdg" run_headless --cwd "$D" --cmdline "/C" <<'S'
attrs
S
expect_contains "[fg=000000 bg=9F9F9F]Ver: Beta_7Z"

# A line typed at run time on the parent entry, an invalid one, and colour picking.
XDG_CONFIG_HOME="$WORK/none" run_headless --cwd "$D" <<'S'
key Home
input CBB SKY
type ?
attrs
input Bogus line
answer OK
type ?
input ?
input grAy--
key F8
attrs
input chartreuse
key F6
S
expect_line 'INPUT caption="" prompt="VX0007 - Enter one config line" default="" -> "CBB SKY"'
expect_contains "[fg=000000 bg=87CEEB]Ver: Beta_7Z"
expect_line 'MSGBOX caption="VX8015 - Invalid CONFIG record.  OK to ignore, Cancel to end TEMBRA" text="BOGUS LINE" buttons=OKCancel -> OK'
expect_contains 'INPUT caption="VX0008-Enter color for Lettering of informational messages" prompt="Choices: ROY G. BIV, CMYK, or ?" default="" -> "?"'
expect_contains 'prompt="Red/Orange/Yellow/Green/Blue/Indigo/Violet/Cyan'
expect_screen_row 25 "VX8014 - Invalid color selected"
expect_contains "[fg=666666 bg=87CEEB]Ver: Beta_7Z"
expect_line "BEEP"
finish
