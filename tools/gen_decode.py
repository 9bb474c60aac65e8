"""Writes gls_decode_bin.cpp: the binary decoder tables. Commands without
arguments decode the same in both byte orders; the compact glBegin opcodes
1-10 of in-memory context streams decode to glBegin with mode opcode - 1."""

import sys
import table
import commands


def main(out):
    cmds, _ = table.load()
    noargs = [c for op, c in sorted(cmds.items()) if c.attrs & commands.NOARGS]
    L = [table.header(__file__), '#include "decode.h"', "", 'extern "C" {', ""]
    for c in noargs:
        L.append("static void GLSAPI __gls_decode_bin_swap_%s(GLubyte *) {" % c.name)
        L.append("    __GLS_SLOT(__glsGetContext()->callFuncs, %s)();" % c.name)
        L.append("}")
    L.append("")
    L.append("static void GLSAPI __gls_decode_bin_glPopClientAttrib(GLubyte *) {")
    L.append("    __GLS_SLOT(__glsGetContext()->callFuncs, glPopClientAttrib)();")
    L.append("}")
    for mode in range(10):
        L.append("static void GLSAPI __gls_decode_bin_glBegin_%d(GLubyte *) {" % mode)
        L.append("    __GLS_SLOT(__glsGetContext()->callFuncs, glBegin)(%d);" % mode)
        L.append("}")
    L.append("")
    native = {1 + m: "__gls_decode_bin_glBegin_%d" % m for m in range(10)}
    native[cmds_op(cmds, "glPopClientAttrib")] = "__gls_decode_bin_glPopClientAttrib"
    L.append("__GLSdecodeBinFunc __glsDispatchDecode_bin_default[GLS_OP_COUNT] = {")
    L += ["    /* %3d */ %s," % (op, native.get(op, "nullptr")) for op in range(table.OPCODE_COUNT)]
    L.append("};\n")
    swap = {c.op: "__gls_decode_bin_swap_" + c.name for c in noargs}
    L.append("const __GLSdecodeBinFunc __glsDispatchDecode_bin_swap[GLS_OP_COUNT] = {")
    L += ["    /* %3d */ %s," % (op, swap.get(op, "nullptr")) for op in range(table.OPCODE_COUNT)]
    L.append("};\n")
    L.append("}  // extern \"C\"")
    open(out, "w").write("\n".join(L) + "\n")


def cmds_op(cmds, name):
    return next(op for op, c in cmds.items() if c.name == name)


if __name__ == "__main__":
    main(sys.argv[1])
