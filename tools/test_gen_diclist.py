#!/usr/bin/env python3
"""Tests of the table generator's rules, of the checker, and of the committed table.

    python3 tools/test_gen_diclist.py                      # everything
    python3 tools/test_gen_diclist.py ReadingRulesTest     # one class
"""

import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

sys.dont_write_bytecode = True  # keep tools/ free of __pycache__
HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

import check_diclist  # noqa: E402
import gen_diclist  # noqa: E402

TABLE = HERE.parent / "resources" / "diclist.txt"


class ReadingRulesTest(unittest.TestCase):
    def test_normalise_writes_awkward_readings_in_the_table_alphabet(self):
        cases = [
            ("plain tone letter", "hǎo", "hǎo"),
            ("neutral tone stays unmarked", "de", "de"),
            ("decomposed tone mark", "ha\u030co", "hǎo"),
            ("upper case", "ZHŌNG", "zhōng"),
            ("surrounding white space", " qīng\t", "qīng"),
            ("ü with a tone is kept", "lǘ", "lǘ"),
            ("ü with a tone, decomposed", "nu\u0308\u030c", "nǚ"),
            ("ü before e is written u", "lüè", "luè"),
            ("ü before e, rising tone", "nüé", "nué"),
            ("ü before e, upper case", "LÜÈ", "luè"),
            ("ê with a level tone", "ê\u0304", "ē"),
            ("ê with a rising tone", "ế", "é"),
            ("ê with a dipping tone", "ê\u030c", "ě"),
            ("ê with a falling tone", "ề", "è"),
            ("syllabic n, rising", "ń", "en"),
            ("syllabic n, dipping", "ň", "en"),
            ("syllabic n, falling", "ǹ", "en"),
            ("syllabic ng", "ńg", "en"),
            ("syllabic m, rising", "ḿ", "m"),
            ("syllabic m, falling (no precomposed form)", "m\u0300", "m"),
            ("syllabic m, level", "m\u0304", "m"),
            ("six letters", "zhuàng", "zhuàng"),
            ("unmarked consonant syllable", "hm", "hm"),
        ]
        for tag, reading, expected in cases:
            with self.subTest(tag):
                self.assertEqual(gen_diclist.normalise(reading), expected)

    def test_normalise_rejects_what_the_alphabet_cannot_hold(self):
        cases = [
            ("empty", ""),
            ("bare ü", "lü"),
            ("two tone marks", "hǎò"),
            ("two marks on one letter", "a\u0301\u0300"),
            ("tone mark on a consonant", "ńa"),
            ("seven letters", "zhuanga"),
            ("tone digit", "hao3"),
            ("two syllables", "hǎo hào"),
            ("circumflex off e", "â"),
            ("letter outside a-z", "ça"),
        ]
        for tag, reading in cases:
            with self.subTest(tag):
                with self.assertRaises(gen_diclist.Unfit):
                    gen_diclist.normalise(reading)

    def test_field_readings_follow_each_field_format(self):
        cases = [
            ("kMandarin", "hǎo hào", ["hǎo", "hào"]),
            ("kXHC1983", "0745.010:lüě 0745.020:lüè", ["lüě", "lüè"]),
            ("kXHC1983", "0811.010*,0826.010:ń", ["ń"]),
            ("kHanyuPinyin", "10019.020:tiàn,tián 10020.030:diǎn", ["tiàn", "tián", "diǎn"]),
            ("kHanyuPinyin", "", []),
        ]
        for field, value, expected in cases:
            with self.subTest(f"{field} {value!r}"):
                self.assertEqual(gen_diclist.field_readings(field, value), expected)

    def test_choose_reading_takes_the_first_candidate_that_fits(self):
        cases = [
            ("kMandarin first reading wins", {"kMandarin": "hǎo hào", "kXHC1983": "0445.030:hào"}, "hǎo"),
            ("rule applies before falling back", {"kMandarin": "ń", "kXHC1983": "0811.010:ǹ"}, "en"),
            ("second kMandarin reading", {"kMandarin": "lü lǘ", "kXHC1983": "0001.010:lǚ"}, "lǘ"),
            ("falls back to kXHC1983", {"kMandarin": "hǎò", "kXHC1983": "0001.010:hào"}, "hào"),
            ("then to kHanyuPinyin", {"kXHC1983": "0001.010:lü", "kHanyuPinyin": "10001.010:lü,lǜ"}, "lǜ"),
            ("nothing fits", {"kMandarin": "lü"}, None),
            ("no reading at all", {}, None),
        ]
        for tag, fields, expected in cases:
            with self.subTest(tag):
                self.assertEqual(gen_diclist.choose_reading(fields), expected)


