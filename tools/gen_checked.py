"""Writes gls_checked.cpp: the roads by which the debugger performs a command
through GLS. A checked-capture call per command name and alias reaches the
command's default capture function, but only while a capture is open; a
scalar packer per scalar form hands its arguments, as one array, to the
capture-dispatch entry of the vector form; a placeholder per wrapped SGI
command that has no opcode does nothing."""

import sys
import emit
import model


def checked(name, proto, c):
    refusal = " 0" if proto.returns else ""
    call = "__GLS_SLOT(__glsDefaultCaptureTable, %s)(%s)" % (c.name, proto.arg_list())
    return ["%s {" % proto.decl("__gls_checked_capture_" + name),
            "    if (!__glsRequireCapture()) return%s;" % refusal,
            "    %s%s;" % ("return " if proto.returns else "", call),
            "}"]


def main(out):
    cmds, ex = model.load()
    emit.check_locals([proto for proto, vec in ex.scalars], emit.SCALAR_LOCALS, ())
    L = [emit.header(__file__), '#include <string.h>', '#include "core/seam.h"',
         '#include "core/context.h"', "", 'extern "C" {', ""]
    for name, proto, c in model.checked_names(cmds):
        L += checked(name, proto, c)
    L.append("")
    for proto, vec in ex.scalars:
        L.append(emit.scalar_form(proto, "__gls_capture_dispatch_" + proto.name,
                                   "__gls_capture_dispatch_" + vec.name))
    L.append("")
    for proto in model.placeholders():
        params = ", ".join(p.ctype for p in proto.params) or "void"
        body = "return 0; " if proto.returns else ""
        L.append("%s GLSAPI __gls_null_capture_%s(%s) { %s}" % (proto.ret, proto.name, params, body))
    L.append("\n}  // extern \"C\"")
    emit.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
