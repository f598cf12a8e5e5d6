#!/usr/bin/env python3
"""Build resources/diclist.txt, the character-reading table, from Unihan.

    python3 tools/gen_diclist.py [OUTPUT] [--unihan FILE]

OUTPUT defaults to resources/diclist.txt beside this tools/ directory; FILE
defaults to /usr/share/unicode/Unihan_Readings.txt.bz2 from Debian's package
unicode-data (the committed table was made from Unihan 15.0.0, Debian 12's
unicode-data 15.0.0-1).  Same input, same bytes: nothing depends on the
clock, the locale or hash order.

Which characters
  Every double-byte code of code page 936 (lead 0x81-0xFE, trail 0x40-0x7E or
  0x80-0xFE) that Python's 'gb18030' codec decodes to one CJK ideograph
  (U+3400-4DBF, U+4E00-9FFF, U+F900-FAFF) for which Unihan gives a reading.
  That is all 6,763 GB2312 characters and the extension-area ideographs
  Unihan reads: 20,945 keys from Unihan 15.0.0 (14,182 beyond GB2312).
  Left out:
  - the ideographs Unihan has no reading for (for example the compatibility
    ideographs at FD9C-FE4F and unit characters such as 兙 瓧);
  - FE51 FE52 FE53 FE59 FE61 FE66 FE67 FE6C FE6D FE76 FE7E FE90 FE91 FEA0:
    Python's codec reads these as private-use characters, glibc's iconv
    (which the program widens text with) as ideographs, five of which
    Unihan reads (FE51 zuǒ, FE53 gǔn, FE6C pěng, FE76 zāi, FE91 yìng).  A
    key the two decoders read differently would not be the same character
    in the program and in this table, so none of these codes is used.  For
    every key used, iconv -f GB18030 and Python give the same text; the
    checker confirms it.

Which reading
  Candidates, in this order: the kMandarin readings (the first is the
  mainland one), then kXHC1983, then kHanyuPinyin.  The first candidate that
  can be written in the table's alphabet after the rules below is taken.
  The alphabet is a-z and the tone letters ā á ǎ à ē é ě è ī í ǐ ì ō ó ǒ ò
  ū ú ǔ ù ǖ ǘ ǚ ǜ (GBK A8A1-A8B8); 1 to 6 letters, at most one tone mark,
  no mark for the neutral tone.  Rules, applied in turn:
  1. Unicode NFC, surrounding white space dropped, lower case.
  2. ê is written e and keeps its tone: ê̄ ế ê̌ ề -> ē é ě è.
  3. ü before e is written u, as in common use: lüè -> luè, nüè -> nuè.
     (ü elsewhere must carry a tone, ǖ ǘ ǚ ǜ; bare ü has no letter here.)
  4. Syllabic m with a tone mark (m̄ ḿ m̀) is written m.
  5. Syllabic n or ng with a tone mark (ń ň ǹ ńg ňg ǹg, 嗯) is written en.
  Anything else that does not fit (two marks, a mark on a consonant, digits,
  other letters, more than 6 letters) makes the next candidate the choice.
  No override table is needed: Unihan's first kMandarin reading is the one
  wanted for every character the program's documentation quotes.

Order
  By toneless syllable, alphabetically by a-z, ü counting as the letter v
  (so lǘ sorts as "lv", after luo); within a syllable tone 1, 2, 3, 4, then
  the neutral tone; within a tone the GB2312 characters (lead 0xB0-0xF7,
  trail 0xA1-0xFE) first, then the others, each group by code.

Format
  Code page 936 bytes, no byte-order mark, no header; one line per key: the
  two key bytes directly followed by the reading; lines separated by CR LF,
  none after the last.  resources/diclist-format.md describes it.
"""

import argparse
import bz2
import sys
import unicodedata
from pathlib import Path

UNIHAN_DEFAULT = "/usr/share/unicode/Unihan_Readings.txt.bz2"
OUTPUT_DEFAULT = Path(__file__).resolve().parent.parent / "resources" / "diclist.txt"

FIELDS = ("kMandarin", "kXHC1983", "kHanyuPinyin")

IDEOGRAPH_RANGES = ((0x3400, 0x4DBF), (0x4E00, 0x9FFF), (0xF900, 0xFAFF))

# Codes the two GB18030 decoders read differently (see the header).
DECODERS_DISAGREE = frozenset(
    bytes.fromhex(h)
    for h in "fe51 fe52 fe53 fe59 fe61 fe66 fe67 fe6c fe6d fe76 fe7e fe90 fe91 fea0".split()
)

# Combining tone marks (after NFD) and the tone numbers they stand for.
TONE_MARKS = {"\u0304": 1, "\u0301": 2, "\u030c": 3, "\u0300": 4}
DIAERESIS = "\u0308"
CIRCUMFLEX = "\u0302"
TONE_VOWELS = "aeiouü"
LETTERS = frozenset("abcdefghijklmnopqrstuvwxyz")
MAX_LETTERS = 6
NEUTRAL = 5


class Unfit(ValueError):
    """A reading that cannot be written in the table's alphabet."""


def _letters(reading):
    """Split a reading into [base, tone] pairs; base is a-z or 'ü', tone 0-4."""
    out = []
    for ch in unicodedata.normalize("NFD", reading):
        if ch in LETTERS:
            out.append([ch, 0])
        elif ch == DIAERESIS and out and out[-1][0] == "u":
            out[-1][0] = "ü"
        elif ch == CIRCUMFLEX and out and out[-1][0] == "e":
            pass  # rule 2: ê is written e
        elif ch in TONE_MARKS and out:
            if out[-1][1]:
                raise Unfit(f"{reading!r}: two tone marks on one letter")
            out[-1][1] = TONE_MARKS[ch]
        else:
            raise Unfit(f"{reading!r}: character {ch!r} has no place in a reading")
    return out


