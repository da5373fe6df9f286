#!/usr/bin/env python3
"""Times each script benchmark under zunka and under Lua 5.4 (best of several runs,
checksums compared) and prints one line per benchmark with the ratio zunka/Lua,
then the geometric mean of the ratios."""
import math
import subprocess
import sys
import time
from pathlib import Path

RUNS = 5


def best_time(command):
    best, output = math.inf, None
    for _ in range(RUNS):
        start = time.perf_counter()
        result = subprocess.run(command, capture_output=True, text=True, check=False)
        best = min(best, time.perf_counter() - start)
        output = result.stdout.strip()
        if result.returncode != 0:
            return None, result.stdout + result.stderr
    return best, output


def main():
    zunka, folder = sys.argv[1], Path(sys.argv[2])
    ratios = []
    print(f"{'benchmark':<18}{'zunka ms':>10}{'lua ms':>10}{'ratio':>8}  checksum")
    for script in sorted(folder.glob("*.zunka")):
        lua = script.with_suffix(".lua")
        # Classes in a folder named after the script come first, by name.
        helpers = sorted(script.with_suffix("").glob("*.zunka"))
        classes = [arg for helper in helpers for arg in ("--class", str(helper))]
        zt, zout = best_time([zunka, *classes, "--run", str(script)])
        lt, lout = best_time(["lua5.4", str(lua)])
        if zt is None or lt is None:
            print(f"{script.stem:<18} failed: {zout if zt is None else lout}")
            continue
        same = "ok" if zout == lout else f"DIFFERS ({zout} vs {lout})"
        ratio = zt / lt
        ratios.append(ratio)
        print(f"{script.stem:<18}{zt * 1000:>10.1f}{lt * 1000:>10.1f}{ratio:>8.2f}  {same}")
    if ratios:
        geo = math.exp(sum(math.log(r) for r in ratios) / len(ratios))
        print(f"{'geometric mean':<38}{geo:>8.2f}")


if __name__ == "__main__":
    main()
