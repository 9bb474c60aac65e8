"""Writes gls_enums.h: the GLS enumerant constants, from the same list of GLS
names and values that the name tables are made of."""

import sys
import emit
import names


def main(out):
    L = [emit.header(__file__), "#pragma once", "", "enum {"]
    L += ["    %s = %d," % (name, value) for value, name in names.GLS_ENUMS]
    L += ["};"]
    emit.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
