#!/usr/bin/env python3
"""Times each script benchmark under zunka and under Lua 5.4 (best of several runs,
checksums compared) and prints one line per benchmark with the ratio zunka/Lua,
then the geometric mean of the ratios. The two programs take turns, run by run,
so that a burst of load on a shared machine falls on both alike."""
import math
import subprocess
import sys
import time
from pathlib import Path

RUNS = 10


def timed_run(command):
    """Seconds taken and what was printed; None and the output when it failed."""
    start = time.perf_counter()
    result = subprocess.run(command, capture_output=True, text=True, check=False)
    seconds = time.perf_counter() - start
    if result.returncode != 0:
        return None, result.stdout + result.stderr
    return seconds, result.stdout.strip()


def best_times(commands):
    """The best time and last output of each command, the commands taking turns."""
    best = [math.inf] * len(commands)
    outputs = [None] * len(commands)
    for _ in range(RUNS):
        for i, command in enumerate(commands):
            seconds, output = timed_run(command)
            if seconds is None:
                best[i], outputs[i] = None, output
                return best, outputs
            best[i], outputs[i] = min(best[i], seconds), output
    return best, outputs


def main():
    zunka, folder = sys.argv[1], Path(sys.argv[2])
    ratios = []
    print(f"{'benchmark':<18}{'zunka ms':>10}{'lua ms':>10}{'ratio':>8}  checksum")
    for script in sorted(folder.glob("*.zunka")):
        lua = script.with_suffix(".lua")
        # Classes in a folder named after the script come first, by name.
        helpers = sorted(script.with_suffix("").glob("*.zunka"))
        classes = [arg for helper in helpers for arg in ("--class", str(helper))]
        (zt, lt), (zout, lout) = best_times([[zunka, *classes, "--run", str(script)],
                                             ["lua5.4", str(lua)]])
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
