"""Fault injection: whatever happens to a run, no user file is lost or
half-written."""
import os
import random
import shutil
import signal
import subprocess
import tempfile
import threading
import time
import unittest

import harness
from harness import err, run, status
from run_e2e import convert


def as_nobody():
    """Runs the tool as an unprivileged user, so that permissions bite."""
    os.setgid(65534)
    os.setuid(65534)


def tree_files(dirs=3, per_dir=100):
    files = {}
    for d in range(dirs):
        for f in range(per_dir):
            files["d%d/f%03d.txt" % (d, f)] = (b"dir %d file %d \"q\"\r\nsecond line\r\n" % (d, f)) * (1 + f % 7)
    return files


def write_files(root, files):
    for rel, content in files.items():
        path = os.path.join(root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(content)


def read_tree(root):
    found, _ = harness.snapshot(root)
    return found


def run_with_failing_call(root, args, call, n, on=None):
    """Runs the tool with `args` in `root` under strace, which makes its
    `n`th call of kind `call` (on the file `on` of `root` only, when given)
    fail with EIO. Returns the process and whether the failure was made
    (false: the run made fewer such calls)."""
    with tempfile.TemporaryDirectory() as scratch:
        trace = os.path.join(scratch, "trace")
        only = ["-P", os.path.join(root, on)] if on else []
        proc = subprocess.run(["strace", "-f", "-qq", "-o", trace] + only +
                              ["-e", "trace=" + call, "-e", "inject=%s:error=EIO:when=%d" % (call, n)] +
                              harness.TOOL + ["-s"] + args, cwd=root, stdin=subprocess.DEVNULL, capture_output=True,
                              timeout=60, env=dict(os.environ, ASAN_OPTIONS="detect_leaks=0"))
        with open(trace, "rb") as f:
            return proc, b"(INJECTED)" in f.read()


class Faults(unittest.TestCase):
    def assert_each_file_whole(self, before, after):
        for rel, content in before.items():
            self.assertTrue(rel in after, "input lost: " + rel)
            self.assertTrue(after[rel] in (content, convert(content)), "input half-written: " + rel)
        # A kill that cannot be caught may leave the lock and the result
        # under way, under its working name beside its target.
        for rel in after:
            allowed = rel == "_~null932" or harness.WORKING_NAME.match(os.path.basename(rel))
            self.assertTrue(rel in before or allowed, "unexpected file: " + rel)

    def test_killed_at_random_points(self):
        files = tree_files()
        rng = random.Random(20261208)
        # The run's length on this machine, to spread the kills over it.
        with tempfile.TemporaryDirectory() as root:
            write_files(root, files)
            start = time.monotonic()
            subprocess.run(harness.TOOL + ["-r", "-t", "-s", "*.txt"], cwd=root, check=True)
            duration = time.monotonic() - start
        for attempt in range(12):
            with self.subTest(attempt=attempt), tempfile.TemporaryDirectory() as root:
                write_files(root, files)
                proc = subprocess.Popen(harness.TOOL + ["-r", "-t", "-s", "*.txt"], cwd=root,
                                        stdin=subprocess.DEVNULL)
                time.sleep(rng.uniform(0, duration * 1.2))
                proc.send_signal(signal.SIGKILL)
                proc.wait()
                self.assert_each_file_whole(files, read_tree(root))

    def test_two_replace_runs_in_one_directory(self):
        files = {"a/x%03d.txt" % i: b"a %d \"x\"\r\n" % i * 20 for i in range(150)}
        files.update({"b/y%03d.txt" % i: b"b %d\r\n\r\n" % i * 30 for i in range(150)})
        with tempfile.TemporaryDirectory() as root:
            write_files(root, files)
            runs = [subprocess.Popen(harness.TOOL + ["-r", "-s", spec], cwd=root, stdin=subprocess.DEVNULL,
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE)
                    for spec in ("a/*.txt", "b/*.txt")]
            outputs = [p.communicate(timeout=120) for p in runs]
            self.assertEqual([p.returncode for p in runs], [0, 0], outputs)
            self.assertEqual(read_tree(root), {rel: convert(c) for rel, c in files.items()})

    @unittest.skipIf(harness.WINDOWS, "POSIX permissions: Wine refuses a prefix owned by another user")
    def test_unreadable_input_and_directory(self):
        def setup(root):
            os.chmod(root, 0o777)
            for top, dirs, names in os.walk(root):
                for d in dirs:
                    os.chmod(os.path.join(top, d), 0o777)
                for n in names:
                    os.chmod(os.path.join(top, n), 0o666)
            os.chmod(os.path.join(root, "b.txt"), 0o200)  # writable, not readable
            os.chmod(os.path.join(root, "locked"), 0o000)
        files = {"a.txt": b"1", "b.txt": b"2", "c.txt": b"3", "locked/d.txt": b"4"}
        # An input that cannot be read ends the run: what was done stays done.
        r = run(["-r", "-s", "*.txt"], files=files, setup=setup, preexec=as_nobody)
        self.assertEqual(r.status, status(-1))
        self.assertEqual(r.stderr, err(b".\\b.txt: Permission denied\n"))
        self.assertEqual(r.files, {"a.txt": convert(b"1"), "b.txt": b"2", "c.txt": b"3", "locked/d.txt": b"4"})
        # A directory that cannot be read is reported and passed over; the
        # run goes on, and its status says that not everything was read.
        r = run(["-s", "c.txt", "locked/*.txt"], files=files, setup=setup, preexec=as_nobody)
        self.assertEqual(r.status, status(-1))
        self.assertEqual(r.stdout, convert(b"3"))
        self.assertEqual(r.stderr, err(b"!!! Lecture impossible de locked/\\*.txt: Permission denied\n"))
        # In console mode too, the first input that cannot be read ends it.
        r = run(["-t", "-s", "*.txt"], files=files, setup=setup, preexec=as_nobody)
        self.assertEqual(r.status, status(-1))
        self.assertEqual(r.stdout, convert(b"1"))

    @unittest.skipIf(harness.WINDOWS, "POSIX permissions: Wine refuses a prefix owned by another user")
    def test_replace_from_a_working_directory_the_user_cannot_write(self):
        # Needs a real kernel's permissions: the run's user may write the
        # target's directory, not the working directory; it goes on without
        # a lock.
        def setup(root):
            os.chmod(root, 0o755)
            os.chmod(os.path.join(root, "q"), 0o777)
            os.chmod(os.path.join(root, "q", "x.sql"), 0o666)
        r = run(["-r", "-s", "q/x.sql"], files={"q/x.sql": b"1"}, setup=setup, preexec=as_nobody)
        self.assertEqual((r.stdout, r.stderr, r.status), (b"", b"", 0))
        self.assertEqual(r.files, {"q/x.sql": convert(b"1")})

    @unittest.skipIf(harness.WINDOWS, "strace injects faults into Linux processes")
    @unittest.skipUnless(shutil.which("strace"), "strace is not installed")
    def test_failed_system_calls_leave_the_files_as_they_were(self):
        # Needs a real kernel and strace, which makes the first call of one
        # kind on one file fail. A failed close of the append file is how a
        # network file system reports a write it lost: what was appended is
        # cut back. A lock file that cannot be looked at or locked goes.
        files = {"in.txt": b"text\r\n", "out.vb": b"HEAD\r\n"}
        message = b"Erreur de creation du fichier de sortie: %sInput/output error\n"
        cases = [
            (["-a:out.vb", "in.txt"], "out.vb", "close", message % b""),
            (["-r", "in.txt"], "_~null932", "newfstatat", message % b"_~null932: "),
            (["-r", "in.txt"], "_~null932", "flock", message % b"_~null932: "),
        ]
        for args, name, call, stderr in cases:
            with tempfile.TemporaryDirectory() as root:
                write_files(root, files)
                proc, injected = run_with_failing_call(root, args, call, 1, on=name)
                self.assertTrue(injected, call)
                self.assertEqual((proc.stderr, proc.returncode), (stderr, status(-2)), call)
                self.assertEqual(read_tree(root), files, call)

    @unittest.skipIf(harness.WINDOWS, "strace injects faults into Linux processes")
    @unittest.skipUnless(shutil.which("strace"), "strace is not installed")
    @unittest.skipIf(harness.SANITIZED, "the sanitizers' runtime makes such calls too, and fails on its own")
    def test_any_system_call_that_fails_leaves_every_file_whole(self):
        # Needs a real kernel and strace, which makes the Nth call of one
        # kind fail, for every kind and N: each file is as it was or
        # converted, nothing else is left, and a file left as it was is
        # never a success. Only a lock whose removal fails stays.
        text = {"t/f%d.txt" % i: b'line %d "q"\r\nsecond\r\n' % i for i in (1, 2, 3)}
        expression = {rel: convert(data) for rel, data in text.items()}
        appended = [b"HEAD\r\n" + b"".join(convert(text["t/f%d.txt" % i]) for i in range(1, k + 1)) for k in range(4)]
        modes = [(["-r", "-t", "t/*.txt"], text, expression), (["-r", "-t", "-decode", "t/*.txt"], expression, text),
                 (["-a:out.vb", "-t", "t/*.txt"], dict(text, **{"out.vb": appended[0]}), None)]
        calls = ("openat", "close", "read", "write", "newfstatat", "getdents64", "renameat", "fchmod", "flistxattr",
                 "fremovexattr", "flock", "unlinkat", "fcntl", "ftruncate", "pread64")
        for args, before, after in modes:
            for call in calls:
                for n in range(1, 16):
                    with tempfile.TemporaryDirectory() as root:
                        write_files(root, before)
                        proc, injected = run_with_failing_call(root, args, call, n)
                        if not injected:
                            break  # the run makes fewer such calls
                        found = read_tree(root)
                        where = "%s #%d in %s: %r" % (call, n, " ".join(args), proc.stderr)
                        if after is None:
                            # The append file holds whole expressions, all of them after a success.
                            result = found.pop("out.vb")
                            self.assertIn(result, appended, where)
                            self.assertEqual(found, text, where)
                            if result != appended[-1]:
                                self.assertNotEqual(proc.returncode, 0, where)
                            continue
                        if call == "unlinkat":
                            found.pop("_~null932", None)
                        self.assertEqual(set(found), set(before), where)
                        for rel, data in found.items():
                            self.assertIn(data, (before[rel], after[rel]), where)
                        if found != after:
                            self.assertNotEqual(proc.returncode, 0, where)

    def test_read_only_file_is_kept_in_replace_mode(self):
        def setup(root):
            os.chmod(os.path.join(root, "a.txt"), 0o444)
        r = run(["-r", "*.txt"], files={"a.txt": b"keep"}, setup=setup)
        self.assertEqual(r.files, {"a.txt": b"keep"})
        self.assertEqual(r.stderr, err(b"!!! Parsing impossible de .a.txt (ReadOnly)\n"
                                       b"0 fichiers pars" + harness.E_ACUTE + b"s\n"))

    @unittest.skipIf(harness.WINDOWS, "Wine does not read a named pipe reliably")
    def test_directory_removed_during_the_walk(self):
        with tempfile.TemporaryDirectory() as root:
            write_files(root, {"a/x.txt": b"x", "c/y.txt": b"y"})
            os.mkdir(os.path.join(root, "b"))
            fifo = os.path.join(root, "b", "pipe.txt")
            os.mkfifo(fifo)
            # Named without wildcards, the pipe is read (a wildcard would pass
            # it over).
            proc = subprocess.Popen(harness.TOOL + ["-t", "-s", "x.txt", "pipe.txt", "y.txt"], cwd=root,
                                    stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
            # Opening the pipe for writing waits until the tool reads it: by
            # then the walk has listed c, which goes before it is walked.
            result = {}
            def feed():
                with open(fifo, "wb") as f:
                    shutil.rmtree(os.path.join(root, "c"))
                    f.write(b"p")
            writer = threading.Thread(target=feed)
            writer.start()
            out, errors = proc.communicate(timeout=60)
            writer.join(timeout=60)
            self.assertEqual((out, errors, proc.returncode), (convert(b"x") + convert(b"p"), b"", 0))

    def test_deep_trees_and_long_paths(self):
        # 40 levels of 60-character names: paths of about 2,500 characters.
        name = "n" * 60
        rel = "/".join([name] * 40)
        files = {rel + "/deep.txt": b"deep", "top.txt": b"top"}
        r = run(["-t", "-s", "*.txt"], files=files)
        self.assertEqual((r.stdout, r.stderr, r.status), (convert(b"top") + convert(b"deep"), b"", 0))

    @unittest.skipIf(harness.WINDOWS, "the POSIX path length limit")
    def test_path_beyond_the_system_limit_is_walked(self):
        # Each directory is reached through the one above it, held open:
        # the whole path may exceed PATH_MAX.
        name = "m" * 200

        def deepest(root, work):
            fd = os.open(root, os.O_RDONLY)
            for _ in range(25):
                if work == "make":
                    os.mkdir(name, dir_fd=fd)
                next_fd = os.open(name, os.O_RDONLY, dir_fd=fd)
                os.close(fd)
                fd = next_fd
            return fd

        with tempfile.TemporaryDirectory() as root:
            fd = deepest(root, "make")
            with open(os.open("x.txt", os.O_WRONLY | os.O_CREAT, 0o644, dir_fd=fd), "wb") as f:
                f.write(b"deep")
            os.close(fd)
            proc = subprocess.run(harness.TOOL + ["-t", "-r", "-s", "*.txt"], cwd=root, stdin=subprocess.DEVNULL,
                                  capture_output=True, timeout=60)
            fd = deepest(root, "open")
            with open(os.open("x.txt", os.O_RDONLY, dir_fd=fd), "rb") as f:
                converted = f.read()
            names = os.listdir(fd)
            os.close(fd)
            shutil.rmtree(root, ignore_errors=True)
            if os.path.exists(root):
                subprocess.run(["rm", "-rf", root])
        self.assertEqual((proc.stdout, proc.stderr, proc.returncode), (b"", b"", 0))
        self.assertEqual((converted, names), (convert(b"deep"), ["x.txt"]))
