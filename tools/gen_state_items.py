"""Writes debugger_state_items.cpp: state_item_table, the 411 state items the
debugger scans (tools/state_items.py), each with its getter's enumerant
arguments as the registry's values. Checks the rows' count, the first row
of each fetch kind and that every argument is an OpenGL enumerant."""

import sys

import emit
import registry
import state_items

END = 0xFFFFFFFF


def check(rows, enums):
    bad = []
    if len(rows) != state_items.ITEM_COUNT:
        bad.append("%d items, expected %d" % (len(rows), state_items.ITEM_COUNT))
    first = {}
    for i, r in enumerate(rows):
        first.setdefault(r.kind, i)
        bad += ["%s: %s is no OpenGL enumerant" % (r.name, a) for a in r.args if a not in enums]
        if not 1 <= r.count <= 128:
            bad.append("%s: %d values" % (r.name, r.count))
    if first != state_items.KIND_FIRST_ROWS:
        bad.append("the kinds begin at rows %s, expected %s" % (first, state_items.KIND_FIRST_ROWS))
    kinds = [r.kind for r in rows]
    if kinds != sorted(kinds):
        bad.append("the rows are not grouped by fetch kind")
    if bad:
        sys.exit("state items: " + "; ".join(bad))


def main(out):
    enums = registry.registry()["enums"]
    rows = state_items.items()
    check(rows, enums)
    L = [emit.header(__file__, "tools/state_items.py"), '#include "debugger/debugger_tables.h"', "",
         "const StateItemDesc state_item_table[STATE_ITEMS] = {"]
    for i, r in enumerate(rows):
        args = [int(enums[a], 0) for a in r.args] + [END]
        args += [0] * (3 - len(args))
        L.append('    /* %3d */ {%d, {0x%X, 0x%X, 0x%X}, %d, %d, "%s"},' % (
            i, r.kind, args[0], args[1], args[2], state_items.DISPLAY[r.display], r.count, r.name))
    L.append("};")
    emit.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
