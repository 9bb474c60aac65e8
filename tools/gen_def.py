"""Writes a module-definition file of the 360 exports, in ascending ASCII
order with ordinals 1-360.

  gen_def.py OUT                 the library's own: name OPENGL32.dll
  gen_def.py OUT --import ARCH   for an import library of palisade.dll, so a
                                 program can link to it by that name; on i686
                                 the names carry their callee-pops suffix."""

import sys
import emit
import model


def main(out, import_arch=None):
    cmds, ex = model.load()
    names = ex.gl_names + ex.wgl_names
    if names != sorted(names):
        sys.exit("gen_def: gl and wgl names do not sort into one ascending run")
    by_name = {c.name: c.proto for c in cmds.values()}
    by_name.update({p.name: p for p, _ in ex.scalars})

    def stack(n):
        return ex.wgl_words[n] * 4 if n in ex.wgl_words else by_name[n].stack_bytes()

    library = "palisade.dll" if import_arch else "OPENGL32.dll"
    L = ["; " + emit.header(__file__).strip("/ \n"), 'LIBRARY "%s"' % library, "EXPORTS"]
    for i, n in enumerate(names):
        decorated = "%s@%d" % (n, stack(n)) if import_arch == "i686" else n
        L.append("    %s @%d" % (decorated, i + 1))
    emit.write(out, L)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[3] if len(sys.argv) > 3 and sys.argv[2] == "--import" else None)
