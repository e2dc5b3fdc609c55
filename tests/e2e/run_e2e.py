#!/usr/bin/env python3
"""End-to-end tests of txt2vb: exact standard output, standard error, exit
status and the files left behind, each case in a fresh directory."""
import argparse
import os
import resource
import signal
import subprocess
import sys
import threading
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from harness import E_ACUTE, crlf, err, run, status  # noqa: E402


def convert(data: bytes) -> bytes:
    """The expected conversion of one file's bytes (text-mode input)."""
    text = data.split(b"\x1a", 1)[0].replace(b"\r\n", b"\n")
    out = bytearray(b"\t= \"")
    in_string = True
    for byte in text:
        c = bytes([byte])
        if c == b"\n":
            out += b"\" _\n" if in_string else b"\t_\n"
            in_string = False
            continue
        if c in (b"\r", b"\0"):
            # A carriage return or a NUL joins the expression as a constant.
            name = b"vbCr" if c == b"\r" else b"vbNullChar"
            out += (b"\" & " if in_string else b"\t& ") + name + b" & \""
            in_string = True
            continue
        if not in_string:
            out += b"\t& \""
            in_string = True
        out += b"\"\"" if c == b"\"" else c
    out += b"\"\n" if in_string else b"\t& \"\"\n"
    return crlf(bytes(out))


def usage(prog: bytes) -> bytes:
    e = E_ACUTE
    A_GRAVE = b"\x85" if harness.WINDOWS else b"\xc3\xa0"
    lines = [
        prog + b" ([-a:fileAppend]|([-r[-l][-e:fileExt]])) [-d] [-s] [-t] [-nl[:vbCrLf|vbLf|vbCr|vbNewLine]]"
               b" [-var:NAME] [-vba] [-chrw] [-decode] [--] FileIn|- [>outfile.txt]\n",
        b"\n",
        b"Logiciel de traitement lexical (Version 1.4.1)\n",
        b"     -a : ajoute le r" + e + b"sultat au fichier sp" + e + b"cifi" + e + b"\n",
        b"     -d : affiche les r" + e + b"pertoires parcourus\n",
        b"     -e : change l'extension du fichier de sortie (ex: -e:asp)\n",
        b"     -r : recouvre le fichier d'entr" + e + b"e par le r" + e + b"sultat\n",
        b"          sinon le r" + e + b"sultat est dirig" + e + b" vers la sortie " + e + b"cran (stdout)\n",
        b"     -s : mode silencieux\n",
        b"     -t : modification dans toute l'arboraissance\n",
        b"     -l : indique la diff" + e + b"rence de taille entre le fichier\n",
        b"          original et le fichier de sortie\n",
        b"     -v : mode bavard\n",
        b"   -nbl : nombre de ligne a bufferiser\n",
        b"   -nbf : nombre de avant la marque\n",
        b"    -nl : garde les fins de ligne (-nl:vbCrLf, vbLf, vbCr ou vbNewLine)\n",
        b"   -var : affecte le texte " + A_GRAVE + b" la variable (ex: -var:s)\n",
        b"   -vba : sortie accept" + e + b"e par VBA et VB6 (24 continuations, lignes de 1023 au plus)\n",
        b"  -chrw : sortie ASCII, le reste en ChrW(&HXXXX)\n",
        b"-decode : redonne le texte d'une expression\n",
        b"     -? : ce message\n",
        b" --help : ce message\n",
        b"--version : le nom et la version du logiciel\n",
        b"      - : l'entr" + e + b"e standard au lieu d'un fichier\n",
        b"     -- : la fin des options\n",
        b"\n",
    ]
    return crlf(b"".join(lines))


def summary(count: int, delta: bytes = b"") -> bytes:
    return b"%d fichiers pars" % count + E_ACUTE + b"s" + delta + b"\n"


def progress(path: bytes, size: int) -> bytes:
    return b"Parsing de " + path + b" (%d octets) ... " % size


SAMPLE = b"ab\r\nsay \"hi\"\r\n\r\nend\r\n"
SAMPLE_OUT = convert(SAMPLE)


