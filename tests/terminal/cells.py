#!/usr/bin/env python3
"""Reads `tmux capture-pane -e -p` from standard input and prints the colours of cells.

Arguments: ROW:COL pairs (both from 1). For each, prints "fg=RRGGBB bg=RRGGBB" (or
"fg=5:N" for a 256-colour index, "default" for the terminal's own colour) and the
character. The colour state carries over from row to row, as the terminal draws it.
"""
import re
import sys

SGR = re.compile(r"\x1b\[([0-9;:]*)m")


def parse(text):
    fg = bg = "default"
    rows = []
    for line in text.split("\n"):
        cells = []
        pos = 0
        while pos < len(line):
            m = SGR.match(line, pos)
            if m:
                params = [p for p in m.group(1).replace(":", ";").split(";")]
                if params == [""]:
                    params = ["0"]
                i = 0
                while i < len(params):
                    p = int(params[i] or 0)
                    if p == 0:
                        fg = bg = "default"
                    elif p in (38, 48) and i + 1 < len(params):
                        if params[i + 1] == "2" and i + 4 < len(params):
                            v = "%02X%02X%02X" % tuple(int(x) for x in params[i + 2:i + 5])
                            i += 4
                        elif params[i + 1] == "5" and i + 2 < len(params):
                            v = "5:" + params[i + 2]
                            i += 2
                        else:
                            v = "default"
                        if p == 38:
                            fg = v
                        else:
                            bg = v
                    elif p == 39:
                        fg = "default"
                    elif p == 49:
                        bg = "default"
                    elif 30 <= p <= 37:
                        fg = "8:%d" % (p - 30)
                    elif 40 <= p <= 47:
                        bg = "8:%d" % (p - 40)
                    i += 1
                pos = m.end()
                continue
            if line[pos] == "\x1b":
                pos += 1
                continue
            cells.append((line[pos], fg, bg))
            pos += 1
        rows.append((cells, fg, bg))
    return rows


def main():
    rows = parse(sys.stdin.read())
    for arg in sys.argv[1:]:
        r, c = (int(x) for x in arg.split(":"))
        line, fg, bg = rows[r - 1] if r - 1 < len(rows) else ([], "?", "?")
        # Blanks at the end of a row are left out: they have the row's last colours.
        ch = " "
        if c - 1 < len(line):
            ch, fg, bg = line[c - 1]
        print("fg=%s bg=%s %s" % (fg, bg, ch))


main()
