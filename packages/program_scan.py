"""What the set-up program asks of a package, read from the program's sources.

    program_scan.py [SRC_DIR]      prints the text keys and skin pictures found

The scan reads src/ as text (no compiler) and finds:
- every text lookup (Text, TextParam, UninstallText, GetText, GetTextParam)
  with the section and key it asks for: string literals, named constants,
  CaptionKey(...) of the screen that calls it, functions that return key
  literals, and the message numbers of ShowErrorBox;
- every caption the text appliers look up: for a screen that calls
  ApplyLabelTexts (ApplyCheckBoxTexts, ...), "<form>-><control>->Caption" for
  each control of that class the screen creates;
- every skin picture asked for with SkinFile, SkinPushButton or
  ResolveSkinFile.

A lookup whose key the scan cannot work out is reported as unresolved, so a
new kind of lookup is noticed (and then taught to the scan or to the table of
computed lookups below) instead of silently escaping the package check.
"""

import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_SOURCE = os.path.normpath(os.path.join(HERE, "..", "src"))

WIZARD_SECTION = "InstallWizard"

# Folders that hold the lookup machinery itself (their calls pass keys on)
# and the platform layer, which looks up no package texts.
SKIPPED_FOLDERS = ("platform", "text")

# Wrappers: the section each one reads, or None when the section is the
# first argument.
LOOKUP_CALLS = {"Text": WIZARD_SECTION, "TextParam": WIZARD_SECTION, "UninstallText": "UNINSTALL",
                "GetText": None, "GetTextParam": None}
PICTURE_CALLS = {"SkinFile": 0, "SkinPushButton": 1, "ResolveSkinFile": 2}
APPLIERS = {"ApplyLabelTexts": "Label", "ApplyCheckBoxTexts": "CheckBox",
            "ApplyRadioButtonTexts": "RadioButton", "ApplyButtonTexts": "Button"}

# Keys built at run time, by the exact expression the program passes:
# expression -> (function whose integer arguments are the numbers, key format).
NUMBERED_KEYS = {'u"MSG_" + digits': ("ShowErrorBox", "MSG_%03d")}
# Pictures built at run time: the package check derives them from the
# package's own settings.
COMPUTED_PICTURES = {'u"Series\\\\" + SeriesCode(i) + u".bmp"':
                     "series pictures: Series\\<code>.bmp for each code of Settings.ini [Series] Code"}

# Keys the program looks up but never shows: the text is replaced right after.
NOT_NEEDED = {(WIZARD_SECTION, "FPrepare->lb_Title->Caption"):
              "the controller's title line shows the form caption, set right after the texts"}
# Pictures asked for only by one product (%REG_FODLER_PROGNAME).
PRODUCT_PICTURES = {"Vizo.png": "ZorvexTonalix"}

_IDENT = r"[A-Za-z_]\w*"
_PARAMETER = re.compile(r"^(?:const\s+)?[\w:<>]+\s*[&*]?\s+" + _IDENT + r"$")


class Scan:
    def __init__(self):
        self.keys = set()          # (section, key)
        self.pictures = set()      # file names such as "Next.bmp"
        self.button_pictures = set()  # the four-frame strips of push buttons
        self.computed_pictures = set()
        self.unresolved = []       # "file:line: what"

    def report(self, relative, text, at, what):
        self.unresolved.append("%s:%d: %s" % (relative, text.count("\n", 0, at) + 1, what))


def strip_comments(text):
    """The source with comments blanked (string literals kept, newlines kept)."""
    out = []
    i = 0
    n = len(text)
    while i < n:
        c = text[i]
        if c == '"' or (c == "'" and not (i > 0 and (text[i - 1].isalnum()))):
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            out.append(text[i:j + 1])
            i = j + 1
        elif text.startswith("//", i):
            j = text.find("\n", i)
            i = n if j < 0 else j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append("\n" * text.count("\n", i, j))
            i = j
        else:
            out.append(c)
            i += 1
    return "".join(out)


def unescape(literal):
    return re.sub(r"\\(.)", r"\1", literal)


def call_arguments(text, open_paren):
    """Top-level arguments of the call whose "(" is at open_paren, and the
    position after its ")"."""
    depth = 0
    args = []
    start = open_paren + 1
    i = open_paren
    while i < len(text):
        c = text[i]
        if c == '"':
            j = i + 1
            while j < len(text) and text[j] != '"':
                j += 2 if text[j] == "\\" else 1
            i = j
        elif c in "([{":
            depth += 1
        elif c in ")]}":
            depth -= 1
            if depth == 0:
                args.append(text[start:i].strip())
                return [a for a in args if a], i + 1
        elif c == "," and depth == 1:
            args.append(text[start:i].strip())
            start = i + 1
        i += 1
    return [], len(text)


