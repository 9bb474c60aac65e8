"""Writes gls_decode_text.cpp: the text decoder of every opcode and their
table. A text decoder reads its command's arguments in signature order with
the typed readers of src/gls/read/text_reader.h, builds every array in a
buffer whose size follows from the arguments already read, and calls the
command only when everything was read without error. What the text holds
of each argument is what the capture function writes for it (the fields of
its
record, tools/layout.py): output pointers hold only the stream's pointer
value, the image commands an image-flags group before their other
arguments.

The decoders fall into three groups, which the generator counts: those
whose arguments are scalars, strings, fixed-size vectors and single output
locations (241), those with an array that is not an image (73), and the
image commands (21)."""

import sys

import commands
import emit
import gen_decode
import layout
import model
import pnames

GROUP_COUNTS = {"fixed": 241, "array": 73, "image": 21}

SCALAR_READERS = {
    "GLenum": "__glsReaderGetGLenum", "GLint": "__glsReaderGetGLint",
    "GLsizei": "__glsReaderGetGLint", "GLuint": "__glsReaderGetGLuint",
    "GLushort": "__glsReaderGetGLushort", "GLboolean": "__glsReaderGetGLboolean",
    "GLfloat": "__glsReaderGetGLfloat", "GLclampf": "__glsReaderGetGLfloat",
    "GLdouble": "__glsReaderGetGLdouble", "GLclampd": "__glsReaderGetGLdouble",
    "GLSenum": "__glsReaderGetGLSenum", "GLSopcode": "__glsReaderGetOpcode",
    "GLlong": "__glsReaderGetGLlong",
}
# The reader's own type where the parameter's differs only in name.
READER_TYPES = {"GLsizei": "GLint", "GLclampf": "GLfloat", "GLclampd": "GLdouble"}
MASK_READERS = {"mask(clear)": "__glsReaderGetAttribMask",
                "mask(attrib)": "__glsReaderGetAttribMask",
                "mask(clientAttrib)": "__glsReaderGetClientAttribMask"}
ELEMENTS = {"GLboolean": "GLboolean", "GLbyte": "GLbyte", "GLubyte": "GLubyte",
            "GLshort": "GLshort", "GLushort": "GLushort", "GLint": "GLint", "GLuint": "GLuint",
            "GLfloat": "GLfloat", "GLclampf": "GLfloat", "GLdouble": "GLdouble",
            "GLclampd": "GLdouble", "GLlong": "GLlong"}
# Room for the values a parameter vector may hold whatever its name says:
# the GL reads or writes by its own idea of the name.
PARAMETER_ROOM = pnames.MAX_VALUES


def is_image_output(r):
    p = r.param
    return (isinstance(r, model.OutPointer) and p.ctype.count("*") == 1
            and p.base in ("void", "GLvoid", "GLubyte"))


def group(c):
    if c.images or any(is_image_output(r) for r in c.roles):
        return "image"
    for r in c.roles:
        if isinstance(r, (model.Points, model.Lists, model.Indices, model.VertexData)):
            return "array"
        if isinstance(r, model.Array) and r.length.kind != "fixed":
            return "array"
        if (isinstance(r, model.OutPointer) and r.length.kind != "fixed"
                and not (c.attrs & commands.CLIENT and not c.attrs & commands.GET)):
            return "array"
    return "fixed"


