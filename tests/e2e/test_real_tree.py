"""One replace run over a copy of a real system directory: needs a real
file system and a real tree (part of /usr/share/doc, copied with cp -a into
a temporary directory, at most about 2,000 files and 50 MB). After
`-r -t -s *`: status 0, every text file converted, every other file
byte-identical, links unchanged, no working file left behind."""
import os
import stat
import subprocess
import tempfile
import unittest

import harness

SOURCE = "/usr/share/doc"
MAX_FILES = 2000
MAX_BYTES = 50 * 1024 * 1024
UTF8_MARK = b"\xef\xbb\xbf"
UTF16_MARKS = (b"\xff\xfe", b"\xfe\xff")


def is_text(data: bytes) -> bool:
    """What replace mode takes for text: no NUL byte, nothing after a 0x1A."""
    text, ctrl_z, rest = data.partition(b"\x1a")
    return b"\0" not in text and not rest


def copy_part_of(source: str, tree: str):
    """Copies whole subdirectories of `source`, in name order, while the
    copy stays within the bounds."""
    os.makedirs(tree)
    files = size = 0
    for name in sorted(os.listdir(source)):
        path = os.path.join(source, name)
        if os.path.islink(path) or not os.path.isdir(path):
            continue
        count = length = 0
        for top, _, names in os.walk(path):
            for entry in names:
                info = os.lstat(os.path.join(top, entry))
                count += 1
                length += info.st_size if stat.S_ISREG(info.st_mode) else 0
        if files + count > MAX_FILES or size + length > MAX_BYTES:
            continue
        subprocess.run(["cp", "-a", path, tree], check=True)
        files += count
        size += length


def add_links(tree: str, outside: str):
    """Links the run must leave as they are and never follow: one met before
    its target, one to a directory, dangling ones, one to a file outside the
    tree."""
    first = next(os.path.join(top, n) for top, _, names in sorted(os.walk(tree)) for n in sorted(names)
                 if not os.path.islink(os.path.join(top, n)))
    directory = next(os.path.join(tree, d) for d in sorted(os.listdir(tree))
                     if os.path.isdir(os.path.join(tree, d)) and not os.path.islink(os.path.join(tree, d)))
    os.symlink(os.path.relpath(first, tree), os.path.join(tree, "0-before-its-target"))
    os.symlink(os.path.relpath(directory, tree), os.path.join(tree, "0-directory-link"))
    os.symlink("nowhere/missing.txt", os.path.join(tree, "0-dangling"))
    os.symlink("missing-too", os.path.join(directory, "dangling-inside"))
    private = os.path.join(outside, "private.txt")
    with open(private, "wb") as f:
        f.write(b"not to be converted\r\n")
    os.symlink(private, os.path.join(tree, "0-outside"))


def state_of(root: str):
    """Every entry under `root`: a link's target, a file's bytes and mode."""
    entries = {}
    for top, dirs, names in os.walk(root):
        for entry in dirs + names:
            path = os.path.join(top, entry)
            rel = os.path.relpath(path, root)
            info = os.lstat(path)
            if stat.S_ISLNK(info.st_mode):
                entries[rel] = ("link", os.readlink(path))
            elif stat.S_ISDIR(info.st_mode):
                entries[rel] = ("dir",)
            elif stat.S_ISREG(info.st_mode):
                with open(path, "rb") as f:
                    entries[rel] = ("file", f.read(), info.st_mode & 0o7777)
            else:
                entries[rel] = ("special",)
    return entries


def console_conversion(path: str) -> bytes:
    """The file converted to standard output by a separate console run."""
    proc = subprocess.run(harness.TOOL + ["-s", os.path.basename(path)], cwd=os.path.dirname(path),
                          stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
    if proc.returncode != 0 or proc.stderr:
        raise AssertionError("console run of %s: status %d, %r" % (path, proc.returncode, proc.stderr[:200]))
    return proc.stdout


@unittest.skipIf(harness.WINDOWS, "a POSIX system directory, copied with cp -a")
@unittest.skipUnless(os.path.isdir(SOURCE), SOURCE + " is not there to copy")
class RealTree(unittest.TestCase):
    def test_replace_over_a_copy_of_a_system_directory(self):
        with tempfile.TemporaryDirectory(prefix="txt2vb-tree-") as root:
            tree = os.path.join(root, "tree")
            outside = os.path.join(root, "outside")
            os.makedirs(outside)
            copy_part_of(SOURCE, tree)
            # UTF-16 files are text read otherwise; they are not this test's.
            for top, _, names in os.walk(tree):
                for entry in names:
                    path = os.path.join(top, entry)
                    if not os.path.islink(path):
                        with open(path, "rb") as f:
                            if f.read(2) in UTF16_MARKS:
                                os.unlink(path)
            # The tree keeps the links the system directory has and gains
            # more (to files, to a directory, dangling, outside the tree).
            add_links(tree, outside)
            before = state_of(tree)
            outside_before = state_of(outside)
            files = [rel for rel, entry in before.items() if entry[0] == "file"]
            self.assertGreater(len(files), 50, "too small a tree to say anything")

            expected = {}
            binaries = 0
            for rel, entry in before.items():
                expected[rel] = entry
                # Directories, links and read-only files stay as they are.
                if entry[0] != "file" or not entry[2] & stat.S_IWUSR:
                    continue
                data = entry[1]
                if not is_text(data):
                    binaries += 1
                    continue
                converted = console_conversion(os.path.join(tree, rel))
                # A replaced file keeps its UTF-8 mark in front.
                if data.startswith(UTF8_MARK):
                    converted = UTF8_MARK + converted
                expected[rel] = ("file", converted, entry[2])

            proc = subprocess.run(harness.TOOL + ["-r", "-t", "-s", "*"], cwd=tree, stdin=subprocess.DEVNULL,
                                  capture_output=True, timeout=600)
            self.assertEqual(proc.returncode, 0, proc.stderr[-2000:])
            self.assertEqual(proc.stdout, b"")
            notices = proc.stderr.splitlines()
            # Under -s only the notices of what was passed over remain.
            for line in notices:
                self.assertTrue(line.startswith(b"!!! "), line)
            self.assertEqual(sum(line.endswith(b"(fichier binaire)") for line in notices), binaries)

            after = state_of(tree)
            left = sorted(set(after) - set(expected))
            self.assertEqual(left, [], "left behind")
            gone = sorted(set(expected) - set(after))
            self.assertEqual(gone, [], "gone")
            wrong = [rel for rel in sorted(expected) if after[rel] != expected[rel]]
            self.assertEqual(wrong[:20], [], "%d entries differ from the expected" % len(wrong))
            self.assertEqual(state_of(outside), outside_before)
            self.assertEqual(sorted(os.listdir(root)), ["outside", "tree"])
            self.assertFalse(os.path.exists(os.path.join(tree, "_~null932")))
            self.assertFalse(os.path.exists(os.path.join(tree, "_~vask827.tmp")))


if __name__ == "__main__":
    unittest.main()
