"""Writes debugger_names.cpp: command_name_table, the debugger's 554 command
names by id, and command_opcode_table, the GLS opcode of each GL command id."""

import sys

import emit
import model


def main(out):
    rows = model.load_debugger()
    L = [emit.header(__file__), '#include "debugger/debugger_tables.h"', "",
         "const char *const command_name_table[COMMAND_NAME_COUNT] = {"]
    L += ["    /* %3d */ %s," % (i, '"%s"' % n if n else "nullptr")
          for i, n in enumerate(model.debugger_names(rows))]
    L += ["};", "", "const unsigned command_opcode_table[GL_COMMAND_IDS] = {"]
    L += ["    /* %3d */ %d,  // %s" % (r.id, r.op, r.name) for r in rows]
    L.append("};")
    emit.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
