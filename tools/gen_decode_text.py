"""Writes gls_decode_text.cpp: the text decoder of every opcode and their
table. A text decoder reads its command's arguments in signature order with
the typed readers of src/gls/read/text_reader.h, builds every array in a
buffer whose size follows from the arguments already read, and calls the
command only when everything was read without error. What the text holds
of each argument is what the capture function writes for it (the puts of
tools/table.py): output pointers hold only the stream's pointer value, the
image commands an image-flags group before their other arguments.

The decoders fall into three groups, which the generator counts: those
whose arguments are scalars, strings, fixed-size vectors and single output
locations (241), those with an array that is not an image (73), and the
image commands (21)."""

import sys

import commands
import gen_decode
import gen_decode_swap
import table

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
# the GL reads or writes by its own idea of the name, which the size
# functions may not share.
PARAMETER_ROOM = 16


def words(c, p):
    return table._words(c.roles.get(p.name, "value"))


def role_word(c, p, prefix):
    for w in words(c, p):
        if w.startswith(prefix):
            return w
    return None


def is_image_output(p):
    return (p.pointer and "const" not in p.ctype and p.ctype.count("*") == 1
            and p.base in ("void", "GLvoid", "GLubyte"))


def group(c):
    outs = [p for p in c.proto.params if p.pointer and "const" not in p.ctype]
    if any(role_word(c, p, "image(") for p in c.proto.params) or any(map(is_image_output, outs)):
        return "image"
    for p in c.proto.params:
        if not p.pointer or role_word(c, p, "arrayptr") or role_word(c, p, "string"):
            continue
        if c.is_gls and p.base == "GLubyte":
            continue
        if "const" not in p.ctype:
            if c.attrs & commands.CLIENT and not c.attrs & commands.GET:
                continue  # the feedback and selection buffers
            length = table._derived_length(c, p)
            if length and not length.startswith("fixed("):
                return "array"
            continue
        if role_word(c, p, "matrix"):
            continue
        length = table._derived_length(c, p)
        if not (length and length.startswith("fixed(")) or role_word(c, p, "vertexdata("):
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

    def scalar(self, p):
        c = self.c
        mask = [w for w in words(c, p) if w in MASK_READERS]
        if mask:
            self.read(MASK_READERS[mask[0]], p)
        elif role_word(c, p, "headerint("):
            self.read("__glsReaderGetGLint", p)
        elif p.base in SCALAR_READERS:
            self.read(SCALAR_READERS[p.base], p)
        else:
            sys.exit("text: %s(%s): no reader for %s" % (c.name, p.name, p.base))

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

    def bytes_array(self, p, how, size, kind):
        """Pixel, list or vertex data of a byte size from the arguments."""
        n = p.name
        self.heap(n)
        self.locals.append("    const GLvoid *%s = nullptr;" % n)
        B = self.body
        B.append("    if (!reader->error) {")
        B.append("        const GLint bytes_%s = %s;" % (n, size))
        B.append("        %s = %s(reader, %s, bytes_%s, __GLS_TEXT_STACK(bytes_%s > 0 ? bytes_%s : 0), &heap_%s);"
                 % (n, how, kind, n, n, n, n))
        B.append("    }")
        self.args.append("(%s)%s" % (p.ctype, n))

    def output(self, p):
        c = self.c
        n = p.name
        i = self.outs
        self.outs += 1
        self.saves_out_args = True
        multiple = sum(1 for q in c.proto.params if q.pointer and "const" not in q.ctype) > 1
        count = gen_decode.length_count(c, p, "_" + n if multiple else "")
        elem = gen_decode.element_bytes(c, p)
        length = table._derived_length(c, p)
        room = length and length.startswith("size(") and not is_image_output(p)
        self.heap(n)
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
            B.append("        %s = __glsReaderGet%s(reader, (size_t)bytes_%s);" % (n, c.name[2:], n))
        else:
            B.append("        %s = (%s)__GLS_TEXT_OUTPUT(reader, bytes_%s, heap_%s);"
                     % (n, p.ctype, n, n))
        B.append("        ctx->outArgs.sizes[%d] = (GLint)count_%s;" % (i, n))
        B.append("        __glsReaderGetGLlong(reader, (GLlong *)&ctx->outArgs.pointers[%d]);" % i)
        B.append("    }")
        self.args.append(n)

    def image(self, p, w):
        """The image of an unpack command: bytes from its size function,
        none when the flags say the command was given a null image."""
        c = self.c
        args = table._call_args(w)
        null = "null" in args
        where = "(flags & __GLS_IMAGE_NULL_BIT) ? nullptr : __glsTextImagePresent" if null \
            else "__glsTextImagePresent"
        size = gen_decode_swap.image_size(c, p, where)
        typ = args[1]
        if typ == "GL_BITMAP":
            self.bytes_array(p, "__glsReaderGetPixels", size, "GL_UNSIGNED_BYTE")
        else:
            self.bytes_array(p, "__glsReaderGetPixels", size, typ)
        if null:
            self.args[-1] = "(flags & __GLS_IMAGE_NULL_BIT) ? nullptr : %s" % self.args[-1]

    def param(self, p, puts):
        c = self.c
        for put in puts:
            slot = put.slot
            if slot == "padInCommand":
                continue
            if slot == "putString":
                self.string(p)
            elif slot == "putOutArg":
                self.output(p)
            elif slot == "putArrayPointer":
                self.locals.append("    GLvoid *%s = nullptr;" % p.name)
                self.body.append("    __glsReaderGetAddress(reader, &%s);" % p.name)
                self.args.append("(%s)%s" % (p.ctype, p.name))
                fmt = "format" if c.name == "glInterleavedArrays" else "0"
                self.before_call.append("        __glsDecodedArrayPointer(%s, %s, %s);"
                                        % (self.op, fmt, p.name))
            elif put.size is None:
                word = words(c, p)[0]
                kind, args = word.split("(")[0], table._call_args(word)
                if kind == "points":
                    self.counted_array(p, "__glsCount(__glsSize_%s(target, %s))"
                                       % (c.name, ", ".join(args)))
                    self.before_call.append("        if (!__glsTextMapFits(reader, target, %s)) break;"
                                            % ", ".join(args))
                elif kind in ("lists", "indices"):
                    self.bytes_array(p, "__glsReaderGetPixels",
                                     "__glsSize_%s(%s)" % (c.name, ", ".join(args)), args[1])
                else:
                    sys.exit("text: %s(%s): no reader for role %s" % (c.name, p.name, word))
            elif slot == "putVertexArrayData":
                fmt, cnt = put.args[0], table._call_args(role_word(c, p, "vertexdata("))[1]
                self.bytes_array(p, "__glsReaderGetInterleavedData",
                                 "__glsSize_%s(%s, %s)" % (c.name, fmt, cnt), fmt)
            elif slot in ("putGLfloatMatrix", "putGLdoubleMatrix"):
                self.fixed_array(p, "16")
            elif p.pointer:
                length = table._derived_length(c, p)
                if length and length.startswith("fixed("):
                    self.fixed_array(p, table._call_args(length)[0])
                elif length and length.startswith("size("):
                    self.counted_array(p, put.count[1], PARAMETER_ROOM)
                else:
                    self.counted_array(p, put.count[1])
            else:
                self.scalar(p)

    def lines(self):
        c = self.c
        outs = [0]
        params = c.proto.params
        image_params = [p for p in params if role_word(c, p, "image(")]
        if image_params:
            # The flags word stands in an argument group of its own.
            null = "null" in table._call_args(role_word(c, image_params[0], "image("))
            self.locals.append("    GLbitfield flags = 0;")
            self.body.append("    __glsReaderGetImageFlags(reader, &flags);")
            self.body.append("    if (!reader->error && (flags & ~(GLbitfield)%s))"
                             % ("__GLS_IMAGE_NULL_BIT" if null else "0"))
            self.body.append("        __glsReaderRaiseError(reader, GLS_PARAMETER_ERROR);")
            self.body.append("    __glsReaderNextArgGroup(reader);")
            self.before_call.append("        if (!ctx->glInfo.unpackDefaultsSet) __glsPixelUnpackDefaults();")
        for p in params:
            if p in image_params:
                self.image(p, role_word(c, p, "image("))
            else:
                self.param(p, table.param_puts(c, p, outs))
        if any(is_image_output(p) for p in params):
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
    cmds, _ = table.load()
    L = [table.header(__file__), "#include <stdint.h>", "#include <stdlib.h>", "",
         '#include "capture/capture.h"', '#include "client/size.h"', '#include "read/decode.h"',
         '#include "read/text_reader.h"', "", 'extern "C" {', ""]
    own = ("reader", "ctx", "savedOutArgs", "flags")
    for c in cmds.values():
        if any(p.name in own or p.name.startswith(("heap_", "count_", "room_", "bytes_"))
               for p in c.proto.params):
            sys.exit("text: a parameter of %s has the name of a decoder's own local" % c.name)
    groups = {k: 0 for k in GROUP_COUNTS}
    for op, c in sorted(cmds.items()):
        groups[group(c)] += 1
        L += TextDecoder(c).lines()
        L.append("")
    bad = ["%s: %d, expected %d" % (k, groups[k], GROUP_COUNTS[k])
           for k in GROUP_COUNTS if groups[k] != GROUP_COUNTS[k]]
    if bad:
        sys.exit("text decoders: " + "; ".join(bad))
    L.append("const __GLSdecodeTextFunc __glsDispatchDecode_text[GLS_OP_COUNT] = {")
    L += table.slots(cmds, lambda c: "__gls_decode_text_" + c.name, "nullptr")
    L.append("};")
    L.append("}  // extern \"C\"")
    table.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
