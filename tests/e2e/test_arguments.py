"""Arguments taken as given, "--", names shown safely and the run's own
standard streams: what needs the real binary and a kernel (the walk over
names only POSIX allows, closed descriptors, pipes whose reader goes away,
a redirection the shell makes)."""
import os
import signal
import subprocess
import tempfile
import unittest

import harness
from harness import E_ACUTE, err, run, status
from run_e2e import convert, progress, summary

POSIX = not harness.WINDOWS


def bounded(data: bytes, limit: int = 400) -> bytes:
    """A difference stays readable: long outputs are cut for the message."""
    return data if len(data) <= limit else data[:limit] + b"..."


class ExactArguments(unittest.TestCase):
    @unittest.skipUnless(POSIX, "names holding '\\', ':', '*' exist on POSIX only (needs the file system)")
    def test_an_existing_name_is_that_one_file(self):
        # What a shell's expansion of *.txt hands over in a directory
        # another user can write to: names that read as a drive, separators,
        # wildcards and a list.
        odd = "c:\\tmp\\victim\\*;.txt"
        files = {odd: b"odd", "a;b.txt": b"ab", "a": b"A", "b.txt": b"B", "victim/x.txt": b"victim"}
        r = run(["-r", "-s", odd, "a;b.txt"], files=files)
        self.assertEqual((r.stdout, r.stderr, r.status), (b"", b"", 0))
        want = dict(files, **{odd: convert(b"odd"), "a;b.txt": convert(b"ab")})
        self.assertEqual(r.files, want)
        # Shown as one name of the working directory.
        r = run([odd], files=files)
        self.assertEqual(r.stderr, progress(b".\\" + odd.encode(), 3) + summary(1))
        self.assertEqual(r.stdout, convert(b"odd"))

    @unittest.skipUnless(POSIX, "names that differ in case only (needs a case-sensitive file system)")
    def test_an_existing_name_is_not_looked_up_ignoring_case(self):
        files = {"a.txt": b"lower", "A.txt": b"upper", "sub/b.txt": b"b", "SUB/b.txt": b"B"}
        r = run(["-s", "A.txt", "SUB/b.txt"], files=files)
        self.assertEqual((r.stdout, r.stderr, r.status), (convert(b"upper") + convert(b"B"), b"", 0))

    def test_a_directory_given_exactly_is_not_converted(self):
        # It is named in a notice, and the run goes on.
        r = run(["sub", "-t", "-d"], files={"sub/sub": b"x", "sub/a.txt": b"a"})
        notice = b"!!! Parsing impossible de sub (r" + E_ACUTE + b"pertoire)\n"
        self.assertEqual((r.stdout, r.stderr, r.status), (b"", err(notice + summary(0)), 0))

    def test_a_name_given_exactly_is_not_sought_below(self):
        r = run(["-s", "-t", "a.txt"], files={"a.txt": b"top", "lib/a.txt": b"below"})
        self.assertEqual((r.stdout, r.stderr, r.status), (convert(b"top"), b"", 0))


class DoubleDash(unittest.TestCase):
    def test_double_dash_ends_the_options(self):
        # A file named -r in a * expansion: after "--" it is a file.
        files = {"-r": b"dash", "a.txt": b"a", "--": b"dd"}
        cases = [
            (["-s", "--", "-r", "a.txt"], convert(b"dash") + convert(b"a"), files),
            (["-s", "--", "--", "-r"], convert(b"dd") + convert(b"dash"), files),
            # Before "--" it is the option: the run replaces.
            (["-s", "-r", "a.txt"], b"", dict(files, **{"a.txt": convert(b"a")})),
        ]
        for args, stdout, left in cases:
            with self.subTest(args=args):
                r = run(args, files=files)
                self.assertEqual((r.stdout, r.stderr, r.status), (stdout, b"", 0))
                self.assertEqual(r.files, left)


