"""The long options --help and --version."""
import os
import unittest

import harness
from harness import crlf, err, run
from run_e2e import SAMPLE, convert, progress, summary, usage

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
        words = ["--HELP", "--Version", "--helpme", "--version=2", "-help", "-version", "---help", "--"]
        for word in words:
            with self.subTest(word=word):
                r = run([word, "*.txt"], files={"a.txt": SAMPLE})
                self.assertEqual(r.stdout, convert(SAMPLE))
                self.assertEqual(r.stderr, err(progress(b".\\a.txt", len(SAMPLE)) + summary(1)))
                self.assertEqual(r.status, 0)
