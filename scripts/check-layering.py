#!/usr/bin/env python3
"""Fails when a library's source includes a header of a library it does not link.

The link graph is the layering: a library may include its own headers and those of the libraries
it links, directly or through others. CMake writes the graph at configure time (one line a library:
name, source folder relative to the project, then every library it reaches); this script reads
every quoted include of every library's sources and names each one that runs up the graph.

usage: check-layering.py GRAPH_FILE PROJECT_SOURCE_DIR
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
SOURCES = (".cpp", ".h", ".hpp", ".cc")


def read_graph(path):
    libraries = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            fields = line.rstrip("\n").split("|")
            if len(fields) < 2 or not fields[0]:
                continue
            name, folder = fields[0], fields[1].strip("/")
            reaches = {r for r in fields[2].split(";") if r} if len(fields) > 2 else set()
            libraries[name] = (folder, reaches)
    return libraries


def owner(relative_path, folders):
    """The library whose folder is the longest prefix of the path, or None."""
    best, best_len = None, -1
    for name, folder in folders:
        if (relative_path == folder or relative_path.startswith(folder + "/")) and len(folder) > best_len:
            best, best_len = name, len(folder)
    return best


def main(argv):
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    libraries = read_graph(argv[1])
    root = os.path.realpath(argv[2])
    folders = [(name, folder) for name, (folder, _) in libraries.items()]
    faults = []
    checked = 0
    for name, (folder, reaches) in sorted(libraries.items()):
        top = os.path.join(root, folder)
        for directory, _, files in os.walk(top):
            for file in sorted(files):
                if not file.endswith(SOURCES):
                    continue
                path = os.path.join(directory, file)
                relative = os.path.relpath(path, root)
                # A file inside a nested library's folder belongs to that library, not to this one.
                if owner(relative, folders) != name:
                    continue
                checked += 1
                with open(path, encoding="utf-8", errors="replace") as f:
                    for number, text in enumerate(f, 1):
                        m = INCLUDE.match(text)
                        if not m:
                            continue
                        included = os.path.normpath(m.group(1))
                        if not os.path.exists(os.path.join(root, included)):
                            continue  # a header beside the file, or one generated into the build
                        target = owner(included, folders)
                        if target is None or target == name or target in reaches:
                            continue
                        faults.append(f"{relative}:{number}: {name} includes {m.group(1)} of {target}, "
                                      f"which it does not link")
    for fault in faults:
        print(fault)
    if not checked:
        print("no sources found: is the graph file current?", file=sys.stderr)
        return 1
    print(f"{checked} files of {len(libraries)} libraries read, {len(faults)} includes run up the link graph")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
