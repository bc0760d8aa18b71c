#!/usr/bin/env python3
"""Fails when a source file differs from what clang-format makes of it (.clang-format at the top).

    scripts/check-format.py CLANG_FORMAT [SOURCE_DIR]        check
    scripts/check-format.py CLANG_FORMAT [SOURCE_DIR] --fix  reformat in place
"""
import os
import subprocess
import sys

from source_tree import sources


def main():
    args = [a for a in sys.argv[1:] if a != "--fix"]
    fix = "--fix" in sys.argv
    clang_format = args[0]
    root = os.path.abspath(args[1] if len(args) > 1 else os.path.join(os.path.dirname(__file__), ".."))
    files = [os.path.join(root, f) for f in sources(root)]
    mode = ["-i"] if fix else ["--dry-run", "--Werror"]
    failed = subprocess.run([clang_format, "--style=file", *mode, *files]).returncode != 0
    print(f"check-format: {len(files)} files" + ("" if fix else (", some need formatting" if failed else ", all formatted")))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
