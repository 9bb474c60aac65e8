"""Writes gls_null.cpp: the null command function of every defined opcode
(no effect, a zero result) and the table of them, and the default dispatch
table, whose GLS slots hold the GLS command implementations."""

import sys
import emit
import model


def main(out):
    cmds, _ = model.load()
    L = [emit.header(__file__), '#include "gls_functions.h"', '#include "api/gls_commands.h"', "",
         'extern "C" {', ""]
    for op, c in sorted(cmds.items()):
        p = c.proto
        params = ", ".join(x.ctype for x in p.params) or "void"
        body = "return 0; " if p.returns else ""
        L.append("%s GLSAPI __gls_null_%s(%s) { %s}" % (p.ret, c.name, params, body))
    L.append("")
    L += emit.function_table("__glsNullCommandFuncs", cmds, "__gls_null_")
    L.append("// The GLS slots hold the GLS command implementations; the GL slots are")
    L.append("// filled at process attach.")
    L.append("__GLSfunc __glsDefaultDispatchTable[GLS_OP_COUNT] = {")
    L += emit.slots(cmds, lambda c: "(__GLSfunc)__gls_exec_%s" % c.name if c.is_gls else "nullptr",
                     "nullptr")
    L.append("};\n")
    L.append("}  // extern \"C\"")
    emit.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
