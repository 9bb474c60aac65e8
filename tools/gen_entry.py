"""Writes gls_entry.cpp: the gl entry points, or gls_entry.h: their
prototypes. Dispatch stubs and internal entry points call their opcode's
slot in the thread's current table; scalar forms pack their arguments and
call the exported vector form; forwarders call the internal entry point of
their opcode."""

import sys
import emit
import model
import registry

PRELUDE = r'''
#include <string.h>
#include "core/context.h"
#include "core/startup.h"

// The thread's table, chosen afresh at every call: a context made current or
// a capture opened between two calls takes effect at the next one.
static inline const __GLSfunc *__glsCurrentDispatch(void) {
    __GLScontext *ctx = __glsGetContext();
    return ctx ? ctx->dispatch : __glsDefaultDispatchTable;
}
'''


def same_width(ctype):
    return ctype.replace("GLenum", "GLint").replace("GLclampf", "GLfloat").replace("GLclampd", "GLdouble")


def dispatch_body(c):
    ret = "return " if c.proto.returns else ""
    return "{ %s__GLS_SLOT(__glsCurrentDispatch(), %s)(%s); }" % (ret, c.name, c.proto.arg_list())


def entry_points(ex):
    """(section comment, [(prototype, definition)]) of every gl entry point."""
    stubs = [(c.proto, "%s %s" % (c.proto.decl(), dispatch_body(c))) for c in ex.stubs]
    internal = []
    for c in ex.internal:
        # An internal entry point has the extension's own signature; where it
        # differs from the opcode's (GLenum for GLint), the values convert.
        own = registry.proto(c.alias) if c.alias else c.proto
        if [same_width(p.ctype) for p in own.params] != [same_width(p.ctype) for p in c.proto.params] \
                or own.ret != c.proto.ret:
            sys.exit("gen_entry: %s and %s differ in more than names of one type" % (c.alias, c.name))
        internal.append((own, "%s %s" % (own.decl(), dispatch_body(c).replace(
            "(%s)" % c.proto.arg_list(), "(%s)" % own.arg_list()))))
    forwards = []
    for c in ex.forwards + ex.internal_forwards:
        ret = "return " if c.proto.returns else ""
        forwards.append((c.proto, "%s { %s%s(%s); }" % (c.proto.decl(), ret, c.alias,
                                                         c.proto.arg_list())))
    emit.check_locals([proto for proto, vec in ex.scalars], emit.SCALAR_LOCALS, ())
    scalars = [(proto, emit.scalar_form(proto, proto.name, vec.name)) for proto, vec in ex.scalars]
    return [(["// Dispatch stubs."], stubs),
            (["// Internal entry points of the opcodes first known as extensions."], internal),
            (["// Forwarders: exported ones first, then those nothing exports."], forwards),
            (["// Scalar forms: the arguments, bit for bit, in one array handed to the",
              "// exported vector form."], scalars)]


def main(out):
    """OUT.cpp: the entry points; OUT.h: their prototypes, for the programs
    that call them by name (the tests)."""
    cmds, ex = model.load()
    sections = entry_points(ex)
    if out.endswith(".h"):
        L = [emit.header(__file__), "#pragma once", '#include "gls_functions.h"', "",
             'extern "C" {']
        for comment, entries in sections:
            L += [""] + comment + [proto.decl() + ";" for proto, _ in entries]
        L.append("\n}  // extern \"C\"")
        emit.write(out, L)
        return
    L = [emit.header(__file__), '#include "gls_functions.h"', PRELUDE, 'extern "C" {', ""]
    for i, (comment, entries) in enumerate(sections):
        L += ([""] if i else []) + comment + [definition for _, definition in entries]
    L.append("\n}  // extern \"C\"")
    emit.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
