"""Writes gls_enums.h: the GLS enumerant constants and image-flags bits, from
the same lists of GLS names and values that the name tables are made of, and
the counts of those tables."""

import sys
import emit
import names


def main(out):
    L = [emit.header(__file__), "#pragma once", "", "enum {"]
    L += ["    %s = %d," % (name, value) for value, name in names.GLS_ENUMS]
    # The image-flags bits that are not also enumerants.
    known = {name for _, name in names.GLS_ENUMS}
    L += ["    %s = 0x%X," % (name, value) for value, name in names.IMAGE_FLAGS if name not in known]
    L += ["};", "", "// The counts the name tables are built for, checked when they are made."]
    L += ["enum {"] + ["    %s = %d,  // %s" % (n, v, what) for n, what, v in names.COUNTS] + ["};"]
    emit.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
