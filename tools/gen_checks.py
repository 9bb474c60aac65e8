"""Writes debugger_checks.cpp: the check of every command that has one
(commands.HOOKS), each handing the thread's debugger context and the
command's own arguments to its body (tools/hooks.py, src/debugger/analyses.h)."""

import sys

import debugger_table
import hooks


def main(out):
    rows = [r for r in debugger_table.load() if r.hook]
    bad = hooks.check([r.name for r in rows])
    if bad:
        sys.exit("hooks: " + "; ".join(bad))
    L = [debugger_table.header(__file__), '#include "debugger/analyses.h"', '#include "debugger_hooks.h"', "",
         'extern "C" {', ""]
    for r in rows:
        args = ", ".join(["ctx"] + [p.name for p in r.proto.params])
        L.append("%s { %s(%s); }" % (r.hook_decl(), hooks.body(r.name), args))
    L += ["", '}  // extern "C"']
    debugger_table.table.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
