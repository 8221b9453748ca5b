#!/usr/bin/env python3
"""Writes events/maze3d/rc_level_areas.inc: the navigation areas the game
keeps for its three maze levels, read from the generated "maze/gridN.nod"
files of a data set (their area tables). Run it after a change to the level
generator; the generator refuses levels whose areas differ from the kept
ones, and tests/maze3d checks the generated files against them.

    scripts/maze_kept_areas.py build/test/gamedata/data
"""
import os
import struct
import sys


def areas_of(path):
    b = open(path, "rb").read()
    n = struct.unpack_from("<I", b, 0)[0]
    at = 292 + 32 * n
    count = struct.unpack_from("<I", b, at)[0]
    return [struct.unpack_from("<4i", b, at + 4 + 16 * k) for k in range(count)]


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    data = sys.argv[1]
    levels = [areas_of(os.path.join(data, "maze", "grid%d.nod" % (n + 1))) for n in range(3)]
    out = ["// Made by scripts/maze_kept_areas.py from the generated navigation files:",
           "// the areas of the three levels, area k belonging to node k.",
           "constexpr int kAreaCounts[3] = {%s};" % ", ".join(str(len(a)) for a in levels),
           "constexpr int32_t kAreas[3][210][4] = {"]
    for n, areas in enumerate(levels):
        out.append("    {  // level %d" % (n + 1))
        for a in areas:
            out.append("        {%d, %d, %d, %d}," % a)
        out.append("    },")
    out.append("};")
    here = os.path.dirname(os.path.abspath(__file__))
    target = os.path.join(here, "..", "events", "maze3d", "rc_level_areas.inc")
    with open(target, "w") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
