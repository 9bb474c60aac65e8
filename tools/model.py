"""The command model every generator shares: each command of
tools/commands.py with its C prototype (from the table for the GLS commands,
from the registry for GL) and, per parameter, its role: a typed object that
says what the argument is in a record. The record itself (order, sizes,
offsets) is tools/layout.py's; the model checks itself against the counts
the library relies on, the layout the counts of its records. Nothing here
writes files."""

import re
import sys

import commands
import registry

OPCODE_COUNT = 496


def _fail(c, p, why):
    sys.exit("model: %s(%s): %s" % (c.name, p.name if p else "", why))


# ------------------------------------------------------------------ lengths

class Length:
    """How many elements an array holds: a fixed number, a count argument
    (none for a negative one), or a size function of arguments."""

    def __init__(self, kind, args):
        self.kind, self.args = kind, list(args)

    def count(self, c, suffix=""):
        """The element count as a C expression of the command's arguments."""
        if self.kind == "fixed":
            return self.args[0]
        if self.kind == "count":
            return "__glsCount(%s)" % self.args[0]
        return "__glsCount(__glsSize_%s%s(%s))" % (c.name, suffix, ", ".join(self.args))

    def __eq__(self, other):
        return isinstance(other, Length) and (self.kind, self.args) == (other.kind, other.args)


def registry_length(c, p):
    """The length of a pointer by the registry's len attribute, or by the GLS
    rule that an array of a GLS command is counted by inCount; None when
    neither says."""
    if p.length:
        if p.length.isdigit():
            return Length("fixed", [p.length])
        if p.length.startswith("COMPSIZE("):
            return Length("size", _args(p.length))
        if re.match(r"^\w+$", p.length):
            return Length("count", [p.length])
        _fail(c, p, "registry length %r has no role" % p.length)
    if c.is_gls and any(q.name == "inCount" for q in c.proto.params):
        return Length("count", ["inCount"])
    return None


# -------------------------------------------------------------------- roles
# One per parameter; a parameter may also have pads before or after its role.

class Role:
    def __init__(self, param):
        self.param = param

    @property
    def name(self):
        return self.param.name


class Scalar(Role):
    """A value passed by value. `meaning` is None for the plain value of its
    type, or the word that names how the value is rendered (umask, stipple,
    blend, stencilop, drawbuffer, mask(...), enum, headerint); `orenum` the
    pname parameter when the value may be an enumerant."""

    def __init__(self, param, meaning=None, orenum=None, attrib=None):
        Role.__init__(self, param)
        self.meaning, self.orenum, self.attrib = meaning, orenum, attrib


class Array(Role):
    """A const array of values, its length known before the command begins."""

    def __init__(self, param, length, orenum=None):
        Role.__init__(self, param)
        self.length, self.orenum = length, orenum

    def by_name(self, c):
        """Whether the array is a parameter vector sized by the command's
        parameter name alone."""
        names = [p.name for p in c.proto.params if p.name in ("pname", "inAttrib")]
        return self.length.kind == "size" and self.length.args == names[:1] and bool(names)


class Matrix(Role):
    """16 GLfloat or GLdouble values."""


class String(Role):
    """A zero-terminated string in the context's character type."""


class OutPointer(Role):
    """An output pointer: the stream keeps its address value, numbered
    0, 1, 2 in parameter order; `length` counts what the GL writes there."""

    def __init__(self, param, index, length):
        Role.__init__(self, param)
        self.index, self.length = index, length


class ArrayPointer(Role):
    """A client array pointer: the stream keeps its address value."""


class VertexData(Role):
    """The vertex data of glsDrawVertexArray, in an interleaved format."""

    def __init__(self, param, format, count):
        Role.__init__(self, param)
        self.format, self.count = format, count


