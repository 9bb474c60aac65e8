"""The record of each command, derived once from its roles: the fields of
its argument block in order, each with the writer slot that puts it, its
arguments, its size and its offset. The capture functions write these
fields, the decoders read them back at their offsets; no generator derives a
record on its own.

An image command's record starts with the image-flags word and the bulk
break; its other arguments follow from offset 4, its images last."""

import sys

import model

SCALAR_SLOTS = {  # base type: (slot, bytes, how the value reaches the slot)
    "GLenum": ("putGLenum", 4, "%s"), "GLint": ("putGLint", 4, "%s"),
    "GLsizei": ("putGLint", 4, "%s"), "GLuint": ("putGLuint", 4, "%s"),
    "GLfloat": ("putGLfloat", 4, "__glsFloatBits(&%s)"),
    "GLclampf": ("putGLfloat", 4, "__glsFloatBits(&%s)"),
    "GLdouble": ("putGLdouble", 8, "__glsDoubleBits(&%s)"),
    "GLclampd": ("putGLdouble", 8, "__glsDoubleBits(&%s)"),
    "GLboolean": ("putGLboolean", 1, "%s"), "GLSenum": ("putGLSenum", 4, "%s"),
    "GLSopcode": ("putGLSopcode", 4, "%s"), "GLlong": ("putGLlong", 8, "%s"),
}
OR_ENUM_SLOTS = {"GLint": "putGLintOrEnum", "GLfloat": "putGLfloatOrEnum",
                 "GLdouble": "putGLdoubleOrEnum"}
VECTOR_SLOTS = {  # element type: (slot, element bytes)
    "GLboolean": ("putGLbooleanv", 1), "GLbyte": ("putGLbytev", 1),
    "GLubyte": ("putGLubytev", 1), "GLshort": ("putGLshortv", 2),
    "GLushort": ("putGLushortv", 2), "GLint": ("putGLintv", 4), "GLuint": ("putGLuintv", 4),
    "GLfloat": ("putGLfloatv", 4), "GLclampf": ("putGLfloatv", 4),
    "GLdouble": ("putGLdoublev", 8), "GLlong": ("putGLlongv", 8),
}
OR_ENUM_VECTOR_SLOTS = {"GLint": "putGLintvOrEnum", "GLfloat": "putGLfloatvOrEnum",
                        "GLdouble": "putGLdoublevOrEnum"}
MATRIX_SLOTS = {"GLfloat": ("putGLfloatMatrix", 64), "GLdouble": ("putGLdoubleMatrix", 128)}
# Scalar meanings whose slot renders the value by what it means.
MEANING_SLOTS = {"umask": ("putGLuintHex", 4), "stipple": ("putGLushortHex", 2),
                 "blend": ("putBlendFactor", 4), "stencilop": ("putStencilOp", 4),
                 "drawbuffer": ("putDrawBuffer", 4), "mask(clear)": ("putClearMask", 4),
                 "mask(attrib)": ("putAttribMask", 4),
                 "mask(clientAttrib)": ("putClientAttribMask", 4), "enum": ("putGLenum", 4)}


def _fail(c, role, why):
    sys.exit("layout: %s(%s): %s" % (c.name, role.name if role else "", why))


class Offset:
    """A position in the argument block: a constant and the byte-count
    variables of the variable-length fields before it."""

    def __init__(self, const=0, terms=()):
        self.const, self.terms = const, tuple(terms)

    def plus(self, size):
        if size.isdigit():
            return Offset(self.const + int(size), self.terms)
        return Offset(self.const, self.terms + ("(%s)" % size,))

    def expr(self):
        return " + ".join([str(self.const)] * (self.const > 0 or not self.terms) + list(self.terms))

    def at(self, base="inoutPtr"):
        """The address of the position, for reading or handing on."""
        return "%s + %s" % (base, self.expr()) if self.expr() != "0" else base


