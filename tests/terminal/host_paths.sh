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
title() { tmux -L "$SOCK" display-message -p -t t '#{pane_title}'; }
title_is() {
  for _ in $(seq 1 50); do case "$(title)" in *" • $1") return 0 ;; esac; sleep 0.1; done
  fail "title: '$(title)', not ending in '$1'"
}
answer() { keys -l "$1" && keys Enter && wait_gone "$2"; }
go() { keys p && wait_for "VX0014-Enter folder or file" && answer "$1" VX0014; }
gone_to() { for _ in $(seq 1 30); do [ -f "$1" ] && return 0; sleep 0.1; done; fail "no $1"; }
start_tembra "$HOME/src/proj" ""
title_is "~/src/proj/"
keys p && wait_for "│ ~/src/proj/ " && answer "~/docs" VX0014 && title_is "~/docs/"
go "../src/proj" && title_is "~/src/proj/"
keys j c && wait_for "VX0042-Enter Destination for a.txt" && wait_for "│ ~/src/proj/a.txt "
answer "~/docs" VX0042 && gone_to "$HOME/docs/a.txt"
go "C:${HOME//\//\\}" && title_is "~/"
go "/nonexistent-folder-of-tembra" && wait_for "VX0104 - Path (/nonexistent-folder-of-tembra) does not exist"
# The listing file: "../list.txt" from ~/src is ~/list.txt, headed with the folder's host path.
go "src" && title_is "~/src/" && keys C-f && gone_to "$HOME/list.txt"
head -1 "$HOME/list.txt" | grep -q 'Path = ~/src/' || fail "listing file: $(head -1 "$HOME/list.txt")"
keys F10 && wait_exit >/dev/null
finish
