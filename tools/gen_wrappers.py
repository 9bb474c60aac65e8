"""Writes debugger_wrappers.cpp: the wrapper of every GL command id, each the
one wrapper template (src/debugger/wrapper.h) instantiated with the row's id,
opcode, capture call, check and whether its text may be long, and wrapper_table, the installation order of
the wrappers as capture functions of their opcodes."""

import sys

import emit
import model


def main(out):
    rows = model.load_debugger()
    L = [emit.header(__file__), '#include "debugger/wrapper.h"', '#include "debugger_hooks.h"', "",
         'extern "C" {', ""]
    for r in rows:
        p = r.proto
        hook = "check_" + r.name if r.hook else "nullptr"
        L.append("%s {" % p.decl("wrap_" + r.name))
        L.append("    return wrapper_body<ID_%s, %d, %s, %s, %s>(%s);" % (
            r.name, r.op, r.capture, hook, "true" if r.long_text else "false", p.arg_list()))
        L.append("}")
    L += ["", "}  // extern \"C\"", "",
          "const WrapperEntry wrapper_table[GL_COMMAND_IDS] = {"]
    L += ["    {%d, (__GLSfunc)wrap_%s}," % (r.op, r.name) for r in model.wrapper_order(rows)]
    L.append("};")
    emit.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
