"""Reads the command table and the Khronos registry into one model that every
generator shares, and checks the model against the counts the library relies
on. Nothing here writes files."""

import os
import re
import sys
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import commands  # noqa: E402

REGISTRY = os.environ.get("GLS_REGISTRY", "/usr/share/khronos-api/gl.xml")
OPCODE_COUNT = 496


class Param:
    def __init__(self, ctype, name, length=None):
        self.ctype = ctype  # e.g. "const GLfloat *"
        self.name = name
        self.length = length  # the registry's len attribute of a pointer, if any

    @property
    def pointer(self):
        return "*" in self.ctype

    @property
    def base(self):
        """The type without const and pointer."""
        return self.ctype.replace("const", "").replace("*", "").strip()


class Proto:
    def __init__(self, ret, name, params):
        self.ret = ret
        self.name = name
        self.params = params

    def decl(self, name=None, conv="GLSAPI"):
        return "%s %s %s(%s)" % (self.ret, conv, name or self.name, self.param_list())

    def param_list(self):
        return ", ".join("%s%s%s" % (p.ctype, "" if p.ctype.endswith("*") else " ", p.name)
                         for p in self.params) or "void"

    def arg_list(self):
        return ", ".join(p.name for p in self.params)

    def functype(self, typename):
        return "typedef %s (GLSAPI *%s)(%s);" % (
            self.ret, typename, ", ".join(p.ctype for p in self.params) or "void")

    @property
    def returns(self):
        return self.ret != "void"

    def stack_bytes(self):
        """Bytes a callee-pops function removes on i686."""
        return sum(8 if (p.base in ("GLdouble", "GLclampd", "GLlong") and not p.pointer) else 4
                   for p in self.params)


def _text(node):
    return "".join(node.itertext())


def _parse_proto_text(text):
    text = " ".join(text.split())
    m = re.match(r"^(.*?)\s*(\w+)\s*\((.*)\)$", text)
    ret, name, args = m.group(1).strip(), m.group(2), m.group(3).strip()
    params = []
    if args and args != "void":
        for a in args.split(","):
            pm = re.match(r"^(.*?)(\w+)$", a.strip())
            params.append(Param(" ".join(pm.group(1).split()).replace(" *", " *"), pm.group(2)))
    return Proto(ret, name, params)


def _norm_ctype(t):
    t = " ".join(t.split())
    t = t.replace(" *", "*").replace("*", " *").strip()
    t = re.sub(r"\s+", " ", t)
    return t


_registry_cache = {}


def registry():
    """Commands, types and enumerants of the registry, read once."""
    if _registry_cache:
        return _registry_cache
    root = ET.parse(REGISTRY).getroot()
    cmds = {}
    for c in root.find("commands"):
        proto = c.find("proto")
        name = proto.find("name").text
        ret = _norm_ctype(_text(proto)[: -len(name)])
        params = []
        for p in c.findall("param"):
            pname = p.find("name").text
            ptype = _text(p)[: -len(pname)]
            params.append(Param(_norm_ctype(ptype), pname, p.get("len")))
        cmds[name] = Proto(ret, name, params)
    enums = {}
    for group in root.findall("enums"):
        for e in group.findall("enum"):
            api = e.get("api")
            if api and api != "gl":
                continue
            enums.setdefault(e.get("name"), e.get("value"))
    features = {}
    for f in root.findall("feature"):
        if f.get("api") != "gl":
            continue
        names = []
        for req in f.findall("require"):
            names += [c.get("name") for c in req.findall("command")]
        features[f.get("name")] = names
    types = []
    for t in root.find("types"):
        name = t.find("name")
        if name is None or t.get("api"):
            continue
        types.append((name.text, _text(t)))
    _registry_cache.update(commands=cmds, enums=enums, features=features, types=types)
    return _registry_cache


def reg_proto(name):
    cmds = registry()["commands"]
    if name not in cmds:
        sys.exit("table: %s is not in the registry %s" % (name, REGISTRY))
    return cmds[name]


class Command:
    def __init__(self, row):
        self.op = row["op"]
        self.name = row["name"]
        self.entry = row["entry"]
        self.attrs = row["attrs"]
        self.alias = row["alias"]
        self.roles = row["args"]
        self.hand = row["hand"]
        if row["sig"]:
            self.proto = _parse_proto_text(row["sig"])
            if self.proto.name != self.name:
                sys.exit("table: signature of %s names %s" % (self.name, self.proto.name))
        else:
            self.proto = reg_proto(self.name)

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
    return [_parse_proto_text(e[2]) if len(e) > 2 else reg_proto(e[1])
            for e in commands.PLACEHOLDERS]


