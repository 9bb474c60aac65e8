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
    def __init__(self, ctype, name):
        self.ctype = ctype  # e.g. "const GLfloat *"
        self.name = name

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
            params.append(Param(_norm_ctype(ptype), pname))
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
    return [_parse_proto_text(e[1]) if isinstance(e, tuple) else reg_proto(e)
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


def header(script):
    return "// Generated by tools/%s from tools/commands.py and the Khronos registry. Do not edit.\n" % (
        os.path.basename(script))
