"""Writes gls_decode_bin.cpp: the binary decoder tables and the native
decoder of every opcode. Commands without arguments decode the same in both
byte orders; the compact glBegin opcodes 1-10 of in-memory context streams
decode to glBegin with mode opcode - 1.

A native decoder reads back the argument block that the capture function
wrote: it walks the same fields of the record (tools/layout.py) in the same order, so each
value stands where its put left it, and checks that the record holds every
field it reads or hands to the GL. An image command's record (image-flags
word, the other arguments, the images) is decoded the same way from its
layout. The evaluator maps, whose strides tell how far the GL reads, have
hand-written decoders in src/gls/read/decode_special.cpp."""

import sys

import commands
import emit
import layout
import model
import pnames

# Commands after which the GL's pixel-store modes no longer are the stream's
# image layout, so that the next image command sets them again.
PIXEL_STORE_CHANGERS = ("glPixelStoref", "glPixelStorei", "glPopClientAttrib")

# The draws that read the client arrays, which the decoders hold back when
# the arrays' addresses came from another process's stream.
ARRAY_DRAWS = ("glArrayElement", "glDrawArrays", "glDrawElements")

# Bytes of one element of an array the decoder hands on or provides.
ELEMENT_BYTES = {"GLboolean": "1", "GLbyte": "1", "GLubyte": "1", "void": "1", "GLvoid": "1",
                 "GLshort": "2", "GLushort": "2", "GLint": "4", "GLuint": "4", "GLfloat": "4",
                 "GLclampf": "4", "GLdouble": "8", "GLlong": "8"}


def declarator(ctype):
    return ctype if ctype.endswith("*") else ctype + " "


def is_vector(c):
    """One fixed-length vector and nothing else: the record is the vector,
    which the call function takes as it stands."""
    roles = c.roles
    if len(roles) != 1 or c.is_gls:
        return False
    r = roles[0]
    return isinstance(r, model.Matrix) or (type(r) is model.Array and r.length.kind == "fixed")


def has_native(c):
    """The commands whose records need unpacking: all but those without
    arguments (glPopClientAttrib aside, which clears the pixel-store flags)
    and the single vectors."""
    if c.attrs & commands.NOARGS:
        return c.name in PIXEL_STORE_CHANGERS
    return not is_vector(c)


def is_hand(c):
    """The evaluator maps, whose strides say how far the GL reads."""
    return bool(c.hand & commands.DECODE)


def element_bytes(c, p):
    if p.ctype.count("*") > 1:
        return "sizeof(void *)"
    if p.base not in ELEMENT_BYTES:
        sys.exit("decode: %s(%s): no element size for %s" % (c.name, p.name, p.base))
    return ELEMENT_BYTES[p.base]


def length_count(c, r, suffix=""):
    """The element count of an output the decoder provides, from the
    registry's length of the parameter."""
    if r.length is None:
        sys.exit("decode: %s(%s) has no length" % (c.name, r.name))
    return r.length.count(c, suffix)