class Image(Role):
    """Pixels laid out by the unpack modes: format and type (arguments or
    constants), the extents width, height and depth (0 for none), and the
    null rule: with `null`, a null pointer is recorded as the image-flags
    null bit and handed back as null; without, it is an empty image.
    Its byte count is __glsSize_<command>[_<parameter>] of the arguments
    among format, type and extents, and the pointer."""

    def __init__(self, param, format, type, width, height, depth, null):
        Role.__init__(self, param)
        self.format, self.type = format, type
        self.width, self.height, self.depth = width, height, depth
        self.null = null

    def size_args(self, c):
        names = {p.name for p in c.proto.params}
        return [a for a in (self.format, self.type, self.width, self.height, self.depth)
                if a in names] + [self.name]


class Points(Role):
    """The evaluator control points, k values a point, read by the strides
    and orders named."""

    def __init__(self, param, args):
        Role.__init__(self, param)
        self.args = args


class Lists(Role):
    """The glCallLists names: n of them, of the given type."""

    def __init__(self, param, n, type):
        Role.__init__(self, param)
        self.n, self.type = n, type


class Indices(Role):
    """The glDrawElements indices: count of them, of the given type."""

    def __init__(self, param, count, type):
        Role.__init__(self, param)
        self.count, self.type = count, type


class Pad(Role):
    """n zero bytes in the record, before or after a parameter's value."""

    def __init__(self, param, n):
        Role.__init__(self, param)
        self.n = n


def _words(text):
    """Role words; the parenthesised part of a word may hold spaces."""
    return re.findall(r"[\w]+(?:\([^)]*\))?", text)


def _args(word):
    m = re.match(r"[\w]+\((.*)\)$", word)
    return [a.strip() for a in m.group(1).split(",") if a.strip()] if m else []


MEANINGS = {  # role word: the C type it takes
    "umask": "GLuint", "stipple": "GLushort", "blend": "GLenum", "stencilop": "GLenum",
    "drawbuffer": "GLenum", "mask(clear)": "GLbitfield", "mask(attrib)": "GLbitfield",
    "mask(clientAttrib)": "GLbitfield", "enum": "GLint",
}


def _role(c, p, word, orenum, outs):
    """The role of parameter p given by one role word."""
    pname = "pname" if any(q.name == "pname" for q in c.proto.params) else None
    if orenum and not pname:
        _fail(c, p, "orenum needs a pname parameter")
    kind, args = word.split("(")[0], _args(word)
    if not p.pointer:
        if word in MEANINGS:
            if p.base != MEANINGS[word]:
                _fail(c, p, "role %s takes a %s" % (word, MEANINGS[word]))
            return Scalar(p, word)
        if kind == "headerint":
            return Scalar(p, "headerint", attrib=args[0])
        if word == "value":
            return Scalar(p, None, pname if orenum else None)
        _fail(c, p, "no role %s for a %s" % (word, p.base))
    if "const" not in p.ctype:
        if word not in ("value", "out"):
            _fail(c, p, "an output pointer takes no role %s" % word)
        outs[0] += 1
        return OutPointer(p, outs[0] - 1, registry_length(c, p))
    if word == "arrayptr":
        return ArrayPointer(p)
    if word == "string" or (word == "value" and c.is_gls and p.base == "GLubyte"):
        return String(p)
    if kind == "vertexdata":
        return VertexData(p, *args)
    if kind == "image":
        if len(args) not in (5, 6) or (len(args) == 6 and args[5] != "null"):
            _fail(c, p, "image(format, type, width, height, depth[, null])")
        return Image(p, *args[:5], null=len(args) == 6)
    if kind == "points":
        return Points(p, args)
    if kind == "lists":
        return Lists(p, *args)
    if kind == "indices":
        return Indices(p, *args)
    if word == "matrix":
        if registry_length(c, p) != Length("fixed", ["16"]) or p.base not in ("GLfloat", "GLdouble"):
            _fail(c, p, "a matrix is 16 GLfloat or GLdouble")
        return Matrix(p)
    if word == "value":
        length = registry_length(c, p)
    elif kind in ("fixed", "count", "size"):
        length = Length(kind, args)
    else:
        _fail(c, p, "unknown role %s" % word)
    if length is None:
        _fail(c, p, "pointer without a length or a role")
    return Array(p, length, pname if orenum else None)


