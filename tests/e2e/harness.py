"""Runs the real txt2vb binary in fresh temporary directories."""
import os
import shlex
import subprocess
import tempfile
from dataclasses import dataclass, field

# The command that starts the tool: set by run_e2e.py from --tool or from
# the environment variable TXT2VB_COMMAND (for example "wine txt2vb.exe").
TOOL = []

# Where the two builds legitimately differ, the difference lives here.
WINDOWS = os.environ.get("TXT2VB_TARGET") == "windows"
E_ACUTE = b"\x82" if WINDOWS else b"\xc3\xa9"


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
            else:
                with open(full, "rb") as f:
                    files[rel] = f.read()
    return files, dirs


def run(args, files=None, setup=None, preexec=None, timeout=60, cwd_sub=None):
    """Creates `files` (relative path -> bytes) in a fresh directory, runs
    the tool there with `args`, and returns what it printed and left."""
    with tempfile.TemporaryDirectory(prefix="txt2vb-e2e-") as root:
        for rel, content in (files or {}).items():
            path = os.path.join(root, rel)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(content)
        if setup:
            setup(root)
        cwd = os.path.join(root, cwd_sub) if cwd_sub else root
        proc = subprocess.run(TOOL + list(args), cwd=cwd, stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=timeout, preexec_fn=preexec)
        found, dirs = snapshot(root)
        # Read-only files must be writable again for the clean-up.
        for top, _, names in os.walk(root):
            for name in names:
                full = os.path.join(top, name)
                if not os.path.islink(full):
                    os.chmod(full, 0o644)
        return Result(proc.stdout, proc.stderr, proc.returncode, found, dirs)


def set_tool(command):
    TOOL[:] = shlex.split(command)