class ShownNames(unittest.TestCase):
    @unittest.skipUnless(POSIX, "control characters in names exist on POSIX only")
    def test_control_characters_in_names_are_escaped(self):
        name = "\x1b]0;owned\x07\x1b[2J.txt"
        shown = b".\\" + b"\\x1B]0;owned\\x07\\x1B[2J.txt"
        files = {name: b"x", "ro\x7f.txt": b"r"}

        def setup(root):
            os.chmod(os.path.join(root, "ro\x7f.txt"), 0o444)
        r = run(["-r", "*.txt"], files=files, setup=setup)
        # The read-only notice joins directory and name with no separator.
        self.assertEqual(r.stderr, progress(shown, 1) + b"\n" + b"!!! Parsing impossible de .ro\\x7F.txt (ReadOnly)\n"
                         + summary(1), bounded(r.stderr))
        self.assertEqual(r.files[name], convert(b"x"))
        self.assertEqual(r.files["ro\x7f.txt"], b"r")


@unittest.skipIf(harness.WINDOWS, "POSIX descriptors, pipes and signals")
class StandardStreams(unittest.TestCase):
    def test_closed_standard_output_ends_a_console_run(self):
        # Needs a process started with descriptor 1 closed.
        def close_stdout():
            os.close(1)
        files = {"a.txt": b"a"}
        cases = [(["*.txt"], status(-2)), (["-r", "-s", "*.txt"], 0), (["-s", "-a:all.out", "*.txt"], 0)]
        for args, code in cases:
            with self.subTest(args=args), tempfile.TemporaryDirectory() as root:
                with open(os.path.join(root, "a.txt"), "wb") as f:
                    f.write(b"a")
                proc = subprocess.run(harness.TOOL + args, cwd=root, stdin=subprocess.DEVNULL,
                                      stderr=subprocess.PIPE, preexec_fn=close_stdout, timeout=60)
                self.assertEqual(proc.returncode, code)
                if code:
                    self.assertEqual(proc.stderr, b"Erreur d'" + E_ACUTE + b"criture sur la sortie standard: Bad file descriptor\n")
                    self.assertEqual(sorted(os.listdir(root)), ["a.txt"])

    def test_standard_error_in_a_matched_file_is_never_converted(self):
        # Needs the shell's redirection: descriptor 2 open on a file the
        # specification matches.
        for args in (["-r"], [], ["-a:all.out"]):
            with self.subTest(args=args), tempfile.TemporaryDirectory() as root:
                with open(os.path.join(root, "a.txt"), "wb") as f:
                    f.write(b"a")
                with open(os.path.join(root, "log.txt"), "wb") as log:
                    proc = subprocess.run(harness.TOOL + args + ["*.txt"], cwd=root, stdin=subprocess.DEVNULL,
                                          stdout=subprocess.PIPE, stderr=log, timeout=60)
                self.assertEqual(proc.returncode, 0)
                with open(os.path.join(root, "log.txt"), "rb") as f:
                    self.assertEqual(f.read(), progress(b".\\a.txt", 1) + (b"\n" if args == ["-r"] else b"")
                                     + summary(1))

    def test_a_lost_standard_error_reader_ends_the_run_with_its_cleanup(self):
        # Needs a pipe whose reader goes away (as with 2>&1 | head -c1):
        # the next write raises SIGPIPE in the tool.
        big = b"line\r\n" * 400_000
        for _ in range(5):
            with tempfile.TemporaryDirectory() as root:
                names = ["f%02d.txt" % i for i in range(6)]
                for name in names:
                    with open(os.path.join(root, name), "wb") as f:
                        f.write(big)
                read_end, write_end = os.pipe()
                proc = subprocess.Popen(harness.TOOL + ["-r", "*.txt"], cwd=root, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=write_end)
                os.close(write_end)
                os.read(read_end, 1)
                os.close(read_end)
                proc.wait(timeout=60)
                self.assertIn(proc.returncode, (-signal.SIGPIPE, 0))
                self.assertEqual(sorted(os.listdir(root)), names)
                for name in names:
                    with open(os.path.join(root, name), "rb") as f:
                        self.assertIn(f.read(), (big, convert(big)))


if __name__ == "__main__":
    unittest.main()
