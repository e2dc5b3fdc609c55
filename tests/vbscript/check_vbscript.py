#!/usr/bin/env python3
"""Checks that what txt2vb writes is a VBScript expression whose value is the
converted text: each generated input is converted (console mode, -s), the
output is put after a variable name in a small script, cscript runs it, and
the value the script writes back must equal the input without its line
breaks (CR LF and LF removed).

The same runs for the options that change the form: -nl (each line end is
the constant: the value holds the text's line breaks), -var:x (the output
assigns x itself) and -vba (statements of at most 25 lines, lines of at
most 1,023 characters, the long ones split). -chrw is not run here: Wine's
VBScript (8.0) implements neither ChrW nor AscW, and a script that calls
them stops without a word; its values are checked by the expression parser
of the unit tests (tests/support/vb_expression.cpp) instead.

    check_vbscript.py --tool "wine /abs/path/txt2vb.exe"      (from Linux)
    check_vbscript.py --tool txt2vb.exe --cscript cscript     (on Windows)
    check_vbscript.py --self-test                             (the checker alone)

The tool command can also come from TXT2VB_COMMAND, the script host from
TXT2VB_CSCRIPT (default "wine cscript" off Windows, "cscript" on it).

The script writes the value to a file through FileSystemObject rather than
echoing it, so no console code page stands between the value and the
comparison. cscript is run in the script's own directory with a relative
name: Wine's cscript given a Unix path runs nothing, and a script that fails
to parse prints nothing and still ends with status 0, so a missing or wrong
result file is what shows a failure.
"""
import argparse
import os
import random
import shlex
import subprocess
import sys
import tempfile

RESULT_NAME = "result.txt"
TIMEOUT = 120

# Writes "<<" value ">>" to the result file; the markers show that the
# script ran to its end and keep leading and trailing blanks visible.
SCRIPT_TAIL = (
    b'Set fso = CreateObject("Scripting.FileSystemObject")\r\n'
    b'Set f = fso.CreateTextFile("' + RESULT_NAME.encode() + b'", True)\r\n'
    b'f.Write "<<" & x & ">>"\r\n'
    b"f.Close\r\n"
)


def run_to_files(command, cwd, env=None):
    """Runs a command with no standard input and its output in files, not
    pipes: the first Wine program of a session starts Wine's background
    services, which inherit its handles and would keep a pipe open."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        proc = subprocess.run(command, cwd=cwd, stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                              timeout=TIMEOUT, env=env)
        out.seek(0)
        err.seek(0)
        return out.read(), err.read(), proc.returncode


def printable(rng, n, quote_share=0.05, tab_share=0.03):
    """n characters of printable ASCII with some quotes and tabs mixed in."""
    chars = []
    for _ in range(n):
        r = rng.random()
        if r < quote_share:
            chars.append('"')
        elif r < quote_share + tab_share:
            chars.append("\t")
        else:
            chars.append(chr(rng.randrange(32, 127)))
    return "".join(chars).encode()


def random_text(rng, length):
    """Printable ASCII, tabs and quotes with LF and CR LF line ends, empty
    lines included."""
    pieces = []
    size = 0
    while size < length:
        r = rng.random()
        if r < 0.15:
            piece = b"\n"
        elif r < 0.25:
            piece = b"\r\n"
        elif r < 0.35:
            piece = b'"'
        else:
            piece = printable(rng, rng.randrange(1, 80))
        pieces.append(piece)
        size += len(piece)
    return b"".join(pieces)


def main_inputs():
    rng = random.Random(20240611)
    inputs = [
        ("empty input", b""),
        ("one LF", b"\n"),
        ("one CR LF", b"\r\n"),
        ("a lone double quote", b'"'),
        ("double quotes only", b'""""'),
        ("quotes at line starts and ends", b'"first\nsecond"\n"both"\n""\nx""y\n"'),
        ("lines of quotes", b'"\n"\n""\n"""\n'),
        ("empty first and last lines", b"\nmiddle\n\n"),
        ("empty first line only", b"\nrest"),
        ("runs of empty lines", b"a\n\n\n\n\n\nb\n\n\n\nc\n\n\n"),
        ("many empty lines", b"start" + b"\n" * 300 + b"end\n"),
        ("no final newline", b"one\ntwo"),
        ("no final newline, quote last", b'one\n"two"'),
        ("CR LF line ends", b'a\r\n\r\n"b"\r\nc\r\n'),
        ("CR LF, no final one", b"a\r\nb"),
        ("LF and CR LF mixed", b"a\nb\r\nc\n\r\nd"),
        ("tabs", b"\ta\tb\t\n\t\n\t\t\n"),
        ("tab-only lines", b"\t\n\t\t\r\n\t"),
        ("every printable character", bytes(range(32, 127)) + b"\n" + bytes(range(126, 31, -1))),
        ("text that looks like VBScript", b'" _\n& "\n_\n\' comment\nREM x\n: End\nx = "y"\n'),
        ("a 5000-character line", printable(rng, 5000) + b"\n"),
        ("lines of 3000, 8000 and 12000 characters",
         printable(rng, 3000) + b"\r\n" + printable(rng, 8000, 0.2) + b"\n" + printable(rng, 12000)),
        ("a 6000-character line of quotes", b'"' * 6000),
        # A CR not followed by LF is text: it joins the expression as vbCr.
        ("lone CR inside a line", b"a\rb\n"),
        ("lone CR at the end of the input", b"ab\r"),
        ("lone CR first, CR CR LF", b"\rx\r\r\n\ry"),
        # A NUL byte joins it as vbNullChar.
        ("NUL bytes", b"a\x00b\n\x00\n\"\x00\""),
    ]
    for i in range(5):
        inputs.append(("random mix %d" % (i + 1), random_text(rng, 400 + 900 * i)))
    return inputs


