#!/usr/bin/env python3
"""Check a character-reading table (resources/diclist.txt) byte by byte.

    python3 tools/check_diclist.py FILE

Exits 1 and lists what is wrong when the file breaks any of: no byte-order
mark; lines separated by CR LF, none after the last, no lone CR or LF, no
empty line; each line a double-byte CJK key (lead 0x81-0xFE) directly
followed by a reading of 1 to 6 letters made of a-z and the tone letters
A8A1-A8B8, at most one of them; keys unique; all 6,763 GB2312 hanzi present;
glibc's iconv (GB18030) decodes the file exactly as Python does; entries
ordered by toneless syllable (ü as v), then tone 1-4 and neutral, then GB2312
before the rest, then code; and the readings the program's documentation
quotes.  On success prints one line: entries, bytes, neutral-tone entries.

Written apart from gen_diclist.py on purpose, so that a slip in the generator
is not copied into its guard.
"""

import subprocess
import sys

# GBK tone letters A8A1-A8B8 in order: ā á ǎ à ē é ě è ī í ǐ ì ō ó ǒ ò ū ú ǔ ù ǖ ǘ ǚ ǜ
TONE_LETTERS = {
    bytes((0xA8, 0xA1 + i)): (vowel, i % 4 + 1)
    for i, vowel in enumerate("aaaaeeeeiiiioooouuuuvvvv")
}
NEUTRAL = 5
MAX_LETTERS = 6

EXAMPLES = {
    "好": "hǎo", "青": "qīng", "石": "shí", "书": "shū", "院": "yuàn", "殡": "bìn",
    "琻": "jīn", "中": "zhōng", "的": "de", "了": "le", "吧": "ba",
}
HAO_LINE = bytes.fromhex("BAC368A8A36F")
JIN_KEY = bytes.fromhex("AC6E")
MAX_REPORTED = 20


def gb2312_hanzi():
    """The 6,763 GB2312 hanzi codes: rows B0-F7, cells A1-FE, less D7FA-D7FE."""
    return {
        bytes((lead, trail))
        for lead in range(0xB0, 0xF8)
        for trail in range(0xA1, 0xFF)
        if not (lead == 0xD7 and trail >= 0xFA)
    }


def is_ideograph(char):
    cp = ord(char)
    return 0x3400 <= cp <= 0x4DBF or 0x4E00 <= cp <= 0x9FFF or 0xF900 <= cp <= 0xFAFF


def parse_reading(raw):
    """(toneless syllable with ü as v, tone 1-5, letter count) or an error string."""
    syllable, tones, i = [], [], 0
    while i < len(raw):
        byte = raw[i]
        if 0x61 <= byte <= 0x7A:
            syllable.append(chr(byte))
            i += 1
        elif raw[i:i + 2] in TONE_LETTERS:
            vowel, tone = TONE_LETTERS[raw[i:i + 2]]
            syllable.append(vowel)
            tones.append(tone)
            i += 2
        else:
            return f"byte {byte:02X} is neither a-z nor a tone letter"
    if not 1 <= len(syllable) <= MAX_LETTERS:
        return f"{len(syllable)} letters, not 1 to {MAX_LETTERS}"
    if len(tones) > 1:
        return "more than one tone mark"
    return "".join(syllable), tones[0] if tones else NEUTRAL, len(syllable)


def iconv_decode(data):
    """The file as glibc's iconv reads it, or an error string."""
    try:
        run = subprocess.run(["iconv", "-f", "GB18030", "-t", "UTF-8"], input=data, capture_output=True)
    except OSError as e:
        return None, f"cannot run iconv: {e}"
    if run.returncode != 0:
        return None, f"iconv -f GB18030 failed: {run.stderr.decode(errors='replace').strip()}"
    return run.stdout.decode("utf-8"), None


