#!/usr/bin/env python3
"""Fails when the folders of src/gls include each other in a circle.

Every include of a codec header names its folder ("write/writer.h"), so the
#include lines alone give the graph of folders; a folder may include only
folders that never include it back, directly or through others. Prints each
circle found, as a path of folders with one include line that makes each
step, and exits 1; prints nothing and exits 0 when there is none."""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_0-9]+)/[^"]+"', re.M)


def edges(root):
    """{folder: {included folder: first "file: line" that includes it}}."""
    folders = sorted(d for d in os.listdir(root) if os.path.isdir(os.path.join(root, d)))
    graph = {f: {} for f in folders}
    for folder in folders:
        for dirpath, _, files in os.walk(os.path.join(root, folder)):
            for name in sorted(files):
                path = os.path.join(dirpath, name)
                with open(path, encoding="utf-8") as f:
                    text = f.read()
                for m in INCLUDE.finditer(text):
                    target = m.group(1)
                    if target in graph and target != folder:
                        line = text.count("\n", 0, m.start()) + 1
                        graph[folder].setdefault(target, "%s:%d" % (os.path.relpath(path, root), line))
    return graph


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


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "src", "gls")
    graph = edges(root)
    found = circles(graph)
    for path in found:
        print("include circle: " + " -> ".join(path))
        for a, b in zip(path, path[1:]):
            print("  %s includes %s (%s)" % (a, b, graph[a][b]))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
