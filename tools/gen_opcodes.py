"""Writes gls_opcodes.cpp: the opcode names, attribute bytes, aliases and the
opcode lists of the two programming interfaces."""

import sys
import emit
import model


def main(out):
    cmds, _ = model.load()
    L = [emit.header(__file__), '#include "gls_functions.h"', "", 'extern "C" {', ""]
    L.append("const char *const __glsOpNames[GLS_OP_COUNT] = {")
    L += emit.slots(cmds, lambda c: '"%s"' % c.name, "nullptr")
    L.append("};\n")
    L.append("const GLubyte __glsOpNameLengths[GLS_OP_COUNT] = {")
    L += emit.slots(cmds, lambda c: str(len(c.name)), "0")
    L.append("};\n")
    L.append("const GLubyte __glsOpAttributes[GLS_OP_COUNT] = {")
    L += emit.slots(cmds, lambda c: str(c.attrs), "0")
    L.append("};\n")
    L.append("const __GLSopAlias __glsOpAliases[__GLS_OP_ALIAS_COUNT] = {")
    L += ['    {%d, "%s"},' % (op, c.alias) for op, c in sorted(cmds.items()) if c.alias]
    L.append("};\n")
    for api, sel in (("GLS", lambda o: o < 48), ("GL", lambda o: o >= 48)):
        ops = [str(o) for o in sorted(cmds) if sel(o)]
        L.append("const GLSopcode __glsOpcodes%s[] = {" % api)
        for i in range(0, len(ops), 16):
            L.append("    " + ", ".join(ops[i:i + 16]) + ",")
        L.append("    0,\n};\n")
    L.append("}  // extern \"C\"")
    emit.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
