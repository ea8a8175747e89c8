#!/usr/bin/env python3
"""The virtual printer's folders are layers: a file may include its own folder
and the folders below it, never one above or beside it. Prints each arrow that
goes the wrong way; exit status 1 when there is one."""
import pathlib
import re
import sys

# Each folder with the folders it may use.
LAYERS = {
    "paper": set(),
    "characters": {"paper"},
    "symbols": set(),
    "commands": {"paper", "characters"},
    "interpreter": {"paper", "characters", "symbols", "commands"},
    "render": {"paper", "characters", "symbols", "commands", "interpreter"},
    "device": {"paper", "characters", "symbols", "commands", "interpreter"},
}

root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
printer = root / "src" / "printer"
include = re.compile(r'#\s*include\s+"printer/([^/"]+)/')
wrong = []
for path in sorted(printer.rglob("*")):
    if path.suffix not in (".h", ".cpp"):
        continue
    folder = path.relative_to(printer).parts[0]
    if folder not in LAYERS:
        wrong.append(f"{path.relative_to(root)}: not in a layer folder")
        continue
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        m = include.search(line)
        if m and m.group(1) != folder and m.group(1) not in LAYERS[folder]:
            wrong.append(f"{path.relative_to(root)}:{number}: {folder} uses {m.group(1)}")
for line in wrong:
    print(line)
sys.exit(1 if wrong else 0)
