"""Writes debugger_enumerants.cpp: enumerant_table, the OpenGL enumerant names
the debugger shows values by (tools/enumerants.py), sorted by name in byte
order, with their values from the registry. Checks the count, the first and
last name and that each left-out name is one the sources give."""

import sys
import xml.etree.ElementTree as ET

import debugger_table
import enumerants


def required_enums(root, kind, names):
    """The enumerant names the registry's features or extensions require."""
    out = set()
    for node in root.iter(kind):
        if node.get("name") in names and node.get("api", "gl") in ("gl", "gl|gles1|gles2"):
            for req in node.findall("require"):
                out |= {e.get("name") for e in req.findall("enum")}
    return out


def main(out):
    root = ET.parse(debugger_table.table.REGISTRY).getroot()
    values = debugger_table.table.registry()["enums"]
    names = required_enums(root, "feature", enumerants.FEATURES)
    names |= required_enums(root, "extension", enumerants.EXTENSIONS)
    bad = ["%s is left out but no source gives it" % n for n in enumerants.LEFT_OUT if n not in names]
    rows = sorted(names - set(enumerants.LEFT_OUT), key=lambda n: n.encode())
    if len(rows) != enumerants.ROW_COUNT:
        bad.append("%d rows, expected %d" % (len(rows), enumerants.ROW_COUNT))
    if rows and (rows[0], rows[-1]) != (enumerants.FIRST, enumerants.LAST):
        bad.append("the rows run from %s to %s" % (rows[0], rows[-1]))
    if bad:
        sys.exit("enumerants: " + "; ".join(bad))
    L = [debugger_table.header(__file__), '#include "debugger/debugger_tables.h"', "",
         "const EnumerantRow enumerant_table[] = {"]
    L += ['    {0x%04X, "%s"},' % (int(values[n], 0), n) for n in rows]
    L += ["};", "const uint32_t enumerant_table_rows = %d;" % len(rows)]
    debugger_table.table.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