def checked_names(cmds):
    """(api name, its own prototype, command) for every command name and alias:
    the names under which the debugger performs a command through GLS."""
    out = [(c.name, c.proto, c) for op, c in sorted(cmds.items())]
    out += [(c.alias, reg_proto(c.alias), c) for op, c in sorted(cmds.items()) if c.alias]
    return out


def commands_by_op():
    return {c.op: c for c in (Command(r) for r in commands.COMMANDS)}


def gl11_names():
    f = registry()["features"]
    return f["GL_VERSION_1_0"] + f["GL_VERSION_1_1"]


class Exports:
    """The exported gl entry points, sorted into their kinds."""

    def __init__(self, cmds):
        by_name = {c.name: c for c in cmds.values()}
        self.stubs, self.forwards, self.scalars = [], [], []
        for n in gl11_names():
            c = by_name.get(n)
            if c and c.entry == commands.STUB:
                self.stubs.append(c)
            elif c and c.entry == commands.FORWARD:
                self.forwards.append(c)
            elif not c and (n + "v") in by_name and by_name[n + "v"].entry == commands.STUB:
                self.scalars.append((reg_proto(n), by_name[n + "v"]))
            else:
                sys.exit("table: exported name %s has no place in the table" % n)
        self.internal = [c for c in cmds.values() if c.entry in (commands.FORWARD, commands.INTERNAL)]
        # Forwarders of internal entry points that are not exported.
        self.internal_forwards = [c for c in self.internal
                                  if c.alias and c.entry == commands.INTERNAL]
        self.gl_names = sorted(gl11_names())
        self.wgl_names = sorted(n for n, _ in commands.WGL)
        self.wgl_words = dict(commands.WGL)


def check(cmds, exports):
    """Fails the build when the model drifts from the counts the library's
    tables and export table are built for."""
    ops = sorted(cmds)
    want = [
        ("defined opcodes", len(ops), 335),
        ("GLS opcodes", sum(1 for o in ops if 16 <= o <= 45), 30),
        ("GL opcodes", sum(1 for o in ops if o >= 48), 305),
        ("aliases", sum(1 for c in cmds.values() if c.alias), 52),
        ("no-argument opcodes", sum(1 for c in cmds.values() if c.attrs & commands.NOARGS), 16),
        ("client opcodes", sum(1 for c in cmds.values() if c.attrs & commands.CLIENT), 29),
        ("get opcodes", sum(1 for c in cmds.values() if c.attrs & commands.GET), 47),
        ("dispatch stubs", len(exports.stubs), 246),
        ("scalar forms", len(exports.scalars), 75),
        ("internal entry points", len(exports.internal), 59),
        ("exported forwarders", len(exports.forwards), 15),
        ("internal forwarders", len(exports.internal_forwards), 37),
        ("exported gl names", len(exports.gl_names), 336),
        ("exported wgl names", len(exports.wgl_names), 24),
        ("capture placeholders", len(commands.PLACEHOLDERS), 103),
    ]
    bad = ["%s: %d, expected %d" % (what, got, exp) for what, got, exp in want if got != exp]
    for o in ops:
        if not (0 < o < OPCODE_COUNT):
            bad.append("opcode %d outside the opcode space" % o)
    if bad:
        sys.exit("table: " + "; ".join(bad))


def load():
    cmds = commands_by_op()
    exports = Exports(cmds)
    check(cmds, exports)
    return cmds, exports


def scalar_form(proto, name, vector_callee):
    """The definition of a scalar form named `name`: its arguments copied bit
    for bit into one array of their type (memcpy, so no float register ever
    holds them), handed to `vector_callee`; the rectangles hand over the two
    halves of the array."""
    copies = " ".join("memcpy(&elems[%d], &%s, sizeof elems[0]);" % (i, p.name)
                      for i, p in enumerate(proto.params))
    if proto.name.startswith("glRect"):
        call = "%s(&elems[0], &elems[2]);" % vector_callee
    else:
        call = "%s(elems);" % vector_callee
    return "%s { %s elems[%d]; %s %s }" % (proto.decl(name), proto.params[0].ctype,
                                          len(proto.params), copies, call)


