"""What a replaced file keeps of its input: owner, group, mode, ACL and
extended attributes, as root on an unprivileged user's files and as that
user. Needs root (to own files as another user and to set trusted.*
attributes), setfacl and getfacl (Debian: acl), and a file system with
POSIX ACLs."""
import os
import shutil
import subprocess
import tempfile
import unittest

import harness
from run_e2e import convert

NOBODY = 65534
# A group the run's user may be made a member of, and a user named in ACLs;
# neither needs to exist in the system's databases.
GROUP = 4321
USER = 4322
TEXT = b"secret \"text\"\r\n"


def acl_of(path):
    """The ACL as getfacl shows it, numeric, without the comment header."""
    return subprocess.run(["getfacl", "-cpn", path], capture_output=True, check=True).stdout.decode()


def set_acl(path, spec, default=False):
    subprocess.run(["setfacl"] + (["-d"] if default else []) + ["-m", spec, path], check=True)


def acls_supported():
    if not shutil.which("setfacl"):
        return False
    with tempfile.TemporaryDirectory() as root:
        return subprocess.run(["setfacl", "-m", "u:%d:r" % USER, root], capture_output=True).returncode == 0


def run_as(uid, groups):
    def become():
        os.setgroups(groups)
        os.setgid(NOBODY)
        os.setuid(uid)
    return become


@unittest.skipIf(harness.WINDOWS, "POSIX owners, ACLs and extended attributes")
@unittest.skipUnless(hasattr(os, "geteuid") and os.geteuid() == 0, "needs root to own files as another user")
@unittest.skipUnless(acls_supported(), "needs setfacl and a file system with POSIX ACLs")
class ResultAttributes(unittest.TestCase):
    def replace(self, setup, preexec=None):
        """Makes a.txt (TEXT) in a fresh directory, lets `setup(root, path)`
        shape it, runs -r -s there and returns (the input's ACL before, the
        result's ACL, its stat, the directory's names)."""
        with tempfile.TemporaryDirectory() as root:
            os.chmod(root, 0o777)
            path = os.path.join(root, "a.txt")
            with open(path, "wb") as f:
                f.write(TEXT)
            setup(root, path)
            before = acl_of(path)
            proc = subprocess.run(harness.TOOL + ["-r", "-s", "a.txt"], cwd=root, capture_output=True,
                                  preexec_fn=preexec, timeout=60)
            self.assertEqual((proc.stderr, proc.returncode), (b"", 0))
            with open(path, "rb") as f:
                self.assertEqual(f.read(), convert(TEXT))
            info = os.stat(path)
            return before, acl_of(path), (info.st_uid, info.st_gid, info.st_mode & 0o7777), sorted(os.listdir(root))

    def test_owner_group_and_mode(self):
        # (input owner, group, mode; the run's user and groups; what the result has)
        cases = [
            ("root keeps another user's", NOBODY, GROUP, 0o6640, 0, [], (NOBODY, GROUP, 0o6640)),
            ("a member keeps the group", 0, GROUP, 0o664, NOBODY, [GROUP], (NOBODY, GROUP, 0o664)),
            ("no member: group bits go", 0, GROUP, 0o664, NOBODY, [], (NOBODY, NOBODY, 0o604)),
            ("set-id bits go with the owner", 0, GROUP, 0o6664, NOBODY, [GROUP], (NOBODY, GROUP, 0o664)),
        ]
        for what, uid, gid, mode, runner, groups, expected in cases:
            with self.subTest(what):
                def setup(root, path):
                    os.chown(path, uid, gid)
                    os.chmod(path, mode)
                preexec = run_as(runner, groups) if runner else None
                _, _, stat, names = self.replace(setup, preexec)
                self.assertEqual(stat, expected)
                self.assertEqual(names, ["a.txt"])

    def test_access_acl_is_the_inputs(self):
        narrow = "u:%d:r--,g::---,m::r--" % USER
        # (what, input ACL, directory default ACL)
        cases = [
            ("the input's ACL holds", narrow, None),
            ("the input's ACL replaces the default one", narrow, "u:%d:rwx,g::rwx,o::rwx" % USER),
            ("no ACL stays no ACL under a default one", None, "u:%d:rwx,g::rwx,o::rwx" % USER),
        ]
        for what, acl, default in cases:
            with self.subTest(what):
                def setup(root, path):
                    os.chown(path, NOBODY, NOBODY)
                    os.chmod(path, 0o640)
                    if acl:
                        set_acl(path, acl)
                    if default:
                        set_acl(root, default, default=True)
                before, after, stat, _ = self.replace(setup)
                # The ACL's base entries are the mode's bits: equal ACLs,
                # equal permissions.
                self.assertEqual(after, before)
                self.assertEqual(stat[:2], (NOBODY, NOBODY))
                if not acl:
                    self.assertNotIn("mask", after)
                    self.assertEqual(stat[2], 0o640)

    def test_a_default_acl_never_opens_the_result_while_it_is_written(self):
        big = TEXT * 1_000_000
        with tempfile.TemporaryDirectory() as root:
            path = os.path.join(root, "a.txt")
            with open(path, "wb") as f:
                f.write(big)
            os.chmod(path, 0o644)
            # Set once the input exists, which thus has no ACL of its own.
            set_acl(root, "u:%d:rwx,g::rwx,o::rwx" % USER, default=True)
            proc = subprocess.Popen(harness.TOOL + ["-r", "-s", "a.txt"], cwd=root, stdin=subprocess.DEVNULL)
            seen = set()
            while proc.poll() is None:
                for name in harness.working_names(root):
                    try:
                        info = os.lstat(os.path.join(root, name))
                    except FileNotFoundError:
                        continue
                    if info.st_size < len(convert(big)):
                        # With an ACL, the group bits are its mask: 0 lets no
                        # named user or group in.
                        seen.add(info.st_mode & 0o777)
            self.assertEqual(proc.returncode, 0)
            self.assertEqual(seen, {0o600})
            self.assertNotIn("mask", acl_of(path))

    def test_extended_attributes_are_copied(self):
        def setup(root, path):
            os.chown(path, NOBODY, NOBODY)
            os.setxattr(path, "user.origin", b"kept")
            os.setxattr(path, "trusted.mark", b"\x00\x01")
        with tempfile.TemporaryDirectory() as scratch:
            probe = os.path.join(scratch, "probe")
            open(probe, "wb").close()
            try:
                os.setxattr(probe, "user.origin", b"x")
            except OSError:
                self.skipTest("no user extended attributes on this file system")
        seen = {}

        def check_after(root, path):
            seen.update({name: os.getxattr(path, name) for name in os.listxattr(path)})

        with tempfile.TemporaryDirectory() as root:
            path = os.path.join(root, "a.txt")
            with open(path, "wb") as f:
                f.write(TEXT)
            setup(root, path)
            proc = subprocess.run(harness.TOOL + ["-r", "-s", "a.txt"], cwd=root, capture_output=True, timeout=60)
            self.assertEqual((proc.stderr, proc.returncode), (b"", 0))
            check_after(root, path)
        self.assertEqual({k: v for k, v in seen.items() if not k.startswith("security.")},
                         {"user.origin": b"kept", "trusted.mark": b"\x00\x01"})


if __name__ == "__main__":
    unittest.main()
