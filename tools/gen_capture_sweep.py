"""Writes gls_capture_sweep.h for the capture tests: one call of every
opcode's default capture function with sample arguments, and the table of
those calls. The samples choose parameter names whose arrays are not empty,
so that every put of a record is exercised."""

import sys
import emit
import model
import pnames

# Parameter names whose value decides what the record holds.
BY_NAME = {
    "format": "GL_RGBA", "type": "GL_UNSIGNED_BYTE", "inFormat": "GL_T2F_V3F",
    "stride": "5", "order": "4", "ustride": "12", "uorder": "3", "vstride": "4", "vorder": "2",
    "width": "3", "height": "2", "depth": "2", "n": "3", "count": "3", "inCount": "3",
    "mapsize": "3", "range": "2", "size": "3", "mode": "GL_TRIANGLES",
}
# The pixel-store modes take one value each, so the table of parameter
# counts does not list them.
PIXEL_STORE = "GL_UNPACK_ALIGNMENT"


def widest_names():
    """Per command of the table of parameter counts, and per scalar form of
    one, the name that takes the most values."""
    widest = {}
    for family, commands, _ in pnames.FAMILIES:
        rows = [(n, name) for name, n, fams in pnames.COUNTS if family in fams.split()]
        if rows:
            for c in commands:
                widest[c] = max(rows, key=lambda r: r[0])[1]
    return widest


WIDEST = widest_names()
BY_COMMAND = {
    ("glsHeaderfv", "inAttrib"): "416", ("glsHeaderiv", "inAttrib"): "464",
    ("glCallLists", "type"): "GL_3_BYTES", ("glDrawElements", "type"): "GL_UNSIGNED_SHORT",
    ("glFeedbackBuffer", "type"): "GL_3D",
}
BY_TYPE = {
    "GLenum": "GL_RGBA", "GLint": "3", "GLsizei": "3", "GLuint": "7", "GLfloat": "1.5f",
    "GLclampf": "0.25f", "GLdouble": "2.5", "GLclampd": "0.75", "GLboolean": "GL_TRUE",
    "GLbitfield": "0x5", "GLushort": "0xF0F0", "GLSenum": "32", "GLSopcode": "55",
    "GLlong": "((GLlong)1 << 40)",
}


def sample(c, p):
    if (c.name, p.name) in BY_COMMAND:
        return BY_COMMAND[(c.name, p.name)]
    if p.pointer:
        if c.is_gls and p.base == "GLubyte":
            return "(const GLubyte *)\"tag1\""
        buffer = "sweepIn" if "const" in p.ctype else "sweepOut"
        return "(%s)%s" % (p.ctype, buffer)
    if p.name == "pname":
        for name in (c.name, c.name + "v"):
            if name in WIDEST:
                return WIDEST[name]
        if c.name.startswith("glPixelStore"):
            return PIXEL_STORE
    if p.name == "target" and c.name.startswith("glMap"):
        return "GL_MAP%s_VERTEX_3" % c.name[5]
    if p.name in BY_NAME:
        return BY_NAME[p.name]
    if p.base not in BY_TYPE:
        sys.exit("sweep: no sample for %s(%s)" % (c.name, p.name))
    return BY_TYPE[p.base]


def main(out):
    cmds, _ = model.load()
    L = [emit.header(__file__), "#pragma once", '#include "core/seam.h"', "",
         "// Sample arrays: read arguments point into sweepIn, outputs into sweepOut.",
         "alignas(16) static GLubyte sweepIn[1 << 14];",
         "alignas(16) static GLubyte sweepOut[1 << 14];", "",
         "struct CaptureSweep {", "    GLSopcode op;", "    const char *name;",
         "    void (*call)();", "};", ""]
    for op, c in sorted(cmds.items()):
        args = ", ".join(sample(c, p) for p in c.proto.params)
        L.append("static void sweep_%s() { __GLS_SLOT(__glsDefaultCaptureTable, %s)(%s); }"
                 % (c.name, c.name, args))
    L += ["", "static const CaptureSweep captureSweep[] = {"]
    L += ['    {%d, "%s", sweep_%s},' % (op, c.name, c.name) for op, c in sorted(cmds.items())]
    L.append("};")
    emit.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
