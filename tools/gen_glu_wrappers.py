"""Writes debugger_glu.cpp: the wrapper of every GLU function the debugger
knows (ids 460 on), each the one GLU wrapper template (src/debugger/
glu_wrapper.h) instantiated with the function's index and own prototype
(tools/glu.py). Checks the description against the command table's GLU
names and their order, and its results against those expected."""

import sys

import commands
import emit
import glu
import registry


def load():
    protos = [registry.parse_proto(line)
              for line in glu.PROTOTYPES.strip().splitlines()]
    bad = []
    names = [p.name for p in protos]
    if names != list(commands.GLU):
        differ = sorted(set(names) ^ set(commands.GLU))
        bad.append("the description's names differ from the command table's: %s" % (
            ", ".join(differ) if differ else "their order"))
    for p in protos:
        want = glu.RESULTS.get(p.name, "void")
        if p.ret != want:
            bad.append("%s returns %s, expected %s" % (p.name, p.ret, want))
    if bad:
        sys.exit("glu: " + "; ".join(bad))
    return protos


def main(out):
    L = [emit.header(__file__, "tools/glu.py"), '#include "debugger/glu_wrapper.h"', "", 'extern "C" {', ""]
    for p in load():
        L.append("%s {" % p.decl("wrap_" + p.name))
        L.append("    return glu_body<GLU_%s, decltype(&wrap_%s)>(%s);" % (
            p.name, p.name, p.arg_list()))
        L.append("}")
    L += ["", '}  // extern "C"']
    emit.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
