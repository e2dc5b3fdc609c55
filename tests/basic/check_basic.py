#!/usr/bin/env python3
"""Checks with LibreOffice's Basic (VBA mode) that every output form of
txt2vb has the converted text as its value, UTF-16 unit by unit: the
default form, -nl with each constant, -var, -vba, -chrw and combinations,
over texts with quotes, empty lines, CR LF and lone CR, TAB and other
control characters, UTF-8 characters of two to four bytes (a surrogate
pair under -chrw), bytes that are not UTF-8, lines longer than 1,023
characters and more lines than 24 continuations allow. The -vba outputs
are also checked structurally (at most 24 continuations a statement, 1,023
characters a line): LibreOffice enforces neither limit.

    check_basic.py [--tool build/txt2vb] [--soffice soffice] [--keep DIR]

Needs Python 3, LibreOffice with its Basic (Debian: libreoffice-core-nogui)
and localedef with the locale sources (Debian: libc-bin, locales); no
display, no network, no standard input. One LibreOffice start runs every
case; --keep leaves the modules and results in DIR.

How: each output goes into the Sub Run of a module of its own (`Option
VBASupport 1`, which gives ChrW, AscW and the vb constants, and `Option
Explicit`, so that a wrong variable name does not compile). A driver macro,
installed as Standard.Module1 in a fresh private profile, reads each
module's source from a file as UTF-8 (as ISO-8859-1 for the text that is
not UTF-8, so that without -chrw its bytes are U+0000 to U+00FF), adds it to
the library at run time and runs it. Run hands its value to the driver,
which writes its UTF-16 units to a file (a Byte array holds them low byte
first; a short value's units are also written as AscW's numbers and must
agree); Python compares them with the text it expects. Run headless,
LibreOffice reports no error: a module that does not compile, or fails at
run time, stops at the faulty statement. A case therefore counts only when
its value and end marker, written after its last statement, are there. Four
cases with known verdicts (a good one, one that does not compile, one with a
run-time error, one with a wrong value) run in the same start and show that
failures are seen.

Where LibreOffice differs from VBA: vbNewLine is LF there (CR LF on
Windows), and the expected values say so; Chr(&HXX) follows the locale's
code page, so the run uses an ISO-8859-1 locale made with localedef, where
Chr gives U+00XX (-chrw writes Chr for a byte that is not UTF-8). It folds
a constant expression when it compiles and cuts it at a NUL (`"a" &
vbNullChar & "b"` is "a"), so no text holds a NUL byte; and it miscompiles
a module whose string literals add up to about 64,000 characters, so every
value stays below 60,000 units.
"""
import argparse
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time

TIMEOUT = 600
# LibreOffice writes its results in blocks: a minute without one is a hang.
STALL = 60
LOCALE = "en_US.ISO-8859-1"
BOM = b"\xef\xbb\xbf"
# LibreOffice (7.4) miscompiles a module whose string literals add up to
# about 64,000 characters or more (64,000 in one literal work, 64,500 do
# not): the value is cut, a name is "not defined", or the run hangs. Every
# value stays below this.
LONGEST = 60000
# Values up to this length are also written unit by unit through AscW.
ASCW_UNITS = 100
# The failed cases listed at most.
SHOWN = 25

# The value of each line-end constant in LibreOffice on Linux.
LINE_END = {"vbCrLf": "\r\n", "vbLf": "\n", "vbCr": "\r", "vbNewLine": "\n"}


def printable(rng, n, extra=""):
    """n characters of printable ASCII with quotes, tabs and the characters
    of `extra` mixed in."""
    out = []
    for _ in range(n):
        r = rng.random()
        if r < 0.06:
            out.append('"')
        elif r < 0.08:
            out.append("\t")
        elif extra and r < 0.16:
            out.append(rng.choice(extra))
        else:
            out.append(chr(rng.randrange(32, 127)))
    return "".join(out)


