"""Replace mode converts text only: a file holding a NUL byte, or bytes
after the 0x1A that ends its text, is left exactly as it is with a notice,
while the console and append modes convert it as they always have. Needs
the real binary over real files: what is left on disk is the point."""
import unittest

from harness import err, run
from run_e2e import convert, progress, summary

TEXT = b"say \"hi\"\r\nbye\r\n"
NUL_INSIDE = b"MZ\x90\x00\x03\x00\x00\x00\x04\x00text"
AFTER_CTRL_Z = b"text\r\n\x1amore text\r\n"
CRLF_AFTER_CTRL_Z = b"text\x1a\r\n"
ENDS_AT_CTRL_Z = b"text\r\n\x1a"
# Larger than any read: the NUL is far into the file.
LATE_NUL = b"line of text\r\n" * 20_000 + b"\x00" + b"x" * 1000

FILES = {
    "a.txt": TEXT,
    "b.exe": NUL_INSIDE,
    "c.txt": AFTER_CTRL_Z,
    "d.txt": CRLF_AFTER_CTRL_Z,
    "e.txt": ENDS_AT_CTRL_Z,
    "f.log": LATE_NUL,
}
CONVERTED = {"a.txt", "e.txt"}


def binary(path: bytes) -> bytes:
    return b"!!! Parsing impossible de " + path + b" (fichier binaire)\n"


class TextOnly(unittest.TestCase):
    def test_replace_leaves_what_is_not_text_as_it_is(self):
        expected_files = {name: convert(data) if name in CONVERTED else data for name, data in FILES.items()}
        lines = []
        for name, data in sorted(FILES.items()):
            path = b".\\" + name.encode()
            # The progress line is ended before the notice, as after any
            # replaced file.
            lines.append(progress(path, len(data)) + b"\n")
            if name not in CONVERTED:
                lines.append(binary(path))
        cases = [
            (["-r", "*"], b"".join(lines) + summary(len(CONVERTED))),
            (["-r", "-s", "*"], b"".join(binary(b".\\" + n.encode()) for n in sorted(FILES) if n not in CONVERTED)),
        ]
        for args, expected_err in cases:
            with self.subTest(args=args):
                r = run(args, files=FILES)
                self.assertEqual((r.stdout, r.stderr, r.status), (b"", err(expected_err), 0))
                self.assertEqual(r.files, expected_files)

    def test_under_a_new_extension_nothing_is_made(self):
        r = run(["-r", "-s", "-e:vb", "*.*"], files={"b.exe": NUL_INSIDE, "a.txt": TEXT})
        self.assertEqual((r.stdout, r.stderr, r.status), (b"", err(binary(b".\\b.exe")), 0))
        self.assertEqual(r.files, {"b.exe": NUL_INSIDE, "a.vb": convert(TEXT)})

    def test_console_and_append_convert_as_before(self):
        for name, data in sorted(FILES.items()):
            with self.subTest(name=name):
                r = run(["-s", name], files={name: data})
                self.assertEqual((r.stdout, r.stderr, r.status), (convert(data), b"", 0))
                r = run(["-s", "-a:out.vb", name], files={name: data})
                self.assertEqual((r.stdout, r.stderr, r.status), (b"", b"", 0))
                self.assertEqual(r.files, {name: data, "out.vb": convert(data)})


if __name__ == "__main__":
    unittest.main()
