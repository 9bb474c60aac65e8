"""Writes gls_capture.cpp: the default capture function of every opcode and
the table __glsDefaultCaptureTable of them.

Every function is the one template: flags and the entry callback, the
execute step inside the capture-exec guard, the write step (counts,
alignment, beginCommand, one put per field of the record's layout,
endCommand, or, for a record of fixed size, the record stored whole where
the stream's byte order is the host's), the exit callback. A command
whose table row names a hand-written step gets that step in place of the
derived one, and nothing else differs:
  WRITE   the write step calls __glsCaptureWrite_<command> (capture_special.cpp)
          with the writer and the arguments, floating-point values by address
          so that no float register carries them;
  EXPAND  before all else, the vertex-array expander __glsCapture<Draw> may
          take the call over (vertex_arrays.cpp); glBegin's asks the GL for
          the arrays the elements until glEnd draw from, and never does."""

import sys

import commands
import emit
import layout
import model

FLOATS = ("GLfloat", "GLclampf", "GLdouble", "GLclampd")


def execute(c):
    """The execute step: a GLS command runs its implementation; a GL command
    runs inside the execute bracket, client-side ones through the mirror."""
    p = c.proto
    keep = "result = " if p.returns else ""
    if c.is_gls:
        return ["        %s__gls_exec_%s(%s);" % (keep, c.name, p.arg_list())]
    callee = ("__gls_client_%s" % c.name if c.attrs & commands.CLIENT
              else "__GLS_SLOT(__glsDefaultDispatchTable, %s)" % c.name)
    return ["        __glsCaptureExecEnter(ctx);",
            "        %s%s(%s);" % (keep, callee, p.arg_list()),
            "        __glsCaptureExecLeave(ctx);"]


def by_address(p):
    return not p.pointer and p.base in FLOATS


def hand_write_decl(c):
    """The prototype of a hand-written write step."""
    params = ["__GLSwriter *w"] + [
        "const %s *%s" % (p.base, p.name) if by_address(p)
        else "%s%s%s" % (p.ctype, "" if p.ctype.endswith("*") else " ", p.name)
        for p in c.proto.params]
    return "void __glsCaptureWrite_%s(%s)" % (c.name, ", ".join(params))


def native(record, op):
    """A record of fixed size stored whole where the stream's order is the
    host's: one room check, the header, the fields at their offsets, zero
    bytes up to the record's end. Where the writer cannot take it so, the
    put table writes it."""
    size = int(record.bytes)
    count = 4 + (size + 3) // 4 * 4
    L = ["        if (GLubyte *const p = __glsWriterNativeRecord(w, %s, %d)) {" % (op, count)]
    if size % 4:
        L.append("            memset(p + %d, 0, %d);" % (size, 4 - size % 4))
    L += ["            " + f.native_statement("p") for f in record.fields]
    L += ["            break;", "        }"]
    return L


def write(c):
    # The writer is read after the entry callback and the execute step,
    # either of which may have ended the capture: then nothing is written.
    if c.hand & commands.WRITE:
        args = ["ctx->writer"] + [("&" if by_address(p) else "") + p.name for p in c.proto.params]
        return ["    if ((flags & __GLS_CAPTURE_WRITE) && ctx->writer) __glsCaptureWrite_%s(%s);"
                % (c.name, ", ".join(args))]
    op = "__GLS_OP_" + c.name
    record = layout.of(c)
    # One pass of a loop, so that a refused record leaves it by break.
    L = ["    if (flags & __GLS_CAPTURE_WRITE) do {", "        __GLSwriter *w = ctx->writer;",
         "        if (!w) break;"]
    L += ["        const GLulong %s = %s;" % f.count for f in record.fields if f.count]
    if record.align is not None:
        L.append("        if (!w->put.alignCommand(w, %s)) break;" % record.align)
    if record.native:
        L += native(record, op)
    L.append("        if (!w->put.beginCommand(w, %s, %s)) break;" % (op, record.bytes))
    L += ["        " + f.statement() for f in record.fields]
    L.append("        w->put.endCommand(w);")
    L.append("    } while (0);")
    return L


def function(c):
    p = c.proto
    L = ["%s {" % p.decl("__gls_capture_" + c.name),
         "    __GLScontext *const ctx = __glsGetContext();"]
    if c.hand & commands.EXPAND:
        L.append("    if (ctx->captureVertexArrays && __glsCapture%s(%s)) return;"
                 % (c.name[2:], p.arg_list()))
    L.append("    const GLubyte flags = __glsCaptureEnter(ctx, __GLS_OP_%s);" % c.name)
    if p.returns:
        L.append("    %s result = 0;" % p.ret)
    L.append("    if (flags & __GLS_CAPTURE_EXECUTE) {")
    L += execute(c)
    L.append("    }")
    L += write(c)
    L.append("    __glsCaptureLeave(ctx, __GLS_OP_%s, flags);" % c.name)
    if p.returns:
        L.append("    return result;")
    L.append("}")
    return L


def main(out):
    cmds, _ = model.load()
    emit.check_locals(c.proto for c in cmds.values())
    L = [emit.header(__file__), '#include "capture/capture.h"', ""]
    # The write steps written by hand; C++ linkage, so that a definition with
    # other parameters fails to link.
    L += [hand_write_decl(c) + ";" for op, c in sorted(cmds.items()) if c.hand & commands.WRITE]
    L += ["", 'extern "C" {', ""]
    # What the execute steps call: the GLS command implementations and the
    # client-state functions.
    for op, c in sorted(cmds.items()):
        if c.is_gls:
            L.append(c.proto.decl("__gls_exec_" + c.name) + ";")
        elif c.attrs & commands.CLIENT:
            L.append(c.proto.decl("__gls_client_" + c.name) + ";")
    L.append("")
    for op, c in sorted(cmds.items()):
        L += function(c)
        L.append("")
    L += emit.function_table("__glsDefaultCaptureTable", cmds, "__gls_capture_")
    L.append("}  // extern \"C\"")
    emit.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
