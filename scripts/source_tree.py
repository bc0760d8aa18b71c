"""The project's C and C++ sources, for the layer and format checks."""
import os

FOLDERS = ("link", "viewer", "testsupport", "tools", "bench")
SUFFIXES = (".h", ".hpp", ".cpp", ".c")


def sources(root):
    """Every source below the project's folders, as paths from root, build folders left out."""
    found = []
    for base in FOLDERS:
        for folder, dirs, names in os.walk(os.path.join(root, base)):
            dirs[:] = sorted(d for d in dirs if not d.startswith("build"))
            found += [os.path.relpath(os.path.join(folder, n), root) for n in sorted(names) if n.endswith(SUFFIXES)]
    return found