def _param_roles(c, p, outs):
    """The roles of one parameter in record order: pads and its one role."""
    words = _words(c.role_words.get(p.name, "value"))
    orenum = "orenum" in words
    words = [w for w in words if w != "orenum"] or ["value"]
    if sum(1 for w in words if not w.startswith("pad(")) != 1:
        _fail(c, p, "roles must name one value")
    return [Pad(p, _args(w)[0]) if w.startswith("pad(") else _role(c, p, w, orenum, outs)
            for w in words]


# ----------------------------------------------------------------- commands

class Command:
    def __init__(self, row):
        self.op = row["op"]
        self.name = row["name"]
        self.entry = row["entry"]
        self.attrs = row["attrs"]
        self.alias = row["alias"]
        self.role_words = row["args"]
        self.hand = row["hand"]
        if row["sig"]:
            self.proto = registry.parse_proto(row["sig"])
            if self.proto.name != self.name:
                sys.exit("model: signature of %s names %s" % (self.name, self.proto.name))
        else:
            self.proto = registry.proto(self.name)
        for name in self.role_words:
            if not any(p.name == name for p in self.proto.params):
                sys.exit("model: %s has no parameter %s" % (self.name, name))
        outs = [0]
        # Per parameter, in order, its roles (pads included).
        self.params = [(p, _param_roles(self, p, outs)) for p in self.proto.params]
        both = commands.WRITE | commands.DECODE
        if self.roles_of(Points) and self.hand & both != both:
            sys.exit("model: %s: control points need a hand-written write step and decoder"
                     % self.name)
        if sum(1 for r in self.images if r.null) > 1:
            sys.exit("model: %s: one image-flags null bit serves one image only" % self.name)

    @property
    def roles(self):
        """Every role, in parameter order."""
        return [r for _, rs in self.params for r in rs]

    def role(self, name):
        """The one role (not a pad) of the parameter named."""
        return next(r for p, rs in self.params if p.name == name for r in rs
                    if not isinstance(r, Pad))

    def roles_of(self, kind):
        return [r for r in self.roles if isinstance(r, kind)]

    @property
    def images(self):
        return self.roles_of(Image)

    @property
    def is_gls(self):
        return self.op < 48

    @property
    def internal_name(self):
        """Name of the internal entry point of an opcode reached through one."""
        return self.alias or self.name

    def functype(self):
        return "__GLSfunc_" + self.name


def placeholders():
    """The capture placeholders' prototypes, in table order."""
    return [registry.parse_proto(e[2]) if len(e) > 2 else registry.proto(e[1])
            for e in commands.PLACEHOLDERS]


def checked_names(cmds):
    """(api name, its own prototype, command) for every command name and alias:
    the names under which the debugger performs a command through GLS."""
    out = [(c.name, c.proto, c) for op, c in sorted(cmds.items())]
    out += [(c.alias, registry.proto(c.alias), c) for op, c in sorted(cmds.items()) if c.alias]
    return out


def commands_by_op():
    return {c.op: c for c in (Command(r) for r in commands.COMMANDS)}


