"""The options of the output's form as the real binary takes them: a bad
value ends the run before any file is opened (it needs the real process:
its status, its standard error and the files it leaves), and a UTF-16 file
replaced in place becomes ASCII text (it needs the file system)."""
import unittest

from harness import crlf, err, run
from run_e2e import SAMPLE

VAR_RULE = b"(une lettre, puis lettres, chiffres ou _, 255 au plus)"


class BadValues(unittest.TestCase):
    CASES = [
        ("unknown -nl constant", ["-nl:vbTab"],
         b'Option -nl : constante inconnue "vbTab" (vbCrLf, vbLf, vbCr ou vbNewLine)\n'),
        ("empty -nl constant", ["-NL:"],
         b'Option -nl : constante inconnue "" (vbCrLf, vbLf, vbCr ou vbNewLine)\n'),
        ("-var starting with a digit", ["-var:1st"],
         b'Option -var : "1st" n\'est pas un nom de variable ' + VAR_RULE + b"\n"),
        ("-var without a name", ["-var"], b'Option -var : "" n\'est pas un nom de variable ' + VAR_RULE + b"\n"),
        ("a good value before a bad one", ["-nl:vbLf", "-var:ok", "-var:a.b"],
         b'Option -var : "a.b" n\'est pas un nom de variable ' + VAR_RULE + b"\n"),
        ("a value after -vba", ["-vba:24"], b"Option -vba : aucune valeur attendue (-vba:24)\n"),
    ]

    def test_refused_before_anything_is_opened(self):
        # Replace mode would take its lock and append mode create its file
        # before the first input: neither may happen.
        for mode in (["-r"], ["-a:out.vb"], []):
            for name, options, message in self.CASES:
                with self.subTest(name, mode=mode):
                    r = run(mode + options + ["*.txt"], files={"a.txt": SAMPLE})
                    self.assertEqual((r.stdout, r.stderr, r.status), (b"", err(message), 1))
                    self.assertEqual(r.files, {"a.txt": SAMPLE})

    def test_good_values_convert(self):
        r = run(["-s", "-NL:VBLF", "-Var:Page_1", "-vba", "-chrw", "a.txt"], files={"a.txt": b"x\r\n\xc3\xa9"})
        self.assertEqual((r.stdout, r.stderr, r.status),
                         (crlf(b'Page_1 = "x" & vbLf _\n\t& ChrW(&H00E9)\n'), b"", 0))


class Utf16Files(unittest.TestCase):
    TEXT = "ab\r\nsay \u201chi\u201d\r\n"
    OUT = crlf(b'\t= "ab" _\n\t& "say " & ChrW(&H201C) & "hi" & ChrW(&H201D) _\n\t& ""\n')

    def test_every_mode_reads_utf16_text(self):
        for name, data in (("little-endian", b"\xff\xfe" + self.TEXT.encode("utf-16-le")),
                           ("big-endian", b"\xfe\xff" + self.TEXT.encode("utf-16-be"))):
            with self.subTest(name):
                r = run(["-s", "a.txt"], files={"a.txt": data})
                self.assertEqual((r.stdout, r.stderr, r.status), (self.OUT, b"", 0))
                r = run(["-s", "-a:out.vb", "a.txt"], files={"a.txt": data})
                self.assertEqual(r.files, {"a.txt": data, "out.vb": self.OUT})
                # Replaced, the file holds the ASCII expression, without a mark.
                r = run(["-r", "-s", "a.txt"], files={"a.txt": data})
                self.assertEqual((r.stdout, r.stderr, r.status), (b"", b"", 0))
                self.assertEqual(r.files, {"a.txt": self.OUT})


if __name__ == "__main__":
    unittest.main()
