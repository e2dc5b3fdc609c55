"""Runs the real txt2vb binary in fresh temporary directories."""
import atexit
import os
import re
import shlex
import shutil
import stat
import subprocess
import tempfile
from dataclasses import dataclass, field

# The command that starts the tool: set by run_e2e.py from --tool or from
# the environment variable TXT2VB_COMMAND (for example "wine txt2vb.exe").
TOOL = []

# Where the two builds legitimately differ, the difference lives here.
WINDOWS = os.environ.get("TXT2VB_TARGET") == "windows"
# A build with the sanitizers, whose runtime makes system calls of its own.
SANITIZED = os.environ.get("TXT2VB_SANITIZED") == "1"
E_ACUTE = b"\x82" if WINDOWS else b"\xc3\xa9"
# Windows drops the final dots of a file name: "page." is made as "page".
FINAL_DOTS_KEPT = not WINDOWS
# Names that only POSIX file systems allow.
POSIX_ONLY_NAMES = ("it's \"q\" $HOME.txt", "star*.txt", "line\nfeed.txt")


# The names the tool gives the results it makes beside their targets.
WORKING_NAME = re.compile(r"^\..*\.txt2vb-[A-Za-z0-9]{6}$", re.S)


def working_names(directory):
    """The names of results under way (or left by a killed run) in `directory`."""
    return [name for name in os.listdir(directory) if WORKING_NAME.match(name)]


def crlf(data: bytes) -> bytes:
    """Standard output is a text-mode stream: every LF is written as CR LF."""
    return data.replace(b"\n", b"\r\n")


def err(data: bytes) -> bytes:
    """Standard error is a text-mode stream on Windows only."""
    return crlf(data) if WINDOWS else data


def status(code: int) -> int:
    """Exit statuses as a POSIX parent sees them (-1 is 255)."""
    return code & 0xFF


@dataclass
class Result:
    stdout: bytes
    stderr: bytes
    status: int
    files: dict = field(default_factory=dict)  # relative path -> bytes
    dirs: set = field(default_factory=set)


def snapshot(root):
    files, dirs = {}, set()
    for top, subdirs, names in os.walk(root):
        for name in subdirs:
            full = os.path.join(top, name)
            rel = os.path.relpath(full, root)
            dirs.add(rel)
            if os.path.islink(full):
                files[rel] = "-> " + os.readlink(full)
        for name in names:
            full = os.path.join(top, name)
            rel = os.path.relpath(full, root)
            if os.path.islink(full):
                files[rel] = "-> " + os.readlink(full)
            elif not stat.S_ISREG(os.lstat(full).st_mode):
                files[rel] = "special"  # a FIFO or a device: never read
            else:
                with open(full, "rb") as f:
                    files[rel] = f.read()
    return files, dirs


def run(args, files=None, setup=None, preexec=None, timeout=60, cwd_sub=None, after=None, stdin=None):
    """Creates `files` (relative path -> bytes) in a fresh directory, runs
    the tool there with `args`, and returns what it printed and left.
    `setup(root)` runs before the tool, `after(root)` before the directory
    is removed. `stdin` (bytes) is written to the tool's standard input
    through a pipe; without it standard input is the null device."""
    for attempt in range(3):
        result = run_once(args, files, setup, preexec, timeout, cwd_sub, after, stdin)
        # Under load Wine may fail to start a program at all: status 1 and
        # not a byte written, which the tool itself never ends with (its
        # status 1 always comes with a message). The run is made again.
        if not (WINDOWS and result.status == 1 and not result.stdout and not result.stderr):
            break
    return result


def run_once(args, files, setup, preexec, timeout, cwd_sub, after, stdin):
    with tempfile.TemporaryDirectory(prefix="txt2vb-e2e-") as root:
        for rel, content in (files or {}).items():
            path = os.path.join(root, rel)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(content)
        if setup:
            setup(root)
        cwd = os.path.join(root, cwd_sub) if cwd_sub else root
        feed = {"stdin": subprocess.DEVNULL} if stdin is None else {"input": stdin}
        proc = subprocess.run(TOOL + list(args), cwd=cwd, capture_output=True, timeout=timeout,
                              preexec_fn=preexec, **feed)
        found, dirs = snapshot(root)
        if after:
            after(root)
        # Read-only files must be writable again for the clean-up.
        for top, _, names in os.walk(root):
            for name in names:
                full = os.path.join(top, name)
                if not os.path.islink(full):
                    os.chmod(full, 0o644)
        return Result(proc.stdout, proc.stderr, proc.returncode, found, dirs)


def windows_program_path(path: str) -> str:
    """The program path a Windows program run by Wine sees as argv[0]: Wine
    hands it the DOS form of the path, whatever form it was started with
    (/abs/txt2vb.exe becomes Z:\\abs\\txt2vb.exe)."""
    if not path.startswith("/"):
        return path
    # The answer goes through a file, not a pipe: the first Wine program of
    # a session starts Wine's background services, which inherit its
    # handles and would hold a pipe open for as long as they run.
    try:
        with tempfile.TemporaryFile() as out:
            subprocess.run(["winepath", "-w", path], stdin=subprocess.DEVNULL, stdout=out,
                           stderr=subprocess.DEVNULL, timeout=120, check=True)
            out.seek(0)
            converted = out.read().decode().strip()
        if converted:
            return converted
    except (OSError, subprocess.SubprocessError):
        pass
    return "Z:" + path.replace("/", "\\")


def set_tool(command):
    TOOL[:] = shlex.split(command)
    if WINDOWS and len(TOOL) >= 2 and os.path.basename(TOOL[0]).startswith("wine"):
        # Wine's own diagnostics would mix with the tool's standard error.
        os.environ.setdefault("WINEDEBUG", "-all")
        # Started by its DOS path, the program's argv[0] (shown in the usage
        # text) is the path the command line holds.
        TOOL[-1] = windows_program_path(TOOL[-1])
    elif not WINDOWS and len(TOOL) == 1 and os.geteuid() == 0 and not runnable_by_others(TOOL[0]):
        # The cases that run the tool as an unprivileged user need a binary
        # that user can reach: a build inside a private directory (as
        # mktemp -d makes) is run from a copy in a directory open to all.
        TOOL[0] = open_copy(TOOL[0])


def runnable_by_others(path):
    """Whether a user who is neither the owner nor in the group can run `path`."""
    path = os.path.abspath(path)
    while True:
        if not os.stat(path).st_mode & stat.S_IXOTH:
            return False
        parent = os.path.dirname(path)
        if parent == path:
            return True
        path = parent


def open_copy(path):
    where = tempfile.mkdtemp(prefix="txt2vb-tool-")
    atexit.register(shutil.rmtree, where, True)
    os.chmod(where, 0o755)
    copy = os.path.join(where, os.path.basename(path))
    shutil.copy2(path, copy)
    os.chmod(copy, 0o755)
    return copy
