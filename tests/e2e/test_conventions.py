"""The long options --help and --version, and the UTF-8 byte-order mark at
the start of an input file."""
import os
import unittest

import harness
from harness import crlf, err, run
from run_e2e import SAMPLE, convert, progress, summary, usage

MARK = b"\xef\xbb\xbf"
VERSION_LINE = crlf(b"txt2vb 1.4.1\n")


class LongOptions(unittest.TestCase):
    def test_help_and_version_end_the_run(self):
        prog = os.fsencode(harness.TOOL[-1])
        files = {"a.txt": SAMPLE}
        cases = [
            ("--help", ["--help"], usage(prog)),
            ("--help after a replace request", ["-r", "*.txt", "--help"], usage(prog)),
            ("--help before -a with -r", ["--help", "-a:out.txt", "-r", "*.txt"], usage(prog)),
            ("--version", ["--version"], VERSION_LINE),
            ("--version after a replace request", ["-r", "-l", "*.txt", "--version"], VERSION_LINE),
            ("--version before --help", ["--version", "--help"], VERSION_LINE),
            ("--help before --version", ["--help", "--version"], usage(prog)),
        ]
        for name, args, expected in cases:
            with self.subTest(name):
                r = run(args, files=files)
                self.assertEqual((r.stdout, r.stderr, r.status), (expected, b"", 0))
                self.assertEqual(r.files, files)

    def test_other_words_stay_named_options(self):
        words = ["--HELP", "--Version", "--helpme", "--version=2", "-help", "-version", "---help"]
        for word in words:
            with self.subTest(word=word):
                r = run([word, "*.txt"], files={"a.txt": SAMPLE})
                self.assertEqual(r.stdout, convert(SAMPLE))
                self.assertEqual(r.stderr, err(progress(b".\\a.txt", len(SAMPLE)) + summary(1)))
                self.assertEqual(r.status, 0)


class ByteOrderMark(unittest.TestCase):
    # (name, input bytes, the text after a leading mark, whether it has one)
    INPUTS = [
        ("marked lines", MARK + b"ab\r\nsay \"hi\"\r\n", b"ab\r\nsay \"hi\"\r\n", True),
        ("the mark alone", MARK, b"", True),
        ("mark and a line feed", MARK + b"\r\n", b"\r\n", True),
        ("a second mark is text", MARK + MARK + b"x", MARK + b"x", True),
        ("a mark after the start is text", b"a" + MARK, b"a" + MARK, False),
        ("two bytes of a mark are text", b"\xef\xbbz", b"\xef\xbbz", False),
    ]

    def test_console_leaves_the_mark_out(self):
        for name, data, text, _ in self.INPUTS:
            with self.subTest(name):
                r = run(["*.txt"], files={"a.txt": data})
                self.assertEqual(r.stdout, convert(text))
                self.assertEqual(r.stderr, err(progress(b".\\a.txt", len(data)) + summary(1)))
                self.assertEqual(r.status, 0)
                self.assertEqual(r.files, {"a.txt": data})

    def test_append_leaves_the_mark_out(self):
        for name, data, text, _ in self.INPUTS:
            with self.subTest(name):
                files = {"a.txt": data, "b.txt": MARK + b"b", "out.vb": MARK + b"old\r\n"}
                r = run(["-s", "-a:out.vb", "*.txt"], files=files)
                self.assertEqual((r.stdout, r.stderr, r.status), (b"", b"", 0))
                # The append file's own mark stays where it was, at its start.
                self.assertEqual(r.files, {"a.txt": data, "b.txt": MARK + b"b",
                                           "out.vb": MARK + b"old\r\n" + convert(text) + convert(b"b")})

    def test_replace_puts_the_mark_before_the_prologue(self):
        for name, data, text, marked in self.INPUTS:
            with self.subTest(name):
                r = run(["-r", "-s", "*.txt"], files={"a.txt": data})
                self.assertEqual((r.stdout, r.stderr, r.status), (b"", b"", 0))
                self.assertEqual(r.files, {"a.txt": (MARK if marked else b"") + convert(text)})

    def test_replace_under_a_new_extension_with_sizes(self):
        data = MARK + b"x\r\n"
        out = MARK + convert(b"x\r\n")
        r = run(["-r", "-l", "-e:vbs", "*.txt"], files={"a.txt": data})
        delta = len(out) - len(data)
        self.assertEqual(r.stderr, err(progress(b".\\a.txt", len(data))
                                       + b"(delta:+%d/+%d%%)\n" % (delta, delta * 100 // len(data))
                                       + summary(1, b" (delta:+%d/+%d%%)" % (delta, delta * 100 // len(data)))))
        self.assertEqual(r.files, {"a.vbs": out})
        self.assertEqual(r.status, 0)
