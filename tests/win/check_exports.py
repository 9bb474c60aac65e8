"""Checks the export table of palisade.dll: the library name OPENGL32.dll,
360 names in ascending ASCII order with ordinals 1-360, and imports of system
DLLs only (the runtime is linked in)."""

import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import model  # noqa: E402  the counts the export table is built for

COUNTS = {name: n for name, _, n in model.COUNTS}
GL_NAMES = COUNTS["__GLS_GL_EXPORT_COUNT"]
EXPORTS = GL_NAMES + COUNTS["__GLS_WGL_EXPORT_COUNT"]

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll", "advapi32.dll",
               "comdlg32.dll", "comctl32.dll", "shell32.dll", "ole32.dll"}
SYSTEM_PREFIXES = ("api-ms-win-",)


def main(objdump, dll):
    text = subprocess.run([objdump, "-p", dll], check=True, capture_output=True, text=True).stdout
    failures = []
    name = re.search(r"^Name\s+\S+\s+(\S+)", text, re.M)
    if not name or name.group(1) != "OPENGL32.dll":
        failures.append("library name is %s" % (name.group(1) if name else "missing"))
    base = int(re.search(r"^Ordinal Base\s+(\d+)", text, re.M).group(1))
    # The name table lists each name by its index from the ordinal base.
    section = text.split("[Ordinal/Name Pointer] Table", 1)[-1]
    exports = re.findall(r"^\s*\[\s*(\d+)\]\s+(\S+)\s*$", section, re.M)
    names = [n for _, n in exports]
    ordinals = {n: int(i) + base for i, n in exports}
    if len(names) != EXPORTS:
        failures.append("%d exports, expected %d" % (len(names), EXPORTS))
    if names != sorted(names):
        failures.append("exports are not in ascending ASCII order")
    if sorted(ordinals.values()) != list(range(1, EXPORTS + 1)):
        failures.append("ordinals are not 1-%d" % EXPORTS)
    for n, want in (("glAccum", 1), ("glClearColor", 13), ("glViewport", GL_NAMES),
                    ("wglChoosePixelFormat", GL_NAMES + 1), ("wglSwapBuffers", 355),
                    ("wglUseFontOutlinesW", EXPORTS)):
        if ordinals.get(n) != want:
            failures.append("%s has ordinal %s, expected %d" % (n, ordinals.get(n), want))
    if any("@" in n for n in names):
        failures.append("decorated export names")
    for imp in re.findall(r"^\s*DLL Name: (\S+)", text, re.M):
        low = imp.lower()
        if low not in SYSTEM_DLLS and not low.startswith(SYSTEM_PREFIXES):
            failures.append("imports %s" % imp)
    for f in failures:
        print("FAIL:", f)
    print("%d exports checked, %d failures" % (len(names), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
