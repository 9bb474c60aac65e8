"""Writes fuzz_gl.cpp: the GL of the fuzz harnesses (tests/fuzz). Every GL
command that is handed an array reads all of it, as many bytes as its
arguments say, and every command with an output writes all the bytes it
would write, so that AddressSanitizer sees a decoder that hands the GL less
than the command's arguments ask for. The byte counts are the GL's own:
tests/fuzz/fuzz_gl.h computes them in 64 bits from the arguments, without
the codec's size rules, which give 0 where a count does not fit and so
cannot be the measure of what a decoder must provide.

This GL keeps no state: its queries answer zeros, so the outputs a GL sizes
by its own state (texture, filter and table images, pixel maps, control
points) take nothing. A client array pointer is not read when it is handed
over, and so not here either."""

import sys

import emit
import gen_decode
import gen_pname_sizes
import model
import pnames

# Outputs whose size is not a parameter name's count: what this GL writes.
STATE_OUTPUTS = {
    "glReadPixels": "fuzz_gl::pixelBytes(format, type, width, height, 1)",
    "glGetMinmax": "fuzz_gl::pixelBytes(format, type, 2, 1, 1)",
    "glGetPolygonStipple": "fuzz_gl::pixelBytes(GL_COLOR_INDEX, GL_BITMAP, 32, 32, 1)",
    "glGetMapdv": "8 * fuzz_gl::mapQueryValues(target, query)",
    "glGetMapfv": "4 * fuzz_gl::mapQueryValues(target, query)",
    "glGetMapiv": "4 * fuzz_gl::mapQueryValues(target, query)",
}
STATELESS = ("glGetPixelMapfv", "glGetPixelMapuiv", "glGetPixelMapusv", "glGetTexImage",
             "glGetConvolutionFilter", "glGetSeparableFilter", "glGetHistogram",
             "glGetColorTable")


def name_counts(cmds):
    """Per family of tools/pnames.py the GL's count of a parameter name, and
    the family of each command. A name the table does not list takes the
    family's count, but a query writes one value for it, as a GL does for
    the many names of one value the table leaves out; the codec's query
    size gives room for the most any name takes instead."""
    L, family = [], {}
    for f, members, default, rows in gen_pname_sizes.families(cmds):
        if all(c.is_gls for c in members):
            continue
        for c in members:
            family[c.name] = f
        L.append("GLulong count%s(GLenum pname) {" % f)
        L.append("    switch (pname) {")
        for n, names in rows:
            L += ["    case %s:" % name for name in names]
            L.append("        return %d;" % n)
        L.append("    default: return %d;" % (1 if default == pnames.MAX_VALUES else default))
        L.append("    }")
        L.append("}")
        L.append("")
    return L, family


def bytes_of(c, r, family):
    """The bytes the GL reads from or writes to the array of role r, as a C
    expression, or None for a role that is no array the GL touches now."""
    p = r.param
    if isinstance(r, model.Matrix):
        return "16 * %s" % gen_decode.element_bytes(c, p)
    if isinstance(r, model.Image):
        extents = [e if e != "0" else "1" for e in (r.width, r.height, r.depth)]
        return "fuzz_gl::pixelBytes(%s, %s, %s)" % (r.format, r.type, ", ".join(extents))
    if isinstance(r, model.Points):
        return "%s * fuzz_gl::mapValues(target, %s)" % (
            gen_decode.element_bytes(c, p), ", ".join(r.args + (["0", "1"] if len(r.args) == 2 else [])))
    if isinstance(r, model.Lists):
        return "fuzz_gl::listBytes(%s, %s)" % (r.n, r.type)
    if isinstance(r, model.Indices):
        return "fuzz_gl::indexBytes(%s, %s)" % (r.count, r.type)
    if isinstance(r, (model.Array, model.OutPointer)):
        n = r.length
        if isinstance(r, model.OutPointer) and n.kind == "size":
            if c.name in STATE_OUTPUTS:
                return STATE_OUTPUTS[c.name]
            if c.name in STATELESS:
                return "0"
        if n.kind == "size" and n.args != ["pname"]:
            sys.exit("fuzz_gl: %s(%s): no size of its own" % (c.name, r.name))
        values = (n.args[0] if n.kind == "fixed" else
                  "fuzz_gl::count(%s)" % n.args[0] if n.kind == "count" else
                  "count%s(pname)" % family[c.name])
        return "%s * %s" % (values, gen_decode.element_bytes(c, p))
    return None


def function(c, family):
    """The command's stand-in, or None when it touches no array."""
    body = []
    for r in c.roles:
        size = bytes_of(c, r, family)
        if size is None:
            continue
        verb = "write" if isinstance(r, model.OutPointer) else "read"
        # A null image of a command that takes one is no image at all.
        guard = "if (%s) " % r.name if isinstance(r, model.Image) and r.null else ""
        body.append("    %sfuzz_gl::%s(%s, %s);" % (guard, verb, r.name, size))
    if not body:
        return None
    proto = c.proto
    L = ["%s {" % proto.decl("fake_" + c.name)]
    L += body
    if proto.ret != "void":
        L.append("    return 0;")
    L.append("}")
    return L


def main(out):
    cmds, _ = model.load()
    L = [emit.header(__file__, "tools/commands.py, tools/pnames.py"), '#include "fuzz_gl.h"', "",
         "namespace {", ""]
    counts, family = name_counts(cmds)
    L += counts
    names = []
    for op, c in sorted(cmds.items()):
        if c.is_gls:
            continue
        f = function(c, family)
        if f:
            L += f + [""]
            names.append(c.name)
    L.append("}  // namespace")
    L.append("")
    L.append("void fuzz_gl::install() {")
    L += ["    __glsDefaultDispatchTable[__GLS_OP_%s] = (__GLSfunc)fake_%s;" % (n, n) for n in names]
    L.append("}")
    emit.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
