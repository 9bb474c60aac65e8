"""Writes gls_capture.cpp: the default capture function of every opcode whose
record the table derives, and the table __glsDefaultCaptureTable of all of
them (the hand-written ones live in src/gls/capture/capture_special.cpp).

Every function is the one template: flags and the entry callback, the
execute step, the write step (counts, alignment, beginCommand, one put per
argument, endCommand), the exit callback."""

import sys
import commands
import table

# Commands with an 8-byte value, all of which align their records.
ALIGNED_COMMANDS = 95


def execute(c):
    """The execute step: a GLS command runs its implementation; a GL command
    runs inside the execute bracket, client-side ones through the mirror."""
    p = c.proto
    keep = "result = " if p.returns else ""
    if c.is_gls:
        return ["        %s__gls_exec_%s(%s);" % (keep, c.name, p.arg_list())]
    callee = ("__gls_client_%s" % c.name if c.attrs & commands.CLIENT
              else "__GLS_SLOT(__glsDefaultDispatchTable, %s)" % c.name)
    return ["        const GLint token = __glsBeginCaptureExec(__GLS_OP_%s);" % c.name,
            "        %s%s(%s);" % (keep, callee, p.arg_list()),
            "        __glsEndCaptureExec(__GLS_OP_%s, token);" % c.name]


def write(c, puts):
    op = "__GLS_OP_" + c.name
    L = ["        __GLSwriter *w = ctx->writer;"]
    L += ["        const GLulong %s = %s;" % put.count for put in puts if put.count]
    phase = table.align_phase(puts)
    if phase is not None:
        L.append("        if (!w->put.alignCommand(w, %s)) break;" % phase)
    L.append("        if (!w->put.beginCommand(w, %s, %s)) break;" % (op, table.arg_bytes(puts)))
    L += ["        w->put.%s(%s);" % (put.slot, ", ".join(["w"] + put.args)) for put in puts]
    L.append("        w->put.endCommand(w);")
    return L


def function(c):
    p = c.proto
    puts = table.capture_puts(c)
    L = ["%s {" % p.decl("__gls_capture_" + c.name),
         "    __GLScontext *const ctx = __glsGetContext();",
         "    const GLubyte flags = __glsCaptureEnter(ctx, __GLS_OP_%s);" % c.name]
    if p.returns:
        L.append("    %s result = 0;" % p.ret)
    L.append("    if (flags & __GLS_CAPTURE_EXECUTE) {")
    L += execute(c)
    L.append("    }")
    # One pass of a loop, so that a refused record leaves it by break.
    L.append("    if (flags & __GLS_CAPTURE_WRITE) do {")
    L += write(c, puts)
    L.append("    } while (0);")
    L.append("    __glsCaptureLeave(ctx, __GLS_OP_%s, flags);" % c.name)
    if p.returns:
        L.append("    return result;")
    L.append("}")
    return L


def main(out):
    cmds, _ = table.load()
    aligned = sum(1 for c in cmds.values()
                  if table.align_phase(table.capture_puts(c)) is not None)
    if aligned != ALIGNED_COMMANDS:
        sys.exit("capture: %d commands align their records, expected %d"
                 % (aligned, ALIGNED_COMMANDS))
    L = [table.header(__file__), '#include "capture/capture.h"', "", 'extern "C" {', ""]
    # What the execute steps call: the GLS command implementations and the
    # client-state functions.
    for op, c in sorted(cmds.items()):
        if c.is_gls:
            L.append(c.proto.decl("__gls_exec_" + c.name) + ";")
        elif c.attrs & commands.CLIENT:
            L.append(c.proto.decl("__gls_client_" + c.name) + ";")
    L.append("")
    for op, c in sorted(cmds.items()):
        if c.hand:
            L.append(c.proto.decl("__gls_capture_" + c.name) + ";")
    L.append("")
    for op, c in sorted(cmds.items()):
        if not c.hand:
            L += function(c)
            L.append("")
    L += table.function_table("__glsDefaultCaptureTable", cmds, "__gls_capture_")
    L.append("}  // extern \"C\"")
    table.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
