#!/usr/bin/env python3
"""Makes the manual page zunka.1 from src/app/usage.txt, the text zunka --help
prints, so that the two never disagree.

The text's shape: "usage:" lines (the synopsis), a paragraph (the description),
then sections, each a line ending in ":" at the left margin followed by entries
"  TERM   text" whose text runs on in lines indented deeper (a term too long for
its column stands alone on its line), and indented lines without a term, which
are paragraphs of the section (a paragraph runs on in lines indented deeper too).

Usage: make_man_page.py USAGE.txt VERSION OUT.1"""
import re
import sys
from pathlib import Path


def roff(text):
    """Text escaped for roff: backslashes, hyphens of options, leading dots."""
    text = text.replace("\\", "\\e").replace("-", "\\-")
    return "\\&" + text if text.startswith((".", "'")) else text


def parse(lines):
    """(synopsis lines, description lines, [(title, [(term, [text lines])])])."""
    synopsis, description, sections = [], [], []
    i = 0
    while i < len(lines) and lines[i].strip():
        synopsis.append(re.sub(r"^(usage:)?\s*", "", lines[i]))
        i += 1
    while i < len(lines) and not lines[i].strip():
        i += 1
    while i < len(lines) and lines[i].strip():
        description.append(lines[i].strip())
        i += 1
    entries = None
    rest = lines[i:]
    for n, line in enumerate(rest):
        if not line.strip():
            continue
        if not line.startswith(" ") and line.endswith(":"):
            entries = []
            sections.append((line[:-1], entries))
            continue
        if line.startswith("   "):  # runs on from the line above
            entries[-1][1].append(line.strip())
            continue
        entry = re.match(r"^  (\S(?:.*?\S)?)\s{2,}(\S.*)$", line)
        follows = rest[n + 1] if n + 1 < len(rest) else ""
        if entry:
            entries.append((entry.group(1), [entry.group(2)]))
        elif follows.startswith("   "):  # a term that stands alone on its line
            entries.append((line.strip(), []))
        else:
            entries.append((None, [line.strip()]))
    return synopsis, description, sections


def man_page(usage, version):
    synopsis, description, sections = parse(usage.splitlines())
    out = [f'.TH ZUNKA 1 "" "zunka {version}" "User Commands"',
           ".SH NAME", "zunka \\- play games made with the zunka system",
           ".SH SYNOPSIS"]
    for line in synopsis:
        out += [".B " + roff(line.split(" ", 1)[0]), roff(line.split(" ", 1)[1]), ".br"]
    out += [".SH DESCRIPTION", roff(" ".join(description))]
    for title, entries in sections:
        out.append(".SH " + roff(title.upper()))
        for term, text in entries:
            if term is None:
                out += [".PP", roff(" ".join(text))]
            else:
                out += [".TP", ".B " + roff(term), roff(" ".join(text))]
    return "\n".join(out) + "\n"


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    usage = Path(sys.argv[1]).read_text(encoding="ascii")
    Path(sys.argv[3]).write_text(man_page(usage, sys.argv[2]), encoding="ascii")


if __name__ == "__main__":
    main()
