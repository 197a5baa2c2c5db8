#!/usr/bin/env python3
"""Lists the folder-to-folder edges of the #include "..." lines under src/
and reports every cycle among the folders, and every file outside app/ that
includes a header of app/ (the application object is reached only there).
Exit code 1 when there is one of either."""
import os
import re
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def folder_of(path):
    # Every folder is a node of its own, a subfolder too (settings/pages).
    folder = os.path.dirname(path)
    return folder if folder else "."


def edges():
    graph = {}
    for base, _, files in os.walk(ROOT):
        for name in files:
            if not name.endswith((".h", ".cpp")):
                continue
            rel = os.path.relpath(os.path.join(base, name), ROOT).replace(os.sep, "/")
            source = folder_of(rel)
            with open(os.path.join(base, name), encoding="utf-8", errors="replace") as f:
                for target in INCLUDE.findall(f.read()):
                    if "/" not in target:
                        continue
                    dest = folder_of(target)
                    if dest != source and os.path.isdir(os.path.join(ROOT, dest)):
                        graph.setdefault(source, {}).setdefault(dest, []).append(rel)
    return graph


def components(graph):
    """The folders that reach each other (strongly connected, more than one)."""
    index, low, on_stack, stack, result = {}, {}, set(), [], []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for nxt in graph.get(node, {}):
            if nxt not in index:
                visit(nxt)
                low[node] = min(low[node], low[nxt])
            elif nxt in on_stack:
                low[node] = min(low[node], index[nxt])
        if low[node] == index[node]:
            group = []
            while True:
                top = stack.pop()
                on_stack.discard(top)
                group.append(top)
                if top == node:
                    break
            if len(group) > 1:
                result.append(sorted(group))

    for node in sorted(graph):
        if node not in index:
            visit(node)
    return result


def main():
    sys.setrecursionlimit(10000)
    graph = edges()
    if "-v" in sys.argv:
        for src in sorted(graph):
            print(src, "->", ", ".join(sorted(graph[src])))
    found = components(graph)
    for group in found:
        print("folders including each other:", ", ".join(group))
        for src in group:
            for dest in sorted(graph.get(src, {})):
                if dest in group:
                    files = sorted(set(graph[src][dest]))
                    print("  %s -> %s: %s" % (src, dest, ", ".join(files[:3]) + (" ..." if len(files) > 3 else "")))
    if not found:
        print("no include cycles between folders")
    into_app = sorted(set(f for src, dests in graph.items() if src != "app" for f in dests.get("app", [])))
    for rel in into_app:
        print("includes a header of app/ from outside it:", rel)
    return 1 if found or into_app else 0


if __name__ == "__main__":
    sys.exit(main())
