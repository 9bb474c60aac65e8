"""Writes gls_names.cpp: the GLS enumerant groups, the GL enumerant pages and
their read-only aliases, and the mask-bit and image-flag names, from
tools/names.py with the GL values of the Khronos registry.

A name the registry does not define is placed by its page's order when that
leaves it one slot; a name that neither gives a value is left out and listed
on stderr."""

import re
import sys

import names
import emit
import model
import registry


def fail(msg):
    sys.exit("gen_names: " + msg)


def registry_values():
    """Defined values first; the registry's commented-out assignments of
    retired extensions fill in names it no longer defines."""
    values = {}
    for name, v in registry.registry()["enums"].items():
        values[name] = int(v, 0)
    text = open(registry.REGISTRY).read()
    retired = {}
    for comment in re.findall(r"<!--(.*?)-->", text, re.S):
        for v, name in re.findall(r'<enum value="(0x[0-9A-Fa-f]+|\d+)" name="(\w+)"', comment):
            retired.setdefault(name, int(v, 0))
    for name, v in retired.items():
        values.setdefault(name, v)
    return values


def place_page(page, count, page_names, values):
    """Positions of the page's names (None when unknown). The names are in
    value order and the last one sits at count - 1, so a run of unknown names
    whose neighbours leave exactly as many slots is placed by order."""
    pos = []
    for n in page_names:
        v = values.get(n)
        if v is not None and (v >> 8 != page or (v & 255) >= count):
            fail("%s = 0x%X does not lie on page 0x%02X below %d" % (n, v, page, count))
        pos.append(None if v is None else v & 255)
    if pos[-1] is None:
        pos[-1] = count - 1
    if pos[-1] != count - 1:
        fail("page 0x%02X ends at %d, count %d" % (page, pos[-1], count))
    i = 0
    while i < len(pos):
        if pos[i] is None:
            j = i
            while pos[j] is None:
                j += 1
            low = pos[i - 1] if i else -1
            if pos[j] - low - 1 == j - i:
                for k in range(i, j):
                    pos[k] = low + 1 + k - i
            i = j
        i += 1
    known = [p for p in pos if p is not None]
    if known != sorted(set(known)):
        fail("names of page 0x%02X are not in value order" % page)
    return pos


def c_name_array(ident, slots):
    body = "".join("    %s,\n" % ('"%s"' % s if s else "nullptr") for s in slots)
    return "static const char *const %s[%d] = {\n%s};\n" % (ident, len(slots), body)


def c_length_array(ident, slots):
    """The lengths of the names, so that the text writer copies them whole."""
    lengths = [len(s) if s else 0 for s in slots]
    if max(lengths) > 255:
        fail("a name of %s is longer than 255 bytes" % ident)
    body = "".join("    %s,\n" % ", ".join(str(n) for n in lengths[i:i + 16])
                   for i in range(0, len(lengths), 16))
    return "static const GLubyte %s[%d] = {\n%s};\n" % (ident, len(slots), body)


def pages_table(ident, prefix, pages):
    """pages: list of slot lists; an empty list is an empty page."""
    out, rows = [], []
    for i, slots in enumerate(pages):
        if slots:
            out.append(c_name_array("%s%d" % (prefix, i), slots))
            out.append(c_length_array("%s%dLengths" % (prefix, i), slots))
            rows.append("    {%d, %s%d, %s%dLengths}," % (len(slots), prefix, i, prefix, i))
        else:
            rows.append("    {0, nullptr, nullptr},")
    out.append("const __GLSnamePage %s[%d] = {\n%s\n};\n" % (ident, len(pages), "\n".join(rows)))
    return out


def gls_groups():
    groups = [[] for _ in range(names.GLS_GROUP_COUNT)]
    for value, name in names.GLS_ENUMS:
        g, i = divmod(value, 16)
        if g >= names.GLS_GROUP_COUNT:
            fail("%s = %d lies beyond the last group" % (name, value))
        slots = groups[g]
        slots += [None] * (i + 1 - len(slots))
        if slots[i]:
            fail("%s and %s share the value %d" % (slots[i], name, value))
        slots[i] = name
    return groups