def expected_value(data: bytes, line_end: bytes = b"") -> bytes:
    """The text read in text mode, each line end replaced by `line_end`."""
    return data.replace(b"\r\n", b"\n").replace(b"\n", line_end)


# The options that change the form, with the value each line end takes.
# Every set but the first assigns x itself.
FORMS = [
    ([], b""),
    (["-nl"], b"\r\n"),
    (["-nl:vbLf", "-var:x"], b"\n"),
    (["-vba", "-var:x"], b""),
    (["-vba", "-nl:vbCr", "-var:x"], b"\r"),
]

# The inputs the forms other than the default one are run on: empty and
# long lines, many lines, quotes, lone CRs and NULs.
FORM_INPUTS = ["empty input", "one LF", "quotes at line starts and ends", "empty first and last lines",
               "many empty lines", "CR LF, no final one", "lines of 3000, 8000 and 12000 characters",
               "a 6000-character line of quotes", "lone CR first, CR CR LF", "NUL bytes", "random mix 5"]


class Checker:
    def __init__(self, tool, cscript):
        self.tool = tool
        self.cscript = cscript
        self.under_wine = bool(cscript) and os.path.basename(cscript[0]).startswith("wine")

    def evaluate(self, expression: bytes, expected: bytes):
        """Runs the script for one expression. Returns (ok, reason)."""
        with tempfile.TemporaryDirectory(prefix="txt2vb-vbs-") as work:
            name = "check.vbs"
            with open(os.path.join(work, name), "wb") as f:
                # The default output is the right side of an assignment.
                f.write((b"" if expression.startswith(b"x = ") else b"x") + expression + SCRIPT_TAIL)
            command = self.cscript + ["//nologo", name]
            out, err, code = run_to_files(command, work)
            result = os.path.join(work, RESULT_NAME)
            if not os.path.exists(result):
                return False, "the script did not run to its end (cscript status %d)%s" % (
                    code, self.diagnosis(command, work, out + err))
            with open(result, "rb") as f:
                value = f.read()
            want = b"<<" + expected + b">>"
            if value != want:
                return False, "value differs: %s" % describe_difference(want, value)
            return True, ""

    def diagnosis(self, command, work, output):
        """What the script host says about a script that did not run: Wine's
        cscript is silent, so its parser's own trace is asked for."""
        text = output.decode("latin-1").strip()
        if self.under_wine:
            env = dict(os.environ, WINEDEBUG="-all,fixme+vbscript,fixme+wscript")
            _, err, _ = run_to_files(command, work, env)
            wanted = ("parser_error", "parse_string_literal", "run_script", "OnScriptError")
            lines = [line for line in err.decode("latin-1").splitlines() if any(w in line for w in wanted)]
            # The parser repeats the rest of the script in its message.
            text = "\n".join(shorten(line) for line in lines) or text
        return (":\n        " + text.replace("\n", "\n        ")) if text else ""

    def convert(self, data: bytes, options=()):
        with tempfile.TemporaryDirectory(prefix="txt2vb-vbs-") as work:
            with open(os.path.join(work, "input.txt"), "wb") as f:
                f.write(data)
            return run_to_files(self.tool + ["-s"] + list(options) + ["input.txt"], work)

    def check_input(self, data: bytes, options=(), line_end=b""):
        out, err, code = self.convert(data, options)
        if code != 0 or err:
            return False, "the tool failed: status %d, standard error %r" % (code, err[:200])
        return self.evaluate(out, expected_value(data, line_end))


