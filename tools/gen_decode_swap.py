"""Writes gls_decode_swap.cpp: the byte-swapped decoder of every opcode and
their table. A swapped decoder walks the record that the capture function
wrote (the same puts, in the same order, as the native decoder reads),
reverses each field in place by its width, never a byte beyond the record,
and then hands the block to the native decoder of the opcode; commands
without arguments go straight to their call function.

The decoders fall into four classes, which the generator counts: no
arguments (15, and glPopClientAttrib, whose native decoder clears the
pixel-store flags), one fixed vector (75), fixed fields only (183) and
fields with variable parts (62)."""

import sys

import commands
import gen_decode
import table

CLASS_COUNTS = {"none": 15, "vector": 75, "fixed": 183, "variable": 62}
WIDTHS = {"GLshort": 2, "GLushort": 2, "GLint": 4, "GLuint": 4, "GLfloat": 4, "GLclampf": 4,
          "GLdouble": 8, "GLlong": 8}


def role_args(c, prefix):
    """The arguments of the first role word starting with prefix."""
    for role in c.roles.values():
        for w in table._words(role):
            if w.startswith(prefix + "("):
                return table._call_args(w)
    return None


def image_params(c):
    return [p for p in c.proto.params
            if any(w.startswith("image(") for w in table._words(c.roles.get(p.name, "")))]


def image_size(c, p, where):
    """The byte count of an image parameter: its command's size function
    applied to the fields it names, as the native decoder sizes it."""
    images = image_params(c)
    suffix = ""
    if len(images) > 1:
        suffix = "_" + p.name
    fn = "__glsSize_%s%s" % (c.name, suffix)
    if c.name == "glSeparableFilter2D":
        args = ["target", "format", "type", "width" if p.name == "row" else "height"]
    elif c.name == "glBitmap":
        args = ["width", "height"]
    elif c.name == "glPolygonStipple":
        args = []
    else:
        fmt, typ, w, h, d = role_args(c, "image")[:5]
        args = [fmt, typ, w] + ([h] if h != "1" else []) + ([d] if d != "0" else [])
    return "%s(%s)" % (fn, ", ".join(args + [where]))


class Swap:
    def __init__(self, c):
        self.c = c
        self.body = []
        self.read = set()  # parameters whose values later steps use
        self.variable = False

    def field(self, p, width):
        if width == 1:
            self.body.append("    __glsSwapSkip(&cursor, 1);")
        elif width == 8:
            self.body.append("    __glsSwapField8(&cursor);")
        elif p and p.base not in ("GLfloat", "GLclampf"):
            # A value that a later count or size may need.
            self.body.append("    [[maybe_unused]] const %s %s = (%s)__glsSwapField%d(&cursor);"
                             % (p.base, p.name, p.base, width))
        else:
            self.body.append("    __glsSwapField%d(&cursor);" % width)

    def array(self, width, count):
        self.variable = True
        if width == 1:
            self.body.append("    __glsSwapSkip(&cursor, %s);" % count)
        else:
            self.body.append("    __glsSwapArray(&cursor, %d, %s);" % (width, count))

    def string(self, p):
        self.body.append("    __glsSwapString(&cursor);")

    def image(self, p):
        c = self.c
        null = "null" in role_args(c, "image")
        where = "__glsSwapHere(&cursor)"
        size = image_size(c, p, "(flags & 1) ? nullptr : " + where if null else where)
        typ = role_args(c, "image")[1]
        if typ == "GL_BITMAP":
            self.body.append("    __glsSwapSkip(&cursor, __glsCount(%s));" % size)
        else:
            self.variable = True
            self.body.append("    __glsSwapTyped(&cursor, %s, __glsCount(%s));" % (typ, size))

    def lines(self):
        c = self.c
        outs = [0]
        params = c.proto.params
        images = image_params(c)
        if images:
            # Image records: the flags word, the other arguments, the images.
            self.body.append("    [[maybe_unused]] const GLuint flags = __glsSwapField4(&cursor);")
            params = [p for p in params if p not in images]
        for p in params:
            for put in table.param_puts(c, p, outs):
                self.put(p, put)
        for p in images:
            self.image(p)
        return self.body

    def put(self, p, put):
        c = self.c
        slot = put.slot
        if slot == "padInCommand":
            self.body.append("    __glsSwapSkip(&cursor, %s);" % put.args[0])
        elif slot == "putString":
            self.string(p)
            if p is not c.proto.params[-1]:
                self.variable = True
        elif slot in ("putOutArg", "putArrayPointer"):
            self.field(None, 8)
        elif put.size is None:
            word = table._words(c.roles[p.name])[0]
            kind, args = word.split("(")[0], table._call_args(word)
            if kind == "points":
                self.array(8 if p.base == "GLdouble" else 4,
                           "__glsCount(__glsSize_%s(target, %s))" % (c.name, ", ".join(args)))
            elif kind in ("lists", "indices"):
                self.variable = True
                self.body.append("    __glsSwapTyped(&cursor, %s, __glsCount(__glsSize_%s(%s)));"
                                 % (args[1], c.name, ", ".join(args)))
            else:
                sys.exit("swap: %s(%s): no swap for role %s" % (c.name, p.name, word))
        elif slot == "putVertexArrayData":
            self.variable = True
            self.body.append("    __glsSwapInterleaved(&cursor, %s, %s);" % (put.args[0], put.count[1]))
        elif slot in ("putGLfloatMatrix", "putGLdoubleMatrix"):
            self.array(WIDTHS[p.base], "16")
        elif p.pointer:
            count = put.count[1] if put.count else put.args[-2]
            self.array(WIDTHS.get(p.base, 1), count)
        else:
            size = int(put.size)
            self.field(p, size)