def main(out):
    cmds, _ = model.load()
    values = registry_values()
    left_out = []

    groups = gls_groups()
    gl_pages = [[] for _ in range(names.GL_PAGE_COUNT)]
    for page, count, page_names in names.GL_PAGES:
        if page >= names.GL_PAGE_COUNT or gl_pages[page]:
            fail("page 0x%02X is outside the table or given twice" % page)
        slots = [None] * count
        for n, p in zip(page_names, place_page(page, count, page_names, values)):
            if p is None:
                left_out.append(n)
            else:
                slots[p] = n
        gl_pages[page] = slots
    named = {}
    for page, slots in enumerate(gl_pages):
        for i, n in enumerate(slots):
            if n:
                named[page * 256 + i] = n

    gl_aliases = []
    for n in names.GL_ENUM_ALIASES:
        v = values.get(n)
        if v is None:
            left_out.append(n)
        elif v not in named:
            fail("alias %s = 0x%X names a value no page names" % (n, v))
        else:
            gl_aliases.append((v, n))

    def mask(mask_names):
        rows = []
        for n in mask_names:
            v = names.MASK_VALUES.get(n, values.get(n))
            if v is None:
                fail("mask bit %s has no value" % n)
            rows.append((v, n))
        return rows

    attrib = mask(names.GL_ATTRIB_MASK)
    client = mask(names.GL_CLIENT_ATTRIB_MASK)

    op_names = [c.name for c in cmds.values()] + [c.alias for c in cmds.values() if c.alias]
    all_gl = [n for _, _, ns in names.GL_PAGES for n in ns] + names.GL_ENUM_ALIASES
    all_gls = [n for _, n in names.GLS_ENUMS] + [n for _, n in names.GLS_ENUM_ALIASES]
    got = {
        "__GLS_ENUM_PAGE_COUNT": len(groups),
        "__GLS_ENUM_NAME_COUNT": len(names.GLS_ENUMS),
        "__GLS_ENUM_NONEMPTY_PAGE_COUNT": sum(1 for g in groups if g),
        "__GLS_ENUM_ALIAS_COUNT": len(names.GLS_ENUM_ALIASES),
        "__GLS_GL_ENUM_PAGE_COUNT": len(gl_pages),
        "__GLS_GL_ENUM_NAME_COUNT": sum(len(ns) for _, _, ns in names.GL_PAGES),
        "__GLS_GL_ENUM_NONEMPTY_PAGE_COUNT": len(names.GL_PAGES),
        "__GLS_GL_ENUM_ALIAS_NAME_COUNT": len(names.GL_ENUM_ALIASES),
        "__GLS_GL_ATTRIB_MASK_COUNT": len(attrib),
        "__GLS_GL_CLIENT_ATTRIB_MASK_COUNT": len(client),
        "__GLS_IMAGE_FLAG_COUNT": len(names.IMAGE_FLAGS),
    }
    want = [(what, got[name], exp) for name, what, exp in names.COUNTS]
    bad = ["%s: %d, expected %d" % (w, got, exp) for w, got, exp in want if got != exp]
    for what, lst in (("GL enumerant", all_gl), ("GLS enumerant", all_gls), ("command", op_names)):
        dups = sorted(set(n for n in lst if lst.count(n) > 1))
        if dups:
            bad.append("%s names given twice: %s" % (what, ", ".join(dups)))
    if bad:
        fail("; ".join(bad))
    if left_out:
        sys.stderr.write("gen_names: %d names left out, no value in the registry or by order: %s\n"
                         % (len(left_out), " ".join(left_out)))

    L = [emit.header(__file__).replace("commands.py", "commands.py, tools/names.py"),
         '#include "base/names.h"', "", 'extern "C" {', ""]
    L += pages_table("__glsEnumPages", "glsGroup", groups)
    L.append("const __GLSnameAlias __glsEnumAliases[__GLS_ENUM_ALIAS_COUNT] = {")
    L += ['    {%d, "%s"},' % a for a in names.GLS_ENUM_ALIASES]
    L.append("};\n")
    L += pages_table("__glsGLEnumPages", "glPage", gl_pages)
    L.append("const __GLSnameAlias __glsGLEnumAliases[%d] = {" % len(gl_aliases))
    L += ['    {0x%X, "%s"},' % a for a in gl_aliases]
    L.append("};")
    L.append("const GLint __glsGLEnumAliasCount = %d;\n" % len(gl_aliases))
    for ident, rows in (("GLAttribMask", attrib), ("GLClientAttribMask", client),
                        ("ImageFlag", names.IMAGE_FLAGS)):
        L.append("const char *const __gls%sNames[%d] = {" % (ident, len(rows)))
        L += ['    "%s",' % n for _, n in rows]
        L.append("};")
        L.append("const GLuint __gls%sValues[%d] = {" % (ident, len(rows)))
        L += ["    0x%X," % v for v, _ in rows]
        L.append("};\n")
    L.append('}  // extern "C"')
    emit.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1])
