#!/usr/bin/env bash
# F1 shows the keys of the page the user is on (directory page, sort prompt, file view,
# hex view, ZIP listing), scrolls, and closes with Esc or F1 without acting on the page;
# during the closing message F1 keeps its old meaning and shows no help.
. "$(dirname "$0")/lib.sh"

D=$(make_dir help)
seq 1 50 >"$D/lines.txt"
(cd "$D" && python3 -c "import zipfile; zipfile.ZipFile('a.zip','w').writestr('m.txt','x')")

# ---- directory page: F1, scroll down, Esc closes and the program goes on; keys typed
# while the help shows ("q" would end) do nothing, and the first key after it acts
run_headless --cwd "$D" <<'S'
key F1
key q
screen
key End
screen
key Esc
screen
key s
screen
S
expect_screen_row 1 "Keys - Directory page  (lines 1-23 of " 1
expect_screen_row 2 "Directory page" 1
expect_screen_row 3 "Up / Down" 1
expect_screen_row 25 "Esc or F1: close" 1
expect_screen_row 24 'Shift+Esc, Ctrl+\' 2
expect_screen_row 1 "Ver: Beta_7Z - Directory List" 3
expect_screen_row 25 "VX0088 - Sort by:" 4
expect_no_line "EXIT normal"

# ---- sort prompt: the help of the prompt; F1 closes it and the prompt still waits
run_headless --cwd "$D" <<'S'
key s
key F1
screen
key F1
screen
key s
screen
S
expect_screen_row 1 "Keys - Sort prompt" 1
expect_screen_row 3 "F / E / D / S / N" 1
expect_screen_row 25 "VX0088 - Sort by:" 2
expect_no_line "BEEP"
expect_not_contains "VX1018"

# ---- file view and hex view (its own keys first, then the file view's)
run_headless --cwd "$D" --cmdline lines.txt <<'S'
key F1
screen
key Esc
key h alt
key F1
screen
key Esc
screen
S
expect_screen_row 1 "Keys - File view" 1
expect_screen_row 3 "Down / Up" 1
expect_screen_row 1 "Keys - Hex view" 2
expect_screen_row 2 "Hex view" 2
expect_contains "|File view"
expect_screen_row 2 "00000000  " 3

# ---- ZIP listing
run_headless --cwd "$D" <<'S'
key Down
key v
key F1
screen
key F1
screen
S
expect_screen_row 1 "Keys - ZIP listing" 1
expect_screen_row 2 "<<PARENT DIR" 2

# ---- Tab outside the closing message does not keep F1 from showing the help
run_headless --cwd "$D" <<'S'
key Tab
key F1
screen
S
expect_screen_row 1 "Keys - Directory page" 1

# ---- the closing message: F1 lengthens it, no help appears
run_headless --cwd "$D" <<'S'
key Esc
key F1
S
expect_not_contains "Keys - "
expect_line "EXIT normal"
finish
