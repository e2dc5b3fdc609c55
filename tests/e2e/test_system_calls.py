"""The system calls the tool makes per file, counted with strace: a count,
not a time, so the check gives the same answer on any machine."""
import os
import re
import shutil
import subprocess
import tempfile
import unittest

import harness
from run_e2e import convert

# One traced call per line: "PID name(arguments) = result".
CALL = re.compile(rb"^\d+\s+([a-z_0-9]+)\(")
# The allocator maps memory as it sees fit (a sanitizer's allocator most
# of all); the calls counted are those of the work on the files.
MEMORY_CALLS = {b"mmap", b"munmap", b"mremap", b"madvise", b"mprotect", b"brk"}
# 1 KiB of text: lines with quotes, as a source file holds.
TEXT = (b'Print "line" & x\n' * 64)[:1023] + b"\n"


def traced_calls(args, per_directory):
    """Runs the tool under strace in a fresh tree of two directories holding
    `per_directory` files each; returns the count of calls by name, and the
    files the run left."""
    with tempfile.TemporaryDirectory(prefix="txt2vb-calls-") as scratch:
        root = os.path.join(scratch, "tree")
        for directory in ("a", "b"):
            os.makedirs(os.path.join(root, directory))
            for i in range(per_directory):
                with open(os.path.join(root, directory, "f%d.txt" % i), "wb") as f:
                    f.write(TEXT)
        trace = os.path.join(scratch, "trace")
        # The leak checker of a sanitized build cannot run under a tracer.
        env = dict(os.environ, ASAN_OPTIONS="detect_leaks=0")
        proc = subprocess.run(["strace", "-f", "-o", trace] + harness.TOOL + list(args), cwd=root,
                              stdin=subprocess.DEVNULL, capture_output=True, timeout=120, env=env)
        if proc.returncode != 0:
            raise AssertionError("status %d: %r" % (proc.returncode, proc.stderr[-400:]))
        counts = {}
        with open(trace, "rb") as f:
            for line in f:
                match = CALL.match(line)
                if match and match.group(1) not in MEMORY_CALLS:
                    counts[match.group(1)] = counts.get(match.group(1), 0) + 1
        files, _ = harness.snapshot(root)
        return counts, files, proc.stdout


@unittest.skipIf(harness.WINDOWS, "strace traces Linux processes")
@unittest.skipUnless(shutil.which("strace"), "strace is not installed")
class SystemCallsPerFile(unittest.TestCase):
    def per_file(self, args, check):
        # The calls of the start, the end and the directory listings do not
        # grow with the files: the difference of two runs leaves them out.
        few, files, stdout = traced_calls(args, 5)
        check(files, stdout, 10)
        many, files, stdout = traced_calls(args, 25)
        check(files, stdout, 50)
        extra = {name: many.get(name, 0) - few.get(name, 0) for name in set(few) | set(many)}
        return sum(extra.values()) / 40, {name.decode(): n / 40 for name, n in extra.items() if n}

    def test_calls_per_file(self):
        def replaced(files, stdout, count):
            self.assertEqual(stdout, b"")
            self.assertEqual(len(files), count)
            for path, data in files.items():
                self.assertEqual(data, convert(TEXT), path)

        def printed(files, stdout, count):
            self.assertEqual(stdout, convert(TEXT) * count)
            self.assertEqual(set(files.values()), {TEXT})

        cases = [
            # A replaced file: open and look at the input, create the
            # result (private) beside it and look at it, one read (it makes
            # up the size the look gave), one write, look at the
            # input again (no other process may have written to it), list
            # its extended attributes, remove the access ACL a default ACL
            # may have given the result, set its mode, two closes, and look
            # at the result's name and the input's before the rename (the
            # one must still hold the result, the other the input).
            (["-r", "-t", "-s", "*.txt"], replaced, 15),
            # A file to the console: open, look, one read, close, write.
            (["-t", "-s", "*.txt"], printed, 5),
        ]
        for args, check, most in cases:
            with self.subTest(args=args):
                calls, by_name = self.per_file(args, check)
                self.assertLessEqual(calls, most, by_name)
                # A plain file is never asked whether it is a terminal, and
                # the standard descriptors are never moved.
                self.assertNotIn("ioctl", by_name)
                self.assertNotIn("dup2", by_name)
                self.assertNotIn("dup3", by_name)


if __name__ == "__main__":
    unittest.main()
