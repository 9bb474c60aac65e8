"""Writes gl_prototypes.h: the prototypes of the 336 exported gl entry points,
for programs that call them without the platform's GL header."""

import sys

import table


def main(out):
    cmds, ex = table.load()
    protos = {c.name: c.proto for c in ex.stubs + ex.forwards}
    protos.update({p.name: p for p, _ in ex.scalars})
    L = [table.header(__file__), "#pragma once", '#include "base/gls.h"', "", 'extern "C" {']
    L += ["%s;" % protos[n].decl() for n in ex.gl_names]
    L.append('}  // extern "C"')
    table.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
