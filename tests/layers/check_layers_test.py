#!/usr/bin/env python3
"""tools/check_layers.py over small trees made for each case: the circles it
finds, among the top folders and among the codec's layers, and the graph it
prints. Exits 1 when a case comes out otherwise."""
import os
import subprocess
import sys
import tempfile

TOOL = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools",
                    "check_layers.py")

# (what, the tree's files with their #include lines, the circles expected)
CASES = [
    ("the codec's layers alone, one way",
     {"base/a.h": [], "api/b.h": ["base/a.h"]}, []),
    ("the codec's layers alone, a circle",
     {"base/a.h": ["api/b.h"], "api/b.h": ["base/a.h"]}, [["api", "base", "api"]]),
    ("an include of a layer from above the codec is one of gls",
     {"gls/api/embed.h": ["debugger/engine.h"], "debugger/engine.h": ["api/embed.h"]},
     [["debugger", "gls", "debugger"]]),
    ("a circle inside the codec, seen from src",
     {"gls/base/a.h": ["api/b.h"], "gls/api/b.h": ["base/a.h"], "debugger/e.h": ["api/b.h"]},
     [["gls/api", "gls/base", "gls/api"]]),
    ("engine, interface and entry one way; a header beside its file is no folder's",
     {"gls/base/a.h": [], "gls/api/embed.h": ["base/a.h"],
      "debugger/engine.h": ["api/embed.h", "records.h"], "debugger/records.h": [],
      "ui/ui.h": ["debugger/engine.h", "api/embed.h"],
      "palisade/dllmain.cpp": ["api/embed.h", "debugger/engine.h", "ui/ui.h"]}, []),
]


def make(root, files):
    for name, includes in files.items():
        path = os.path.join(root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as f:
            f.write("#pragma once\n\n" + "".join('#include "%s"\n' % i for i in includes))


def run(root, *flags):
    done = subprocess.run([sys.executable, TOOL, *flags, root], capture_output=True, text=True)
    return done.returncode, done.stdout


def main():
    failed = []
    for what, files, want in CASES:
        with tempfile.TemporaryDirectory() as root:
            make(root, files)
            code, out = run(root)
            got = [line.split(": ", 1)[1].split(" -> ") for line in out.splitlines()
                   if line.startswith("include circle: ")]
            if got != want or code != (1 if want else 0):
                failed.append("%s: circles %s (exit %d), expected %s" % (what, got, code, want))
    # The graph by layer and by top folder, each include named once.
    with tempfile.TemporaryDirectory() as root:
        make(root, CASES[-1][1])
        code, out = run(root, "--graph")
        want = ["debugger -> gls/api", "gls/api -> gls/base", "gls/base -> (nothing)",
                "palisade -> debugger, gls/api, ui", "ui -> debugger, gls/api", "by top folder:",
                "debugger -> gls", "gls -> (nothing)", "palisade -> debugger, gls, ui",
                "ui -> debugger, gls"]
        if code != 0 or out.splitlines() != want:
            failed.append("the graph (exit %d):\n%s" % (code, out))
    for f in failed:
        print(f)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
