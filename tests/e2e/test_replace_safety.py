"""Replace mode in hostile places: links and devices under the working
names, odd names from listings, overlapping specifications, other users'
files, signals and closed standard descriptors."""
import fcntl
import os
import random
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import threading
import time
import unittest

import harness
from harness import E_ACUTE, err, run, status
from run_e2e import convert

POSIX = not harness.WINDOWS
NOBODY = 65534


def as_nobody():
    os.setgid(NOBODY)
    os.setuid(NOBODY)


def refused(name: bytes, kind: bytes) -> bytes:
    return err(b"Erreur de creation du fichier de sortie: " + name + b" (" + kind + b")\n")


def start(args, cwd, **kw):
    return subprocess.Popen(harness.TOOL + list(args), cwd=cwd, stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, **kw)


@unittest.skipIf(harness.WINDOWS, "POSIX links, devices, owners and signals")
class WorkingFiles(unittest.TestCase):
    def test_anything_but_a_plain_file_under_the_lock_name_ends_the_run(self):
        victim_text = b"victim"
        cases = [
            ("_~null932", "symlink", b"lien symbolique"),
            ("_~null932", "hardlink", b"fichier \xc3\xa0 plusieurs liens"),
            ("_~null932", "fifo", b"fichier sp" + E_ACUTE + b"cial"),
            ("_~null932", "dir", b"r" + E_ACUTE + b"pertoire"),
        ]
        for name, kind, text in cases:
            with self.subTest(name=name, kind=kind), tempfile.TemporaryDirectory() as root:
                target = os.path.join(root, name)
                victim = os.path.join(root, "victim")
                for path, data in ((os.path.join(root, "a.txt"), b"x\r\n"), (victim, victim_text)):
                    with open(path, "wb") as f:
                        f.write(data)
                if kind == "symlink":
                    os.symlink(victim, target)
                elif kind == "hardlink":
                    os.link(victim, target)
                elif kind == "fifo":
                    os.mkfifo(target)
                else:
                    os.mkdir(target)
                proc = start(["-r", "*.txt"], root)
                out, errors = proc.communicate(timeout=20)
                self.assertEqual((out, errors, proc.returncode), (b"", refused(name.encode(), text), status(-2)))
                self.assertEqual(sorted(os.listdir(root)), sorted(["a.txt", "victim", name]))
                self.assertEqual(os.lstat(target).st_mode & 0o170000, {
                    "symlink": stat.S_IFLNK, "hardlink": stat.S_IFREG, "fifo": stat.S_IFIFO, "dir": stat.S_IFDIR}[kind])
                for path, data in ((os.path.join(root, "a.txt"), b"x\r\n"), (victim, victim_text)):
                    with open(path, "rb") as f:
                        self.assertEqual(f.read(), data)

    def test_result_is_private_until_it_takes_the_inputs_place(self):
        big = b"private \"data\"\r\n" * 3_000_000
        with tempfile.TemporaryDirectory() as root:
            path = os.path.join(root, "secret.txt")
            with open(path, "wb") as f:
                f.write(big)
            os.chmod(path, 0o644)
            os.chown(path, NOBODY, NOBODY)
            seen = [look[:2] for look in self.watch_temporary(root, ["-r", "-s", "*.txt"])]
            # While it was being written it was root's alone; only then did
            # it take the input's owner, and last its mode.
            self.assertIn((0o600, 0), seen)
            self.assertTrue(set(seen) <= {(0o600, 0), (0o600, NOBODY), (0o644, NOBODY)}, set(seen))
            info = os.stat(path)
            self.assertEqual((info.st_mode & 0o7777, info.st_uid, info.st_gid), (0o644, NOBODY, NOBODY))

    def watch_temporary(self, root, args):
        """Runs the tool in `root` and looks at the result it makes beside
        its target as often as it can: (permissions, owner, group, size) of
        each look."""
        seen = []
        proc = start(args, root)
        while proc.poll() is None:
            for name in harness.working_names(root):
                try:
                    info = os.lstat(os.path.join(root, name))
                    seen.append((info.st_mode & 0o777, info.st_uid, info.st_gid, info.st_size))
                except FileNotFoundError:
                    pass
        self.assertEqual(proc.returncode, 0)
        self.assertTrue(seen, "the temporary result was never seen")
        return seen

    def test_result_of_the_runs_own_file_is_private_until_complete(self):
        # The run's user owns the input: the result is its alone while it
        # is written, and takes the input's permissions once complete.
        with tempfile.TemporaryDirectory() as root:
            path = os.path.join(root, "own.txt")
            text = b"own \"data\"\r\n" * 3_000_000
            with open(path, "wb") as f:
                f.write(text)
            os.chmod(path, 0o640)
            seen = self.watch_temporary(root, ["-r", "-s", "*.txt"])
            complete = len(convert(text))
            self.assertTrue({(mode, uid, gid) for mode, uid, gid, size in seen if size < complete} <= {(0o600, 0, 0)},
                            set(seen))
            info = os.stat(path)
            self.assertEqual((info.st_mode & 0o7777, info.st_uid, info.st_gid), (0o640, 0, 0))

    def test_a_directory_that_gives_its_group_gets_a_private_result(self):
        # New files in a set-group-ID directory take its group: a result
        # with the input's permissions would be open to that group. It is
        # made private instead, and nothing is written to it before.
        with tempfile.TemporaryDirectory() as root:
            os.chown(root, 0, NOBODY)
            os.chmod(root, 0o2755)
            path = os.path.join(root, "own.txt")
            with open(path, "wb") as f:
                f.write(b"own \"data\"\r\n" * 3_000_000)
            os.chown(path, 0, 0)
            os.chmod(path, 0o640)
            seen = self.watch_temporary(root, ["-r", "-s", "*.txt"])
            open_to_the_group = [look for look in seen if look[2] == NOBODY and look[0] & 0o077]
            self.assertTrue(all(size == 0 for *_, size in open_to_the_group), open_to_the_group[:5])
            self.assertTrue(any(look[:3] == (0o600, 0, NOBODY) and look[3] > 0 for look in seen), set(seen))
            info = os.stat(path)
            self.assertEqual((info.st_mode & 0o7777, info.st_uid, info.st_gid), (0o640, 0, 0))

    def test_owner_is_kept_and_set_id_bits_only_with_it(self):
        # Run as root: another user's file stays that user's, set-id included.
        def setup_root(root):
            p = os.path.join(root, "tool.txt")
            os.chown(p, NOBODY, NOBODY)
            os.chmod(p, 0o6755)
        seen = {}
        def check(root):
            info = os.stat(os.path.join(root, "tool.txt"))
            seen["r"] = (info.st_mode & 0o7777, info.st_uid, info.st_gid)
        run(["-r", "-s", "*.txt"], files={"tool.txt": b"x"}, setup=setup_root, after=check)
        self.assertEqual(seen["r"], (0o6755, NOBODY, NOBODY))
        # Run as another user on root's set-id file: the result cannot be
        # root's, so it loses the set-id bits.
        def setup_user(root):
            os.chmod(root, 0o777)
            os.chmod(os.path.join(root, "tool.txt"), 0o6777)
        r = run(["-r", "-s", "*.txt"], files={"tool.txt": b"x"}, setup=setup_user, preexec=as_nobody, after=check)
        self.assertEqual(r.status, 0)
        # Nor can it keep root's group: that group's bits go too.
        self.assertEqual(seen["r"], (0o707, NOBODY, NOBODY))

    def test_every_end_removes_the_working_files_and_nothing_else(self):
        # SIGTERM, SIGINT and SIGHUP during a -r -t run over a tree of a few
        # hundred files and a large one: the first rounds signal the moment
        # a result under way appears beside the large file, the others at a
        # random delay (the seed is printed; TXT2VB_SIGNAL_SEED repeats a
        # run). Needs real signals and a real file system.
        seed = int(os.environ.get("TXT2VB_SIGNAL_SEED") or random.randrange(1 << 32))
        sys.stderr.write("\nsignals at random moments: TXT2VB_SIGNAL_SEED=%d\n" % seed)
        rng = random.Random(seed)
        signals = (signal.SIGTERM, signal.SIGINT, signal.SIGHUP)

        def default_signals():
            for sig in signals:
                signal.signal(sig, signal.SIG_DFL)

        with tempfile.TemporaryDirectory() as scratch:
            pristine = os.path.join(scratch, "pristine")
            contents = {}
            for i in range(300):
                text = b"line %d \"q\"\r\n" % i * (1 + i % 40)
                if i % 25 == 0:
                    text += b"\0binary"  # left as it is
                contents[os.path.join("d%d" % (i % 10), "f%03d.txt" % i)] = text
            contents["large.txt"] = b"line \"q\"\r\n" * 800_000
            for rel, data in contents.items():
                os.makedirs(os.path.dirname(os.path.join(pristine, rel)), exist_ok=True)
                with open(os.path.join(pristine, rel), "wb") as f:
                    f.write(data)
            # What a whole conversion gives, from separate console runs.
            converted = {}
            for rel, data in contents.items():
                if b"\0" in data:
                    converted[rel] = data
                    continue
                proc = subprocess.run(harness.TOOL + ["-s", os.path.basename(rel)],
                                      cwd=os.path.dirname(os.path.join(pristine, rel)),
                                      stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
                self.assertEqual((proc.stderr, proc.returncode), (b"", 0))
                converted[rel] = proc.stdout
            # A whole run, timed, sets the range of the delays.
            whole = os.path.join(scratch, "whole")
            shutil.copytree(pristine, whole)
            began = time.monotonic()
            proc = start(["-r", "-t", "-s", "*"], whole)
            notices = sorted(b"!!! Parsing impossible de .\\" + rel.replace("/", "\\").encode() +
                             b" (fichier binaire)" for rel, data in contents.items() if b"\0" in data)
            out, errors = proc.communicate(timeout=120)
            self.assertEqual((out, sorted(errors.splitlines()), proc.returncode), (b"", notices, 0))
            longest = 1.2 * (time.monotonic() - began)
            self.assertEqual(harness.snapshot(whole)[0], converted)

            for round_number in range(40):
                sig = signals[round_number % 3] if round_number < 3 else rng.choice(signals)
                delay = None if round_number < 3 else rng.uniform(0, longest)
                where = os.path.join(scratch, "round%d" % round_number)
                shutil.copytree(pristine, where)
                with self.subTest(round=round_number, signal=sig, delay=delay, seed=seed):
                    proc = start(["-r", "-t", "-s", "*"], where, preexec_fn=default_signals)
                    if delay is None:
                        # The first result under way, beside the large file.
                        while not harness.working_names(where) and proc.poll() is None:
                            time.sleep(0.001)
                    else:
                        time.sleep(delay)
                    if proc.poll() is None:
                        proc.send_signal(sig)
                    out, errors = proc.communicate(timeout=60)
                    self.assertIn(proc.returncode, (-sig, 0))
                    self.assertEqual(out, b"")
                    self.assertEqual([n for n in errors.splitlines() if n not in notices], [])
                    found, _ = harness.snapshot(where)
                    working = [rel for rel in found if os.path.basename(rel) in ("_~vask827.tmp", "_~null932")
                               or ".txt2vb-" in rel]
                    self.assertEqual(working, [])
                    self.assertEqual(sorted(found), sorted(contents))
                    half_done = [rel for rel in sorted(found) if found[rel] not in (contents[rel], converted[rel])]
                    self.assertEqual(half_done, [])
                shutil.rmtree(where)


    def test_a_killed_run_leaves_its_result_beside_the_target_and_no_run_takes_it(self):
        big = b"line \"q\"\r\n" * 4_000_000
        with tempfile.TemporaryDirectory() as root:
            os.mkdir(os.path.join(root, "sub"))
            target = os.path.join(root, "sub", "a.txt")
            with open(target, "wb") as f:
                f.write(big)
            proc = start(["-r", "-s", "sub/*.txt"], root)
            while not harness.working_names(os.path.join(root, "sub")) and proc.poll() is None:
                time.sleep(0.001)
            proc.kill()
            proc.communicate(timeout=60)
            self.assertEqual(proc.returncode, -signal.SIGKILL)
            # The target is whole, old or new; the result under way stays
            # beside it, private, and later runs of any mode pass it over.
            with open(target, "rb") as f:
                self.assertIn(f.read(), (big, convert(big)))
            left = harness.working_names(os.path.join(root, "sub"))
            self.assertEqual(len(left), 1)
            self.assertTrue(left[0].startswith(".a.txt.txt2vb-"), left)
            self.assertEqual(os.stat(os.path.join(root, "sub", left[0])).st_mode & 0o777, 0o600)
            for args in (["-r", "-s", "-t", "*"], ["-s", "sub/.*"]):
                later = start(args, root)
                out, errors = later.communicate(timeout=60)
                self.assertEqual((errors, later.returncode), (b"", 0))
            self.assertEqual(sorted(os.listdir(os.path.join(root, "sub"))), sorted(["a.txt"] + left))

    def test_a_run_waits_for_the_lock_and_removes_only_its_own(self):
        with tempfile.TemporaryDirectory() as root:
            lock = os.path.join(root, "_~null932")
            fd = os.open(lock, os.O_RDWR | os.O_CREAT, 0o600)
            fcntl.flock(fd, fcntl.LOCK_EX)
            # A run that matches nothing still waits, and leaves the held
            # lock file alone.
            proc = start(["-r", "-s", "none*.txt"], root)
            time.sleep(0.3)
            self.assertIsNone(proc.poll())
            self.assertTrue(os.path.exists(lock))
            os.unlink(lock)
            os.close(fd)
            out, errors = proc.communicate(timeout=20)
            self.assertEqual((out, errors, proc.returncode), (b"", b"", 0))
            self.assertEqual(os.listdir(root), [])

    def test_closed_standard_descriptors_never_receive_a_file(self):
        def close_std():
            for fd in (0, 1, 2):
                os.close(fd)
        with tempfile.TemporaryDirectory() as root:
            for name in ("a.txt", "b.txt"):
                with open(os.path.join(root, name), "wb") as f:
                    f.write(b"text " + name.encode())
            for args in (["-r", "*.txt"], ["*.txt"], ["-a:all.out", "*.txt"]):
                with self.subTest(args=args):
                    before = {n: open(os.path.join(root, n), "rb").read() for n in ("a.txt", "b.txt")}
                    code = subprocess.run(harness.TOOL + args, cwd=root, preexec_fn=close_std).returncode
                    # The console mode has nowhere to write: it ends at once.
                    self.assertEqual(code, status(-2) if args == ["*.txt"] else 0)
                    after = {n: open(os.path.join(root, n), "rb").read() for n in ("a.txt", "b.txt")}
                    expected = {n: convert(t) for n, t in before.items()} if "-r" in args else before
                    self.assertEqual(after, expected)
            self.assertEqual(open(os.path.join(root, "all.out"), "rb").read(),
                             convert(convert(b"text a.txt")) + convert(convert(b"text b.txt")))


@unittest.skipIf(harness.WINDOWS, "names with '\\' and ':' exist on POSIX only")
class ListedNames(unittest.TestCase):
    def test_a_listed_name_is_one_name(self):
        files = {"sub/..\\p.cfg": b"in", "p.cfg": b"out", "sub/c:x.cfg": b"drive", "x.cfg": b"root"}
        r = run(["-r", "-s", "sub/*"], files=files)
        self.assertEqual((r.stderr, r.status), (b"", 0))
        self.assertEqual(r.files, {"sub/..\\p.cfg": convert(b"in"), "p.cfg": b"out",
                                   "sub/c:x.cfg": convert(b"drive"), "x.cfg": b"root"})

    def test_a_directory_named_dot_dot_is_walked_once(self):
        files = {"d/..\\../x.txt": b"x", "top.txt": b"t"}
        r = run(["-t", "-r", "*.txt"], files=files, timeout=20)
        self.assertEqual(r.files, {"d/..\\../x.txt": convert(b"x"), "top.txt": convert(b"t")})
        self.assertEqual(r.stderr.count(b"Parsing de "), 2)
        self.assertIn(b"Parsing de .\\d\\..\\..\\x.txt (1 octets)", r.stderr)


class NewExtension(unittest.TestCase):
    def notice(self, path: bytes, new: bytes) -> bytes:
        return err(b"!!! Parsing impossible de " + path + b" (" + new + b" existe)\n")

    def test_new_name_never_replaces_another_file(self):
        cases = [
            # files, spec, expected files, stderr
            ({"a.txt": b"1", "A.VB": b"keep"}, ["-e:vb", "*.txt"], {"a.txt": b"1", "A.VB": b"keep"},
             self.notice(b".\\a.txt", b".\\a.vb")),
            ({"page.htm": b"h", "page.sql": b"s"}, ["-e:asp", "page.*"],
             {"page.asp": convert(b"h"), "page.sql": b"s"}, self.notice(b".\\page.sql", b".\\page.asp")),
            ({".a.txt": b"w"}, ["-e:txt2vb-Ab12Cd", ".a.txt"], {".a.txt": b"w"},
             self.notice(b".\\.a.txt", b".\\.a.txt2vb-Ab12Cd")),
            ({"a.txt": b"1", "a.vb": b"old"}, ["-e:vb", "*.txt"], {"a.txt": b"1", "a.vb": b"old"},
             self.notice(b".\\a.txt", b".\\a.vb")),
        ]
        for files, args, expected, stderr in cases:
            with self.subTest(args=args, files=sorted(files)):
                r = run(["-r", "-s"] + args, files=files)
                self.assertEqual((r.stdout, r.stderr, r.status), (b"", stderr, 0))
                self.assertEqual(r.files, expected)

    @unittest.skipIf(harness.WINDOWS, "a sticky directory and another user")
    @unittest.skipUnless(hasattr(os, "geteuid") and os.geteuid() == 0, "needs root to run as another user")
    def test_an_input_that_cannot_be_removed_keeps_no_new_file(self):
        # In a sticky directory another user's file cannot be removed: its
        # result under the new name goes again, and the run goes on.
        def setup(root):
            os.chmod(root, 0o1777)
            os.chown(os.path.join(root, "c.txt"), NOBODY, NOBODY)
        r = run(["-r", "-e:vb", "*.txt"], files={"a.txt": b"1", "c.txt": b"3"}, setup=setup, preexec=as_nobody)
        self.assertEqual(r.stderr, b"Parsing de .\\a.txt (1 octets) ... \n"
                                   b"!!! Suppression impossible de .\\a.txt: Operation not permitted\n"
                                   b"Parsing de .\\c.txt (1 octets) ... \n"
                                   b"2 fichiers pars" + E_ACUTE + b"s\n")
        self.assertEqual(r.status, 0)
        self.assertEqual(r.files, {"a.txt": b"1", "c.vb": convert(b"3")})

    @unittest.skipIf(harness.WINDOWS, "names that differ only in case")
    def test_results_of_the_run_are_taken_names_in_any_case(self):
        r = run(["-r", "-s", "-e:vb", "*.txt"], files={"a.txt": b"1", "A.txt": b"2"})
        self.assertEqual((r.stderr, r.status), (self.notice(b".\\a.txt", b".\\a.vb"), 0))
        self.assertEqual(r.files, {"A.vb": convert(b"2"), "a.txt": b"1"})

    def test_many_inputs_under_a_new_extension(self):
        files = {"f%04d.txt" % i: b"%d" % i for i in range(300)}
        r = run(["-r", "-s", "-e:vb", "*.txt"], files=files)
        self.assertEqual((r.stderr, r.status), (b"", 0))
        self.assertEqual(r.files, {"f%04d.vb" % i: convert(b"%d" % i) for i in range(300)})


class Overlap(unittest.TestCase):
    def test_each_file_is_replaced_once(self):
        cases = [
            ({"a.txt": b"a", "b.txt": b"b"}, ["*.txt", "a*"]),
            ({"sub/b.txt": b"b", "sub/c.txt": b"c"}, ["sub\\*.txt", "sub/b.txt"]),
            ({"x.txt": b"x", "sub/b.txt": b"b"}, ["-t", "*.txt", "sub\\*.txt"]),
            ({"a.txt": b"a"}, ["*.txt", "*.txt", "A.TXT"]),
        ]
        for files, args in cases:
            with self.subTest(args=args):
                r = run(["-r", "-s"] + args, files=files)
                self.assertEqual((r.stderr, r.status), (b"", 0))
                self.assertEqual(r.files, {k: convert(v) for k, v in files.items()})

    def test_console_mode_still_converts_twice(self):
        r = run(["-s", "*.txt", "a*"], files={"a.txt": b"a"})
        self.assertEqual(r.stdout, convert(b"a") * 2)


@unittest.skipIf(harness.WINDOWS, "FIFOs and device nodes")
class SpecialFiles(unittest.TestCase):
    def special(self, path: bytes) -> bytes:
        return err(b"!!! Parsing impossible de " + path + b" (fichier sp" + E_ACUTE + b"cial)\n")

    def test_wildcards_pass_over_fifos_and_devices(self):
        def setup(root):
            os.mkfifo(os.path.join(root, "p.txt"))
            os.mknod(os.path.join(root, "z.txt"), stat.S_IFCHR | 0o666, os.makedev(1, 5))
            os.symlink("/dev/zero", os.path.join(root, "zz.txt"))
        for mode in ([], ["-r"]):
            with self.subTest(mode=mode):
                r = run(mode + ["-s", "*.txt"], files={"a.txt": b"a"}, setup=setup, timeout=20)
                # In replace mode a link is refused as a link.
                last = (err(b"!!! Parsing impossible de .\\zz.txt (lien symbolique)\n") if mode
                        else self.special(b".\\zz.txt"))
                self.assertEqual(r.stderr, self.special(b".\\p.txt") + self.special(b".\\z.txt") + last)
                self.assertEqual(r.status, 0)
                self.assertEqual(r.files["a.txt"], convert(b"a") if mode else b"a")

    def test_a_named_fifo_is_never_replaced(self):
        def setup(root):
            os.mkfifo(os.path.join(root, "p.txt"))
        r = run(["-r", "-s", "p.txt"], setup=setup, timeout=20)
        self.assertEqual((r.stderr, r.status), (self.special(b".\\p.txt"), 0))


@unittest.skipIf(harness.WINDOWS, "POSIX symbolic and hard links")
class Links(unittest.TestCase):
    def notice(self, path: bytes, why: bytes) -> bytes:
        return err(b"!!! Parsing impossible de " + path + b" (" + why + b")\n")

    def setup_links(self, root):
        os.symlink("z.txt", os.path.join(root, "0.txt"))       # met before its target
        os.symlink("missing", os.path.join(root, "d.txt"))     # dangling
        os.symlink("sub", os.path.join(root, "s.txt"))         # to a directory
        os.mkdir(os.path.join(root, "sub"))

    def test_links_in_each_mode(self):
        files = {"a.txt": b"a", "z.txt": b"z"}
        links = {"0.txt": "-> z.txt", "d.txt": "-> missing", "s.txt": "-> sub"}
        link, vanished = b"lien symbolique", b"fichier disparu"
        cases = [
            # (arguments, standard output, standard error, status, files changed)
            (["-r", "-s", "*.txt"], b"",
             self.notice(b".\\0.txt", link) + self.notice(b".\\d.txt", link), 0, {"a.txt", "z.txt"}),
            (["-r", "-s", "0.txt"], b"", self.notice(b".\\0.txt", link), 0, set()),
            (["-r", "-s", "d.txt"], b"", self.notice(b".\\d.txt", link), 0, set()),
            (["-s", "*.txt"], convert(b"z") + convert(b"a") + convert(b"z"),
             self.notice(b".\\d.txt", vanished), 0, set()),
            (["-s", "-a:out.vb", "*.txt"], b"", self.notice(b".\\d.txt", vanished), 0, set()),
            (["-s", "0.txt"], convert(b"z"), b"", 0, set()),
            (["-s", "d.txt"], b"", err(b".\\d.txt: No such file or directory\n"), status(-1), set()),
        ]
        for args, stdout, stderr, code, changed in cases:
            with self.subTest(args=args):
                r = run(args, files=files, setup=self.setup_links)
                self.assertEqual((r.stdout, r.stderr, r.status), (stdout, stderr, code))
                expected = dict(files, **links)
                expected.update({name: convert(files[name]) for name in changed})
                r.files.pop("out.vb", None)
                self.assertEqual(r.files, expected)

    def test_each_name_of_a_hard_linked_file_is_converted_once(self):
        for args in (["*.txt"], ["*.txt", "a*", "b.txt"], ["-e:vb", "*.txt"]):
            with self.subTest(args=args):
                seen = {}

                def setup(root):
                    os.link(os.path.join(root, "a.txt"), os.path.join(root, "b.txt"))

                def after(root):
                    seen["inodes"] = {os.stat(os.path.join(root, n)).st_ino for n in os.listdir(root)}

                r = run(["-r", "-s"] + args, files={"a.txt": b"one \"file\""}, setup=setup, after=after)
                self.assertEqual((r.stderr, r.status), (b"", 0))
                new = ("a.vb", "b.vb") if "-e:vb" in args else ("a.txt", "b.txt")
                self.assertEqual(r.files, {name: convert(b"one \"file\"") for name in new})
                # The names no longer share one file.
                self.assertEqual(len(seen["inodes"]), 2)


@unittest.skipIf(harness.WINDOWS, "stops and continues the process with POSIX signals")
class Vanished(unittest.TestCase):
    """An entry a wildcard found that is gone when its turn comes: the run
    is held while it converts the first file, the second is removed, and the
    run goes on."""
    BIG = b"line \"q\"\r\n" * 1_000_000

    def prepare(self, root):
        for name, data in (("a.txt", self.BIG), ("b.txt", b"b"), ("c.txt", b"c")):
            with open(os.path.join(root, name), "wb") as f:
                f.write(data)

    def test_replace_mode(self):
        with tempfile.TemporaryDirectory() as root:
            self.prepare(root)
            proc = start(["-r", "-s", "*.txt"], root)
            while not harness.working_names(root) and proc.poll() is None:
                time.sleep(0.001)
            proc.send_signal(signal.SIGSTOP)
            os.unlink(os.path.join(root, "b.txt"))
            proc.send_signal(signal.SIGCONT)
            out, errors = proc.communicate(timeout=60)
            self.assertEqual((out, errors, proc.returncode),
                             (b"", err(b"!!! Parsing impossible de .\\b.txt (fichier disparu)\n"), 0))
            self.assertEqual(harness.snapshot(root)[0], {"a.txt": convert(self.BIG), "c.txt": convert(b"c")})

    def test_console_mode(self):
        import select
        with tempfile.TemporaryDirectory() as root:
            self.prepare(root)
            proc = start(["-s", "*.txt"], root)
            # Output is there: the listing is done and a.txt is being
            # converted; the run waits on the full pipe meanwhile.
            select.select([proc.stdout], [], [], 30)
            os.unlink(os.path.join(root, "b.txt"))
            out, errors = proc.communicate(timeout=60)
            self.assertEqual((errors, proc.returncode),
                             (err(b"!!! Parsing impossible de .\\b.txt (fichier disparu)\n"), 0))
            self.assertEqual(out, convert(self.BIG) + convert(b"c"))


@unittest.skipIf(harness.WINDOWS, "stops and continues the process with POSIX signals; symbolic links")
class SwappedDuringTheRun(unittest.TestCase):
    """A directory or a file swapped for a link while a large file converts:
    the run is stopped once the large file's result exists, the swap is
    made, and the run continues. Needs a kernel: links, renames, signals."""
    BIG = b"line \"q\"\r\n" * 1_000_000

    def swap_for_link(self, root, name, victim):
        os.rename(os.path.join(root, name), os.path.join(root, name + ".old"))
        os.symlink(victim, os.path.join(root, name))

    def test_nothing_swapped_in_is_followed(self):
        V = os.path.join
        cases = [
            # (what, arguments, where the large file is, what is swapped, standard error, files left)
            ("the listed directory", ["-r", "-s", "d/*.txt"], "d", "d", b"",
             {"d": "-> VICTIM", "d.old/big.txt": convert(self.BIG), "d.old/y.txt": convert(b"mine")}),
            ("a directory not entered yet", ["-r", "-s", "-t", "*.txt"], "a", "d",
             b"!!! Parsing impossible de .\\d (lien symbolique)\n",
             {"a/big.txt": convert(self.BIG), "d": "-> VICTIM", "d.old/y.txt": b"mine"}),
            ("a file of the directory", ["-r", "-s", "d/*.txt"], "d", "d/y.txt",
             b"!!! Parsing impossible de d/\\y.txt (lien symbolique)\n",
             {"d/big.txt": convert(self.BIG), "d/y.txt": "-> VICTIM", "d/y.txt.old": b"mine"}),
        ]
        for what, args, big_in, swapped, stderr, left in cases:
            with self.subTest(what), tempfile.TemporaryDirectory() as root, \
                    tempfile.TemporaryDirectory() as elsewhere:
                victim = V(elsewhere, "victim")
                os.mkdir(victim)
                with open(V(victim, "y.txt"), "wb") as f:
                    f.write(b"private")
                if swapped == "d/y.txt":
                    victim = V(victim, "y.txt")
                for rel, data in ((big_in + "/big.txt", self.BIG), ("d/y.txt", b"mine")):
                    os.makedirs(V(root, os.path.dirname(rel)), exist_ok=True)
                    with open(V(root, rel), "wb") as f:
                        f.write(data)
                proc = start(args, root)
                while not harness.working_names(V(root, big_in)) and proc.poll() is None:
                    time.sleep(0.001)
                proc.send_signal(signal.SIGSTOP)
                self.swap_for_link(root, swapped, victim)
                proc.send_signal(signal.SIGCONT)
                out, errors = proc.communicate(timeout=60)
                self.assertEqual((out, errors, proc.returncode), (b"", err(stderr), 0))
                files, _ = harness.snapshot(root)
                self.assertEqual(files, {k: v.replace("VICTIM", victim) if isinstance(v, str) else v
                                         for k, v in left.items()})
                with open(V(elsewhere, "victim", "y.txt"), "rb") as f:
                    self.assertEqual(f.read(), b"private")
                self.assertEqual(os.listdir(V(elsewhere, "victim")), ["y.txt"])
