"""Writes gls_entry.cpp: the gl entry points. Dispatch stubs and internal entry
points call their opcode's slot in the thread's current table; scalar forms
pack their arguments and call the exported vector form; forwarders call the
internal entry point of their opcode."""

import sys
import table

PRELUDE = r'''
#include <string.h>
#include "core/context.h"
#include "core/startup.h"

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <winternl.h>
// GCC 12 takes the segment-relative read inside NtCurrentTeb for an access
// to a zero-length array.
#pragma GCC diagnostic ignored "-Warray-bounds"
// The first 64 slots live in the thread's environment block: reading one
// there spares every GL call a system call (and leaves the thread's last
// error alone, as TlsGetValue would not).
#define GLS_CONTEXT_TLS()                                                   \
    (__glsContextTLS < 64 ? NtCurrentTeb()->TlsSlots[__glsContextTLS]       \
                          : TlsGetValue((DWORD)__glsContextTLS))
#else
#define GLS_CONTEXT_TLS() __glsTlsGet(__glsContextTLS)
#endif

// The thread's table, chosen afresh at every call: a context made current or
// a capture opened between two calls takes effect at the next one.
static inline const __GLSfunc *__glsCurrentDispatch(void) {
    __GLScontext *ctx = (__GLScontext *)GLS_CONTEXT_TLS();
    return ctx ? ctx->dispatch : __glsDefaultDispatchTable;
}
'''


def same_width(ctype):
    return ctype.replace("GLenum", "GLint").replace("GLclampf", "GLfloat").replace("GLclampd", "GLdouble")


def dispatch_body(c):
    ret = "return " if c.proto.returns else ""
    return "{ %s__GLS_SLOT(__glsCurrentDispatch(), %s)(%s); }" % (ret, c.name, c.proto.arg_list())


def main(out):
    cmds, ex = table.load()
    L = [table.header(__file__), '#include "gls_functions.h"', PRELUDE, 'extern "C" {', ""]

    L.append("// Dispatch stubs.")
    for c in ex.stubs:
        L.append("%s %s" % (c.proto.decl(), dispatch_body(c)))

    L += ["", "// Internal entry points of the opcodes first known as extensions."]
    for c in ex.internal:
        # An internal entry point has the extension's own signature; where it
        # differs from the opcode's (GLenum for GLint), the values convert.
        own = table.reg_proto(c.alias) if c.alias else c.proto
        if [same_width(p.ctype) for p in own.params] != [same_width(p.ctype) for p in c.proto.params] \
                or own.ret != c.proto.ret:
            sys.exit("gen_entry: %s and %s differ in more than names of one type" % (c.alias, c.name))
        L.append("%s %s" % (own.decl(), dispatch_body(c).replace(
            "(%s)" % c.proto.arg_list(), "(%s)" % own.arg_list())))

    L += ["", "// Forwarders: exported ones first, then those nothing exports."]
    for c in ex.forwards + ex.internal_forwards:
        ret = "return " if c.proto.returns else ""
        L.append("%s { %s%s(%s); }" % (c.proto.decl(), ret, c.alias, c.proto.arg_list()))

    L += ["", "// Scalar forms: the arguments, bit for bit, in one array handed to the",
          "// exported vector form."]
    for proto, vec in ex.scalars:
        L.append(table.scalar_form(proto, proto.name, vec.name))
    L.append("\n}  // extern \"C\"")
    table.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
