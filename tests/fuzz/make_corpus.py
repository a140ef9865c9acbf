#!/usr/bin/env python3
"""Rebuilds the seed corpora kept beside the fuzz targets.

command: every command text of the database command catalog (its code blocks), placeholders
         filled with a sample value;
layout:  every report layout of platform/reports/layouts;
script:  every scripted session written in the tests (raw string literals that read as scripts).

Usage: tests/fuzz/make_corpus.py PATH-TO-db-commands.md
Files are named by a hash of their content, so running it again adds only what is new.
"""
import hashlib
import pathlib
import re
import sys

here = pathlib.Path(__file__).resolve().parent
root = here.parent.parent


def save(kind, text):
    data = text.encode("utf-8") if isinstance(text, str) else text
    if not data.strip():
        return 0
    folder = here / "corpus" / kind
    folder.mkdir(parents=True, exist_ok=True)
    path = folder / hashlib.sha1(data).hexdigest()[:16]
    if path.exists():
        return 0
    path.write_bytes(data)
    return 1


def commands(catalog):
    blocks = re.findall(r"^```[^\n]*\n(.*?)^```", catalog.read_text(encoding="utf-8"), re.S | re.M)
    n = 0
    for block in blocks:
        # Loops are shown as "… '<x(n)>'"; the sample keeps one more value instead.
        filled = re.sub(r"<[^<>\n]*>", "1", block).replace("…", "")
        lines = [l for l in filled.splitlines() if l.strip()]
        for line in lines:
            n += save("command", line)
        if len(lines) > 1:
            n += save("command", "\n".join(lines))
    # Statements quoted in the running text and the tables.
    text = catalog.read_text(encoding="utf-8")
    for span in re.findall(r"`([^`\n]+)`", text):
        if re.match(r"(?i)(select|insert|update|delete)\s", span):
            n += save("command", re.sub(r"<[^<>]*>", "1", span.replace("\\|", "|")))
    # The procedure index gives each call's opening and its argument count: a call with that many.
    for row in re.findall(r"^\|\s*\d+\s*\|[^|]*\|([^|]*)\|(?:[^|]*\|){3}\s*(\d+)", text, re.M):
        for opening in re.findall(r"`([^`]*')`", row[0]):
            have = opening.count(",") + 1
            n += save("command", opening + "1'" + ", '1'" * max(int(row[1]) - have, 0))
    return n


def layouts():
    n = 0
    for f in sorted((root / "platform" / "reports" / "layouts").iterdir()):
        if f.suffix.lower() == ".rpt":
            n += save("layout", f.read_bytes())
    return n


SCRIPT_LINE = re.compile(r"^\s*(?:(?:open|open-screen|session|clock|query|fault|pause|touch)\s|\w+:\s+\w)", re.M)


def scripts():
    n = 0
    for f in sorted((root / "tests").rglob("*")):
        if f.suffix not in (".cpp", ".h") or f.relative_to(root).parts[1] == "fuzz":
            continue
        for m in re.finditer(r'R"([^(\s]*)\((.*?)\)\1"', f.read_text(encoding="utf-8"), re.S):
            if SCRIPT_LINE.search(m.group(2)):
                n += save("script", m.group(2))
    return n


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    print("command", commands(pathlib.Path(sys.argv[1])))
    print("layout", layouts())
    print("script", scripts())
