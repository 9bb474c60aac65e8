"""Writes debugger_checks.cpp: the check of every command that has one
(commands.HOOKS), each handing the thread's debugger context and the
command's own arguments to its body (tools/hooks.py, src/debugger/analyses.h)."""

import sys

import emit
import hooks
import model


def main(out):
    rows = [r for r in model.load_debugger() if r.hook]
    bad = hooks.check([r.name for r in rows])
    if bad:
        sys.exit("hooks: " + "; ".join(bad))
    L = [emit.header(__file__, "tools/commands.py, tools/hooks.py"), '#include "debugger/analyses.h"', '#include "debugger_hooks.h"', "",
         'extern "C" {', ""]
    for r in rows:
        args = ", ".join(["ctx"] + [p.name for p in r.proto.params])
        L.append("%s { %s(%s); }" % (r.hook_decl(), hooks.body(r.name), args))
    L += ["", '}  // extern "C"']
    emit.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