class Exports:
    """The exported gl entry points, sorted into their kinds."""

    def __init__(self, cmds):
        by_name = {c.name: c for c in cmds.values()}
        self.stubs, self.forwards, self.scalars = [], [], []
        for n in registry.gl11_names():
            c = by_name.get(n)
            if c and c.entry == commands.STUB:
                self.stubs.append(c)
            elif c and c.entry == commands.FORWARD:
                self.forwards.append(c)
            elif not c and (n + "v") in by_name and by_name[n + "v"].entry == commands.STUB:
                self.scalars.append((registry.proto(n), by_name[n + "v"]))
            else:
                sys.exit("model: exported name %s has no place in the table" % n)
        self.internal = [c for c in cmds.values() if c.entry in (commands.FORWARD, commands.INTERNAL)]
        # Forwarders of internal entry points that are not exported.
        self.internal_forwards = [c for c in self.internal
                                  if c.alias and c.entry == commands.INTERNAL]
        self.gl_names = sorted(registry.gl11_names())
        self.wgl_names = sorted(n for n, _ in commands.WGL)
        self.wgl_words = dict(commands.WGL)


# The counts the library's tables and export table are built for: the build
# fails when the model (or, for the records, the layout) drifts from them,
# and gls_functions.h gives each its C name, so that the tests count against
# the same numbers.
COUNTS = [
    ("__GLS_DEFINED_OPCODE_COUNT", "defined opcodes", 335),
    ("__GLS_OPCODES_GLS_COUNT", "GLS opcodes", 30),
    ("__GLS_OPCODES_GL_COUNT", "GL opcodes", 305),
    ("__GLS_OP_ALIAS_COUNT", "aliases", 52),
    ("__GLS_NOARGS_OPCODE_COUNT", "no-argument opcodes", 16),
    ("__GLS_CLIENT_OPCODE_COUNT", "client opcodes", 29),
    ("__GLS_GET_OPCODE_COUNT", "get opcodes", 47),
    ("__GLS_ALIGNED_COMMAND_COUNT", "commands with an 8-byte value, which align their records", 95),
    ("__GLS_DISPATCH_STUB_COUNT", "dispatch stubs", 246),
    ("__GLS_SCALAR_FORM_COUNT", "scalar forms", 75),
    ("__GLS_INTERNAL_ENTRY_COUNT", "internal entry points", 59),
    ("__GLS_EXPORTED_FORWARDER_COUNT", "exported forwarders", 15),
    ("__GLS_INTERNAL_FORWARDER_COUNT", "internal forwarders", 37),
    ("__GLS_GL_EXPORT_COUNT", "exported gl names", 336),
    ("__GLS_WGL_EXPORT_COUNT", "exported wgl names", 24),
    ("__GLS_CAPTURE_PLACEHOLDER_COUNT", "capture placeholders", 103),
]


def counted(cmds, exports):
    """The model's own value of every count but the layout's, by C name."""
    ops = sorted(cmds)

    def having(attr):
        return sum(1 for c in cmds.values() if c.attrs & attr)

    return {
        "__GLS_DEFINED_OPCODE_COUNT": len(ops),
        "__GLS_OPCODES_GLS_COUNT": sum(1 for o in ops if 16 <= o <= 45),
        "__GLS_OPCODES_GL_COUNT": sum(1 for o in ops if o >= 48),
        "__GLS_OP_ALIAS_COUNT": sum(1 for c in cmds.values() if c.alias),
        "__GLS_NOARGS_OPCODE_COUNT": having(commands.NOARGS),
        "__GLS_CLIENT_OPCODE_COUNT": having(commands.CLIENT),
        "__GLS_GET_OPCODE_COUNT": having(commands.GET),
        "__GLS_DISPATCH_STUB_COUNT": len(exports.stubs),
        "__GLS_SCALAR_FORM_COUNT": len(exports.scalars),
        "__GLS_INTERNAL_ENTRY_COUNT": len(exports.internal),
        "__GLS_EXPORTED_FORWARDER_COUNT": len(exports.forwards),
        "__GLS_INTERNAL_FORWARDER_COUNT": len(exports.internal_forwards),
        "__GLS_GL_EXPORT_COUNT": len(exports.gl_names),
        "__GLS_WGL_EXPORT_COUNT": len(exports.wgl_names),
        "__GLS_CAPTURE_PLACEHOLDER_COUNT": len(commands.PLACEHOLDERS),
    }