def check(data):
    """Return (problems, summary); the file is good when problems is empty."""
    problems = []
    if not data:
        return ["the file is empty"], None
    if data.startswith((b"\xef\xbb\xbf", b"\xff\xfe", b"\xfe\xff")):
        problems.append("the file starts with a byte-order mark")
    if data.endswith((b"\r", b"\n")):
        problems.append("the file ends with a line end (none may follow the last line)")

    lines = data.split(b"\r\n")
    entries = []  # (line number, key, sort key)
    keys = {}
    neutral = 0
    for number, line in enumerate(lines, 1):
        where = f"line {number}"
        if b"\r" in line or b"\n" in line:
            problems.append(f"{where}: a lone CR or LF (lines must be separated by CR LF)")
            continue
        if not line:
            problems.append(f"{where}: empty line")
            continue
        key, raw = line[:2], line[2:]
        if len(key) < 2 or not 0x81 <= key[0] <= 0xFE or not (0x40 <= key[1] <= 0xFE and key[1] != 0x7F):
            problems.append(f"{where}: the key is not a double-byte character: {line[:2].hex(' ').upper()}")
            continue
        try:
            char = key.decode("gb18030")
        except UnicodeDecodeError:
            char = ""
        if len(char) != 1 or not is_ideograph(char):
            problems.append(f"{where}: the key {key.hex().upper()} is not a CJK ideograph")
        if key in keys:
            problems.append(f"{where}: key {char or key.hex()} repeats line {keys[key]}")
        keys.setdefault(key, number)
        parsed = parse_reading(raw)
        if isinstance(parsed, str):
            problems.append(f"{where} ({char}): reading {raw.hex(' ').upper()}: {parsed}")
            continue
        syllable, tone, _ = parsed
        neutral += tone == NEUTRAL
        gb2312 = 0xB0 <= key[0] <= 0xF7 and key[1] >= 0xA1
        entries.append((number, key, (syllable, tone, 0 if gb2312 else 1, key)))

    for (_, _, before), (number, key, after) in zip(entries, entries[1:]):
        if not before < after:
            problems.append(
                f"line {number}: out of order: {after[0]} tone {after[1]} {key.hex().upper()} "
                f"after {before[0]} tone {before[1]} {before[3].hex().upper()}"
            )

    missing = sorted(gb2312_hanzi() - keys.keys())
    if missing:
        shown = " ".join(k.decode("gb18030") for k in missing[:10])
        problems.append(f"{len(missing)} GB2312 hanzi missing, for example {shown}")

    by_char = {}
    for line in lines:
        try:
            by_char.setdefault(line[:2].decode("gb18030"), line[2:].decode("gb18030"))
        except UnicodeDecodeError:
            pass
    for char, reading in EXAMPLES.items():
        if by_char.get(char) != reading:
            problems.append(f"{char} should read {reading}, not {by_char.get(char)}")
    if HAO_LINE not in lines:
        problems.append(f"no line with the bytes {HAO_LINE.hex(' ').upper()} (好hǎo)")
    if JIN_KEY not in keys or "殡".encode("gbk") not in keys:
        problems.append("殡 or 琻 (key AC 6E) is missing")
    elif not keys["殡".encode("gbk")] < keys[JIN_KEY]:
        problems.append("殡 must come before 琻 (key AC 6E)")

    glibc, error = iconv_decode(data)
    if error:
        problems.append(error)
    else:
        python = data.decode("gb18030", errors="replace")
        if glibc != python:
            at = next((i for i, (a, b) in enumerate(zip(glibc, python)) if a != b), min(len(glibc), len(python)))
            problems.append(f"glibc's iconv and Python read the file differently from character {at}")

    summary = f"{len(lines)} entries, {len(data)} bytes, {neutral} neutral-tone"
    return problems, summary


def main(argv):
    if len(argv) != 2:
        sys.exit("usage: check_diclist.py FILE")
    try:
        with open(argv[1], "rb") as f:
            data = f.read()
    except OSError as e:
        sys.exit(f"{argv[1]}: {e.strerror}")
    problems, summary = check(data)
    if problems:
        print(f"{argv[1]}: {len(problems)} problem(s)", file=sys.stderr)
        for problem in problems[:MAX_REPORTED]:
            print(f"  {problem}", file=sys.stderr)
        if len(problems) > MAX_REPORTED:
            print(f"  ... and {len(problems) - MAX_REPORTED} more", file=sys.stderr)
        return 1
    print(f"{argv[1]}: {summary}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