def texts():
    """(name, bytes, encoding the module source is read in)."""
    rng = random.Random(20240612)
    wide = "\u00e9\u20ac\u4e2d\U0001F600\u00fc\u2019\u201c\u201d"
    near_limit = "\n".join('"' * (n % 3) + printable(rng, n) + '"' * (n % 2) for n in range(1015, 1031))
    mixed = []
    for _ in range(300):
        r = rng.random()
        n = 0 if r < 0.2 else rng.randrange(1, 60) if r < 0.93 else rng.randrange(900, 3000)
        mixed.append(printable(rng, n, wide))
    sixty = "".join("line %d \"%s\"\n" % (i, "x" * i) if i % 7 else "\n" for i in range(60))
    utf8 = [
        ("empty", ""),
        ("one LF", "\n"),
        ("ASCII lines", "Hello, world\nsecond line\nthird\n"),
        ("quotes", '"quoted" and ""doubled""\n"\n""\nend "x"'),
        ("empty lines", "\n\nmiddle\n\n\n"),
        ("100 empty lines", "\n" * 100),
        ("CR LF line ends", "one\r\ntwo\r\n\r\nthree"),
        ("lone CR", "a\rb\r\n\rc\r"),
        ("a line of 2000 lone CRs, quotes and accents", "".join(rng.choice('\r"a\u00e9') for _ in range(2000))),
        ("TAB and other control characters", "\tlead\tmid\t\n\x01\x02\x07\x08\x0b\x0c\x1b\x1f\x7f end\n"),
        ("UTF-8 of 2, 3 and 4 bytes", "caf\u00e9 \u20ac5 \u4e2d\u6587 \U0001F600!\n\u201cq\u201d \U0001D11E\u00df\n"),
        ("UTF-8 mark first", "\ufeffmarked \u00e9\n"),
        ("a line of 5000 characters", printable(rng, 5000, wide) + "\n"),
        ("lines of 1015 to 1030 characters", near_limit),
        ("a line of 3000 double quotes", '"' * 3000),
        ("a line of 2000 characters outside ASCII", "".join(rng.choice(wide) for _ in range(2000)) + "\n"),
        ("60 lines", sixty),
        ("300 lines, some long", "\r\n".join(mixed)),
    ]
    result = [(name, text.encode("utf-8"), "UTF-8") for name, text in utf8]
    # Latin-1 bytes, a lone lead byte, an overlong form, a surrogate's
    # encoding, a code point beyond U+10FFFF, a cut sequence; one valid €.
    result.append(("bytes that are not UTF-8",
                   b"caf\xe9 \xff \xc3 \xc0\xaf \xed\xa0\x80 \xf4\x90\x80\x80 \xe2\x82 ok \xe2\x82\xac\n",
                   "ISO-8859-1"))
    return result


# The option sets, each run on every text.
FORMS = [
    [],
    ["-chrw"],
    ["-nl"],
    ["-nl:vbCrLf", "-chrw"],
    ["-nl:vbLf"],
    ["-nl:vbCr", "-chrw", "-var:x"],
    ["-nl:vbNewLine"],
    ["-var:s"],
    ["-var:Texte_2"],
    ["-vba"],
    ["-vba", "-chrw"],
    ["-vba", "-nl", "-chrw", "-var:s"],
    ["-vba", "-nl:vbLf", "-var:Long_Name_9"],
    ["-vba", "-nl:vbNewLine", "-chrw"],
]


def option_value(options, word):
    for option in options:
        if option.lower() == "-" + word:
            return ""
        if option.lower().startswith("-" + word + ":"):
            return option.split(":", 1)[1]
    return None


def expected_units(data, options, encoding):
    """The UTF-16 units of the value the output must have in LibreOffice."""
    if data.startswith(BOM):
        data = data[len(BOM):]
    data = data.replace(b"\r\n", b"\n")
    if option_value(options, "chrw") is not None or encoding == "UTF-8":
        # Under -chrw a byte that is not part of valid UTF-8 is Chr(&HXX),
        # U+00XX in an ISO-8859-1 locale.
        text = "".join(chr(ord(c) - 0xDC00) if 0xDC80 <= ord(c) <= 0xDCFF else c
                       for c in data.decode("utf-8", "surrogateescape"))
    else:
        text = data.decode("latin-1")
    nl = option_value(options, "nl")
    text = text.replace("\n", "" if nl is None else LINE_END[nl or "vbCrLf"])
    raw = text.encode("utf-16-le", "surrogatepass")
    return [raw[i] | raw[i + 1] << 8 for i in range(0, len(raw), 2)]


def structure_problem(output):
    """Under -vba: a statement of more than 25 lines, or a line of more than
    1,023 characters."""
    lines = output.split(b"\r\n")
    if lines and lines[-1] == b"":
        lines.pop()
    count = 0
    for number, line in enumerate(lines, 1):
        if len(line) > 1023:
            return "line %d has %d characters" % (number, len(line))
        count += 1
        if count > 25:
            return "the statement ending at line %d or later has more than 25 lines" % number
        if not line.endswith(b" _"):
            count = 0
    return None


class Case:
    def __init__(self, title, source, expected, encoding, variable, verdict=True):
        self.title = title
        self.source = source          # the Basic lines of the expression
        self.expected = expected      # list of UTF-16 units
        self.encoding = encoding
        self.variable = variable
        self.verdict = verdict        # whether the value must match