def drift(got):
    """Each count of `got` (values by C name) that differs from COUNTS, said."""
    return ["%s: %d, expected %d" % (what, got[name], exp)
            for name, what, exp in COUNTS if name in got and got[name] != exp]


def check(cmds, exports):
    """Fails the build when the model drifts from its counts."""
    bad = drift(counted(cmds, exports))
    for o in sorted(cmds):
        if not (0 < o < OPCODE_COUNT):
            bad.append("opcode %d outside the opcode space" % o)
    if bad:
        sys.exit("model: " + "; ".join(bad))


# The attribute bits of the opcode table, by their C names.
ATTRIBUTES = [("__GLS_ATTRIB_NOARGS", commands.NOARGS), ("__GLS_ATTRIB_CLIENT", commands.CLIENT),
              ("__GLS_ATTRIB_GET", commands.GET)]


def load():
    cmds = commands_by_op()
    exports = Exports(cmds)
    check(cmds, exports)
    return cmds, exports


# ---------------------------------------------------- the debugger's commands
# The debugger knows each GL command by a command id: every GL opcode's name,
# every alias, and the SGI extension commands GLS has no opcode for; the GLU,
# GDI and wgl names follow them. Each GL id has its opcode, the capture call
# that performs it, its check and the kind of its result.

GL_IDS = 460
GLU_BASE, GDI_BASE, WGL_BASE, PBUFFER_BASE = 460, 520, 526, 550
NAME_COUNT = 554
RESULT_NONE, RESULT_VALUE, RESULT_BOOLEAN = "none", "value", "boolean"


class DebuggerRow:
    """One GL command id of the debugger: its name, opcode and own prototype;
    `placeholder` when GLS has no opcode for it (its capture call does
    nothing)."""

    def __init__(self, name, op, proto, placeholder, long_text=False):
        self.id = None
        self.name, self.op, self.proto, self.placeholder = name, op, proto, placeholder
        self.hook = name in commands.HOOKS
        self.long_text = long_text

    @property
    def capture(self):
        return ("__gls_null_capture_" if self.placeholder else "__gls_checked_capture_") + self.name

    @property
    def result(self):
        if self.proto.ret == "void":
            return RESULT_NONE
        return RESULT_BOOLEAN if self.proto.ret == "GLboolean" else RESULT_VALUE

    def hook_decl(self):
        params = ", ".join(["DebugThreadContext *ctx"] + ["%s%s%s" % (
            p.ctype, "" if p.ctype.endswith("*") else " ", p.name) for p in self.proto.params])
        return "void GLSAPI check_%s(%s)" % (self.name, params)


def id_order(name):
    """Command ids follow the names with upper- and lower-case letters taken
    as equal, so digits come before letters (glFogf, glFogFuncSGIS, glFogfv)."""
    return (name.lower(), name)


def long_text(c):
    """Whether a command's text may be long (an image, control points, list
    names or a counted array) while writing it asks the GL nothing (no
    vertex-array expander, no output whose size the GL says): the debugger
    writes such a command's history after its call into the system, not
    inside it."""
    if c.hand & commands.EXPAND or c.roles_of(OutPointer):
        return False
    return any(isinstance(r, (Image, Points, Lists)) or (isinstance(r, Array) and r.length.kind == "count")
               for r in c.roles)


def debugger_rows(cmds):
    rows = []
    for op, c in sorted(cmds.items()):
        if c.is_gls:
            continue
        rows.append(DebuggerRow(c.name, op, c.proto, False, long_text(c)))
        if c.alias:
            rows.append(DebuggerRow(c.alias, op, registry.proto(c.alias), False, long_text(c)))
    for entry, proto in zip(commands.PLACEHOLDERS, placeholders()):
        rows.append(DebuggerRow(entry[1], entry[0], proto, True))
    rows.sort(key=lambda r: id_order(r.name))
    for i, r in enumerate(rows):
        r.id = i
    return rows


