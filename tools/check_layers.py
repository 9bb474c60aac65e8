#!/usr/bin/env python3
"""Fails when the folders of a source tree include each other in a circle.

    check_layers.py [--graph] [ROOT]

ROOT is src/gls (the default), whose folders are the codec's layers, or src
as a whole: the codec (gls), the debugger engine, its interface and the
library's entry, each a folder, with the codec's layers as folders of their
own. Every include of a header of another folder names that folder
("write/writer.h", "debugger/engine.h"), so the #include lines alone give the
graph of folders. A folder with sub-folders and no files of its own (gls)
is an include root, as the build makes it: "api/api.h" included from
src/debugger is an include of gls/api, and an include of gls.

Circles are looked for among the top folders (an include of any layer of
gls counts as one of gls) and among the layers inside each one. Prints each
circle found, as a path of folders with one include line that makes each
step, and exits 1; prints nothing and exits 0 when there is none. With
--graph it first prints what each folder includes, by layer and, where
layers are folded, by top folder."""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_0-9]+)/[^"]+"', re.M)


def folders(root):
    """The folders of the graph (paths relative to root, "/" between names)
    and the include roots: each folder of layers, then root itself."""
    nodes, roots = [], []
    for name in sorted(os.listdir(root)):
        path = os.path.join(root, name)
        if not os.path.isdir(path):
            continue
        entries = os.listdir(path)
        layers = sorted(e for e in entries if os.path.isdir(os.path.join(path, e)))
        if layers and not any(os.path.isfile(os.path.join(path, e)) for e in entries):
            roots.append(path)
            nodes += [name + "/" + layer for layer in layers]
        else:
            nodes.append(name)
    return nodes, roots + [root]


def target(root, nodes, roots, directory, folder):
    """The folder of the graph an include naming `folder` reaches from a file
    of `directory`: beside the file first, then under each include root."""
    for base in [directory] + roots:
        path = os.path.join(base, folder)
        if os.path.isdir(path):
            node = os.path.relpath(path, root).replace(os.sep, "/")
            return node if node in nodes else None
    return None


def edges(root):
    """{folder: {included folder: first "file: line" that includes it}}."""
    nodes, roots = folders(root)
    graph = {f: {} for f in nodes}
    for folder in nodes:
        for dirpath, _, files in os.walk(os.path.join(root, folder)):
            for name in sorted(files):
                path = os.path.join(dirpath, name)
                with open(path, encoding="utf-8", errors="replace") as f:
                    text = f.read()
                for m in INCLUDE.finditer(text):
                    to = target(root, nodes, roots, dirpath, m.group(1))
                    if to is not None and to != folder:
                        line = text.count("\n", 0, m.start(1)) + 1
                        graph[folder].setdefault(to, "%s:%d" % (os.path.relpath(path, root), line))
    return graph


def top(folder):
    return folder.split("/")[0]


def folded(graph):
    """The graph of the top folders: each include across two of them."""
    tops = {}
    for a, targets in graph.items():
        tops.setdefault(top(a), {})
        for b, where in sorted(targets.items()):
            if top(b) != top(a):
                tops[top(a)].setdefault(top(b), where)
    return tops


def circles(graph):
    """Each strongly connected set of two or more folders, as one cycle through it."""
    index, low, stack, on, found = {}, {}, [], set(), []

    def visit(v):
        index[v] = low[v] = len(index)
        stack.append(v)
        on.add(v)
        for w in graph[v]:
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            group = []
            while True:
                w = stack.pop()
                on.discard(w)
                group.append(w)
                if w == v:
                    break
            if len(group) > 1:
                found.append(cycle(graph, set(group), v))

    for v in graph:
        if v not in index:
            visit(v)
    return found


def cycle(graph, group, start):
    """A path from start back to start inside group, found breadth first."""
    prev, queue = {start: None}, [start]
    while queue:
        v = queue.pop(0)
        for w in sorted(graph[v]):
            if w not in group:
                continue
            if w == start:
                path = [v]
                while prev[path[-1]] is not None:
                    path.append(prev[path[-1]])
                return list(reversed(path)) + [start]
            if w not in prev:
                prev[w] = v
                queue.append(w)
    return [start]


def all_circles(graph):
    """(circle, graph it is in): across top folders, then inside each."""
    tops = folded(graph)
    found = [(path, tops) for path in circles(tops)]
    for name in sorted(tops):
        inside = {a: {b: w for b, w in t.items() if top(b) == name}
                  for a, t in graph.items() if top(a) == name}
        found += [(path, inside) for path in circles(inside)]
    return found


def print_graph(graph):
    for a in sorted(graph):
        print("%s -> %s" % (a, ", ".join(sorted(graph[a])) or "(nothing)"))


def main(argv):
    show = "--graph" in argv
    args = [a for a in argv if a != "--graph"]
    root = args[0] if args else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "src", "gls")
    if len(args) > 1 or not os.path.isdir(root) or root.startswith("-"):
        print("usage: check_layers.py [--graph] [DIRECTORY, src/gls when none]",
              file=sys.stderr)
        return 2
    graph = edges(root)
    if show:
        print_graph(graph)
        tops = folded(graph)
        if set(tops) != set(graph):
            print("by top folder:")
            print_graph(tops)
    found = all_circles(graph)
    for path, within in found:
        print("include circle: " + " -> ".join(path))
        for a, b in zip(path, path[1:]):
            print("  %s includes %s (%s)" % (a, b, within[a][b]))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
