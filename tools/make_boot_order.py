#!/usr/bin/env python3
"""Writes src/app/boot_order.txt: the player's functions in the order a start
runs them, which the linker lays out first and side by side (see
src/app/CMakeLists.txt). A short run spends much of its time fetching the boot's
code for the first time, scattered over the whole program otherwise.

Runs the optimised build/zunka under callgrind (valgrind must be installed) on
an empty script, then on a few script benchmarks (each run once before, so that
its class file is made) so that the interpreter's and the containers' code
follows. Symbols are written mangled, as the linker
knows them; names that no longer exist are skipped by the linker, so the file
only needs making again when start-up code has moved a good deal."""
import re
import subprocess
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
PLAYER = ROOT / "build" / "zunka"
RUNS = [None, "hash_tables", "array_iteration", "object_creation", "string_concat"]
ENTRY = re.compile(r"(c?ob|c?fn)=\((\d+)\)(?: (.*))?")


def functions_run(profile, binary):
    """Functions of `binary` in the order the profile first names them."""
    objects, names, current, found = {}, {}, None, []
    for line in profile.read_text(errors="replace").splitlines():
        match = ENTRY.fullmatch(line.strip())
        if not match:
            continue
        kind, number, name = match.groups()
        table = objects if kind.endswith("ob") else names
        if name:
            table[number] = name
        if kind == "ob":
            current = objects.get(number)
        elif kind == "fn" and current == binary:
            found.append(names.get(number))
    return found


def main():
    order = []
    with tempfile.TemporaryDirectory() as tmp:
        empty = Path(tmp) / "empty.zunka"
        empty.write_text("extends Object;\n")
        for run in RUNS:
            script = empty if run is None else ROOT / "bench" / "scripts" / f"{run}.zunka"
            profile = Path(tmp) / "profile"
            # Run once first, so that the profiled run loads the script's class
            # file as every later start does, without the compiler.
            subprocess.run([str(PLAYER), "--run", str(script)], check=True,
                           stdout=subprocess.DEVNULL)
            subprocess.run(["valgrind", "--tool=callgrind", "--demangle=no",
                            f"--callgrind-out-file={profile}", str(PLAYER), "--run", str(script)],
                           check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            for name in functions_run(profile, str(PLAYER)):
                # Only plain symbols: callgrind's own notes carry spaces or addresses.
                if name and " " not in name and not name.startswith("0x"):
                    order.append(re.sub(r"'\d+$", "", name))  # recursion marks
    lines = list(dict.fromkeys(order))  # each name where it first appears
    (ROOT / "src" / "app" / "boot_order.txt").write_text("\n".join(lines) + "\n")
    print(f"{len(lines)} functions", file=sys.stderr)


if __name__ == "__main__":
    main()
