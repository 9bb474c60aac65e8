"""Reads the Khronos registry: C prototypes of the GL commands, the GL types
and enumerant values, and the commands of each GL version. Nothing here
knows the command table."""

import os
import re
import sys
import xml.etree.ElementTree as ET

REGISTRY = os.environ.get("GLS_REGISTRY", "/usr/share/khronos-api/gl.xml")


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


def parse_proto(text):
    """A Proto from a C prototype such as "void glsBlock(GLSenum inBlockType)"."""
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


_cache = {}


def registry():
    """Commands, types and enumerants of the registry, read once."""
    if _cache:
        return _cache
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
    required_enums = {}
    for f in root.findall("feature"):
        if f.get("api") != "gl":
            continue
        names = []
        for req in f.findall("require"):
            names += [c.get("name") for c in req.findall("command")]
        features[f.get("name")] = names
        required_enums[f.get("name")] = [e.get("name") for req in f.findall("require")
                                         for e in req.findall("enum")]
    for x in root.find("extensions"):
        required_enums[x.get("name")] = [e.get("name") for req in x.findall("require")
                                         for e in req.findall("enum")]
    types = []
    for t in root.find("types"):
        name = t.find("name")
        if name is None or t.get("api"):
            continue
        types.append((name.text, _text(t)))
    _cache.update(commands=cmds, enums=enums, features=features, types=types,
                  required_enums=required_enums)
    return _cache


def proto(name):
    """The registry's prototype of a command; fails the build when it has none."""
    cmds = registry()["commands"]
    if name not in cmds:
        sys.exit("registry: %s is not in the registry %s" % (name, REGISTRY))
    return cmds[name]


def gl11_names():
    """The commands of OpenGL 1.0 and 1.1: the library's exported gl names."""
    f = registry()["features"]
    return f["GL_VERSION_1_0"] + f["GL_VERSION_1_1"]


def required_enums(names):
    """The enumerant names the named GL versions and extensions require."""
    required = registry()["required_enums"]
    missing = [n for n in names if n not in required]
    if missing:
        sys.exit("registry: %s not in the registry %s" % (", ".join(missing), REGISTRY))
    return {e for n in names for e in required[n]}
