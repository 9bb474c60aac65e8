"""Writes gls_decode_swap.cpp: the byte-swapped decoder of every opcode and
their table. A swapped decoder walks the fields of the command's record
(tools/layout.py) in order, reverses each in place by its width, never a
byte beyond the record, and then hands the block to the native decoder of
the opcode; commands without arguments go straight to their call function.

The decoders fall into four classes, which the generator counts: no
arguments (15; glPopClientAttrib, whose native decoder clears the
pixel-store flags, is not among them), one fixed vector (75), fixed fields
only (183) and fields with variable parts (62)."""

import sys

import commands
import emit
import gen_decode
import layout
import model

CLASS_COUNTS = {"none": 15, "vector": 75, "fixed": 183, "variable": 62}
# The decoders' own locals beside those every generated function has.
OWN = ("cursor", "imageFlags")


def width_of(p):
    return int(gen_decode.ELEMENT_BYTES[p.base])


class Swap:
    def __init__(self, c):
        self.c = c
        self.body = []
        self.variable = False  # a part whose size or place the record's fields tell

    def value(self, p, width):
        """A scalar field; its value is kept for a later count or size."""
        if width == 1:
            self.body.append("    __glsSwapSkip(&cursor, 1);")
        elif width == 8:
            self.body.append("    __glsSwapField8(&cursor);")
        elif p.base in ("GLfloat", "GLclampf"):
            self.body.append("    __glsSwapField4(&cursor);")
        else:
            self.body.append("    [[maybe_unused]] const %s %s = (%s)__glsSwapField%d(&cursor);"
                             % (p.base, p.name, p.base, width))

    def array(self, width, count):
        self.variable = True
        if width == 1:
            self.body.append("    __glsSwapSkip(&cursor, %s);" % count)
        else:
            self.body.append("    __glsSwapArray(&cursor, %d, %s);" % (width, count))

    def typed(self, type, bytes):
        self.variable = True
        self.body.append("    __glsSwapTyped(&cursor, %s, %s);" % (type, bytes))

    def image(self, f):
        r = f.role
        where = "__glsSwapHere(&cursor)"
        if r.null:
            where = "imageFlags & GLS_IMAGE_NULL_BIT ? nullptr : " + where
        self.body.append("    %s%s = (%s)(%s);" % (gen_decode.declarator(r.param.ctype), r.name,
                                                 r.param.ctype, where))
        self.body.append("    const GLulong %s = %s;" % f.count)
        if r.type == "GL_BITMAP":
            # Bitmaps and stipples are bytes.
            self.body.append("    __glsSwapSkip(&cursor, %s);" % f.count[0])
        else:
            self.typed(r.type, f.count[0])

    def field(self, f):
        r, slot = f.role, f.slot
        if slot == "putGLSimageFlags":
            self.body.append("    [[maybe_unused]] const GLuint imageFlags = __glsSwapField4(&cursor);")
        elif slot == "breakArgs":
            pass
        elif slot == "padInCommand":
            self.body.append("    __glsSwapSkip(&cursor, %s);" % f.args[0])
        elif isinstance(r, model.String):
            self.body.append("    __glsSwapString(&cursor);")
            if r is not self.c.roles[-1]:
                self.variable = True
        elif isinstance(r, (model.OutPointer, model.ArrayPointer)):
            self.body.append("    __glsSwapField8(&cursor);")
        elif isinstance(r, model.Image):
            self.image(f)
        elif isinstance(r, model.Points):
            self.array(width_of(r.param), "__glsCount(__glsSize_%s(target, %s))"
                       % (self.c.name, ", ".join(r.args)))
        elif isinstance(r, (model.Lists, model.Indices)):
            self.typed(r.type, f.count[1])
        elif isinstance(r, model.VertexData):
            self.variable = True
            self.body.append("    __glsSwapInterleaved(&cursor, %s, %s);" % (r.format, f.count[1]))
        elif isinstance(r, model.Matrix):
            self.array(width_of(r.param), "16")
        elif isinstance(r, model.Array):
            self.array(width_of(r.param), f.count[1] if f.count else f.args[-2])
        else:
            self.value(r.param, int(f.size))

    def lines(self):
        for f in layout.of(self.c).fields:
            self.field(f)
        return self.body


def classify(c, swap):
    if c.attrs & commands.NOARGS and c.name not in gen_decode.PIXEL_STORE_CHANGERS:
        return "none"
    if gen_decode.is_vector(c):
        return "vector"
    return "variable" if swap.variable else "fixed"


def main(out):
    cmds, _ = model.load()
    emit.check_locals((c.proto for c in cmds.values()), emit.LOCALS + OWN)
    L = [emit.header(__file__), "#include <stdint.h>", "", '#include "client/size.h"',
         '#include "read/decode_swap.h"', "", 'extern "C" {', ""]
    L.append("// The native decoders, after which each swapped one runs.")
    L += ["void GLSAPI __gls_decode_bin_%s(GLubyte *inoutPtr);" % c.name
          for op, c in sorted(cmds.items()) if not c.attrs & commands.NOARGS
          or c.name in gen_decode.PIXEL_STORE_CHANGERS]
    L.append("")
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
        elif kind == "vector":
            # The block is the vector the call function takes.
            r = c.roles[0]
            n = "16" if isinstance(r, model.Matrix) else r.length.args[0]
            w = width_of(r.param)
            L.append("    __GLScontext *const ctx = __glsGetContext();")
            L.append("    if (__glsRecordArgBytes(ctx, inoutPtr) < %d) {" % (int(n) * w))
            L.append("        __glsCallErrorFunc(__GLS_OP_%s, GLS_DECODE_ERROR);" % c.name)
            L.append("        return;")
            L.append("    }")
            if w > 1:
                L.append("    __glsSwapRun(inoutPtr, %d, %s);" % (w, n))
            L.append("    __GLS_SLOT(ctx->callFuncs, %s)((%s)inoutPtr);" % (c.name, r.param.ctype))
        else:
            if body:
                L.append("    __GLSswapCursor cursor = __glsSwapBegin(__GLS_OP_%s, inoutPtr);" % c.name)
            L += body
            L.append("    __gls_decode_bin_%s(inoutPtr);" % c.name)
        L.append("}")
        L.append("")
    emit.check_counts("swap decoders", [(k, classes[k], CLASS_COUNTS[k]) for k in CLASS_COUNTS])
    L.append("const __GLSdecodeBinFunc __glsDispatchDecode_bin_swap[GLS_OP_COUNT] = {")
    L += emit.slots(cmds, lambda c: "__gls_decode_bin_swap_" + c.name, "nullptr")
    L.append("};")
    L.append("}  // extern \"C\"")
    emit.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