class Decoder:
    def __init__(self, c):
        self.c = c
        self.op = "__GLS_OP_" + c.name
        self.off = layout.Offset()
        self.body = []       # inside the one-pass loop, left by break on failure
        self.args = []       # the call's arguments in parameter order
        self.heaps = []      # heap buffers freed at the end
        self.outs = []       # (parameter, variable of its stream pointer value)
        self.prefix_end = None  # end of the fixed-size fields before any variable one
        self.before_call = []
        self.after_call = []

    def check(self, end):
        self.body.append("        if (avail < %s) { __glsCallErrorFunc(%s, GLS_DECODE_ERROR); break; }"
                         % (end, self.op))

    def fixed_read(self, size):
        """A field of constant size at the current offset: a constant end
        joins the prefix that one test covers, any other end is tested."""
        end = self.off.plus(size)
        if not end.terms:
            self.prefix_end = end.const
        else:
            self.check(end.expr())
        start = self.off
        self.off = end
        return start

    def scalar(self, p, size):
        at = self.fixed_read(size)
        self.body.append("        %s %s;" % (p.ctype, p.name))
        self.body.append("        memcpy(&%s, %s, %s);" % (p.name, at.at(), size))
        self.args.append(p.name)

    def array(self, p, size, count=None, by_name=False, role=None):
        if count:
            self.body.append("        const GLulong %s = %s;" % count)
            uncountable = layout.uncountable(self.c, role, count[0])
            if uncountable:
                self.body.append("        if (%s) { __glsCallErrorFunc(%s, GLS_DECODE_ERROR); break; }"
                                 % (uncountable, self.op))
        start = self.off
        self.off = start.plus(size)
        if self.off.terms:
            self.check(self.off.expr())
        else:
            self.prefix_end = self.off.const
        if not by_name:
            self.args.append("(%s)(%s)" % (p.ctype, start.at()))
            return
        # The GL reads a parameter vector by its own idea of the name, which
        # may be one the table does not know: it gets as many values as any
        # name takes, those of the record and zeros after them.
        n, pad = count[0], "pad_" + p.name
        self.body.append("        %s %s[%d] = {};" % (p.base, pad, pnames.MAX_VALUES))
        self.body.append("        if (%s <= %d) memcpy(%s, %s, %s);"
                         % (n, pnames.MAX_VALUES, pad, start.at(), size))
        self.args.append("%s <= %d ? %s : (%s)(%s)" % (n, pnames.MAX_VALUES, pad, p.ctype, start.at()))

    def string(self, p):
        n = p.name
        start = self.off
        if start.terms:
            self.check(start.plus("4").expr())
        else:
            self.prefix_end = start.const + 4
        B = self.body
        B.append("        GLuint word_%s;" % n)
        B.append("        memcpy(&word_%s, %s, 4);" % (n, start.at()))
        # The field: the length word, the UTF-8 text with its terminator,
        # zero bytes up to a whole word.
        B.append("        const GLulong bytes_%s = word_%s & ~(GLuint)3;" % (n, n))
        self.off = start.plus("bytes_%s" % n)
        text = start.plus("4").at()
        B.append("        if (bytes_%s < 8 || avail < %s || !memchr(%s, 0, bytes_%s - 4)) {"
                 % (n, self.off.expr(), text, n))
        B.append("            __glsCallErrorFunc(%s, GLS_DECODE_ERROR);" % self.op)
        B.append("            break;")
        B.append("        }")
        B.append("        const GLubyte *%s = %s;" % (n, text))
        # The 7-bit mark of the length word is the writer's word, and a
        # stream can lie: the text's own bytes say how much room it takes.
        B.append("        GLboolean all7Bit_%s;" % n)
        B.append("        const size_t length_%s = __glsUtf8ByteLength(%s, &all7Bit_%s);" % (n, n, n))
        B.append("        if (!(all7Bit_%s && ctx->stringType == GLS_UCS1)) {" % n)
        B.append("            const size_t size_%s = __glsUtf8ToCharsSize(length_%s + 1, all7Bit_%s, ctx->stringType);"
                 % (n, n, n))
        self.heaps.append("heap_" + n)
        B.append("            GLubyte *chars_%s = (GLubyte *)__GLS_DECODE_BUFFER(size_%s, heap_%s);"
                 % (n, n, n))
        B.append("            if (!chars_%s) { __glsCallErrorFunc(%s, GLS_RESOURCE_ERROR); break; }"
                 % (n, self.op))
        # Only a text that is not empty converts to nothing when it fails.
        B.append("            if (!__glsUtf8ToChars(%s, ctx->stringType, chars_%s) && length_%s) {" % (n, n, n))
        B.append("                __glsCallErrorFunc(%s, GLS_DECODE_ERROR);" % self.op)
        B.append("                break;")
        B.append("            }")
        B.append("            %s = chars_%s;" % (n, n))
        B.append("        }")
        self.args.append("(%s)%s" % (p.ctype, n))

    def pointer_value(self, p, var):
        at = self.fixed_read("8")
        self.body.append("        GLulong %s;" % var)
        self.body.append("        memcpy(&%s, %s, 8);" % (var, at.at()))

    def image(self, f):
        """An image: in place after the fields before it, or null when the
        record's null bit stands for the caller's null pointer; its bytes,
        by the same rule the capture counted them, must lie in the record.
        The GL reads it in the layout the stream stores."""
        r, p = f.role, f.role.param
        start = self.off
        at = "(%s)(%s)" % (p.ctype, start.at())
        if r.null:
            at = "imageFlags & GLS_IMAGE_NULL_BIT ? nullptr : " + at
        self.body.append("        %s%s = %s;" % (declarator(p.ctype), p.name, at))
        self.body.append("        const GLulong %s = %s;" % f.count)
        # An image of pixels whose size the table cannot tell (a format or
        # type it does not know, a size past 31 bits) is in no record: the GL
        # would read them from beyond it.
        self.body.append("        if (%s && !%s && %s) { __glsCallErrorFunc(%s, GLS_DECODE_ERROR); break; }"
                         % (p.name, f.count[0], layout.positive_extents(r), self.op))
        self.off = start.plus(f.size)
        self.check(self.off.expr())
        self.args.append(p.name)
        if not self.before_call:
            self.before_call.append("        if (!ctx->glInfo.unpackDefaultsSet) __glsPixelUnpackDefaults();")

    def field(self, f):
        # Every field stands where the layout puts it.
        self.off = f.offset
        slot = f.slot
        if slot == "breakArgs":
            return
        if slot == "putGLSimageFlags":
            at = self.fixed_read("4")
            if any(r.null for r in self.c.images):
                self.body.append("        GLSimageFlags imageFlags;")
                self.body.append("        memcpy(&imageFlags, %s, 4);" % at.at())
            return
        if slot == "__glsCapturePutImage":
            self.image(f)
            return
        p = f.role.param
        if slot == "padInCommand":
            self.fixed_read(f.args[0])
        elif slot == "putString":
            self.string(p)
        elif slot == "putOutArg":
            var = "out_" + p.name
            self.pointer_value(p, var)
            self.outs.append((f.role, var))
            self.args.append(p.name)
        elif slot == "putArrayPointer":
            var = "value_" + p.name
            self.pointer_value(p, var)
            # The stream's value is the address a nested capture writes.
            self.before_call.append("        ctx->lastOutPointer = %s;" % var)
            fmt = "format" if self.c.name == "glInterleavedArrays" else "0"
            self.before_call.append("        __glsDecodedArrayPointer(%s, %s, __glsU64ToAddress(%s));"
                                    % (self.op, fmt, var))
            self.args.append("(%s)__glsU64ToAddress(%s)" % (p.ctype, var))
        elif p.pointer:
            # Arrays, lists and indices are handed on in place.
            self.array(p, f.size, f.count, isinstance(f.role, model.Array) and f.role.by_name(self.c),
                       f.role)
        else:
            self.scalar(p, f.size)

    def provide_outputs(self):
        """Buffers for the outputs, published in the out-argument record for
        the call; images get the stream's pack modes."""
        B = self.body
        multiple = len(self.outs) > 1
        image = False
        for i, (r, var) in enumerate(self.outs):
            p, n = r.param, r.name
            count = length_count(self.c, r, "_" + n if multiple else "")
            B.append("        const GLulong count_%s = %s;" % (n, count))
            B.append("        const GLulong bytes_%s = count_%s * %s;" % (n, n, element_bytes(self.c, p)))
            if self.c.attrs & commands.CLIENT and not self.c.attrs & commands.GET:
                # The GL keeps writing into it after the call: the context
                # owns it.
                B.append("        %s%s = bytes_%s <= __GLS_DECODE_HEAP_LIMIT ? __glsGet%s(ctx, (size_t)bytes_%s) : nullptr;"
                         % (declarator(p.ctype), n, n, self.c.name[2:], n))
            else:
                self.heaps.append("heap_" + n)
                B.append("        %s%s = (%s)__GLS_DECODE_BUFFER(bytes_%s, heap_%s);"
                         % (declarator(p.ctype), n, p.ctype, n, n))
            B.append("        if (!%s) { __glsCallErrorFunc(%s, GLS_RESOURCE_ERROR); break; }"
                     % (n, self.op))
            B.append("        ctx->outArgs.sizes[%d] = (GLint)count_%s;" % (i, n))
            B.append("        ctx->outArgs.pointers[%d] = %s;" % (i, var))
            image = image or (p.ctype.count("*") == 1 and p.base in ("void", "GLvoid", "GLubyte"))
        B.append("        ctx->outArgs.count = %d;" % len(self.outs))
        if image:
            B.append("        if (!ctx->glInfo.packDefaultsSet) __glsPixelPackDefaults();")

    def lines(self):
        c = self.c
        for f in layout.of(c).fields:
            self.field(f)
        if self.outs:
            self.provide_outputs()
        if c.name in ARRAY_DRAWS:
            self.before_call.append("        if (!__glsDecodedDrawAllowed(%s)) break;" % self.op)
        if c.name in PIXEL_STORE_CHANGERS:
            self.after_call.append("        ctx->glInfo.packDefaultsSet = 0;")
            self.after_call.append("        ctx->glInfo.unpackDefaultsSet = 0;")
        L = ["void GLSAPI __gls_decode_bin_%s(GLubyte *inoutPtr) {" % c.name,
             "    __GLScontext *const ctx = __glsGetContext();"]
        if c.proto.params:
            L.append("    const GLulong avail = __glsRecordArgBytes(ctx, inoutPtr);")
        else:
            L.append("    (void)inoutPtr;")
        L += ["    void *%s = nullptr;" % h for h in self.heaps]
        if self.outs:
            L.append("    const __GLSoutArgs savedOutArgs = ctx->outArgs;")
        L.append("    do {")
        if self.prefix_end:
            L.append("        if (avail < %d) { __glsCallErrorFunc(%s, GLS_DECODE_ERROR); break; }"
                     % (self.prefix_end, self.op))
        L += self.body
        L += self.before_call
        L.append("        __GLS_SLOT(ctx->callFuncs, %s)(%s);" % (c.name, ", ".join(self.args)))
        L += self.after_call
        L.append("    } while (0);")
        if self.outs:
            L.append("    ctx->outArgs = savedOutArgs;")
        L += ["    __glsDecodeFree(%s);" % h for h in self.heaps]
        L.append("}")
        return L


