"""Writes the size functions that depend only on a parameter name, from the
table of parameter counts (tools/pnames.py):

  gen_pname_sizes.py OUT.h     their declarations (included by client/size.h)
  gen_pname_sizes.py OUT.cpp   their definitions

Per family one function __gls<family>Count(pname), a switch over the
family's names; per command of a family its __glsSize_<command>, which
answers by it. The size functions that ask the GL stay in client/size.cpp."""

import sys

import emit
import model
import pnames


def families(cmds):
    """(family, its commands' model entries, default, [(count, [names])])."""
    by_name = {c.name: c for c in cmds.values()}
    counts = {f: {} for f, _, _ in pnames.FAMILIES}
    seen = set()
    for name, n, fams in pnames.COUNTS:
        for f in fams.split():
            if f not in counts:
                sys.exit("pnames: %s names the unknown family %s" % (name, f))
            if (name, f) in seen:
                sys.exit("pnames: %s is given twice for %s" % (name, f))
            seen.add((name, f))
            counts[f].setdefault(n, []).append(name)
    out = []
    for f, names, default in pnames.FAMILIES:
        for n in names:
            if n not in by_name:
                sys.exit("pnames: family %s names %s, which has no opcode" % (f, n))
        out.append((f, [by_name[n] for n in names], default, sorted(counts[f].items())))
    return out


def param(c):
    """The size function's parameter: the command's parameter name or
    attribute, in its own type."""
    p = next(p for p in c.proto.params if p.name in ("pname", "inAttrib"))
    return p.ctype


def main(out):
    cmds, _ = model.load()
    fams = families(cmds)
    header = out.endswith(".h")
    L = [emit.header(__file__, "tools/pnames.py")]
    if header:
        L += ["#pragma once", '#include "base/gls.h"', ""]
        for f, members, default, rows in fams:
            L.append("GLint __gls%sCount(GLenum pname);" % f)
            L += ["GLint __glsSize_%s(%s pname);" % (c.name, param(c)) for c in members]
        emit.write(out, L)
        return
    L += ['#include "client/size.h"', ""]
    for f, members, default, rows in fams:
        L.append("GLint __gls%sCount(GLenum pname) {" % f)
        if rows:
            L.append("    switch (pname) {")
            for n, names in rows:
                L += ["    case %s:" % name for name in names[:-1]]
                L.append("    case %s: return %d;" % (names[-1], n))
            L.append("    default: return %d;" % default)
            L.append("    }")
        else:
            L.append("    (void)pname;")
            L.append("    return %d;" % default)
        L.append("}")
        L += ["GLint __glsSize_%s(%s pname) { return __gls%sCount(pname); }" % (c.name, param(c), f)
              for c in members]
        L.append("")
    emit.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