def normalise(reading):
    """Write one Unihan reading in the table's alphabet; raise Unfit if impossible.

    normalise('lüè') == 'luè', normalise('ń') == 'en', normalise('ḿ') == 'm'.
    """
    text = unicodedata.normalize("NFC", reading).strip().lower()
    letters = _letters(text)
    if not letters:
        raise Unfit(f"{reading!r}: empty")
    bases = "".join(base for base, _ in letters)
    marks = [tone for _, tone in letters if tone]
    if len(marks) > 1:
        raise Unfit(f"{reading!r}: more than one tone mark")
    if marks and bases == "m":
        return "m"  # rule 4
    if marks and bases in ("n", "ng"):
        return "en"  # rule 5
    for i in range(len(letters) - 1):  # rule 3
        if letters[i][0] == "ü" and letters[i + 1][0] == "e":
            letters[i][0] = "u"
    out = []
    for base, tone in letters:
        if tone and base not in TONE_VOWELS:
            raise Unfit(f"{reading!r}: tone mark on {base!r}")
        if base == "ü" and not tone:
            raise Unfit(f"{reading!r}: ü without a tone has no letter")
        out.append(unicodedata.normalize("NFC", base + ("", "\u0304", "\u0301", "\u030c", "\u0300")[tone]))
    result = "".join(out)
    if len(result) > MAX_LETTERS:
        raise Unfit(f"{reading!r}: more than {MAX_LETTERS} letters")
    return result


def field_readings(field, value):
    """The readings listed in one Unihan field value, in their order.

    kMandarin 'hǎo hào'; kXHC1983 '0445.030:hǎo 0448.030:hào';
    kHanyuPinyin '10019.020:tiàn,tián 10020.030:tián'.
    """
    readings = []
    for item in value.split():
        if field == "kMandarin":
            readings.append(item)
        else:
            readings.extend(item.split(":", 1)[-1].split(","))
    return [r for r in readings if r]


def choose_reading(fields):
    """The table's reading for one character, from its {field: value} dict, or None."""
    for field in FIELDS:
        for reading in field_readings(field, fields.get(field, "")):
            try:
                return normalise(reading)
            except Unfit:
                continue
    return None


def tone_of(reading):
    """1-4 for a marked reading, NEUTRAL for an unmarked one."""
    for ch in unicodedata.normalize("NFD", reading):
        if ch in TONE_MARKS:
            return TONE_MARKS[ch]
    return NEUTRAL


def toneless(reading):
    """The syllable without its tone, ü written v: 'lǘ' -> 'lv', 'hǎo' -> 'hao'."""
    plain = "".join(ch for ch in unicodedata.normalize("NFD", reading) if ch not in TONE_MARKS)
    return unicodedata.normalize("NFC", plain).replace("ü", "v")


def is_gb2312(key):
    return 0xB0 <= key[0] <= 0xF7 and key[1] >= 0xA1


def sort_key(key, reading):
    """Where the entry (key bytes, reading) stands in the table."""
    return (toneless(reading), tone_of(reading), 0 if is_gb2312(key) else 1, key)


def double_byte_codes():
    for lead in range(0x81, 0xFF):
        for trail in range(0x40, 0xFF):
            if trail != 0x7F:
                yield bytes((lead, trail))


def ideograph_of(key):
    """The ideograph a double-byte code stands for, or None."""
    if key in DECODERS_DISAGREE:
        return None
    try:
        text = key.decode("gb18030")
    except UnicodeDecodeError:
        return None
    if len(text) != 1 or not any(lo <= ord(text) <= hi for lo, hi in IDEOGRAPH_RANGES):
        return None
    return text


def read_unihan(path):
    """{code point: {field: value}} for the fields the table reads."""
    opener = bz2.open if str(path).endswith(".bz2") else open
    table = {}
    with opener(path, "rt", encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            cp, field, value = line.rstrip("\n").split("\t", 2)
            if field in FIELDS:
                table.setdefault(int(cp[2:], 16), {})[field] = value
    return table


def build_entries(unihan):
    """The table's (key, reading) pairs in file order."""
    entries = []
    for key in double_byte_codes():
        char = ideograph_of(key)
        if char is None:
            continue
        reading = choose_reading(unihan.get(ord(char), {}))
        if reading is not None:
            entries.append((key, reading))
    entries.sort(key=lambda e: sort_key(*e))
    return entries


def encode(entries):
    return b"\r\n".join(key + reading.encode("gbk") for key, reading in entries)


def main(argv=None):
    parser = argparse.ArgumentParser(description="Build the character-reading table from Unihan.")
    parser.add_argument("output", nargs="?", default=str(OUTPUT_DEFAULT))
    parser.add_argument("--unihan", default=UNIHAN_DEFAULT)
    args = parser.parse_args(argv)
    if not Path(args.unihan).is_file():
        sys.exit(f"{args.unihan} not found; install the Debian package unicode-data")
    entries = build_entries(read_unihan(args.unihan))
    data = encode(entries)
    Path(args.output).write_bytes(data)
    print(f"{args.output}: {len(entries)} entries, {len(data)} bytes")


if __name__ == "__main__":
    main()