class Field:
    """One writer call of the record: its slot (a put-table slot, or a writer
    function for images, lists and indices), its arguments after the writer,
    its bytes (a C expression; None where the record says nothing of them),
    whether it is an 8-byte value, the (variable, expression) of the count
    it needs computed before the command begins, and its offset.

    `native` says how the field's bytes look in a binary stream of the
    host's own order, where that is the argument as it lies: ("value", C
    expression) for a scalar of `size` bytes, ("copy", pointer) for bytes
    copied from the caller, ("zero",) for padding; None for a field that
    binary writers render otherwise (strings, pointers, images, arrays sized
    at run time)."""

    def __init__(self, role, slot, args, size, wide=False, count=None, native=None):
        self.role, self.slot, self.args, self.size = role, slot, args, size
        self.wide, self.count, self.native = wide, count, native
        self.offset = None

    def statement(self):
        """The C statement that writes the field through writer w."""
        if self.slot.startswith("__gls"):
            return "%s(%s);" % (self.slot, ", ".join(["w"] + self.args))
        return "w->put.%s(%s);" % (self.slot, ", ".join(["w"] + self.args))

    def native_statement(self, base):
        """The C statement that stores the field at its offset from base, in
        the host's order."""
        at = self.offset.at(base)
        if self.native[0] == "value":
            return "__glsStoreNative%s(%s, %s);" % (self.size, at, self.native[1])
        if self.native[0] == "copy":
            return "memcpy(%s, %s, %s);" % (at, self.native[1], self.size)
        return "memset(%s, 0, %s);" % (at, self.size)


def _scalar(c, r):
    p = r.param
    if r.meaning == "headerint":
        return Field(r, "putGLintOrGLSenum", [r.attrib, p.name], "4", native=("value", p.name))
    if r.meaning:
        slot, size = MEANING_SLOTS[r.meaning]
        return Field(r, slot, [p.name], str(size), native=("value", p.name))
    if p.base not in SCALAR_SLOTS:
        _fail(c, r, "no slot for a %s" % p.base)
    slot, size, value = SCALAR_SLOTS[p.base]
    native = ("value", value % p.name)
    if r.orenum:
        if p.base not in OR_ENUM_SLOTS:
            _fail(c, r, "no or-enum slot for %s" % p.base)
        return Field(r, OR_ENUM_SLOTS[p.base], [r.orenum, value % p.name], str(size), size == 8,
                     native=native)
    return Field(r, slot, [value % p.name], str(size), size == 8, native=native)


def _array(c, r):
    p = r.param
    if p.base not in VECTOR_SLOTS:
        _fail(c, r, "no array slot for %s elements" % p.base)
    slot, elem = VECTOR_SLOTS[p.base]
    if r.orenum:
        if p.base not in OR_ENUM_VECTOR_SLOTS:
            _fail(c, r, "no or-enum array slot for %s" % p.base)
        slot = OR_ENUM_VECTOR_SLOTS[p.base]
    count = None
    if r.length.kind == "fixed":
        n = r.length.args[0]
    else:
        n = "count_" + p.name
        count = (n, r.length.count(c))
    size = str(int(n) * elem) if n.isdigit() else ("%d * %s" % (elem, n) if elem > 1 else n)
    return Field(r, slot, ([r.orenum] if r.orenum else []) + [n, p.name], size, elem == 8, count,
                 ("copy", p.name) if n.isdigit() else None)


def image_suffix(c, r):
    """The size function of an image is its command's, or, for a command of
    two images, its command's followed by the parameter name."""
    return "_" + r.name if len(c.images) > 1 else ""


def _image(c, r):
    n = "bytes_" + r.name
    size = "__glsSize_%s%s(%s)" % (c.name, image_suffix(c, r), ", ".join(r.size_args(c)))
    return Field(r, "__glsCapturePutImage",
                 [r.format, r.type, r.width, r.height, r.depth, n, r.name], n,
                 count=(n, "__glsImageBytes(%s, %s)" % (r.name, size)))


def uncountable(c, r, size):
    """For a list, index or vertex-data array, the C condition under which
    its count is positive and its size rule, which knows the element size,
    gives `size` 0 bytes: the product passes 31 bits, no record can hold
    it, and a decoder must refuse the command rather than hand the GL an
    empty array of that count. None for other roles."""
    if isinstance(r, (model.Lists, model.Indices)):
        n, args = (r.n if isinstance(r, model.Lists) else r.count), ["1", r.type]
    elif isinstance(r, model.VertexData):
        n, args = r.count, [r.format, "1"]
    else:
        return None
    return "%s > 0 && !%s && __glsSize_%s(%s) > 0" % (n, size, c.name, ", ".join(args))


def positive_extents(r):
    """The C condition that every extent an image has is above 0, so that
    the GL reads pixels from it."""
    return " && ".join("(%s) > 0" % e for e in (r.width, r.height, r.depth) if e != "0")


