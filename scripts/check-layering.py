#!/usr/bin/env python3
"""The house rules that the compiler cannot see, checked from the sources.

    scripts/check-layering.py [ROOT]

Reads the rooms from ZX_LAYERS in ROOT/CMakeLists.txt (from the top down;
rooms quoted together stand side by side) and fails when
- a file in src/<room>/ includes "<other room>/..." and that room is not
  below its own (side by side is not below);
- a folder of src/ is not a room of the list;
- a string literal in src/ outside app/product_words.h holds a name of the
  family's products (Zorvex..., Vantorix, Marbek, Drevanix, Tonalix). The
  set-up program's own window names (ZorvexSetup...) are not product words.
Prints one line per finding, "file:line: what", and exits 1 when there is any.
"""
import os
import re
import sys

PRODUCT_WORDS_HEADER = "app/product_words.h"
PRODUCT_WORD = re.compile(r"Zorvex(?!Setup)|Vantorix|Marbek|Drevanix|Tonalix")
INCLUDE = re.compile(r'^[ \t]*#[ \t]*include[ \t]+"([^"/]+)/[^"]+"', re.M)
SOURCE_ENDINGS = (".h", ".cpp")


def read_layers(cmake_file):
    """The list of layers, each a list of rooms, from the top down."""
    with open(cmake_file, encoding="utf-8") as f:
        text = f.read()
    found = re.search(r"^set\(ZX_LAYERS\s+(.*?)\)", text, re.M | re.S)
    if not found:
        sys.exit("%s: no set(ZX_LAYERS ...)" % cmake_file)
    return [group.strip('"').split() for group in re.findall(r'"[^"]*"|\S+', found.group(1))]


def code_and_literals(text):
    """The text with comments blanked, and the string literals with their lines.

    Newlines are kept, so positions keep their line numbers."""
    out = []
    literals = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
            out.append(" " * (end - i))
            i = end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.append(re.sub(r"[^\n]", " ", text[i:end]))
            i = end
        elif c == '"' or c == "'":
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            j = min(j + 1, n)
            if c == '"':
                literals.append((text.count("\n", 0, i) + 1, text[i:j]))
            out.append(text[i:j])
            i = j
        else:
            out.append(c)
            i += 1
    return "".join(out), literals


def check(root):
    layers = read_layers(os.path.join(root, "CMakeLists.txt"))
    level = {room: depth for depth, rooms in enumerate(layers) for room in rooms}
    source = os.path.join(root, "src")
    findings = []
    for room in sorted(os.listdir(source)):
        if os.path.isdir(os.path.join(source, room)) and room not in level:
            findings.append("src/%s: a folder that is no room of ZX_LAYERS in CMakeLists.txt" % room)
    for folder, _, files in os.walk(source):
        relative_folder = os.path.relpath(folder, source)
        room = relative_folder.split(os.sep)[0]
        if room not in level:
            continue
        for name in sorted(files):
            if not name.endswith(SOURCE_ENDINGS):
                continue
            path = os.path.join(folder, name)
            relative = os.path.relpath(path, source).replace(os.sep, "/")
            with open(path, encoding="utf-8") as f:
                code, literals = code_and_literals(f.read())
            for match in INCLUDE.finditer(code):
                other = match.group(1)
                if other == room or other not in level:
                    continue
                if level[other] <= level[room]:
                    where = "beside" if level[other] == level[room] else "above"
                    findings.append("src/%s:%d: includes from %s, a room %s %s" % (
                        relative, code.count("\n", 0, match.start()) + 1, other, where, room))
            if relative == PRODUCT_WORDS_HEADER:
                continue
            for line, literal in literals:
                if PRODUCT_WORD.search(literal):
                    findings.append("src/%s:%d: product word %s outside %s" % (
                        relative, line, literal, PRODUCT_WORDS_HEADER))
    return findings


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    findings = check(root)
    for finding in findings:
        print(finding)
    if findings:
        print("%d finding(s): a room includes only rooms below it (CMakeLists.txt, ZX_LAYERS); product words "
              "are named through %s" % (len(findings), PRODUCT_WORDS_HEADER))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
