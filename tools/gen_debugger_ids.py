"""Writes debugger_ids.h: the debugger's command ids, one constant per GL
command id (ID_glAccum ...), and the first id and count of the GLU, GDI, wgl
and pbuffer names, with the index of each within its family."""

import sys

import commands
import emit
import model


def main(out):
    rows = model.load_debugger()
    L = [emit.header(__file__), "#pragma once", "", "enum DebuggerCommandId : unsigned {"]
    L += ["    ID_%s = %d," % (r.name, r.id) for r in rows]
    L += ["};", "", "enum {",
          "    GL_COMMAND_IDS = %d," % model.GL_IDS,
          "    GLU_ID_BASE = %d," % model.GLU_BASE,
          "    GLU_COUNT = %d," % len(commands.GLU),
          "    GDI_ID_BASE = %d," % model.GDI_BASE,
          "    GDI_COUNT = %d," % len(commands.GDI),
          "    WGL_ID_BASE = %d," % model.WGL_BASE,
          "    WGL_COUNT = %d," % len(commands.WGL),
          "    PBUFFER_ID_BASE = %d," % model.PBUFFER_BASE,
          "    PBUFFER_COUNT = %d," % len(commands.PBUFFER),
          "    COMMAND_NAME_COUNT = %d," % model.NAME_COUNT,
          "};", ""]
    for family, names in (("GLU", commands.GLU), ("GDI", commands.GDI),
                          ("WGL", [n for n, _ in commands.WGL]), ("PBUFFER", commands.PBUFFER)):
        L.append("// Index within the %s names." % family)
        L.append("enum {")
        L += ["    %s_%s = %d," % (family, n, i) for i, n in enumerate(names)]
        L += ["};", ""]
    emit.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