def fields_of(c, r):
    """The fields of one role."""
    p = r.param
    if isinstance(r, model.Pad):
        return [Field(r, "padInCommand", [r.n], r.n, native=("zero",))]
    if isinstance(r, model.Scalar):
        return [_scalar(c, r)]
    if isinstance(r, model.OutPointer):
        return [Field(r, "putOutArg", [str(r.index), p.name], "8", True)]
    if isinstance(r, model.ArrayPointer):
        return [Field(r, "putArrayPointer", [p.name], "8", True)]
    if isinstance(r, model.String):
        var = "bytes_" + p.name
        return [Field(r, "putString", [var, p.name], var,
                      count=(var, "__glsStringBytes(ctx, %s)" % p.name))]
    if isinstance(r, model.VertexData):
        var = "bytes_" + p.name
        return [Field(r, "putVertexArrayData", [r.format, var, p.name], var,
                      count=(var, "__glsCount(__glsSize_%s(%s, %s))" % (c.name, r.format, r.count)))]
    if isinstance(r, model.Matrix):
        slot, size = MATRIX_SLOTS[p.base]
        return [Field(r, slot, [p.name], str(size), size == 128, native=("copy", p.name))]
    if isinstance(r, model.Array):
        return [_array(c, r)]
    if isinstance(r, model.Image):
        return [_image(c, r)]
    if isinstance(r, model.Lists):
        var = "count_" + p.name
        return [Field(r, "__glsWriterPutIndexArray", [r.type, "%s ? %s : 0" % (var, r.n), p.name],
                      var, count=(var, "__glsCount(__glsSize_%s(%s, %s))" % (c.name, r.n, r.type)))]
    if isinstance(r, model.Indices):
        var = "count_" + p.name
        return [Field(r, "__glsWriterPutIndices", [r.type, "%s ? %s : 0" % (var, r.count), p.name],
                      var, count=(var, "__glsCount(__glsSize_%s(%s, %s))" % (c.name, r.count, r.type)))]
    if isinstance(r, model.Points):
        return [Field(r, "points", [p.name], None)]
    _fail(c, r, "no fields for this role")


class Layout:
    """The record of one command: `fields` in the order the capture function
    writes them, each with its offset; `align` the parity of the 4-byte
    words before the first 8-byte value (a C expression), None for a record
    without one; `bytes` the argument bytes as one C expression, None when
    the record holds a field whose size the layout does not know; `native`
    true for a GL command whose record has a fixed size and only fields
    that lie in a binary stream of the host's order as they lie in memory,
    so that a capture function may store it whole."""

    def __init__(self, c):
        self.command = c
        fields = [f for r in c.roles for f in fields_of(c, r)]
        if c.images:
            images = [f for f in fields if isinstance(f.role, model.Image)]
            others = [f for f in fields if not isinstance(f.role, model.Image)]
            null = [r.name for r in c.images if r.null]
            head = [Field(None, "putGLSimageFlags",
                          ["%s ? 0 : GLS_IMAGE_NULL_BIT" % null[0] if null else "0"], "4"),
                    Field(None, "breakArgs", [], "0")]
            fields = head + others + images
        self.fields = fields
        offset = Offset()
        for f in fields:
            f.offset = offset
            if f.size is None:
                offset = None
                break
            offset = offset.plus(f.size) if f.size != "0" else offset
        self.end = offset
        self.align = self._align()
        self.bytes = self._bytes()
        self.native = (not c.is_gls and self.bytes is not None and self.bytes.isdigit()
                       and all(f.native for f in fields))

    def _align(self):
        before = []
        for f in self.fields:
            if f.wide:
                if not before:
                    return "0"
                if all(b.isdigit() for b in before):
                    return str(sum(int(b) for b in before) // 4 % 2)
                return "(GLuint)(((%s) / 4) & 1)" % " + ".join(before)
            if f.size is None:
                return None
            before.append(f.size)
        return None

    def _bytes(self):
        if any(f.size is None for f in self.fields):
            return None
        fixed = sum(int(f.size) for f in self.fields if f.size.isdigit())
        terms = [f.size for f in self.fields if not f.size.isdigit()]
        return " + ".join(([str(fixed)] if fixed or not terms else []) + terms)

    def fields_of(self, param):
        return [f for f in self.fields if f.role is not None and f.role.param is param]


_layouts = {}


def of(c):
    """The layout of command c, derived once."""
    if c.name not in _layouts:
        _layouts[c.name] = Layout(c)
    return _layouts[c.name]


def counted(cmds):
    """The layout's own value of each count of model.COUNTS it answers for."""
    return {"__GLS_ALIGNED_COMMAND_COUNT": sum(1 for c in cmds.values() if of(c).align is not None)}


def check(cmds):
    """Fails the build when the records drift from their counts."""
    bad = model.drift(counted(cmds))
    if bad:
        sys.exit("layout: " + "; ".join(bad))
