"""Writes gls_functions.h: per opcode its constant, the exact function type of
its table slots, and the declarations of its null function and of the tables
that hold them."""

import sys
import table


def main(out):
    cmds, exports = table.load()
    L = [table.header(__file__), "#pragma once", '#include "base/gls.h"', "",
         'extern "C" {', "",
         "// The generic slot type; a slot is only ever called through the exact",
         "// function type of its opcode.",
         "typedef void (GLSAPI *__GLSfunc)(void);", ""]
    L.append("enum {")
    for op, c in sorted(cmds.items()):
        L.append("    __GLS_OP_%s = %d," % (c.name, op))
    L.append("};")
    L.append("")
    for op, c in sorted(cmds.items()):
        L.append(c.proto.functype(c.functype()))
    L.append("")
    for op, c in sorted(cmds.items()):
        L.append(c.proto.decl("__gls_null_" + c.name) + ";")
    L += ["", "// Capture-dispatch entries, their scalar packers, checked-capture calls",
          "// and capture placeholders."]
    for op, c in sorted(cmds.items()):
        L.append(c.proto.decl("__gls_capture_dispatch_" + c.name) + ";")
    for proto, vec in exports.scalars:
        L.append(proto.decl("__gls_capture_dispatch_" + proto.name) + ";")
    for name, proto, c in table.checked_names(cmds):
        L.append(proto.decl("__gls_checked_capture_" + name) + ";")
    for proto in table.placeholders():
        L.append(proto.decl("__gls_null_capture_" + proto.name) + ";")
    L += ["",
          "extern const char *const __glsOpNames[GLS_OP_COUNT];",
          "extern const GLubyte __glsOpAttributes[GLS_OP_COUNT];",
          "typedef struct { GLSopcode opcode; const char *name; } __GLSopAlias;",
          "enum { __GLS_OP_ALIAS_COUNT = %d };" % sum(1 for c in cmds.values() if c.alias),
          "extern const __GLSopAlias __glsOpAliases[__GLS_OP_ALIAS_COUNT];",
          "extern const GLSopcode __glsOpcodesGLS[];",
          "extern const GLSopcode __glsOpcodesGL[];",
          "enum { __GLS_OPCODES_GLS_COUNT = 30, __GLS_OPCODES_GL_COUNT = 305 };",
          "extern const __GLSfunc __glsNullCommandFuncs[GLS_OP_COUNT];",
          "",
          "// Calls slot `op` of a function table through the exact type of `name`.",
          "#define __GLS_SLOT(tablePtr, name) ((__GLSfunc_##name)(tablePtr)[__GLS_OP_##name])",
          "",
          "}  // extern \"C\""]
    table.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