def literal_value(expression):
    m = re.fullmatch(r'u"((?:[^"\\]|\\.)*)"', expression.strip())
    return unescape(m.group(1)) if m else None


def read_sources(source):
    files = {}
    for root, dirs, names in os.walk(source):
        relative_root = os.path.relpath(root, source)
        if relative_root.split(os.sep)[0] in SKIPPED_FOLDERS:
            dirs[:] = []
            continue
        dirs.sort()
        for name in sorted(names):
            if name.endswith((".cpp", ".h")):
                path = os.path.join(root, name)
                with open(path, encoding="utf-8") as f:
                    files[os.path.relpath(path, source).replace(os.sep, "/")] = strip_comments(f.read())
    return files


def string_constants(files):
    """kName -> value for every char16_t constant, and kName -> [values] for
    arrays of them."""
    single, arrays = {}, {}
    for text in files.values():
        for m in re.finditer(r'\bchar16_t\s+(k\w+)\[\]\s*=\s*u"((?:[^"\\]|\\.)*)"', text):
            single[m.group(1)] = unescape(m.group(2))
        for m in re.finditer(r'\bchar16_t\s*\*\s*(k\w+)\[\]\s*=\s*\{([^}]*)\}', text):
            arrays[m.group(1)] = [unescape(v) for v in re.findall(r'u"((?:[^"\\]|\\.)*)"', m.group(2))]
    return single, arrays


def returned_literals(files):
    """Functions returning String whose every return is a literal choice:
    name -> the literals (e.g. a function choosing between two message keys)."""
    found = {}
    for text in files.values():
        for m in re.finditer(r"\bString\s+(" + _IDENT + r")\s*\([^;{)]*\)\s*(?:const\s*)?\{", text):
            body_end = match_brace(text, m.end() - 1)
            body = text[m.end():body_end]
            returns = re.findall(r"\breturn\s+([^;]*);", body)
            if returns and all(re.fullmatch(r'(?:[^"?]*\?\s*)?(u"[^"]*")(?:\s*:\s*u"[^"]*")?', r.strip())
                               for r in returns):
                found[m.group(1)] = sorted({unescape(v) for r in returns for v in re.findall(r'u"([^"]*)"', r)})
    return found


def match_brace(text, open_brace):
    depth = 0
    for i in range(open_brace, len(text)):
        if text[i] == "{":
            depth += 1
        elif text[i] == "}":
            depth -= 1
            if depth == 0:
                return i
    return len(text)


def integer_calls(files, function):
    numbers = set()
    for text in files.values():
        numbers.update(int(n) for n in re.findall(r"\b" + function + r"\(\s*(\d+)\s*\)", text))
    return numbers


def is_parameter_of_enclosing_function(text, at, name):
    """Whether name is a parameter of a function header shortly before at
    (a wrapper passing its caller's key on)."""
    window = text[max(0, at - 800):at]
    return re.search(r"(?:String|StringView)\s*&?\s*" + re.escape(name) + r"\s*[,)]", window) is not None


