#!/usr/bin/env bash
# Host paths in the Linux profile: the window title names the folder the host's way ("~"
# for $HOME), the "p" prompt offers it and takes "~/x", "../x" and a Windows path, the copy
# prompt offers the file's host path, a message names a path so, and the listing file is
# found and headed so.
. "$(dirname "$0")/lib.sh"
export TEST_PROFILE=linux XDG_CONFIG_HOME="$WORK/xdg" HOME="$WORK/home"
mkdir -p "$HOME/src/proj" "$HOME/docs" "$XDG_CONFIG_HOME/tembra"
printf 'DIRF ../list.txt\n' >"$XDG_CONFIG_HOME/tembra/VXCONFIG.TXT"
echo a >"$HOME/src/proj/a.txt"
title_is() {
  local i
  for i in $(seq 1 50); do
    case "$(tmux -L "$SOCK" display-message -p -t t '#{pane_title}')" in *" • $1") return 0 ;; esac
    sleep 0.1
  done
  fail "title: '$(tmux -L "$SOCK" display-message -p -t t '#{pane_title}')', not ending in '$1'"
}
go() {
  keys p && wait_for "VX0014-Enter folder or file"
  keys -l "$1" && keys Enter && wait_gone "VX0014"
}
start_tembra "$HOME/src/proj" ""
title_is "~/src/proj/"
keys p && wait_for "VX0014-Enter folder or file" && wait_for "│ ~/src/proj/ "
keys Escape && wait_gone "VX0014"
# The copy prompt offers the file's host path and takes a host folder.
keys j c && wait_for "VX0042-Enter Destination for a.txt" && wait_for "│ ~/src/proj/a.txt "
keys -l "~/docs" && keys Enter && wait_gone "VX0042"
for i in $(seq 1 30); do [ -f "$HOME/docs/a.txt" ] && break; sleep 0.1; done
[ -f "$HOME/docs/a.txt" ] || fail "not copied to ~/docs"
go "~/docs" && title_is "~/docs/"
go "../src" && title_is "~/src/"
go "C:${HOME//\//\\}" && title_is "~/"
go "/nonexistent-folder-of-tembra" && wait_for "VX0104 - Path (/nonexistent-folder-of-tembra) does not exist"
title_is "~/"
# The listing file: "../list.txt" from ~/src is ~/list.txt, headed with the folder's host path.
go "src" && title_is "~/src/"
keys C-f
for i in $(seq 1 30); do [ -f "$HOME/list.txt" ] && break; sleep 0.1; done
head -1 "$HOME/list.txt" 2>/dev/null | grep -q 'Path = ~/src/' || fail "listing file: $(head -1 "$HOME/list.txt" 2>&1)"
keys F10 && wait_exit >/dev/null
finish