def slots(cmds, value, empty):
    """The 496 initialisers of a table indexed by opcode, one line each, with
    the opcode in a comment so the table reads like the designated form."""
    return ["    /* %3d */ %s," % (op, value(cmds[op]) if op in cmds else empty)
            for op in range(OPCODE_COUNT)]


def function_table(name, cmds, prefix):
    """The lines of a constant table of 496 function slots named `name`, the
    slot of each defined opcode holding `prefix` + its command name."""
    return (["const __GLSfunc %s[GLS_OP_COUNT] = {" % name]
            + slots(cmds, lambda c: "(__GLSfunc)%s%s" % (prefix, c.name), "nullptr") + ["};\n"])


def write(out, lines):
    """Writes a generated file, one line an entry."""
    open(out, "w").write("\n".join(lines) + "\n")


def header(script):
    return "// Generated by tools/%s from tools/commands.py and the Khronos registry. Do not edit.\n" % (
        os.path.basename(script))


# ------------------------------------------------------------------ capture
# What the capture function of a command writes: one Put per writer call, in
# order, derived from the parameter types and the registry's len attributes,
# with the table's `args=` roles where a command departs from that.

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
# Scalar roles whose slot renders the value by what it means.
MEANING_SLOTS = {"umask": ("GLuint", "putGLuintHex"), "stipple": ("GLushort", "putGLushortHex"),
                 "blend": ("GLenum", "putBlendFactor"), "stencilop": ("GLenum", "putStencilOp"),
                 "drawbuffer": ("GLenum", "putDrawBuffer"),
                 "mask(clear)": ("GLbitfield", "putClearMask"),
                 "mask(attrib)": ("GLbitfield", "putAttribMask"),
                 "mask(clientAttrib)": ("GLbitfield", "putClientAttribMask")}
MEANING_BYTES = {"GLuint": 4, "GLushort": 2, "GLenum": 4, "GLbitfield": 4}
# Roles of the hand-written bodies: what they write, told for the reader.
HAND_ROLES = ("image", "points", "lists", "indices")


class Put:
    """One writer call: slot, its arguments after the writer, its bytes (a C
    expression), whether it is an 8-byte value, and the count variable it
    needs computed before the command begins."""

    def __init__(self, slot, args, size, wide=False, count=None):
        self.slot, self.args, self.size, self.wide, self.count = slot, args, size, wide, count


def _fail(c, p, why):
    sys.exit("capture: %s(%s): %s" % (c.name, p.name if p else "", why))


def _words(text):
    """Role words; the parenthesised part of a word may hold spaces."""
    return re.findall(r"[\w]+(?:\([^)]*\))?", text)


def _call_args(word):
    m = re.match(r"\w+\((.*)\)$", word)
    return [a.strip() for a in m.group(1).split(",") if a.strip()] if m else []


def _derived_length(c, p):
    """The length word of a const pointer, from the registry or the GLS rule."""
    if p.length:
        if p.length.isdigit():
            return "fixed(%s)" % p.length
        if p.length.startswith("COMPSIZE("):
            return "size(%s)" % p.length[len("COMPSIZE("):-1]
        if re.match(r"^\w+$", p.length):
            return "count(%s)" % p.length
        _fail(c, p, "registry length %r has no role" % p.length)
    if c.is_gls and any(q.name == "inCount" for q in c.proto.params):
        return "count(inCount)"
    return None


