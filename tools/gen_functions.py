"""Writes gls_functions.h: per opcode its constant, the exact function type of
its table slots, and the declarations of its null function and of the tables
that hold them."""

import sys
import emit
import layout
import model


def main(out):
    cmds, exports = model.load()
    # The counts of the records are the layout's to check. This header names
    # every count, so each must be checked by the model or the layout.
    layout.check(cmds)
    named = {name for name, _, _ in model.COUNTS}
    unchecked = named - set(model.counted(cmds, exports)) - set(layout.counted(cmds))
    if unchecked:
        sys.exit("gen_functions: counts nothing checks: " + ", ".join(sorted(unchecked)))
    L = [emit.header(__file__), "#pragma once", '#include "base/gls.h"', "",
         'extern "C" {', "",
         "// The generic slot type; a slot is only ever called through the exact",
         "// function type of its opcode.",
         "typedef void (GLSAPI *__GLSfunc)(void);", ""]
    L.append("enum {")
    for op, c in sorted(cmds.items()):
        L.append("    __GLS_OP_%s = %d," % (c.name, op))
    L.append("};")
    L.append("")
    L.append("// The bits of an opcode's attributes (__glsOpAttributes).")
    L.append("enum {")
    L += ["    %s = %d," % a for a in model.ATTRIBUTES]
    L.append("};")
    L.append("")
    L.append("// The counts the command table is built for, checked when it is read.")
    L.append("enum {")
    L += ["    %s = %d,  // %s" % (name, n, what) for name, what, n in model.COUNTS]
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
    for name, proto, c in model.checked_names(cmds):
        L.append(proto.decl("__gls_checked_capture_" + name) + ";")
    for proto in model.placeholders():
        L.append(proto.decl("__gls_null_capture_" + proto.name) + ";")
    L += ["",
          "extern const char *const __glsOpNames[GLS_OP_COUNT];",
          "// The length of each name, 0 where there is none.",
          "extern const GLubyte __glsOpNameLengths[GLS_OP_COUNT];",
          "extern const GLubyte __glsOpAttributes[GLS_OP_COUNT];",
          "typedef struct { GLSopcode opcode; const char *name; } __GLSopAlias;",
          "extern const __GLSopAlias __glsOpAliases[__GLS_OP_ALIAS_COUNT];",
          "extern const GLSopcode __glsOpcodesGLS[];",
          "extern const GLSopcode __glsOpcodesGL[];",
          "extern const __GLSfunc __glsNullCommandFuncs[GLS_OP_COUNT];",
          "",
          "// Calls slot `op` of a function table through the exact type of `name`.",
          "#define __GLS_SLOT(tablePtr, name) ((__GLSfunc_##name)(tablePtr)[__GLS_OP_##name])",
          "",
          "}  // extern \"C\""]
    emit.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
