#!/usr/bin/env bash
# No size is shown wrong for lack of room (Linux profile): as ls -lh writes it, or with
# SIZES GROUPED grouped bytes and a coarser unit where a second comma would be needed.
# The long layout shows permissions and the owner (PERMISSIONS), else "A---".
. "$(dirname "$0")/lib.sh"
export TEST_PROFILE=linux XDG_CONFIG_HOME="$WORK/xdg"
dir=$(make_dir sizes)
for f in a:1301496 b:9118728 c:1108888000 d:999999; do truncate -s "${f#*:}" "$dir/${f%:*}.bin"; done
chmod 4750 "$dir/d.bin"
check() {
  rm -f "$WORK/exit.txt" && start_tembra "$dir" "" && wait_for "d.bin"
  local name want
  for pair in "$@"; do
    name=${pair%%=*} want=${pair#*=}
    screen | grep -qE -- "^ *$want.* $name" || fail "$name: not $want: $(screen | grep "$name")"
  done
  keys F10 && wait_exit >/dev/null
}
me=$(id -un)
check "a.bin=1.3M" "b.bin=8.7M" "c.bin=1.1G" "d.bin=977K  [0-9 :-]+ -rwsr-x--- ${me:0:7}"
mkdir -p "$XDG_CONFIG_HOME/tembra"
printf 'SIZES GROUPED\r\nPERMISSIONS OFF\r\n' >"$XDG_CONFIG_HOME/tembra/VXCONFIG.TXT"
check "a.bin=1,271k" "b.bin=8,905k" "c.bin=1,058m" "d.bin=999,999  [0-9 :-]+ A---"
finish
