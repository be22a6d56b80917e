#!/usr/bin/env python3
"""Fails when a source outside src/app includes a header of src/app.

    layer_guard.py SRC_FOLDER
"""
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"app/', re.MULTILINE)


def main():
    src = pathlib.Path(sys.argv[1])
    offenders = [path for path in sorted(src.rglob("*"))
                 if path.suffix in {".h", ".cpp"} and path.relative_to(src).parts[0] != "app"
                 and INCLUDE.search(path.read_text(encoding="utf-8"))]
    for path in offenders:
        print(f"{path.relative_to(src)} includes a header of app/")
    return 1 if offenders else 0


if __name__ == "__main__":
    sys.exit(main())
