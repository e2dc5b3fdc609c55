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
        # A filter says nothing on standard error when all goes well: an
        # editor that captures it would get it in its buffer.
        r = run(["-"], stdin=SAMPLE)
        self.assertEqual((r.stdout, r.stderr, r.status), (SAMPLE_OUT, b"", 0))
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
        self.assertEqual((r.stdout, r.stderr, r.status), (b"", b"", 0))
        self.assertEqual(r.files, {"out.txt": b"before\r\n" + SAMPLE_OUT})

    @unittest.skipIf(harness.WINDOWS, "needs the tool started with descriptor 0 closed, which Wine does not pass on")
    def test_closed_standard_input_cannot_be_opened(self):
        # Needs a real process started with standard input closed (<&-).
        r = run(["-a:out.txt", "-"], files={"out.txt": b"before\r\n"}, preexec=lambda: os.close(0))
        self.assertEqual((r.stdout, r.stderr, r.status), (b"", err(b"-: Bad file descriptor\n"), status(-1)))
        self.assertEqual(r.files, {"out.txt": b"before\r\n"})

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
                self.assertEqual((proc["p"].stderr, proc["p"].returncode), (notice, 0))
                self.assertEqual(r.files["out.txt"], b"abc\r\n")


def as_read(data: bytes) -> bytes:
    """A file's text as text mode reads it (CR LF one line end, 0x1A its
    end), each line end written back as CR LF: what decoding gives for the
    default form, which records no line end of its own."""
    return data.split(b"\x1a", 1)[0].replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")


GOOD = b"\t= \"first\" _\r\n\t& \"say \"\"hi\"\"\" _\r\n\t_\r\n\t& \"end\"\r\n"
GOOD_TEXT = b"first\r\nsay \"hi\"\r\n\r\nend"
NOT_AN_EXPRESSION = b"\t= \"a\" _\r\n\t\"b\"\r\n"
NOT_AN_EXPRESSION_NOTICE = b"!!! Parsing impossible de .\\b.vb (ligne 2, colonne 2)\n"
TREE = {
    "a.txt": SAMPLE,
    "marked.txt": b"\xef\xbb\xbfutf-8 \xc3\xa9t\xc3\xa9\r\n",
    "lf.txt": b"unix\nline ends\n",
    # Replace mode takes text only: no NUL, nothing after a 0x1A.
    "d/odd.txt": b"cr\ralone, \"quotes\"\r\n\r\nno final line end",
    "d/e/empty.txt": b"",
    "d/e/ctrl_z.txt": b"kept\r\n\x1a",
}


class Decode(unittest.TestCase):
    def test_pipe_there_and_back(self):
        # Needs two runs joined by pipes, as an editor's filter makes them.
        text = b"SELECT *\r\nFROM t\nWHERE x = \"y\"\r\n"
        there = run(["-s", "-"], stdin=text)
        back = run(["-s", "-decode", "-"], stdin=there.stdout)
        self.assertEqual((back.stdout, back.stderr, back.status), (as_read(text), b"", 0))

    def test_console_decodes_every_expression_and_passes_over_the_rest(self):
        files = {"a.vb": GOOD, "b.vb": NOT_AN_EXPRESSION, "c.vb": convert(b"x\r\n")}
        r = run(["-decode", "*.vb"], files=files)
        self.assertEqual(r.stdout, GOOD_TEXT + b"x\r\n")
        # The progress line of the file that is no expression is ended
        # before its notice.
        self.assertEqual(r.stderr, err(progress(b".\\a.vb", len(GOOD)) + progress(b".\\b.vb", len(files["b.vb"]))
                                       + b"\n" + NOT_AN_EXPRESSION_NOTICE
                                       + progress(b".\\c.vb", len(files["c.vb"])) + summary(2)))
        self.assertEqual(r.status, status(-3))
        self.assertEqual(r.files, files)

    def test_append_mode_writes_nothing_of_a_file_that_is_no_expression(self):
        files = {"a.vb": GOOD, "b.vb": NOT_AN_EXPRESSION, "out.txt": b"before\r\n"}
        r = run(["-s", "-DECODE", "-a:out.txt", "*.vb"], files=files)
        self.assertEqual((r.stdout, r.stderr, r.status), (b"", err(NOT_AN_EXPRESSION_NOTICE), status(-3)))
        self.assertEqual(r.files, dict(files, **{"out.txt": b"before\r\n" + GOOD_TEXT}))

    def test_replace_then_decode_in_place_gives_the_text_back(self):
        # Needs real files replaced in place, twice, over a tree. A binary
        # file is passed over both ways with a notice: the restore is clean.
        binary = b"\x00\x01binary"
        notice = b"!!! Parsing impossible de .\\d\\bin.txt (fichier binaire)\n"

        def setup(root):
            for args in (["-r", "-s", "-t", "*.txt"], ["-r", "-s", "-t", "-decode", "*.txt"]):
                proc = subprocess.run(harness.TOOL + args, cwd=root, capture_output=True, timeout=60)
                self.assertEqual((proc.stdout, proc.stderr, proc.returncode), (b"", err(notice), 0), args)
        r = run([], files=dict(TREE, **{"d/bin.txt": binary}), setup=setup)
        expected = {name: as_read(data) for name, data in TREE.items()}
        self.assertEqual(r.files, dict(expected, **{"d/bin.txt": binary}))

    def test_replace_with_a_new_extension_leaves_a_non_expression_as_it_is(self):
        files = {"a.vb": b"\xef\xbb\xbf" + GOOD, "b.vb": NOT_AN_EXPRESSION}
        r = run(["-r", "-decode", "-e:txt", "*.vb"], files=files)
        self.assertEqual(r.stdout, b"")
        self.assertEqual(r.stderr, err(progress(b".\\a.vb", len(files["a.vb"])) + b"\n"
                                       + progress(b".\\b.vb", len(files["b.vb"])) + b"\n"
                                       + NOT_AN_EXPRESSION_NOTICE + summary(1)))
        self.assertEqual(r.status, status(-3))
        self.assertEqual(r.files, {"a.txt": b"\xef\xbb\xbf" + GOOD_TEXT, "b.vb": NOT_AN_EXPRESSION})
