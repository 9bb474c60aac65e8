"""Writes debugger_hooks.h: the prototype of the check each checked GL
command's wrapper calls after the call, with the thread's debugger context
and the command's own arguments."""

import sys

import debugger_table


def main(out):
    rows = debugger_table.load()
    L = [debugger_table.header(__file__), "#pragma once", '#include "gls_functions.h"', "",
         "struct DebugThreadContext;", "", 'extern "C" {']
    L += ["%s;" % r.hook_decl() for r in rows if r.hook]
    L.append('}  // extern "C"')
    debugger_table.table.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
