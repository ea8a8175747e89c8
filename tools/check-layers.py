#!/usr/bin/env python3
"""The folders of src/ are layers: a file may include its own folder and the
folders on lower layers, never one on its own layer or above. The virtual
printer's sub-folders are layers of their own inside src/printer. Prints each
arrow that goes the wrong way; exit status 1 when there is one.

Usage: check-layers.py [ROOT]   (ROOT holds src/; the repository by default)"""
import pathlib
import re
import sys

# Bottom up, one layer a line; folders on one line do not use each other.
ORDER = """
printer/paper
printer/characters
printer/symbols
printer/commands
printer/interpreter
printer/render printer/device
link
session
widgets
commands
scripts macros
help preview config
terminal
app run
"""
LEVEL = {folder: level for level, line in enumerate(ORDER.split("\n")[1:-1]) for folder in line.split()}

root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
src = root / "src"
include = re.compile(r'#\s*include\s+"([^"]+)"')


def folder_of(relative):
    """The layer folder of a path relative to src/ ("printer/render", "session"); None for a loose file."""
    parts = pathlib.PurePosixPath(relative).parts
    if len(parts) < 2 or (parts[0] == "printer" and len(parts) < 3):
        return None
    return "/".join(parts[:2]) if parts[0] == "printer" else parts[0]


wrong = []
if not src.is_dir():
    wrong.append(f"{src}: no such folder")
for path in sorted(src.rglob("*")):
    if path.suffix not in (".h", ".cpp"):
        continue
    name = path.relative_to(root)
    folder = folder_of(path.relative_to(src))
    if folder not in LEVEL:
        wrong.append(f"{name}: not in a layer folder")
        continue
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        m = include.search(line)
        used = folder_of(m.group(1)) if m else None
        if used is None or not (src / used).is_dir():
            continue  # the file's own folder, or outside src/
        if used != folder and (used not in LEVEL or LEVEL[used] >= LEVEL[folder]):
            wrong.append(f"{name}:{number}: {folder} uses {used}")
for line in wrong:
    print(line)
sys.exit(1 if wrong else 0)
