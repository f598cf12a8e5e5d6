#!/usr/bin/env python3
"""Checks the installed manual page of morvane-convert against the program itself.

    check_manpage.py MANUAL.1.gz MORVANE-CONVERT

The page must format without a warning, name every option of the program's --help, carry the
program's version, and show each style as the program writes it for 好.
"""

import gzip
import re
import subprocess
import sys
import unicodedata

failures = []


def fail(message):
    failures.append(message)


def groff(source, *options):
    return subprocess.run(["groff", "-man", "-K", "utf8", "-Tutf8", *options], input=source,
                          capture_output=True, env={"LC_ALL": "C.UTF-8", "PATH": "/usr/bin:/bin"})


def main():
    manual, program = sys.argv[1], sys.argv[2]
    with gzip.open(manual, "rb") as f:
        source = f.read()

    checked = groff(source, "-ww", "-z")
    if checked.returncode != 0 or checked.stderr:
        fail(f"groff warns: {checked.stderr.decode(errors='replace')}")
    # One long line per paragraph, no bold or underline: the text as a reader sees it.
    text = unicodedata.normalize("NFC", groff(source, "-rLL=300n", "-P", "-cbou").stdout.decode())
    text = text.replace("\u2010", "-")  # groff's hyphen

    usage = subprocess.run([program, "--help"], capture_output=True, encoding="utf-8", check=True).stdout
    options = set(re.findall(r"(?m)^\s+(?:(-\w), )?(--[\w-]+)", usage))
    named = {o for pair in options for o in pair if o} | set(re.findall(r"(?m)^\s+(-\w) ", usage))
    if len(named) < 5:
        fail(f"found too few options in --help to compare: {sorted(named)}")
    for option in sorted(named):
        if not re.search(r"(?<![\w-])" + re.escape(option) + r"(?![\w-])", text):
            fail(f"the manual page does not name {option}")

    version = subprocess.run([program, "--version"], capture_output=True, encoding="utf-8", check=True).stdout
    number = version.split()[-1]
    header = re.search(rb'(?m)^\.TH\s+\S+\s+1\s+\S+\s+"Morvane ([^"]+)"', source)
    if not header or header.group(1).decode() != number:
        fail(f"the manual page's version is not the program's {number}")

    for style in ("plain", "spaced", "annotated"):
        shown = re.search(r"(?m)^\s+" + style + r"\s.*?\u201c([^\u201d]*)\u201d", text)
        written = subprocess.run([program, "--style", style], input="好", capture_output=True,
                                 encoding="utf-8", check=True).stdout
        if not shown:
            fail(f"the manual page shows no example of the style {style}")
        elif shown.group(1) != written:
            fail(f"the manual page shows {style} as {shown.group(1)!r}, the program writes {written!r}")


main()
for message in failures:
    print("FAIL:", message)
sys.exit(1 if failures else 0)
