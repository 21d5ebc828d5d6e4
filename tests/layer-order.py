#!/usr/bin/env python3
"""Fails when a source file includes a header from a folder above its own.

The folders stand in layers, from the bottom: the engine, the store, what
every window uses, the autopilot, the app model, the windows and tools side
by side, and the shell on top. A file may include headers of its own layer
and of the layers below it, never of one above. Headers are found by name,
as the build finds them (every folder is on the include path).
"""
import pathlib
import re
import sys

# Lowest first; folders on one line are side by side.
LAYERS = [
    ["engine"],
    ["store"],
    ["ui"],
    ["autopilot"],
    ["appmodel"],
    ["pages", "rules", "settings", "tools"],
    ["shell"],
]

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)
SOURCE_SUFFIXES = {".h", ".cpp"}


def source_folders(root):
    yield "engine", root / "engine"
    for folder in sorted((root / "app").iterdir()):
        if folder.is_dir():
            yield folder.name, folder


def main():
    root = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parents[1]
    rank = {name: level for level, names in enumerate(LAYERS) for name in names}
    problems = []
    home = {}  # header name -> folder it lives in
    files = []
    for name, folder in source_folders(root):
        if name not in rank:
            problems.append(f"{folder.relative_to(root)}/: a folder without a layer; add it to LAYERS in {pathlib.Path(__file__).name}")
            continue
        for path in sorted(folder.iterdir()):
            if path.suffix in SOURCE_SUFFIXES:
                files.append((name, path))
                if path.suffix == ".h":
                    home[path.name] = name
    for name, path in files:
        for header in INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace")):
            owner = home.get(pathlib.PurePosixPath(header).name)
            if owner is not None and rank[owner] > rank[name]:
                problems.append(f"{path.relative_to(root)} includes {header} from {owner}/, a layer above {name}/")
    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} include(s) run upward; give each a seam (a signal, an interface, a function passed down).")
        return 1
    print("Every include runs downward.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
