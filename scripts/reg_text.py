#!/usr/bin/env python3
"""Reads registry text as `winsim reg` prints it (the .reg export format).

    reg_text.py keys FILE SUFFIX...        the keys whose path ends with a SUFFIX,
                                           with their values, as .reg text
    reg_text.py command FILE SUFFIX NAME   the string value NAME of the key ending
                                           with SUFFIX, as a command line cut into
                                           the program and its arguments, one a line

Suffixes compare without regard to letter case, as registry paths do. Exits
with 1 when nothing matches.
"""

import sys


def read_keys(path):
    """[(key path, [value lines])] in file order."""
    keys = []
    with open(path, encoding="utf-8-sig") as f:
        for raw in f:
            line = raw.rstrip("\r\n")
            if line.startswith("[") and line.endswith("]"):
                keys.append((line[1:-1], []))
            elif line and keys:
                keys[-1][1].append(line)
    return keys


def matching(keys, suffixes):
    lowered = [s.lower() for s in suffixes]
    return [(path, values) for path, values in keys
            if any(path.lower().endswith(s) for s in lowered)]


def string_value(values, name):
    prefix = '"%s"="' % name
    for line in values:
        if line.startswith(prefix) and line.endswith('"'):
            text = line[len(prefix):-1]
            out, i = [], 0
            while i < len(text):
                if text[i] == "\\" and i + 1 < len(text):
                    i += 1
                out.append(text[i])
                i += 1
            return "".join(out)
    return None


def split_command_line(line):
    """Program and arguments as Windows cuts a simple command line: a quoted
    program path, then arguments separated by blanks (quotes removed)."""
    line = line.strip()
    if line.startswith('"'):
        end = line.find('"', 1)
        end = len(line) if end < 0 else end
        program, rest = line[1:end], line[end + 1:]
    else:
        program, _, rest = line.partition(" ")
    return [program] + [a.strip('"') for a in rest.split()]


def main(argv):
    if len(argv) >= 3 and argv[0] == "keys":
        found = matching(read_keys(argv[1]), argv[2:])
        for path, values in found:
            print("[%s]" % path)
            for line in values:
                print(line)
        return 0 if found else 1
    if len(argv) == 4 and argv[0] == "command":
        for _, values in matching(read_keys(argv[1]), [argv[2]]):
            value = string_value(values, argv[3])
            if value:
                print("\n".join(split_command_line(value)))
                return 0
        return 1
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
