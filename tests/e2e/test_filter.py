"""Standard input as a file ("-"): each case needs a real pipe or file
on the tool's standard input, which only a run of the binary gives."""
import os
import subprocess
import unittest

import harness
from harness import E_ACUTE, err, run, status
from run_e2e import SAMPLE, SAMPLE_OUT, convert, progress, summary

STDIN_REFUSED = b"Entr" + E_ACUTE + b"e standard (-) impossible avec -r\n"


class StandardInput(unittest.TestCase):
    def test_pipe_is_converted_to_standard_output(self):
        r = run(["-"], stdin=SAMPLE)
        self.assertEqual((r.stdout, r.stderr, r.status), (SAMPLE_OUT, err(progress(b"-", 0) + summary(1)), 0))
        self.assertEqual(r.files, {})

    def test_text_mode_rules_apply(self):
        # CR LF is one line end, a lone CR stays, 0x1A ends the input.
        data = b"a\r\nb\rc\r\n\"d\"\x1aignored\r\n"
        r = run(["-s", "-"], stdin=data)
        self.assertEqual((r.stdout, r.stderr, r.status), (convert(data), b"", 0))

    def test_place_among_the_files(self):
        files = {"a.txt": b"file\r\n"}
        cases = [
            (["-s", "-", "a.txt"], convert(b"pipe") + convert(b"file\r\n")),
            (["-s", "a.txt", "-"], convert(b"file\r\n") + convert(b"pipe")),
            (["-s", "-", "a.txt", "-"], convert(b"pipe") + convert(b"file\r\n")),
        ]
        for args, expected in cases:
            with self.subTest(args=args):
                r = run(args, files=files, stdin=b"pipe")
                self.assertEqual((r.stdout, r.stderr, r.status), (expected, b"", 0))
                self.assertEqual(r.files, files)

    def test_appended_to_the_append_file(self):
        r = run(["-a:out.txt", "-"], files={"out.txt": b"before\r\n"}, stdin=SAMPLE)
        self.assertEqual((r.stdout, r.stderr, r.status), (b"", err(progress(b"-", 0) + summary(1)), 0))
        self.assertEqual(r.files, {"out.txt": b"before\r\n" + SAMPLE_OUT})

    def test_refused_under_replace_before_anything_is_opened(self):
        files = {"a.txt": b"file\r\n"}
        for args in (["-r", "-", "a.txt"], ["-", "-R", "-s"]):
            with self.subTest(args=args):
                r = run(args, files=files, stdin=SAMPLE)
                self.assertEqual((r.stdout, r.stderr, r.status), (b"", err(STDIN_REFUSED), 1))
                # Not even the lock of a replace run was taken.
                self.assertEqual(r.files, files)

    @unittest.skipIf(harness.WINDOWS, "the redirection is made by a POSIX shell")
    def test_standard_input_that_is_the_output_is_passed_over(self):
        # Needs standard input and output on one file, as `>>` makes them.
        cases = [
            ("append file", "{tool} -a:out.txt - < out.txt"),
            ("standard output", "{tool} - < out.txt >> out.txt"),
        ]
        notice = b"!!! Parsing impossible de - (fichier de sortie)\n"
        tool = " ".join(harness.TOOL)
        for name, command in cases:
            with self.subTest(name):
                def go(root):
                    return subprocess.run(command.format(tool=tool), shell=True, cwd=root,
                                          capture_output=True, timeout=60)
                proc = {}
                r = run([], files={"out.txt": b"abc\r\n"}, setup=lambda root: proc.update(p=go(root)))
                self.assertEqual((proc["p"].stderr, proc["p"].returncode), (notice + summary(0), 0))
                self.assertEqual(r.files["out.txt"], b"abc\r\n")
