"""Writes debugger_hooks.h: the prototype of the check each checked GL
command's wrapper calls after the call, with the thread's debugger context
and the command's own arguments."""

import sys

import emit
import model


def main(out):
    rows = model.load_debugger()
    L = [emit.header(__file__), "#pragma once", '#include "gls_functions.h"', "",
         "struct DebugThreadContext;", "", 'extern "C" {']
    L += ["%s;" % r.hook_decl() for r in rows if r.hook]
    L.append('}  // extern "C"')
    emit.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