def scan(source=DEFAULT_SOURCE):
    files = read_sources(source)
    constants, arrays = string_constants(files)
    functions = returned_literals(files)
    result = Scan()
    section_field = None
    for text in files.values():
        m = re.search(r"\btextSection\s*=\s*(k\w+)\s*;", text)
        if m:
            section_field = constants.get(m.group(1))

    def resolve_section(expression):
        if re.fullmatch(r"(?:\w+(?:->|\.))?textSection", expression):
            return section_field
        if expression in constants:
            return constants[expression]
        return literal_value(expression)

    for relative, text in sorted(files.items()):
        form = re.search(r'\(\s*owner\s*,\s*u"T\w+"\s*,\s*u"(F\w+)"\s*\)', text)
        form = form.group(1) if form else None

        def caption_key(argument, at):
            inner = argument.strip()
            value = literal_value(inner)
            if value is not None and form:
                return [form + "->" + value + "->Caption"]
            loop = loop_controls(text, at, inner)
            if loop is not None and form:
                return [form + "->" + c + "->Caption" for c in loop]
            return None

        def resolve_keys(expression, at):
            expression = expression.strip()
            value = literal_value(expression)
            if value is not None:
                return [value]
            if expression in constants:
                return [constants[expression]]
            m = re.fullmatch(r"CaptionKey\((.*)\)", expression, re.S)
            if m:
                return caption_key(m.group(1), at)
            m = re.fullmatch(r"(" + _IDENT + r")\(.*\)", expression, re.S)
            if m and m.group(1) in functions:
                return functions[m.group(1)]
            numbered = NUMBERED_KEYS.get(" ".join(expression.split()))
            if numbered:
                return [numbered[1] % n for n in sorted(integer_calls(files, numbered[0]))]
            return None

        for m in re.finditer(r"(::)?\b(" + "|".join(LOOKUP_CALLS) + r")\s*\(", text):
            args, _ = call_arguments(text, m.end() - 1)
            if m.group(1) or not args or any(_PARAMETER.match(a) for a in args):
                continue  # a definition or declaration
            section = LOOKUP_CALLS[m.group(2)]
            key_arg = args[0] if section else (args[1] if len(args) > 1 else "")
            if section is None:
                section = resolve_section(args[0])
                if section is None:
                    result.report(relative, text, m.start(), "section %s of %s" % (args[0], m.group(2)))
                    continue
            if re.fullmatch(_IDENT, key_arg) and is_parameter_of_enclosing_function(text, m.start(), key_arg):
                continue  # a wrapper; its callers are scanned
            keys = resolve_keys(key_arg, m.start())
            if keys is None:
                result.report(relative, text, m.start(), "key %s of %s" % (key_arg, m.group(2)))
                continue
            result.keys.update((section, k) for k in keys)

        for applier, kind in APPLIERS.items():
            if not re.search(r"\b" + applier + r"\s*\(", text):
                continue
            if not form:
                result.report(relative, text, text.find(applier), "%s outside a screen" % applier)
                continue
            for control, at in created_controls(text, kind, arrays):
                if control is None:
                    result.report(relative, text, at, "%s created under a computed name" % kind)
                else:
                    result.keys.add((WIZARD_SECTION, form + "->" + control + "->Caption"))

        for call, index in PICTURE_CALLS.items():
            for m in re.finditer(r"(::)?\b" + call + r"\s*\(", text):
                args, _ = call_arguments(text, m.end() - 1)
                if m.group(1) or len(args) <= index or any(_PARAMETER.match(a) for a in args):
                    continue
                argument = args[index]
                value = literal_value(argument)
                normalised = " ".join(argument.split())
                if value is not None:
                    result.pictures.add(value)
                    if call == "SkinPushButton":
                        result.button_pictures.add(value)
                elif normalised in COMPUTED_PICTURES:
                    result.computed_pictures.add(COMPUTED_PICTURES[normalised])
                elif re.fullmatch(r"(?:String\()?(" + _IDENT + r")\)?", argument) and \
                        is_parameter_of_enclosing_function(text, m.start(), re.sub(r"String\((.*)\)", r"\1", argument)):
                    continue  # passes its caller's picture on
                else:
                    result.report(relative, text, m.start(), "picture %s of %s" % (argument, call))
    return result


def loop_controls(text, at, argument):
    """For CaptionKey(c->Name()) inside a loop over an initializer list of
    controls: the controls' names (their variables carry the names)."""
    m = re.fullmatch(r"(" + _IDENT + r")->Name\(\)", argument)
    if not m:
        return None
    loop = None
    for loop in re.finditer(r"for\s*\([\w:<>*&\s]*?\b" + m.group(1) + r"\s*:(?!:)\s*[^{;]*\{([^}]*)\}\s*\)", text[:at]):
        pass
    if loop is None or at - loop.end() > 200:
        return None
    return [name.strip() for name in loop.group(1).split(",") if name.strip()]


def created_controls(text, kind, arrays):
    """(name, position) of every control of one class the screen creates;
    name None when it is computed."""
    found = []
    makers = [r"\bCreate<win::" + kind + r">\s*\("]
    if kind == "Label":
        makers.append(r"\bMakeLabel\s*\(")
    if kind == "Button":
        makers.append(r"\bMakeButton\s*\(")
    for maker in makers:
        for m in re.finditer(maker, text):
            args, _ = call_arguments(text, m.end() - 1)
            if not args:
                continue
            value = literal_value(args[0])
            element = re.fullmatch(r"(k\w+)\[\w+\]", args[0])
            if value is not None:
                found.append((value, m.start()))
            elif element and element.group(1) in arrays:
                found.extend((name, m.start()) for name in arrays[element.group(1)])
            else:
                found.append((None, m.start()))
    return found


def main(argv=None):
    argv = sys.argv[1:] if argv is None else argv
    result = scan(argv[0] if argv else DEFAULT_SOURCE)
    for section, key in sorted(result.keys):
        print("key [%s] %s" % (section, key))
    for name in sorted(result.pictures):
        print("picture %s" % name)
    for text in sorted(result.computed_pictures):
        print("computed %s" % text)
    for text in result.unresolved:
        print("unresolved %s" % text)
    return 1 if result.unresolved else 0


if __name__ == "__main__":
    sys.exit(main())
