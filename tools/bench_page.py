#!/usr/bin/env python3
"""Times the load of a page with many generators, headless for two frames: the
first load (the placement script compiled from its source, no caches) and a
cached one (its class file read back), best of several runs each, beside the
same runs of a page with one generator measured in the same session. Elapsed
time and the player's CPU time (user + system) are both given: on a busy
machine the second says more."""
import math
import resource
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

RUNS = 5
BALL = "extends classes.game.Char;\nfunction onGenerate() { $placed = $placed + x; }\n"
REPORTER = 'extends classes.game.Char;\nfunction onGenerate() { print("placed " + $placed); }\n'


def write_page(folder, count):
    folder.mkdir(parents=True)
    (folder / "Ball.zunka").write_text(BALL)
    (folder / "Reporter.zunka").write_text(REPORTER)
    (folder / "default.zunkaprj").write_text(
        '<resourcelist name="project">\n <resourcelist name="pages">\n </resourcelist>\n'
        "</resourcelist>\n")
    lines = ['<resourcelist name="usr">',
             ' <resourcelist name="classes"><class name="Ball" src="Ball.zunka"/>'
             '<class name="Reporter" src="Reporter.zunka"/></resourcelist>',
             ' <resourcelist name="gen">']
    lines += [f'  <generator name="$b{i}" className="Ball" inst_x="1"/>' for i in range(count)]
    lines += ['  <generator name="$rep" className="Reporter"/>', " </resourcelist>",
              "</resourcelist>"]
    (folder / "main.cmml").write_text("\n".join(lines) + "\n")
    return folder / "main.cmml"


def drop_caches(temp, folder):
    for cache in temp.glob(f"*{folder.name}*"):
        cache.unlink()


def cpu_of_children():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def best_times(zunka, page, count, before_each):
    best_wall = best_cpu = math.inf
    for _ in range(RUNS):
        before_each()
        start, cpu = time.perf_counter(), cpu_of_children()
        result = subprocess.run([zunka, "--headless", "--frames", "2", str(page)],
                                capture_output=True, text=True, check=False)
        best_wall = min(best_wall, time.perf_counter() - start)
        best_cpu = min(best_cpu, cpu_of_children() - cpu)
        if result.returncode != 0 or f"placed {count}" not in result.stdout:
            sys.exit(f"bench page: {page} failed:\n{result.stdout}{result.stderr}")
    return best_wall, best_cpu


def main():
    zunka = Path(sys.argv[1])
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 10000
    temp = zunka.parent / "Temp"
    work = Path(tempfile.mkdtemp(prefix="zunkabench"))
    try:
        print(f"{'page':<22}{'first load ms':>15}{'cpu ms':>8}{'cached ms':>11}{'cpu ms':>8}")
        for label, generators in (("1 generator", 1), (f"{count:,} generators", count)):
            folder = work / f"g{generators}"
            page = write_page(folder, generators)
            first = best_times(zunka, page, generators, lambda: drop_caches(temp, work))
            cached = best_times(zunka, page, generators, lambda: None)
            print(f"{label:<22}{first[0] * 1000:>15.0f}{first[1] * 1000:>8.0f}"
                  f"{cached[0] * 1000:>11.0f}{cached[1] * 1000:>8.0f}")
        drop_caches(temp, work)
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