def main(out):
    cmds, _ = model.load()
    emit.check_locals(c.proto for c in cmds.values())
    hand = [c for op, c in sorted(cmds.items()) if is_hand(c)]
    L = [emit.header(__file__), "#include <stdint.h>", "#include <stdlib.h>",
         "#include <string.h>", "", '#include "client/size.h"', '#include "read/decode.h"', "",
         'extern "C" {', ""]
    natives = [c for op, c in sorted(cmds.items()) if has_native(c)]
    emit.check_counts("native decoders", [
        ("native decoders", len(natives), 245),
        ("native decoders with outputs", sum(1 for c in natives if c.roles_of(model.OutPointer)), 45)])
    L.append("// The evaluator maps, decoded by hand.")
    L += ["void GLSAPI __gls_decode_bin_%s(GLubyte *inoutPtr);" % c.name for c in hand]
    L.append("")
    native = {1 + m: "__gls_decode_bin_glBegin_%d" % m for m in range(10)}
    for op, c in sorted(cmds.items()):
        if c.attrs & commands.NOARGS and c.name not in PIXEL_STORE_CHANGERS:
            continue
        native[op] = "__gls_decode_bin_" + c.name
        if not is_hand(c):
            L += Decoder(c).lines()
            L.append("")
    for mode in range(10):
        L.append("static void GLSAPI __gls_decode_bin_glBegin_%d(GLubyte *) {" % mode)
        L.append("    __GLS_SLOT(__glsGetContext()->callFuncs, glBegin)(%d);" % mode)
        L.append("}")
    L.append("")
    L.append("__GLSdecodeBinFunc __glsDispatchDecode_bin_default[GLS_OP_COUNT] = {")
    L += ["    /* %3d */ %s," % (op, native.get(op, "nullptr")) for op in range(emit.OPCODE_COUNT)]
    L.append("};\n")
    L.append("}  // extern \"C\"")
    emit.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
