"""Writes gl_types.h: the GL scalar types and every GL enumerant value of the
registry, so no platform OpenGL header is needed inside the library."""

import sys
import emit
import registry

# The registry defines the sized types through khronos_* names; these are
# their C equivalents on every target the library builds for.
KHRONOS = {
    "khronos_int8_t": "signed char", "khronos_uint8_t": "unsigned char",
    "khronos_int16_t": "short", "khronos_uint16_t": "unsigned short",
    "khronos_int32_t": "int", "khronos_float_t": "float",
    "khronos_int64_t": "long long", "khronos_uint64_t": "unsigned long long",
    "khronos_intptr_t": "intptr_t", "khronos_ssize_t": "intptr_t",
}
TYPES = ["GLenum", "GLboolean", "GLbitfield", "GLvoid", "GLbyte", "GLubyte", "GLshort",
         "GLushort", "GLint", "GLuint", "GLsizei", "GLfloat", "GLclampf", "GLdouble",
         "GLclampd", "GLchar", "GLintptr", "GLsizeiptr", "GLint64", "GLuint64"]


def main(out):
    reg = registry.registry()
    typedefs = {name: text for name, text in reg["types"]}
    lines = [emit.header(__file__), "#pragma once", "#include <stdint.h>", ""]
    for t in TYPES:
        text = typedefs[t]
        for k, v in KHRONOS.items():
            text = text.replace(k, v)
        lines.append(text)
    lines.append("")
    for name, value in sorted(reg["enums"].items()):
        if name.startswith("GL_") and value and not value.startswith("(("):
            lines.append("#define %s %s" % (name, value))
    open(out, "w").write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main(sys.argv[1])
