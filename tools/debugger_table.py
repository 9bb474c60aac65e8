"""The debugger's command ids, read from the command table: the GL commands
the debugger knows by name (every GL opcode's name, every alias, and the
SGI extension commands GLS has no opcode for), each with its opcode, the
capture call that performs it, its check and the kind of its result; then the
GLU, GDI and wgl names that follow them. Checks the rows against the counts
the engine is built for. Nothing here writes files."""

import sys

import commands
import table

GL_IDS = 460
GLU_BASE, GDI_BASE, WGL_BASE, PBUFFER_BASE = 460, 520, 526, 550
NAME_COUNT = 554
RESULT_NONE, RESULT_VALUE, RESULT_BOOLEAN = "none", "value", "boolean"


class Row:
    """One GL command id: its name, opcode and own prototype; `placeholder`
    when GLS has no opcode for it (its capture call does nothing)."""

    def __init__(self, name, op, proto, placeholder):
        self.id = None
        self.name, self.op, self.proto, self.placeholder = name, op, proto, placeholder
        self.hook = name in commands.HOOKS

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


def gl_rows(cmds):
    rows = []
    for op, c in sorted(cmds.items()):
        if c.is_gls:
            continue
        rows.append(Row(c.name, op, c.proto, False))
        if c.alias:
            rows.append(Row(c.alias, op, table.reg_proto(c.alias), False))
    for entry, proto in zip(commands.PLACEHOLDERS, table.placeholders()):
        rows.append(Row(entry[1], entry[0], proto, True))
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


def names(rows):
    """The 554 command names by id; None for the empty id 525."""
    out = [r.name for r in rows] + list(commands.GLU) + list(commands.GDI) + [None]
    out += [n for n, _ in commands.WGL] + list(commands.PBUFFER)
    return out


def check(cmds, rows):
    gls_ops = set(cmds)
    kinds = {}
    for r in rows:
        key = (r.result, r.hook)
        kinds[key] = kinds.get(key, 0) + 1
    exported = set(table.gl11_names())
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
            for r in rows if r.placeholder and (r.op in gls_ops or not 0 < r.op < table.OPCODE_COUNT)]
    # An opcode with two rows keeps the later one's wrapper: the alias's.
    position = {r.name: i for i, r in enumerate(wrapper_order(rows))}
    for c in cmds.values():
        if c.alias and not c.is_gls and position[c.alias] < position[c.name]:
            bad.append("%s is installed before %s" % (c.alias, c.name))
        if c.alias and not c.is_gls and by_name[c.alias].id < by_name[c.name].id:
            bad.append("%s has a lower id than %s" % (c.alias, c.name))
    if bad:
        sys.exit("debugger table: " + "; ".join(bad))


def load():
    cmds, _ = table.load()
    rows = gl_rows(cmds)
    check(cmds, rows)
    return rows


def header(script):
    return table.header(script)