class CommandLine(unittest.TestCase):
    def test_usage_cases(self):
        prog = os.fsencode(harness.TOOL[-1])
        cases = [
            ("no argument", [], 0),
            ("-?", ["-?"], 0),
            ("-? after options", ["-s", "-r", "-?", "x.txt"], 0),
            ("-a with -r on a file", ["-a:out.txt", "-r", "*.txt"], 1),
            ("-a with -r and nothing to convert", ["-a:out.txt", "-r", "nothing*.txt"], 1),
        ]
        for name, args, code in cases:
            with self.subTest(name):
                r = run(args, files={"x.txt": b"data\r\n"})
                self.assertEqual(r.stdout, usage(prog))
                # A refusal says why.
                self.assertEqual(r.stderr, err(b"Les options -a et -r ne vont pas ensemble\n") if code else b"")
                self.assertEqual(r.status, code)
                self.assertEqual(r.files, {"x.txt": b"data\r\n"})

    def test_options_only(self):
        cases = [
            (["-s"], b""),
            (["-v"], summary(0)),
            (["-l"], summary(0, b" (delta:0/0%)")),
            (["-r"], summary(0)),
            (["-nbl:20", "-NBF:3"], summary(0)),
            (["-S", "-D"], b". - nothing*.txt\n"),
        ]
        for args, expected_err in cases:
            with self.subTest(args=args):
                extra = ["nothing*.txt"] if "-D" in args else []
                r = run(args + extra)
                self.assertEqual((r.stdout, r.stderr, r.status), (b"", err(expected_err), 0))
                self.assertEqual(r.files, {})

    def test_letter_options_in_either_case(self):
        files = {"a.txt": b"x\r\n"}
        for args in (["-r", "-s"], ["-R", "-S"]):
            with self.subTest(args=args):
                r = run(args + ["*.txt"], files=files)
                self.assertEqual((r.stdout, r.stderr, r.status), (b"", b"", 0))
                self.assertEqual(r.files, {"a.txt": convert(b"x\r\n")})

    @unittest.skipIf(harness.WINDOWS, "'/' begins an option on Windows")
    def test_slash_is_a_path_on_posix(self):
        r = run(["/nonexistent-dir-of-txt2vb/*.txt"])
        self.assertEqual((r.stdout, r.stderr, r.status), (b"", summary(0), 0))

    def test_bad_file_specifications(self):
        too_many = ["d%d/*.txt" % i for i in range(11)]
        cases = [
            ("no name component", ["\\"], b"Sp" + E_ACUTE + b"cification de fichier sans nom : \"\\\"\n"),
            ("empty argument", [""], b"Sp" + E_ACUTE + b"cification de fichier sans nom : \"\"\n"),
            ("eleventh directory", too_many,
             b"Trop de r" + E_ACUTE + b"pertoires (10 au plus) : \"d10/*.txt\"\n"),
        ]
        for name, args, message in cases:
            with self.subTest(name):
                r = run(args, files={"d0/a.txt": b"a"})
                self.assertEqual((r.stdout, r.stderr, r.status), (b"", err(message), 1))
                self.assertEqual(r.files, {"d0/a.txt": b"a"})

    def test_ten_directories_are_accepted(self):
        files = {"d%d/a.txt" % i: b"%d" % i for i in range(10)}
        r = run(["-s"] + ["d%d/*.txt" % i for i in range(10)], files=files)
        self.assertEqual(r.stdout, b"".join(convert(b"%d" % i) for i in range(10)))
        self.assertEqual(r.status, 0)


