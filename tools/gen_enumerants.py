"""Writes debugger_enumerants.cpp: enumerant_table, the OpenGL enumerant names
the debugger shows values by (tools/enumerants.py), sorted by name in byte
order, with their values from the registry. Checks the count, the first and
last name and that each left-out name is one the sources give."""

import sys

import emit
import enumerants
import registry


def main(out):
    values = registry.registry()["enums"]
    names = registry.required_enums(enumerants.FEATURES + enumerants.EXTENSIONS)
    bad = ["%s is left out but no source gives it" % n for n in enumerants.LEFT_OUT if n not in names]
    rows = sorted(names - set(enumerants.LEFT_OUT), key=lambda n: n.encode())
    if len(rows) != enumerants.ROW_COUNT:
        bad.append("%d rows, expected %d" % (len(rows), enumerants.ROW_COUNT))
    if rows and (rows[0], rows[-1]) != (enumerants.FIRST, enumerants.LAST):
        bad.append("the rows run from %s to %s" % (rows[0], rows[-1]))
    if bad:
        sys.exit("enumerants: " + "; ".join(bad))
    L = [emit.header(__file__, "tools/enumerants.py"), '#include "debugger/debugger_tables.h"', "",
         "const EnumerantRow enumerant_table[] = {"]
    L += ['    {0x%04X, "%s"},' % (int(values[n], 0), n) for n in rows]
    L += ["};", "const uint32_t enumerant_table_rows = %d;" % len(rows)]
    emit.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