def wrapper_order(rows):
    """The installation order: glGetString first, then the names byte by
    byte, so that an alias is installed after (and so in place of) its core
    command's wrapper."""
    first = [r for r in rows if r.name == "glGetString"]
    return first + sorted((r for r in rows if r.name != "glGetString"), key=lambda r: r.name)


def debugger_names(rows):
    """The 554 command names by id; None for the empty id 525."""
    out = [r.name for r in rows] + list(commands.GLU) + list(commands.GDI) + [None]
    out += [n for n, _ in commands.WGL] + list(commands.PBUFFER)
    return out


def check_debugger(cmds, rows):
    gls_ops = set(cmds)
    kinds = {}
    for r in rows:
        key = (r.result, r.hook)
        kinds[key] = kinds.get(key, 0) + 1
    exported = set(registry.gl11_names())
    want = [
        ("GL command ids", len(rows), GL_IDS),
        ("performed through a checked capture", sum(1 for r in rows if not r.placeholder), 357),
        ("placeholders", sum(1 for r in rows if r.placeholder), 103),
        ("checks", sum(1 for r in rows if r.hook), 114),
        ("no result, no check", kinds.get((RESULT_NONE, False), 0), 331),
        ("no result, a check", kinds.get((RESULT_NONE, True), 0), 113),
        ("a 32-bit result, no check", kinds.get((RESULT_VALUE, False), 0), 8),
        ("a boolean result, no check", kinds.get((RESULT_BOOLEAN, False), 0), 7),
        ("a result and a check", kinds.get((RESULT_VALUE, True), 0), 1),
        ("exported names among them", sum(1 for r in rows if r.name in exported), 261),
        ("opcodes in force", len({r.op for r in rows if not r.placeholder}), 305),
        ("GLU names", len(commands.GLU), GDI_BASE - GLU_BASE),
        ("GDI names", len(commands.GDI), WGL_BASE - 1 - GDI_BASE),
        ("wgl names", len(commands.WGL), PBUFFER_BASE - WGL_BASE),
        ("pbuffer names", len(commands.PBUFFER), NAME_COUNT - PBUFFER_BASE),
    ]
    bad = ["%s: %d, expected %d" % (what, got, exp) for what, got, exp in want if got != exp]
    by_name = {r.name: r for r in rows}
    bad += ["check of %s, which is no GL command id" % n for n in commands.HOOKS if n not in by_name]
    bad += ["check of the placeholder %s" % r.name for r in rows if r.placeholder and r.hook]
    if len({id_order(r.name)[0] for r in rows}) != len(rows):
        bad.append("two names differ only in letter case")
    placeholder_ops = [r.op for r in rows if r.placeholder]
    if len(set(placeholder_ops)) != len(placeholder_ops):
        bad.append("two placeholders share an opcode")
    bad += ["placeholder %s has opcode %d, which GLS defines" % (r.name, r.op)
            for r in rows if r.placeholder and (r.op in gls_ops or not 0 < r.op < OPCODE_COUNT)]
    # An opcode with two rows keeps the later one's wrapper: the alias's.
    position = {r.name: i for i, r in enumerate(wrapper_order(rows))}
    for c in cmds.values():
        if c.alias and not c.is_gls and position[c.alias] < position[c.name]:
            bad.append("%s is installed before %s" % (c.alias, c.name))
        if c.alias and not c.is_gls and by_name[c.alias].id < by_name[c.name].id:
            bad.append("%s has a lower id than %s" % (c.alias, c.name))
    if bad:
        sys.exit("model: the debugger's command ids: " + "; ".join(bad))


def load_debugger():
    """The debugger's GL command ids, checked."""
    cmds, _ = load()
    rows = debugger_rows(cmds)
    check_debugger(cmds, rows)
    return rows