class Console(unittest.TestCase):
    def test_console_conversion(self):
        r = run(["*.txt"], files={"a.txt": SAMPLE})
        self.assertEqual(r.stdout, SAMPLE_OUT)
        self.assertEqual(r.stderr, err(progress(b".\\a.txt", len(SAMPLE)) + summary(1)))
        self.assertEqual(r.status, 0)
        self.assertEqual(r.files, {"a.txt": SAMPLE})

    def test_edge_inputs(self):
        inputs = [b"", b"\n", b"\r\n", b"\nab", b"\"x\"", b"ab\n\"x\"\n", b"a\x00b\x00",
                  b"\x80\xff", b"a\rb", b"ab\x1acd\r\n", b"x" * 70000 + b"\r\n", b"\r"]
        for data in inputs:
            with self.subTest(data=data[:20]):
                r = run(["-s", "*.txt"], files={"a.txt": data})
                self.assertEqual((r.stdout, r.stderr, r.status), (convert(data), b"", 0))

    def test_sizes_and_delta_in_console_mode(self):
        files = {"a.txt": b"abc\r\n", "b.txt": b""}
        r = run(["-l", "*.txt"], files=files)
        out = convert(b"abc\r\n") + convert(b"")
        self.assertEqual(r.stdout, out)
        delta = len(out) - 5
        self.assertEqual(r.stderr, err(progress(b".\\a.txt", 5) + progress(b".\\b.txt", 0)
                                       + summary(2, b" (delta:+%d/+%d%%)" % (delta, delta * 100 // 5))))

    def test_patterns_merge_per_directory(self):
        files = {"src/a.htm": b"h", "src/b.txt": b"t", "x.txt": b"x", "src/c.TXT": b"c"}
        cases = [
            # A directory keeps the spelling it was first given.
            (["src/*.htm", "src/*.txt"], [b"src/\\a.htm", b"src/\\b.txt", b"src/\\c.TXT"]),
            (["src/*.htm"], [b"src/\\a.htm"]),
            (["*.txt", "src/*.htm"], [b".\\x.txt", b"src/\\a.htm"]),
            (["*.txt", "*.txt"], [b".\\x.txt", b".\\x.txt"]),
            (["src/*.htm", "x.txt", "SRC/*.txt"], [b"src/\\a.htm", b"src/\\b.txt", b"src/\\c.TXT", b".\\x.txt"]),
        ]
        for args, paths in cases:
            with self.subTest(args=args):
                r = run(args, files=files)
                expected = b""
                for p in paths:
                    expected += progress(p, 1)
                self.assertEqual(r.stderr, err(expected + summary(len(paths))))

    def test_directory_trace_and_recursion(self):
        files = {"a.txt": b"1", "lib/b.txt": b"2", "lib/deep/c.txt": b"3", "lib/x.htm": b"4", "z/d.txt": b"5"}
        r = run(["-t", "-d", "*.txt"], files=files)
        expected = (b". - *.txt\n" + progress(b".\\a.txt", 1)
                    + b".\\lib - *.txt\n" + progress(b".\\lib\\b.txt", 1)
                    + b".\\lib\\deep - *.txt\n" + progress(b".\\lib\\deep\\c.txt", 1)
                    + b".\\z - *.txt\n" + progress(b".\\z\\d.txt", 1) + summary(4))
        self.assertEqual(r.stderr, err(expected))
        self.assertEqual(r.stdout, convert(b"1") + convert(b"2") + convert(b"3") + convert(b"5"))

    def test_recursion_doubles_a_final_separator(self):
        files = {"src/a.txt": b"1", "src/lib/b.txt": b"2"}
        r = run(["-t", "-s", "-d", "src\\*.txt"], files=files)
        self.assertEqual(r.stderr, err(b"src\\ - *.txt\nsrc\\\\lib - *.txt\n"))
        r = run(["-t", "src\\*.txt"], files=files)
        self.assertEqual(r.stderr, err(progress(b"src\\a.txt", 1) + progress(b"src\\\\lib\\b.txt", 1) + summary(2)))

    def test_directories_select_nothing(self):
        # Named exactly, a directory gets a notice; a specification of a
        # directory (on POSIX "sub\\" is one) selects nothing.
        files = {"sub/a.txt": b"1"}
        notice = b"!!! Parsing impossible de %s (r" + E_ACUTE + b"pertoire)\n"
        cases = [("sub", notice % b"sub"), ("sub/", notice % b"sub/"),
                 ("sub\\", notice % b"sub\\" if harness.WINDOWS else b"")]
        for spec, said in cases:
            with self.subTest(spec=spec):
                r = run([spec], files=files)
                self.assertEqual((r.stdout, r.stderr, r.status), (b"", err(said + summary(0)), 0))

    def test_symbolic_link_loop_is_not_followed(self):
        def setup(root):
            os.symlink("..", os.path.join(root, "sub", "loop"))
            os.symlink("sub", os.path.join(root, "alias"))
        r = run(["-t", "-s", "-d", "*.txt"], files={"sub/a.txt": b"1"}, setup=setup)
        self.assertEqual(r.stderr, err(b". - *.txt\n.\\sub - *.txt\n"))
        self.assertEqual(r.stdout, convert(b"1"))
        self.assertEqual(r.status, 0)

    @unittest.skipIf(harness.WINDOWS, "symbolic links")
    def test_input_that_cannot_be_opened(self):
        def setup(root):
            os.symlink("missing-target", os.path.join(root, "b.txt"))
        # Named, a link to nothing ends the run; found by a wildcard, it is
        # passed over.
        r = run(["a.txt", "b.txt"], files={"a.txt": b"1"}, setup=setup)
        self.assertEqual(r.stdout, convert(b"1"))
        self.assertEqual(r.stderr, err(progress(b".\\a.txt", 1) + progress(b".\\b.txt", 0)
                                       + b".\\b.txt: No such file or directory\n"))
        self.assertEqual(r.status, status(-1))
        r = run(["*.txt"], files={"a.txt": b"1"}, setup=setup)
        self.assertEqual(r.stdout, convert(b"1"))
        self.assertEqual(r.stderr, err(progress(b".\\a.txt", 1)
                                       + b"!!! Parsing impossible de .\\b.txt (fichier disparu)\n"
                                       + b"1 fichiers pars" + E_ACUTE + b"s\n"))
        self.assertEqual(r.status, 0)

    def test_named_options_change_nothing_visible(self):
        r = run(["-s", "-nbl:2", "-nbf:1", "-v", "*.txt"], files={"a.txt": b"1\n2\n3\n4\n"})
        self.assertEqual((r.stdout, r.stderr, r.status), (convert(b"1\n2\n3\n4\n"), b"", 0))


class Append(unittest.TestCase):
    def test_append_two_files(self):
        files = {"a.txt": b"1\r\n", "b.txt": b"2", "out.txt": b"old\r\n\x1a"}
        r = run(["-a:out.txt", "*.txt"], files=files)
        self.assertEqual(r.stdout, b"")
        self.assertEqual(r.stderr, err(progress(b".\\a.txt", 3) + progress(b".\\b.txt", 1) + summary(2)))
        self.assertEqual(r.files["out.txt"], b"old\r\n" + convert(b"1\r\n") + convert(b"2"))
        self.assertEqual(r.status, 0)

    def test_append_file_cannot_be_created(self):
        for args in (["-a:missing/out.txt"],):
            with self.subTest(args=args):
                r = run(args + ["*.txt"], files={"a.txt": b"1"})
                self.assertEqual(r.stderr, err(progress(b".\\a.txt", 1)
                                               + b"Erreur de creation du fichier de sortie: No such file or directory\n"))
                self.assertEqual(r.status, status(-2))
                self.assertEqual(r.files, {"a.txt": b"1"})

    def test_long_append_name_is_kept_whole(self):
        name = "d" * 120 + "/" + "n" * 200 + ".out"
        r = run(["-s", "-a:" + name, "*.txt"], files={"a.txt": b"1", name + ".keep": b""})
        self.assertEqual(r.status, 0)
        self.assertEqual(r.files[name], convert(b"1"))

    @unittest.skipIf(harness.WINDOWS, "a named pipe as a file name is POSIX")
    def test_append_to_a_named_pipe_waits_for_its_reader(self):
        # Needs a real kernel's FIFO, whose reader comes after the tool
        # started: the text reaches it, none dropped on the way.
        got = {}

        def setup(root):
            fifo = os.path.join(root, "pipe")
            os.mkfifo(fifo)

            def reader():
                time.sleep(0.3)
                got["text"] = subprocess.run(["cat", fifo], capture_output=True, timeout=10).stdout
            got["reader"] = threading.Thread(target=reader)
            got["reader"].start()
        r = run(["-s", "-a:pipe", "a.txt"], files={"a.txt": b"1"}, setup=setup, timeout=10)
        got["reader"].join()
        self.assertEqual((got.get("text"), r.stderr, r.status), (convert(b"1"), b"", 0))


class Replace(unittest.TestCase):
    def test_replace_in_place(self):
        files = {"a.txt": SAMPLE, "b.txt": b"", "c.htm": b"keep"}
        r = run(["-r", "*.txt"], files=files)
        self.assertEqual(r.stdout, b"")
        self.assertEqual(r.stderr, err(progress(b".\\a.txt", len(SAMPLE)) + b"\n"
                                       + progress(b".\\b.txt", 0) + b"\n" + summary(2)))
        self.assertEqual(r.files, {"a.txt": SAMPLE_OUT, "b.txt": convert(b""), "c.htm": b"keep"})
        self.assertEqual(r.status, 0)

    def test_replace_with_size_delta(self):
        files = {"a.txt": SAMPLE, "e.txt": b""}
        r = run(["-r", "-l", "*.txt"], files=files)
        d = len(SAMPLE_OUT) - len(SAMPLE)
        self.assertEqual(r.stderr, err(
            progress(b".\\a.txt", len(SAMPLE)) + b"(delta:+%d/+%d%%)\n" % (d, d * 100 // len(SAMPLE))
            + progress(b".\\e.txt", 0) + b"(delta:+7/+0%)\n"
            + summary(2, b" (delta:+%d/+%d%%)" % (d + 7, (d + 7) * 100 // len(SAMPLE)))))

    def test_replace_with_new_extension(self):
        files = {"dir/page.htm": b"p", "dir/a.b.htm": b"q", "dir/README": b"r"}
        r = run(["-r", "-s", "-e:asp", "dir/*"], files=files)
        self.assertEqual(r.files, {"dir/page.asp": convert(b"p"), "dir/a.b.asp": convert(b"q"),
                                   "dir/README.asp": convert(b"r")})
        self.assertEqual(r.status, 0)

    def test_extension_change_onto_the_same_name_keeps_the_file(self):
        r = run(["-r", "-s", "-e:TXT", "*.txt"], files={"a.txt": b"p"})
        self.assertEqual(r.files, {"a.txt": convert(b"p")})

    @unittest.skipIf(harness.WINDOWS, "POSIX permissions")
    def test_replacement_keeps_the_permissions(self):
        modes = {"private.txt": 0o600, "script.txt": 0o755, "shared.txt": 0o664}
        def setup(root):
            for name, mode in modes.items():
                os.chmod(os.path.join(root, name), mode)
        seen = {}
        def check(root):
            for name in modes:
                seen[name] = os.stat(os.path.join(root, name)).st_mode & 0o7777
        r = run(["-r", "-s", "*.txt"], files={name: b"x" for name in modes}, setup=setup, after=check)
        self.assertEqual(r.status, 0)
        self.assertEqual(seen, modes)

    def test_silent_replace(self):
        r = run(["-r", "-s", "-l", "*.txt"], files={"a.txt": b"x"})
        self.assertEqual((r.stdout, r.stderr, r.status), (b"", b"", 0))

    def test_read_only_file_is_skipped(self):
        def setup(root):
            os.chmod(os.path.join(root, "b.txt"), 0o444)
        r = run(["-r", "-s", "*.txt"], files={"a.txt": b"1", "b.txt": b"2"}, setup=setup)
        self.assertEqual(r.stderr, err(b"!!! Parsing impossible de .b.txt (ReadOnly)\n"))
        self.assertEqual(r.files, {"a.txt": convert(b"1"), "b.txt": b"2"})
        r = run(["-s", "*.txt"], files={"b.txt": b"2"}, setup=setup)
        self.assertEqual(r.stdout, convert(b"2"))

    def test_awkward_file_names(self):
        names = ["it's \"q\" $HOME.txt", "-dash.txt", "sp ace.txt", "star*.txt", "line\nfeed.txt", "$x y'.txt"]
        if harness.WINDOWS:
            names = [n for n in names if n not in harness.POSIX_ONLY_NAMES]
        files = {n: n.encode() for n in names}
        r = run(["-r", "-s", "*.txt"], files=files)
        self.assertEqual(r.files, {n: convert(n.encode()) for n in names})
        self.assertEqual(r.status, 0)

    def test_own_files_are_never_converted(self):
        # Results a killed run left under their working names are never
        # converted, wherever they are; the lock file is this run's own.
        left = {".a.txt.txt2vb-Ab12Cd": b"left over", "sub/.b.txt2vb-000000": b"left"}
        for mode in (["-r"], []):
            with self.subTest(mode=mode):
                files = dict(left, **{"a.txt": b"1", "_~null932": b"report", "sub/b": b"2"})
                r = run(mode + ["-s", "-t", "*"], files=files)
                self.assertEqual(r.status, 0)
                if mode:
                    self.assertEqual(r.files, dict(left, **{"a.txt": convert(b"1"), "sub/b": convert(b"2")}))
                else:
                    self.assertEqual(r.stdout, convert(b"1") + convert(b"2"))
        r = run(["-s", "-a:all.txt", "*.txt"], files={"a.txt": b"1", "all.txt": b""})
        self.assertEqual(r.files["all.txt"], convert(b"1"))

    @unittest.skipIf(harness.WINDOWS, "file-size limits")
    def test_file_size_limit_loses_nothing(self):
        big = b"x" * 5000 + b"\r\n"
        def limit():
            signal.signal(signal.SIGXFSZ, signal.SIG_DFL)
            resource.setrlimit(resource.RLIMIT_FSIZE, (4096, 4096))
        r = run(["-r", "-s", "*.txt"], files={"a.txt": big}, preexec=limit)
        self.assertEqual(r.status, status(-2))
        self.assertEqual(r.stderr, err(b"Erreur de creation du fichier de sortie: File too large\n"))
        self.assertEqual(r.files, {"a.txt": big})
        r = run(["-s", "-a:out.txt", "*.txt"], files={"a.txt": big, "out.txt": b"before"}, preexec=limit)
        self.assertEqual(r.status, status(-2))
        self.assertEqual(r.files, {"a.txt": big, "out.txt": b"before"})

    @unittest.skipIf(not os.path.isdir("/dev/shm"), "needs a second file system")
    def test_result_on_another_file_system(self):
        import tempfile
        with tempfile.TemporaryDirectory(dir="/dev/shm") as other:
            target = os.path.join(other, "a.txt")
            with open(target, "wb") as f:
                f.write(SAMPLE)
            r = run(["-r", "-s", target.replace("/", "\\")])
            self.assertEqual(r.status, 0)
            with open(target, "rb") as f:
                self.assertEqual(f.read(), SAMPLE_OUT)
            self.assertEqual(os.listdir(other), ["a.txt"])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", help="path of the txt2vb binary")
    options, rest = parser.parse_known_args()
    command = os.environ.get("TXT2VB_COMMAND") or options.tool
    if not command:
        parser.error("give --tool or set TXT2VB_COMMAND")
    harness.set_tool(command if os.environ.get("TXT2VB_COMMAND") else '"%s"' % command)
    # The fault-injection cases and the command-line conventions live in
    # modules of their own.
    import test_arguments
    import test_conventions
    import test_faults
    import test_output_forms
    import test_real_tree
    import test_filter
    import test_replace_safety
    import test_result_attributes
    import test_system_calls
    import test_text_only
    loader = unittest.defaultTestLoader
    suite = unittest.TestSuite([loader.loadTestsFromModule(sys.modules[__name__]),
                                loader.loadTestsFromModule(test_faults),
                                loader.loadTestsFromModule(test_output_forms),
                                loader.loadTestsFromModule(test_filter),
                                loader.loadTestsFromModule(test_replace_safety),
                                loader.loadTestsFromModule(test_result_attributes),
                                loader.loadTestsFromModule(test_system_calls),
                                loader.loadTestsFromModule(test_conventions),
                                loader.loadTestsFromModule(test_text_only),
                                loader.loadTestsFromModule(test_real_tree),
                                loader.loadTestsFromModule(test_arguments)])
    if rest:
        # Names of this module's cases, or of another module's ("test_faults.Faults").
        suite = unittest.TestSuite(
            loader.loadTestsFromName(name, None if name.startswith("test_") else sys.modules[__name__])
            for name in rest)
    result = unittest.TextTestRunner(verbosity=1).run(suite)
    sys.exit(0 if result.wasSuccessful() else 1)


if __name__ == "__main__":
    main()