def classify(c, swap):
    if c.attrs & commands.NOARGS and c.name not in gen_decode.PIXEL_STORE_CHANGERS:
        return "none"
    if gen_decode.is_vector(c):
        return "vector"
    return "variable" if swap.variable else "fixed"


def main(out):
    cmds, _ = table.load()
    L = [table.header(__file__), "#include <stdint.h>", "", '#include "client/size.h"',
         '#include "read/decode_swap.h"', "", 'extern "C" {', ""]
    L.append("// The native decoders, after which each swapped one runs.")
    L += ["void GLSAPI __gls_decode_bin_%s(GLubyte *inoutPtr);" % c.name
          for op, c in sorted(cmds.items())
          if gen_decode.has_native(c) or gen_decode.is_vector(c)]
    L.append("")
    for c in cmds.values():
        if any(p.name in ("inoutPtr", "cursor", "flags") for p in c.proto.params):
            sys.exit("swap: a parameter of %s has the name of a decoder's own local" % c.name)
    classes = {k: 0 for k in CLASS_COUNTS}
    for op, c in sorted(cmds.items()):
        swap = Swap(c)
        body = [] if c.attrs & commands.NOARGS else swap.lines()
        kind = classify(c, swap)
        classes[kind] += 1
        L.append("void GLSAPI __gls_decode_bin_swap_%s(GLubyte *inoutPtr) {" % c.name)
        if kind == "none":
            L.append("    (void)inoutPtr;")
            L.append("    __GLS_SLOT(__glsGetContext()->callFuncs, %s)();" % c.name)
        elif c.attrs & commands.NOARGS:
            L.append("    __gls_decode_bin_%s(inoutPtr);" % c.name)
        else:
            L.append("    __GLSswapCursor cursor = __glsSwapBegin(__GLS_OP_%s, inoutPtr);" % c.name)
            L += body
            L.append("    __gls_decode_bin_%s(inoutPtr);" % c.name)
        L.append("}")
        L.append("")
    bad = ["%s: %d, expected %d" % (k, classes[k], CLASS_COUNTS[k])
           for k in CLASS_COUNTS if classes[k] != CLASS_COUNTS[k]]
    if bad:
        sys.exit("swap decoders: " + "; ".join(bad))
    L.append("const __GLSdecodeBinFunc __glsDispatchDecode_bin_swap[GLS_OP_COUNT] = {")
    L += table.slots(cmds, lambda c: "__gls_decode_bin_swap_" + c.name, "nullptr")
    L.append("};")
    L.append("}  // extern \"C\"")
    table.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