class TextDecoder:
    def __init__(self, c):
        self.c = c
        self.op = "__GLS_OP_" + c.name
        self.locals = []      # declarations at the top
        self.body = []        # the reads, in order
        self.args = []        # the call's arguments
        self.cleanup = []     # on every way out
        self.before_call = []
        self.after_call = []
        self.outs = 0
        self.saves_out_args = False

    def read(self, reader, p, ctype=None):
        ctype = ctype or p.ctype
        self.locals.append("    %s %s = 0;" % (ctype, p.name))
        self.body.append("    %s(reader, %s&%s);" % (
            reader, "(%s *)" % READER_TYPES[p.base] if p.base in READER_TYPES else "", p.name))
        self.args.append(p.name)

    def scalar(self, r):
        p = r.param
        if r.meaning in MASK_READERS:
            self.read(MASK_READERS[r.meaning], p)
        elif r.meaning == "headerint":
            self.read("__glsReaderGetGLint", p)
        elif p.base in SCALAR_READERS:
            self.read(SCALAR_READERS[p.base], p)
        else:
            sys.exit("text: %s(%s): no reader for %s" % (self.c.name, p.name, p.base))

    def string(self, p):
        self.locals.append("    __GLSstring %s;" % p.name)
        self.locals.append("    __glsStringBufferInit(&%s);" % p.name)
        self.body.append("    __glsReaderGetString(reader, &%s);" % p.name)
        self.cleanup.append("    __glsStringBufferFree(&%s);" % p.name)
        self.args.append("(const GLubyte *)%s.start" % p.name)

    def element(self, p):
        if p.base not in ELEMENTS:
            sys.exit("text: %s(%s): no element type %s" % (self.c.name, p.name, p.base))
        return ELEMENTS[p.base]

    def fixed_array(self, p, n):
        t = self.element(p)
        self.locals.append("    %s %s[%s] = {};" % (t, p.name, n))
        self.body.append("    __glsReaderGet%sv(reader, %s, %s);" % (t, n, p.name))
        self.args.append(p.name)

    def heap(self, name):
        self.locals.append("    void *heap_%s = nullptr;" % name)
        self.cleanup.append("    free(heap_%s);" % name)

    def counted_array(self, p, count, room=None):
        """An array whose element count comes from the arguments read
        before it, read into a buffer of that size (or of `room` values
        when that is more)."""
        t = self.element(p)
        n = p.name
        self.heap(n)
        self.locals.append("    %s *%s = nullptr;" % (t, n))
        B = self.body
        B.append("    if (!reader->error) {")
        B.append("        const GLulong count_%s = %s;" % (n, count))
        if room:
            self.locals.append("    %s room_%s[%d] = {};" % (t, n, room))
            stack = "room_%s, sizeof room_%s" % (n, n)
        else:
            B.append("        const GLulong bytes_%s = count_%s * sizeof(%s);" % (n, n, t))
            stack = "__GLS_TEXT_STACK(bytes_%s)" % n
        B.append("        %s = (%s *)__glsReaderGetArray(reader, __GLS_TEXT_%s, (GLint)count_%s, %s, &heap_%s);"
                 % (n, t, t, n, stack, n))
        B.append("    }")
        self.args.append(n)

    def bytes_array(self, p, how, size, kind, refuse=None):
        """Pixel, list or vertex data of a byte size from the arguments;
        `refuse`, a condition of its bytes_ variable, raises GLS_DECODE_ERROR
        instead of reading an array the GL would read more of."""
        n = p.name
        self.heap(n)
        self.locals.append("    const GLvoid *%s = nullptr;" % n)
        B = self.body
        B.append("    if (!reader->error) {")
        B.append("        const GLint bytes_%s = %s;" % (n, size))
        if refuse:
            B.append("        if (%s) __glsReaderRaiseError(reader, GLS_DECODE_ERROR);" % refuse)
        B.append("        %s = %s(reader, %s, bytes_%s, __GLS_TEXT_STACK(bytes_%s > 0 ? bytes_%s : 0), &heap_%s);"
                 % (n, how, kind, n, n, n, n))
        B.append("    }")
        self.args.append("(%s)%s" % (p.ctype, n))

    def output(self, r):
        c = self.c
        p, n = r.param, r.name
        i = self.outs
        self.outs += 1
        self.saves_out_args = True
        multiple = len(c.roles_of(model.OutPointer)) > 1
        count = gen_decode.length_count(c, r, "_" + n if multiple else "")
        elem = gen_decode.element_bytes(c, p)
        room = r.length.kind == "size" and not is_image_output(r)
        # Output buffers are the decoders' own blocks, counted while they live.
        self.locals.append("    void *heap_%s = nullptr;" % n)
        self.cleanup.append("    __glsDecodeFree(heap_%s);" % n)
        self.locals.append("    %s%s = nullptr;" % (gen_decode.declarator(p.ctype), n))
        B = self.body
        B.append("    if (!reader->error) {")
        B.append("        const GLulong count_%s = %s;" % (n, count))
        if room:
            B.append("        const GLulong room_%s = count_%s > %d ? count_%s : %d;"
                     % (n, n, PARAMETER_ROOM, n, PARAMETER_ROOM))
        else:
            B.append("        const GLulong room_%s = count_%s;" % (n, n))
        B.append("        const GLulong bytes_%s = room_%s * %s;" % (n, n, elem))
        if c.attrs & commands.CLIENT and not c.attrs & commands.GET:
            # The GL keeps writing into it after the call: the context owns it.
            B.append("        %s = __glsReaderGet%s(reader, bytes_%s);" % (n, c.name[2:], n))
        else:
            B.append("        %s = (%s)__GLS_TEXT_OUTPUT(reader, bytes_%s, heap_%s);"
                     % (n, p.ctype, n, n))
        B.append("        ctx->outArgs.sizes[%d] = (GLint)count_%s;" % (i, n))
        B.append("        __glsReaderGetGLlong(reader, (GLlong *)&ctx->outArgs.pointers[%d]);" % i)
        B.append("    }")
        self.args.append(n)

    def image(self, f):
        """The image of an unpack command: bytes from its size function,
        none when the flags say the command was given a null image."""
        r = f.role
        present = "__glsTextImagePresent"
        if r.null:
            present = "(imageFlags & GLS_IMAGE_NULL_BIT) ? nullptr : " + present
        size = "__glsSize_%s%s(%s)" % (self.c.name, layout.image_suffix(self.c, r),
                                       ", ".join(r.size_args(self.c)[:-1] + [present]))
        # Bitmaps and stipples are written as bytes.
        kind = "GL_UNSIGNED_BYTE" if r.type == "GL_BITMAP" else r.type
        # An image whose bytes the table cannot tell (a format or type it
        # does not know, a size past 31 bits) is refused as the binary
        # decoders refuse it: a GL that knows it would read past the text's.
        refuse = "!bytes_%s && %s" % (r.name, layout.positive_extents(r))
        if r.null:
            refuse = "!(imageFlags & GLS_IMAGE_NULL_BIT) && " + refuse
        self.bytes_array(r.param, "__glsReaderGetPixels", size, kind, refuse)
        if r.null:
            self.args[-1] = "(imageFlags & GLS_IMAGE_NULL_BIT) ? nullptr : %s" % self.args[-1]
        self.unpack = True

    def flags(self):
        """The image-flags word, alone in the first argument group: the null
        bit for a command whose image may be null, no bit for the others."""
        null = any(r.null for r in self.c.images)
        self.locals.append("    GLbitfield imageFlags = 0;")
        self.body.append("    __glsReaderGetImageFlags(reader, &imageFlags);")
        self.body.append("    if (!reader->error && (imageFlags & ~(GLbitfield)%s))"
                         % ("GLS_IMAGE_NULL_BIT" if null else "0"))
        self.body.append("        __glsReaderRaiseError(reader, GLS_PARAMETER_ERROR);")

    def field(self, f):
        c, r, slot = self.c, f.role, f.slot
        if slot == "putGLSimageFlags":
            self.flags()
        elif slot == "breakArgs":
            self.body.append("    __glsReaderNextArgGroup(reader);")
        elif slot == "padInCommand":
            pass
        elif isinstance(r, model.String):
            self.string(r.param)
        elif isinstance(r, model.OutPointer):
            self.output(r)
        elif isinstance(r, model.ArrayPointer):
            p = r.param
            self.locals.append("    GLvoid *%s = nullptr;" % p.name)
            self.body.append("    __glsReaderGetAddress(reader, &%s);" % p.name)
            self.args.append("(%s)%s" % (p.ctype, p.name))
            fmt = "format" if c.name == "glInterleavedArrays" else "0"
            self.before_call.append("        __glsDecodedArrayPointer(%s, %s, %s);"
                                    % (self.op, fmt, p.name))
        elif isinstance(r, model.Image):
            self.image(f)
        elif isinstance(r, model.Points):
            self.counted_array(r.param, "__glsCount(__glsSize_%s(target, %s))"
                               % (c.name, ", ".join(r.args)))
            self.before_call.append("        if (!__glsTextMapFits(reader, target, %s)) break;"
                                    % ", ".join(r.args))
        elif isinstance(r, model.Lists):
            self.bytes_array(r.param, "__glsReaderGetPixels",
                             "__glsSize_%s(%s, %s)" % (c.name, r.n, r.type), r.type,
                             layout.uncountable(c, r, "bytes_" + r.name))
        elif isinstance(r, model.Indices):
            self.bytes_array(r.param, "__glsReaderGetPixels",
                             "__glsSize_%s(%s, %s)" % (c.name, r.count, r.type), r.type,
                             layout.uncountable(c, r, "bytes_" + r.name))
        elif isinstance(r, model.VertexData):
            self.bytes_array(r.param, "__glsReaderGetInterleavedData",
                             "__glsSize_%s(%s, %s)" % (c.name, r.format, r.count), r.format,
                             layout.uncountable(c, r, "bytes_" + r.name))
        elif isinstance(r, model.Matrix):
            self.fixed_array(r.param, "16")
        elif isinstance(r, model.Array):
            if r.length.kind == "fixed":
                self.fixed_array(r.param, r.length.args[0])
            else:
                # A parameter vector gets room for what the GL may read.
                room = PARAMETER_ROOM if r.length.kind == "size" else None
                self.counted_array(r.param, r.length.count(c), room)
        elif isinstance(r, model.Scalar):
            self.scalar(r)
        else:
            sys.exit("text: %s(%s): no reader for this role" % (c.name, r.name))

    def lines(self):
        c = self.c
        self.unpack = False
        for f in layout.of(c).fields:
            self.field(f)
        if self.unpack:
            self.before_call.insert(0, "        if (!ctx->glInfo.unpackDefaultsSet) __glsPixelUnpackDefaults();")
        if any(is_image_output(r) for r in c.roles):
            self.before_call.append("        if (!ctx->glInfo.packDefaultsSet) __glsPixelPackDefaults();")
        if self.outs:
            self.before_call.insert(0, "        ctx->outArgs.count = %d;" % self.outs)
        if c.name in gen_decode.ARRAY_DRAWS:
            self.before_call.append("        if (!__glsDecodedDrawAllowed(%s)) break;" % self.op)
        if c.name in gen_decode.PIXEL_STORE_CHANGERS:
            self.after_call.append("        __glsGetContext()->glInfo.packDefaultsSet = 0;")
            self.after_call.append("        __glsGetContext()->glInfo.unpackDefaultsSet = 0;")
        L = ["static void GLSAPI __gls_decode_text_%s(__GLSreader *reader) {" % c.name]
        if self.saves_out_args or self.before_call:
            L.append("    [[maybe_unused]] __GLScontext *const ctx = __glsGetContext();")
        if self.saves_out_args:
            L.append("    const __GLSoutArgs savedOutArgs = ctx->outArgs;")
        L += self.locals + self.body
        L.append("    do {")
        L.append("        if (reader->error) break;")
        L += self.before_call
        L.append("        __GLS_SLOT(__glsGetContext()->callFuncs, %s)(%s);"
                 % (c.name, ", ".join(self.args)))
        L += self.after_call
        L.append("    } while (0);")
        if self.saves_out_args:
            L.append("    ctx->outArgs = savedOutArgs;")
        L += self.cleanup
        if not c.proto.params:
            L.insert(1, "    (void)reader;")
        L.append("}")
        return L


def main(out):
    cmds, _ = model.load()
    L = [emit.header(__file__), "#include <stdint.h>", "#include <stdlib.h>", "",
         '#include "capture/capture.h"', '#include "client/size.h"', '#include "read/decode.h"',
         '#include "read/text_reader.h"', "", 'extern "C" {', ""]
    emit.check_locals((c.proto for c in cmds.values()), emit.LOCALS + ("reader", "imageFlags"),
                      emit.LOCAL_PREFIXES + ("room_",))
    groups = {k: 0 for k in GROUP_COUNTS}
    for op, c in sorted(cmds.items()):
        groups[group(c)] += 1
        L += TextDecoder(c).lines()
        L.append("")
    emit.check_counts("text decoders", [(k, groups[k], GROUP_COUNTS[k]) for k in GROUP_COUNTS])
    L.append("const __GLSdecodeTextFunc __glsDispatchDecode_text[GLS_OP_COUNT] = {")
    L += emit.slots(cmds, lambda c: "__gls_decode_text_" + c.name, "nullptr")
    L.append("};")
    L.append("}  // extern \"C\"")
    emit.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
