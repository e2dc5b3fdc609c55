#!/usr/bin/env python3
"""Checks that the subsystems depend on each other one way only:
driver -> parser -> scanner -> platform. A file may include headers of its
own subsystem and of those below it, never of one above it. Exits 1 and
names every offending line otherwise.

    check_includes.py [SOURCE_ROOT]
"""
import pathlib
import re
import sys

# Each subsystem, with the subsystems whose headers it may include.
ALLOWED = {
    "platform": {"platform"},
    "scanner": {"scanner", "platform"},
    "parser": {"parser", "scanner", "platform"},
    "driver": {"driver", "parser", "scanner", "platform"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"/]+)/')


def offences(root):
    found = []
    for subsystem, allowed in ALLOWED.items():
        for path in sorted((root / subsystem).rglob("*")):
            if path.suffix not in (".h", ".cpp"):
                continue
            text = path.read_text(encoding="latin-1")
            for number, line in enumerate(text.splitlines(), 1):
                match = INCLUDE.match(line)
                if match and match.group(1) in ALLOWED and match.group(1) not in allowed:
                    found.append(f"{path.relative_to(root)}:{number}: {subsystem}/ includes "
                                 f"{match.group(1)}/: {line.strip()}")
    return found


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parents[2])
    missing = [name for name in ALLOWED if not (root / name).is_dir()]
    if missing:
        print(f"no {', '.join(missing)} under {root}", file=sys.stderr)
        return 1
    found = offences(root)
    for line in found:
        print(line, file=sys.stderr)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