def module_source(case, n):
    """Module n: its Run assigns the expression and reports its value."""
    head = ("Option VBASupport 1\r\nOption Explicit\r\n"
            "Sub Run\r\n"
            "  On Error GoTo Failed\r\n"
            "  Dim %s As String\r\n" % case.variable).encode()
    tail = ("\r\n  Report %d, %s\r\n"
            "  Exit Sub\r\n"
            "Failed:\r\n"
            "  Failure %d, Err, Erl, Error$\r\n"
            "End Sub\r\n" % (n, case.variable, n)).encode()
    return head + case.source.rstrip(b"\r\n") + tail


def driver_source(work, cases):
    """Module1: runs each case's module and writes its value's units."""
    lines = [
        "Option VBASupport 1",
        "Const WORK = \"%s\"" % work.replace('"', '""'),
        "",
        "Function ReadText(path As String, encoding As String) As String",
        "  Dim sfa As Object, inp As Object, tis As Object",
        "  sfa = createUnoService(\"com.sun.star.ucb.SimpleFileAccess\")",
        "  inp = sfa.openFileRead(ConvertToURL(path))",
        "  tis = createUnoService(\"com.sun.star.io.TextInputStream\")",
        "  tis.setInputStream(inp)",
        "  tis.setEncoding(encoding)",
        "  ReadText = tis.readString(Array(), False)",
        "  tis.closeInput()",
        "End Function",
        "",
        # The value's UTF-16 units: all of them as the bytes of a Byte array
        # (VBA's string to Byte() assignment gives each unit low byte
        # first), in a file of their own; those of a short value also as
        # numbers from AscW, which must agree.
        "Sub Report(n As Long, v As String)",
        "  Dim i As Long, units() As String, bytes() As Byte, f As Integer",
        "  Print #1, \"value \" & n & \" \" & Len(v)",
        "  If Len(v) > 0 And Len(v) <= %d Then" % ASCW_UNITS,
        "    ReDim units(Len(v) - 1)",
        "    For i = 1 To Len(v)",
        "      units(i - 1) = AscW(Mid(v, i, 1))",
        "    Next",
        "    Print #1, Join(units, \" \")",
        "  Else",
        "    Print #1, \"\"",
        "  End If",
        "  If Len(v) > 0 Then",
        "    bytes = v",
        "    f = FreeFile",
        "    Open WORK & \"/value\" & n & \".bin\" For Binary As #f",
        "    Put #f, , bytes",
        "    Close #f",
        "  End If",
        "  Print #1, \"end \" & n",
        "End Sub",
        "",
        "Sub Failure(n As Long, errNumber As Long, errLine As Long, errText As String)",
        "  Print #1, \"error \" & n & \" \" & errNumber & \" line \" & errLine & \": \" & errText",
        "End Sub",
        "",
        # A module that does not compile runs up to its faulty statement and
        # returns without an error, or the call fails ("Variable not
        # defined"): either way the case's value and end marker are missing.
        "Sub RunCase(sp As Object, n As Long, encoding As String)",
        "  On Error GoTo Failed",
        "  Dim oLib As Object, sc As Object, modName As String",
        "  modName = \"Case\" & n",
        "  oLib = BasicLibraries.getByName(\"Standard\")",
        "  oLib.insertByName(modName, ReadText(WORK & \"/case\" & n & \".bas\", encoding))",
        "  sc = sp.getScript(\"vnd.sun.star.script:Standard.\" & modName & \".Run?language=Basic&location=application\")",
        "  sc.invoke(Array(), Array(), Array())",
        "  oLib.removeByName(modName)",
        "  Exit Sub",
        "Failed:",
        "  Print #1, \"driver \" & n & \" \" & Err & \": \" & Error$",
        "End Sub",
        "",
        "Sub Main",
        # A variable of the module would be reset when a module is added.
        "  Dim sp As Object",
        "  sp = createUnoService(\"com.sun.star.script.provider.MasterScriptProviderFactory\")"
        ".createScriptProvider(\"\")",
        "  Open WORK & \"/result.txt\" For Output As #1",
        "  Print #1, \"start\"",
    ]
    lines += ["  RunCase sp, %d, \"%s\"" % (n, case.encoding) for n, case in enumerate(cases, 1)]
    lines += ["  Print #1, \"done\"", "  Close #1", "End Sub", ""]
    return "\n".join(lines)


def xml_module(name, source):
    text = source.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<!DOCTYPE script:module PUBLIC "-//OpenOffice.org//DTD OfficeDocument 1.0//EN" "module.dtd">\n'
            '<script:module xmlns:script="http://openoffice.org/2000/script" script:name="%s" '
            'script:language="StarBasic">%s</script:module>\n' % (name, text))


