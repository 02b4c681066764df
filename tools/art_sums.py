#!/usr/bin/env python3
"""Writes game/flow/art_sums.h from the shipped player and object sheets.

    python3 tools/art_sums.py [repo-root]

The game's start-up check keeps one running byte sum over the first 5000
bytes of system/m013/varnicka.png and then the first 17000 bytes of
system/m013/gfx.png, comparing it after every 1000 bytes with the table in
that header. Run this after every change to either sheet (tools/make_art.py
does not do it), so that the shipped art passes its own check. It needs only
the standard library.
"""

import os
import sys

SHEETS = (("varnicka.png", 5, "kPlayerSheetSums"), ("gfx.png", 17, "kGfxSheetSums"))
BLOCK = 1000


def running_sums(paths_and_blocks):
    """The running sums after each block, one list per file; the sum carries
    on from one file to the next. A file too short for its blocks is an error,
    as it is fatal to the game."""
    total = 0
    out = []
    for path, blocks in paths_and_blocks:
        with open(path, "rb") as f:
            data = f.read(blocks * BLOCK)
        if len(data) < blocks * BLOCK:
            raise SystemExit("art_sums: %s has %d bytes; the check reads %d"
                             % (path, len(data), blocks * BLOCK))
        sums = []
        for k in range(blocks):
            total += sum(data[k * BLOCK:(k + 1) * BLOCK])
            sums.append(total)
        out.append(sums)
    return out


def header(sums):
    lines = [
        "#pragma once",
        "",
        "// Running byte sums of the shipped art, after each 1000 bytes of the",
        "// player sheet and then of the object sheet. Start-up compares them to",
        "// tell a copy with changed art; written by tools/art_sums.py from the",
        "// files in system/m013/, so regenerate it whenever those change.",
        "",
        "namespace game {",
    ]
    for (_, _, name), values in zip(SHEETS, sums):
        lines.append("inline constexpr int %s[%d] = {%s};" % (name, len(values),
                                                              ", ".join(str(v) for v in values)))
    lines.append("}  // namespace game")
    return "\n".join(lines) + "\n"


def main(argv):
    root = os.path.normpath(argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    art = os.path.join(root, "system", "m013")
    sums = running_sums([(os.path.join(art, f), n) for f, n, _ in SHEETS])
    out = os.path.join(root, "game", "flow", "art_sums.h")
    with open(out, "w", newline="\n") as f:
        f.write(header(sums))
    print(out)
    for (f, _, _), values in zip(SHEETS, sums):
        print("  %s: %s" % (f, ", ".join(str(v) for v in values)))


if __name__ == "__main__":
    main(sys.argv)
