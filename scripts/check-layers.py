#!/usr/bin/env python3
"""Fails when an include reaches up a layer, or does not name the folder of what it includes.

Dependencies run one way: tools and the desktop layer over the logic, the logic over the data.
Each folder below has a layer; a source file may include headers of its own layer and of lower
ones. Tests beside the code may also use the test support (scratch files, the recording generator,
the simulated instrument), and the command-line tool's interface to compare the viewer with it.

    scripts/check-layers.py [SOURCE_DIR]
"""
import os
import re
import sys

from source_tree import sources

# Lowest first. A folder not named here takes the layer of its nearest named parent.
LAYERS = [
    ["viewer/res", "viewer/storage", "viewer/raster"],
    ["viewer/correlation", "link"],
    ["viewer/correlation/analysis", "viewer/instrument", "testsupport"],
    ["viewer/view"],
    ["viewer/dialogs"],
    ["viewer/app"],
    ["tools", "bench"],
]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def layer_of(path):
    best, best_len = None, -1
    for level, folders in enumerate(LAYERS):
        for folder in folders:
            if (path == folder or path.startswith(folder + "/")) and len(folder) > best_len:
                best, best_len = level, len(folder)
    return best


def is_test(path):
    return "/tests/" in "/" + path


def resolve(include, source, by_name, root):
    """The tree file an include names: a path from the tree's root, from viewer/ or from the
    including folder, else the one file of that name (the one beside the includer when there are
    several)."""
    for candidate in (include, "viewer/" + include, os.path.normpath(os.path.join(os.path.dirname(source), include))):
        if os.path.isfile(os.path.join(root, candidate)):
            return candidate
    matches = by_name.get(os.path.basename(include), [])
    if len(matches) == 1:
        return matches[0]
    near = [m for m in matches if os.path.dirname(m) == os.path.dirname(source)]
    return near[0] if near else None


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
    files = sources(root)
    by_name = {}
    for f in files:
        by_name.setdefault(os.path.basename(f), []).append(f)
    problems = []
    for source in files:
        own = layer_of(source)
        if own is None:
            continue
        with open(os.path.join(root, source), encoding="utf-8", errors="replace") as text:
            includes = INCLUDE.findall(text.read())
        for include in includes:
            target = resolve(include, source, by_name, root)
            if target is None:
                continue  # a generated or system header
            spelled = target[len("viewer/"):] if target.startswith("viewer/") else target
            if include != spelled:
                problems.append(f'{source}: write #include "{include}" with its folder: "{spelled}"')
            theirs = layer_of(target)
            if theirs is None or theirs <= own:
                continue
            if is_test(source) and target.startswith(("testsupport/", "tools/vexlan-cli/")):
                continue
            problems.append(f"{source}: includes {target}, a higher layer")
    for p in problems:
        print(p)
    print(f"check-layers: {len(files)} files, {len(problems)} includes reaching up a layer or without their folder")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
