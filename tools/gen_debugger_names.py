"""Writes debugger_names.cpp: command_name_table, the debugger's 554 command
names by id, and command_opcode_table, the GLS opcode of each GL command id."""

import sys

import debugger_table


def main(out):
    rows = debugger_table.load()
    L = [debugger_table.header(__file__), '#include "debugger/debugger_tables.h"', "",
         "const char *const command_name_table[COMMAND_NAME_COUNT] = {"]
    L += ["    /* %3d */ %s," % (i, '"%s"' % n if n else "nullptr")
          for i, n in enumerate(debugger_table.names(rows))]
    L += ["};", "", "const unsigned command_opcode_table[GL_COMMAND_IDS] = {"]
    L += ["    /* %3d */ %d,  // %s" % (r.id, r.op, r.name) for r in rows]
    L.append("};")
    debugger_table.table.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
