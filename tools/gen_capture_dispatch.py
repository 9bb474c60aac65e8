"""Writes gls_capture_dispatch.cpp: the capture-dispatch entry of every
defined opcode, the table of them, and the guard around real GL calls.

A GLS command always goes to the context's capture function. A GL command
goes to the real function instead while a real call is already running on
the thread (the guard is up), so that GL calls made by the real library or by
GLS on its own behalf are executed and never captured. Each entry reads the
thread's context once, in place, and raises the guard on it directly."""

import sys
import emit
import model


def entry(c):
    p = c.proto
    name = "__gls_capture_dispatch_%s" % c.name
    args = p.arg_list()
    L = ["%s {" % p.decl(name), "    __GLScontext *ctx = __glsGetContext();"]
    if not c.is_gls:
        L.append("    if (ctx->captureExecDepth) {")
        L.append("        __glsCaptureExecEnter(ctx);")
        call = "__GLS_SLOT(__glsDefaultDispatchTable, %s)(%s)" % (c.name, args)
        if p.returns:
            L.append("        %s result = %s;" % (p.ret, call))
        else:
            L.append("        %s;" % call)
        L.append("        __glsCaptureExecLeave(ctx);")
        L.append("        return%s;" % (" result" if p.returns else ""))
        L.append("    }")
    call = "__GLS_SLOT(ctx->captureFuncs, %s)(%s)" % (c.name, args)
    L.append("    %s%s;" % ("return " if p.returns else "", call))
    L.append("}")
    return L


def main(out):
    cmds, _ = model.load()
    emit.check_locals(c.proto for c in cmds.values())
    L = [emit.header(__file__), '#include "core/seam.h"', '#include "core/context.h"', "",
         'extern "C" {', "",
         "GLint __glsBeginCaptureExec(GLSopcode opcode) {",
         "    __glsCaptureExecEnter(__glsGetContext());",
         "    return 0;",
         "}", "",
         "void __glsEndCaptureExec(GLSopcode opcode, GLint token) {",
         "    __glsCaptureExecLeave(__glsGetContext());",
         "}", ""]
    for op, c in sorted(cmds.items()):
        L += entry(c)
        L.append("")
    L += emit.function_table("__glsDispatchCapture", cmds, "__gls_capture_dispatch_")
    L.append("}  // extern \"C\"")
    emit.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
