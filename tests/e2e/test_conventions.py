"""The long options --help and --version, and the UTF-8 byte-order mark at
the start of an input file."""
import os
import unittest

import harness
from harness import E_ACUTE, crlf, err, run
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

    def test_mistakes_are_refused_before_anything_is_opened(self):
        # Each mistake: status 1, one line naming it, nothing touched (in
        # replace mode a misspelled -decode would encode every file again).
        unknown = b"Option inconnue : \"%s\" (voir -?)\n"
        cases = [
            (["--HELP"], unknown % b"--HELP"),
            (["-help"], unknown % b"-help"),
            (["-h"], unknown % b"-h"),
            (["--version=2"], unknown % b"--version=2"),
            (["-r", "-decod"], unknown % b"-decod"),
            (["-vab"], unknown % b"-vab"),
            (["-rt"], unknown % b"-rt"),
            (["-nl=vbLf"], unknown % b"-nl=vbLf"),
            (["-var=sql"], unknown % b"-var=sql"),
            (["-r", "-e:"], b"Option -e : extension vide (ex: -e:asp)\n"),
            (["-r", "-e", "vbs"], b"Option -e : extension vide (ex: -e:asp)\n"),
            (["-a"], b"Option -a : nom de fichier vide (ex: -a:sortie.txt)\n"),
            (["-var:Rem"], b"Option -var : \"Rem\" est un nom r" + E_ACUTE + b"serv" + E_ACUTE + b" de VB ou de la sortie\n"),
        ]
        for args, line in cases:
            with self.subTest(args=args):
                r = run(["-s"] + args + ["*.txt"], files={"a.txt": SAMPLE})
                self.assertEqual((r.stdout, r.stderr, r.status), (b"", err(line), 1))
                self.assertEqual(r.files, {"a.txt": SAMPLE})


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
