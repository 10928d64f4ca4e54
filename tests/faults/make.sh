#!/usr/bin/env bash
# Writes each planted fault of faults.py as a diff beside it (run from a
# clean work tree; the tree is left as it was).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
cd "$root"
python3 - "$here" <<'PY'
import pathlib, subprocess, sys
here = pathlib.Path(sys.argv[1])
sys.path.insert(0, str(here))
from faults import FAULTS
diffs = {}
for n, (name, path, old, new) in enumerate(FAULTS, 1):
    f = pathlib.Path(path)
    text = f.read_text()
    if text.count(old) != 1:
        sys.exit(f"{name}: the line to change is not once in {path}; no diff written")
    f.write_text(text.replace(old, new))
    diffs[f"{n:02d}-{name}.diff"] = subprocess.run(
        ["git", "diff", "--", path], capture_output=True, text=True).stdout
    f.write_text(text)
for old in here.glob("*.diff"):
    old.unlink()
for name, diff in diffs.items():
    (here / name).write_text(diff)
PY
ls "$here"/*.diff | wc -l
