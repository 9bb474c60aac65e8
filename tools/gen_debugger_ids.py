"""Writes debugger_ids.h: the debugger's command ids, one constant per GL
command id (ID_glAccum ...), and the first id and count of the GLU, GDI, wgl
and pbuffer names, with the index of each within its family."""

import sys

import commands
import debugger_table


def main(out):
    rows = debugger_table.load()
    L = [debugger_table.header(__file__), "#pragma once", "", "enum DebuggerCommandId : unsigned {"]
    L += ["    ID_%s = %d," % (r.name, r.id) for r in rows]
    L += ["};", "", "enum {",
          "    GL_COMMAND_IDS = %d," % debugger_table.GL_IDS,
          "    GLU_ID_BASE = %d," % debugger_table.GLU_BASE,
          "    GLU_COUNT = %d," % len(commands.GLU),
          "    GDI_ID_BASE = %d," % debugger_table.GDI_BASE,
          "    GDI_COUNT = %d," % len(commands.GDI),
          "    WGL_ID_BASE = %d," % debugger_table.WGL_BASE,
          "    WGL_COUNT = %d," % len(commands.WGL),
          "    PBUFFER_ID_BASE = %d," % debugger_table.PBUFFER_BASE,
          "    PBUFFER_COUNT = %d," % len(commands.PBUFFER),
          "    COMMAND_NAME_COUNT = %d," % debugger_table.NAME_COUNT,
          "};", ""]
    for family, names in (("GLU", commands.GLU), ("GDI", commands.GDI),
                          ("WGL", [n for n, _ in commands.WGL]), ("PBUFFER", commands.PBUFFER)):
        L.append("// Index within the %s names." % family)
        L.append("enum {")
        L += ["    %s_%s = %d," % (family, n, i) for i, n in enumerate(names)]
        L += ["};", ""]
    debugger_table.table.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