def shorten(line, limit=160):
    return line if len(line) <= limit else line[:limit] + "..."


def describe_difference(want: bytes, got: bytes) -> str:
    at = next((i for i, (a, b) in enumerate(zip(want, got)) if a != b), min(len(want), len(got)))
    return "expected %d bytes, got %d; first difference at byte %d: expected %r, got %r" % (
        len(want), len(got), at, want[max(0, at - 10):at + 20], got[max(0, at - 10):at + 20])


# Expressions with known verdicts: a checker that accepts a broken one, or
# rejects the right one, checks nothing.
SELF_TEST = [
    ("correct expression", b'\t= "abc" _\r\n\t& ""\r\n', b"abc", True),
    ("correct expression with doubled quotes", b'\t= "say ""hi""" _\r\n\t_\r\n\t& "end"\r\n',
     b'say "hi"end', True),
    ("wrong epilogue: a lone double quote after the final \" _", b'\t= "abc" _\r\n"\r\n', b"abc", False),
    ("quotes not doubled", b'\t= "say "hi""\r\n', b'say "hi"', False),
    ("valid script, wrong value", b'\t= "ab" _\r\n\t& "d"\r\n', b"abc", False),
]


def self_test(checker):
    failures = 0
    for name, expression, expected, good in SELF_TEST:
        ok, reason = checker.evaluate(expression, expected)
        verdict = "accepted" if ok else "rejected"
        right = ok == good
        failures += not right
        print("%s  self-test: %s: %s%s" % ("PASS" if right else "FAIL", name, verdict,
                                           "" if ok else " (" + reason.split(":\n")[0] + ")"))
    return failures


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--tool", help="command that runs txt2vb (else TXT2VB_COMMAND)")
    parser.add_argument("--cscript", help="command that runs cscript (else TXT2VB_CSCRIPT)")
    parser.add_argument("--self-test", action="store_true",
                        help="only check that the checker rejects broken expressions and accepts good ones")
    options = parser.parse_args()

    default_host = "cscript" if os.name == "nt" else "wine cscript"
    cscript = shlex.split(options.cscript or os.environ.get("TXT2VB_CSCRIPT") or default_host)
    if cscript and os.path.basename(cscript[0]).startswith("wine"):
        os.environ.setdefault("WINEDEBUG", "-all")
    tool_command = options.tool or os.environ.get("TXT2VB_COMMAND")
    if not options.self_test and not tool_command:
        parser.error("give --tool or set TXT2VB_COMMAND")
    checker = Checker(shlex.split(tool_command) if tool_command else [], cscript)

    failed = self_test(checker)
    passed = len(SELF_TEST) - failed
    if options.self_test:
        print("%d passed, %d failed" % (passed, failed))
        return 1 if failed else 0
    if failed:
        print("the checker itself is broken: no input checked")
        print("%d passed, %d failed" % (passed, failed))
        return 1

    print()
    print("Converted inputs (printable ASCII, tab, double quote, LF, CR LF and lone CR):")
    for name, data in main_inputs():
        ok, reason = checker.check_input(data)
        passed += ok
        failed += not ok
        print("%s  %s (%d bytes)%s" % ("PASS" if ok else "FAIL", name, len(data), "" if ok else ": " + reason))

    inputs = dict(main_inputs())
    for options, line_end in FORMS[1:]:
        print()
        print("Options %s:" % " ".join(options))
        for name in FORM_INPUTS:
            ok, reason = checker.check_input(inputs[name], options, line_end)
            passed += ok
            failed += not ok
            print("%s  %s%s" % ("PASS" if ok else "FAIL", name, "" if ok else ": " + reason))

    print()
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