def run(command, env=None, watch=None):
    """Runs a command in a session of its own, with no standard input. It is
    killed, with the whole session (LibreOffice's launcher starts a second
    process), after TIMEOUT seconds, or when the file `watch` has not grown
    for STALL seconds: LibreOffice stays up, idle or busy, after some
    failures. Returns (status, output); status None when killed."""
    with tempfile.TemporaryFile() as out:
        proc = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT,
                                env=env, start_new_session=True)
        started = last_change = time.monotonic()
        size = -1
        while proc.poll() is None:
            time.sleep(0.1)
            now = time.monotonic()
            if watch and os.path.exists(watch) and os.path.getsize(watch) != size:
                size = os.path.getsize(watch)
                last_change = now
            if now - started > TIMEOUT or (watch and now - last_change > STALL):
                os.killpg(proc.pid, signal.SIGKILL)
                proc.wait()
                break
        else:
            out.seek(0)
            return proc.returncode, out.read().decode("utf-8", "replace")
        out.seek(0)
        return None, out.read().decode("utf-8", "replace")


def run_basic(soffice, work, cases):
    """Runs every case in one LibreOffice start. Returns {n: (kind, data)}
    and a description of what went wrong with the run itself, if anything."""
    env = dict(os.environ)
    for name in ("DISPLAY", "WAYLAND_DISPLAY", "LANG", "LANGUAGE"):
        env.pop(name, None)
    locales = os.path.join(work, "locale")
    os.mkdir(locales)
    status, output = run(["localedef", "-i", "en_US", "-f", "ISO-8859-1", os.path.join(locales, LOCALE)], env)
    if status != 0:
        return {}, "localedef failed (status %s): %s" % (status, output.strip()[-500:])
    env.update(LOCPATH=locales, LC_ALL=LOCALE)

    profile = os.path.join(work, "profile")
    base = [soffice, "--headless", "--invisible", "--norestore", "--nologo",
            "-env:UserInstallation=file://" + profile]
    status, output = run(base + ["--terminate_after_init"], env)
    library = os.path.join(profile, "user", "basic", "Standard")
    if status != 0 or not os.path.exists(os.path.join(library, "script.xlb")):
        return {}, "making the profile failed (status %s): %s" % (status, output.strip()[-500:])
    # The profile's Standard library lists Module1: the driver takes its place.
    with open(os.path.join(library, "Module1.xba"), "w", encoding="utf-8") as f:
        f.write(xml_module("Module1", driver_source(work, cases)))
    for n, case in enumerate(cases, 1):
        with open(os.path.join(work, "case%d.bas" % n), "wb") as f:
            f.write(module_source(case, n))

    path = os.path.join(work, "result.txt")
    status, output = run(base + ["macro:///Standard.Module1.Main"], env, path)
    problem = None
    if status is None:
        problem = "LibreOffice was killed: it ran for %d s, or wrote no result for %d s" % (TIMEOUT, STALL)
    elif status != 0:
        problem = "LibreOffice ended with status %d" % status
    if not os.path.exists(path):
        return {}, (problem or "the driver macro did not run") + ": no result file" + (
            "; output: " + output.strip()[-500:] if output.strip() else "")
    with open(path, encoding="ascii", errors="replace") as f:
        lines = f.read().split("\n")
    if "done" not in lines:
        problem = problem or "the driver macro did not run to its end"
    return parse_results(work, lines), problem


def parse_results(work, lines):
    """{case number: ("value", (Len, units, AscW numbers)) or (kind, line)}."""
    results = {}
    i = 0
    while i < len(lines):
        words = lines[i].split(" ", 2)
        if words[0] == "value" and i + 2 < len(lines) and lines[i + 2] == "end " + words[1]:
            numbers = [int(u) for u in lines[i + 1].split()]
            path = os.path.join(work, "value%s.bin" % words[1])
            raw = b""
            if os.path.exists(path):
                with open(path, "rb") as f:
                    raw = f.read()
            units = [raw[k] | raw[k + 1] << 8 for k in range(0, len(raw) - 1, 2)]
            if len(raw) % 2:
                units.append(-1)
            results[int(words[1])] = ("value", (int(words[2]), units, numbers))
            i += 3
            continue
        if words[0] in ("error", "driver") and len(words) > 1:
            results[int(words[1])] = (words[0], lines[i])
        i += 1
    return results


def show(units, at, width=12):
    """Units around position `at`, as characters where printable."""
    part = units[max(0, at - width):at + width]
    return "".join(chr(u) if 32 <= u < 127 else "<%04X>" % u for u in part)