class OrderTest(unittest.TestCase):
    def test_sort_key_orders_syllable_then_tone_then_gb2312_then_code(self):
        # In table order: a tone group's GB2312 keys (B0-F7 lead, A1+ trail)
        # come before extension keys even when their codes are higher.
        ordered = [
            ("b0a1", "ā"), ("b0a2", "à"), ("b0a3", "a"),
            ("b0a4", "ai"),
            ("b0a5", "bìn"), ("f7a1", "bìn"), ("8140", "bìn"), ("ac6e", "bìn"),
            ("b0a6", "jīn"),
            ("b0a7", "lū"), ("b0a8", "lù"), ("b0a9", "lu"),
            ("b0aa", "luán"),
            ("b0ab", "luè"),
            ("b0ac", "luó"),
            ("b0ad", "lǘ"), ("b0ae", "lǚ"),
            ("b0af", "m"),
            ("b0b0", "mā"),
            ("b0b1", "zhuàng"),
        ]
        shuffled = ordered[::-1]
        shuffled.sort(key=lambda e: gen_diclist.sort_key(bytes.fromhex(e[0]), e[1]))
        self.assertEqual(shuffled, ordered)

    def test_build_entries_skips_unread_and_ambiguous_codes_and_sorts(self):
        unihan = {
            ord("好"): {"kMandarin": "hǎo"},
            ord("青"): {"kMandarin": "qīng"},
            ord("阿"): {"kMandarin": "ā"},
            ord("琻"): {"kMandarin": "jīn"},
            ord("殡"): {"kMandarin": "bìn"},
            ord("略"): {"kMandarin": "lüè"},
            0x20087: {"kMandarin": "zuǒ"},  # FE51 to glibc, private use to Python
        }
        entries = [(key.decode("gb18030"), reading) for key, reading in gen_diclist.build_entries(unihan)]
        self.assertEqual(
            entries, [("阿", "ā"), ("殡", "bìn"), ("好", "hǎo"), ("琻", "jīn"), ("略", "luè"), ("青", "qīng")]
        )
        self.assertEqual(
            gen_diclist.encode(gen_diclist.build_entries({ord("好"): {"kMandarin": "hǎo"}})),
            bytes.fromhex("BAC368A8A36F"),
        )


class CheckerTest(unittest.TestCase):
    """The checker must reject each kind of damage to a good table."""

    @classmethod
    def setUpClass(cls):
        cls.good = TABLE.read_bytes()
        cls.lines = cls.good.split(b"\r\n")

    def joined(self, lines):
        return b"\r\n".join(lines)

    def replaced(self, char, line):
        key = char.encode("gbk")
        return self.joined([line if old[:2] == key else old for old in self.lines])

    def test_good_table_passes(self):
        problems, _ = check_diclist.check(self.good)
        self.assertEqual(problems, [])

    def test_damage_is_reported(self):
        first, second = self.lines[0], self.lines[1]
        hao = "好".encode("gbk")
        cases = [
            ("line end after the last line", self.good + b"\r\n", "ends with a line end"),
            ("byte-order mark", b"\xef\xbb\xbf" + self.good, "byte-order mark"),
            ("blank line", self.joined([first, b""] + self.lines[1:]), "empty line"),
            ("lone LF", self.joined([first + b"\n" + second] + self.lines[2:]), "lone CR or LF"),
            ("repeated key", self.joined([first, first] + self.lines[1:]), "repeats line 1"),
            ("one-byte key", self.joined([b"a" + first] + self.lines[1:]), "not a double-byte"),
            ("two tone marks", self.replaced("好", hao + "hǎō".encode("gbk")), "more than one tone mark"),
            ("seven letters", self.replaced("好", hao + b"haohaoh"), "7 letters"),
            ("bare ü (A8B9)", self.replaced("好", hao + b"h\xa8\xb9"), "byte A8"),
            ("upper case", self.replaced("好", hao + b"H\xa8\xa3o"), "byte 48"),
            ("GB2312 hanzi missing", self.joined([l for l in self.lines if l[:2] != hao]), "GB2312 hanzi missing"),
            ("neighbours swapped", self.joined([second, first] + self.lines[2:]), "out of order"),
            ("example reading changed", self.replaced("好", hao + "hào".encode("gbk")), "好 should read hǎo"),
        ]
        for tag, data, message in cases:
            with self.subTest(tag):
                problems, _ = check_diclist.check(data)
                self.assertTrue(any(message in p for p in problems), problems[:5])

    def test_command_line_exit_status(self):
        with tempfile.TemporaryDirectory() as tmp:
            bad = Path(tmp, "bad.txt")
            bad.write_bytes(self.good + b"\r\n")
            run = subprocess.run([sys.executable, str(HERE / "check_diclist.py"), str(bad)], capture_output=True)
            self.assertEqual(run.returncode, 1)
            self.assertIn(b"ends with a line end", run.stderr)
            run = subprocess.run([sys.executable, str(HERE / "check_diclist.py"), str(TABLE)], capture_output=True)
            self.assertEqual(run.returncode, 0, run.stderr)
            self.assertRegex(run.stdout.decode(), r"\d+ entries, \d+ bytes, \d+ neutral-tone")


class RegenerationTest(unittest.TestCase):
    def test_generator_reproduces_the_committed_table(self):
        with tempfile.TemporaryDirectory() as tmp:
            out = Path(tmp, "diclist.txt")
            run = subprocess.run(
                [sys.executable, str(HERE / "gen_diclist.py"), str(out)], capture_output=True, text=True
            )
            self.assertEqual(run.returncode, 0, run.stderr)
            fresh, committed = out.read_bytes(), TABLE.read_bytes()
        if fresh != committed:
            new, old = fresh.split(b"\r\n"), committed.split(b"\r\n")
            at = next((i for i, (a, b) in enumerate(zip(new, old)) if a != b), min(len(new), len(old)))
            show = lambda lines: lines[at].decode("gbk", "replace") if at < len(lines) else "(end)"
            self.fail(
                f"regenerated table differs from {TABLE.name} at line {at + 1}: "
                f"generator gives {show(new)!r}, file has {show(old)!r} "
                f"({len(new)} vs {len(old)} lines); run tools/gen_diclist.py and review the change"
            )


if __name__ == "__main__":
    unittest.main()