def param_puts(c, p, outs):
    """The Puts of one parameter; outs counts the output pointers so far."""
    words = _words(c.roles.get(p.name, "value"))
    or_enum = "orenum" in words
    words = [w for w in words if w != "orenum"] or ["value"]
    if sum(1 for w in words if not w.startswith("pad(")) != 1:
        _fail(c, p, "roles must name one value")
    base = p.base
    pname = "pname" if any(q.name == "pname" for q in c.proto.params) else None
    puts = []
    for w in words:
        if w.startswith("pad("):
            puts.append(Put("padInCommand", [_call_args(w)[0]], _call_args(w)[0]))
            continue
        if or_enum and not pname:
            _fail(c, p, "orenum needs a pname parameter")
        if not p.pointer:
            if w in MEANING_SLOTS:
                want, slot = MEANING_SLOTS[w]
                if base != want:
                    _fail(c, p, "role %s takes a %s" % (w, want))
                puts.append(Put(slot, [p.name], str(MEANING_BYTES[want])))
            elif w.startswith("headerint("):
                puts.append(Put("putGLintOrGLSenum", [_call_args(w)[0], p.name], "4"))
            elif w == "value" and base in SCALAR_SLOTS:
                slot, size, value = SCALAR_SLOTS[base]
                if or_enum:
                    if base not in OR_ENUM_SLOTS:
                        _fail(c, p, "no or-enum slot for %s" % base)
                    puts.append(Put(OR_ENUM_SLOTS[base], [pname, value % p.name], str(size),
                                    size == 8))
                else:
                    puts.append(Put(slot, [value % p.name], str(size), size == 8))
            else:
                _fail(c, p, "no slot for a %s with role %s" % (base, w))
            continue
        if "const" not in p.ctype:
            if w not in ("value", "out"):
                _fail(c, p, "an output pointer takes no role %s" % w)
            puts.append(Put("putOutArg", [str(outs[0]), p.name], "8", True))
            outs[0] += 1
            continue
        if w == "arrayptr":
            puts.append(Put("putArrayPointer", [p.name], "8", True))
            continue
        if w == "string" or (w == "value" and c.is_gls and base == "GLubyte"):
            var = "bytes_" + p.name
            puts.append(Put("putString", [var, p.name], var,
                            count=(var, "__glsStringBytes(ctx, %s)" % p.name)))
            continue
        if w.startswith("vertexdata("):
            fmt, count = _call_args(w)
            var = "bytes_" + p.name
            puts.append(Put("putVertexArrayData", [fmt, var, p.name], var,
                            count=(var, "__glsCount(__glsSize_%s(%s, %s))" % (c.name, fmt, count))))
            continue
        if w.split("(")[0] in HAND_ROLES:
            if not c.hand:
                _fail(c, p, "role %s is written by a hand-made body only" % w)
            puts.append(Put(w, [p.name], None))
            continue
        length = _derived_length(c, p) if w in ("value", "matrix") else w
        if length is None:
            _fail(c, p, "pointer without a length or a role")
        if w == "matrix":
            if length != "fixed(16)" or base not in MATRIX_SLOTS:
                _fail(c, p, "a matrix is 16 GLfloat or GLdouble")
            slot, size = MATRIX_SLOTS[base]
            puts.append(Put(slot, [p.name], str(size), size == 128))
            continue
        if base not in VECTOR_SLOTS:
            _fail(c, p, "no array slot for %s elements" % base)
        slot, elem = VECTOR_SLOTS[base]
        if or_enum:
            if base not in OR_ENUM_VECTOR_SLOTS:
                _fail(c, p, "no or-enum array slot for %s" % base)
            slot = OR_ENUM_VECTOR_SLOTS[base]
        kind, what = length.split("(")[0], _call_args(length)
        count = None
        if kind == "fixed":
            n = what[0]
        elif kind == "count":
            n = "count_" + p.name
            count = (n, "__glsCount(%s)" % what[0])
        elif kind == "size":
            n = "count_" + p.name
            count = (n, "__glsCount(__glsSize_%s(%s))" % (c.name, ", ".join(what)))
        else:
            _fail(c, p, "unknown length %s" % length)
        size = str(int(n) * elem) if n.isdigit() else ("%d * %s" % (elem, n) if elem > 1 else n)
        puts.append(Put(slot, ([pname] if or_enum else []) + [n, p.name], size, elem == 8,
                        count))
    return puts


def capture_puts(c):
    """Every Put of the command, in order, with the roles checked."""
    for name in c.roles:
        if not any(p.name == name for p in c.proto.params):
            sys.exit("capture: %s has no parameter %s" % (c.name, name))
    outs, puts = [0], []
    for p in c.proto.params:
        puts += param_puts(c, p, outs)
    return puts


def align_phase(puts):
    """The parity of the 4-byte words before the first 8-byte value, as a C
    expression, or None for a command with none."""
    before = []
    for put in puts:
        if put.wide:
            if not before:
                return "0"
            if all(b.isdigit() for b in before):
                return str(sum(int(b) for b in before) // 4 % 2)
            return "(GLuint)(((%s) / 4) & 1)" % " + ".join(before)
        if put.size is None:
            return None
        before.append(put.size)
    return None


def arg_bytes(puts):
    """The argument bytes of the command as one C expression."""
    fixed = sum(int(p.size) for p in puts if p.size.isdigit())
    terms = [p.size for p in puts if not p.size.isdigit()]
    return " + ".join(([str(fixed)] if fixed or not terms else []) + terms)