def verdict(case, result):
    """(ok, reason) for one case's result."""
    if result is None:
        return False, "the module stopped before its end (does not compile, or no run)"
    kind, data = result
    if kind != "value":
        return False, data
    length, got, numbers = data
    want = case.expected
    if length != len(got):
        return False, "Len says %d, %d units written" % (length, len(got))
    # AscW gives a unit of 0x8000 or more as a negative number.
    if length <= ASCW_UNITS and [u & 0xFFFF for u in numbers] != got:
        return False, "AscW gives %s, the bytes %s" % (numbers[:20], got[:20])
    if got == want:
        return True, ""
    at = next((i for i, (a, b) in enumerate(zip(want, got)) if a != b), min(len(want), len(got)))
    return False, "expected %d units, got %d; first difference at unit %d: expected ...%s..., got ...%s..." % (
        len(want), len(got), at, show(want, at), show(got, at))


# Cases with known verdicts: a checker that accepts these, or rejects the
# first, checks nothing.
SELF_TEST = [
    ("good value", b's = "a""b" & ChrW(&H20AC) _\r\n\t& vbCrLf', [0x61, 0x22, 0x62, 0x20AC, 13, 10], True),
    ("does not compile", b's = "a" & & "b"', [0x61, 0x62], False),
    ("run-time error", b's = ChrW(&H41) & Mid("abc", 0, 1)', [0x41], False),
    ("wrong value", b's = "abd"', [0x61, 0x62, 0x63], False),
]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    parser.add_argument("--tool", default=os.path.join(root, "build", "txt2vb"), help="the txt2vb binary")
    parser.add_argument("--soffice", default="soffice", help="LibreOffice's launcher")
    parser.add_argument("--keep", help="work in this new directory and leave it (for a look at the modules)")
    options = parser.parse_args()
    for program in (options.tool, options.soffice, "localedef"):
        if not shutil.which(program):
            print("FAIL  %s not found" % program)
            return 1

    started = time.monotonic()
    cases = [Case("self-test: " + name, source, units, "UTF-8", "s", good)
             for name, source, units, good in SELF_TEST]
    failures = []
    with tempfile.TemporaryDirectory(prefix="txt2vb-basic-") as scratch:
        work = os.path.abspath(options.keep) if options.keep else scratch
        if options.keep:
            os.makedirs(work)
        input_path = os.path.join(work, "input.txt")
        for name, data, encoding in texts():
            with open(input_path, "wb") as f:
                f.write(data)
            for form in FORMS:
                title = "%s, options %s" % (name, " ".join(form) or "(none)")
                proc = subprocess.run([options.tool, "-s"] + form + [input_path], stdin=subprocess.DEVNULL,
                                      capture_output=True, timeout=60)
                if proc.returncode != 0 or proc.stderr:
                    failures.append("%s: the tool failed: status %d, %r" % (title, proc.returncode, proc.stderr[:200]))
                    continue
                out = proc.stdout
                problem = structure_problem(out) if "-vba" in form else None
                if problem:
                    failures.append("%s: outside the VBA limits: %s" % (title, problem))
                expected = expected_units(data, form, encoding)
                if len(expected) > LONGEST:
                    failures.append("%s: a value of %d units is more than one LibreOffice module holds" % (
                        title, len(expected)))
                    continue
                variable = option_value(form, "var") or "s"
                # The default form begins with TAB "= ": the name goes first.
                source = (variable.encode() if out.startswith(b"\t=") else b"") + out
                cases.append(Case(title, source, expected, encoding, variable))

        results, problem = run_basic(options.soffice, work, cases)
        seconds = time.monotonic() - started

    passed = 0
    for n, case in enumerate(cases, 1):
        ok, reason = verdict(case, results.get(n))
        right = ok == case.verdict
        passed += right
        if not right:
            failures.append("%s: %s" % (case.title, "accepted" if ok else reason))
        if n <= len(SELF_TEST):
            # The checker's own cases are listed whatever their verdict.
            print("%s  %s: %s" % ("PASS" if right else "FAIL", case.title,
                                  "accepted" if ok else "rejected (%s)" % reason))
    if problem:
        failures.insert(0, "the LibreOffice run: %s" % problem)
    for line in failures[:SHOWN]:
        print("FAIL  " + line)
    if len(failures) > SHOWN:
        print("... and %d more failures" % (len(failures) - SHOWN))
    failed = len(failures)
    print("%d passed, %d failed (%d texts x %d option sets, one LibreOffice start, %.1f s)" % (
        passed, failed, len(texts()), len(FORMS), seconds))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
