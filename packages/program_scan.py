"""What the set-up program asks of a package, read from the program's table.

    program_scan.py [SRC_DIR]      prints the text keys and skin pictures

The program looks up every text key and skin picture by a name declared in
src/text/text_keys.def, one entry a line; a test of the program fails when it
looks up anything the table lacks or the table holds anything nothing looks
up. This reader takes the table line by line, exactly: a line of a shape it
does not know is an error, never skipped, so a new kind of entry is taught
here before a package check relies on it.
"""

import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_SOURCE = os.path.normpath(os.path.join(HERE, "..", "src"))
TABLE = os.path.join("text", "text_keys.def")

# The wizard's section as the language files name it.
WIZARD_SECTION = "InstallWizard"
# The table's name of the wizard's section: messages and captions live there.
WIZARD_SECTION_NAME = "kTextSection"


class TableError(Exception):
    """A line of the table that is not one of its shapes, or that contradicts
    another line."""


class Scan:
    def __init__(self):
        self.keys = set()              # (section, key)
        self.pictures = set()          # file names such as "Next.bmp"
        self.button_pictures = set()   # the four-frame strips of push buttons
        self.computed_pictures = set() # what a package holds for a set of pictures
        # Keys the program looks up but never shows: key -> why.
        self.not_needed = {}
        # Pictures only one product's packages show: file -> product.
        self.product_pictures = {}


_NAME = r"([A-Za-z_]\w*)"
_STRING = r'"((?:[^"\\]|\\.)*)"'
_DIGITS = r"(\d{3})"
_SEP = r"\s*,\s*"


def _shape(macro, *fields):
    return re.compile(r"%s\(\s*%s\s*\)" % (macro, _SEP.join(fields)))


SHAPES = [
    ("section", _shape("ZX_SECTION", _NAME, _STRING)),
    ("text", _shape("ZX_TEXT", _NAME, _NAME, _STRING)),
    ("message", _shape("ZX_MESSAGE", _NAME, _DIGITS)),
    ("form_caption", _shape("ZX_FORM_CAPTION", _NAME)),
    ("caption", _shape("ZX_CAPTION", _NAME, _NAME)),
    ("caption_not_shown", _shape("ZX_CAPTION_NOT_SHOWN", _NAME, _NAME, _STRING)),
    ("picture", _shape("ZX_PICTURE", _NAME, _STRING)),
    ("button_picture", _shape("ZX_BUTTON_PICTURE", _NAME, _STRING)),
    ("product_picture", _shape("ZX_PRODUCT_PICTURE", _NAME, _STRING, _NAME)),
    ("picture_set", _shape("ZX_PICTURE_SET", _NAME, _STRING, _STRING, _STRING)),
]


def unescape(literal):
    return re.sub(r"\\(.)", r"\1", literal)


PRODUCT_WORDS = os.path.join("app", "product_words.h")
_PRODUCT_WORD = re.compile(r'^inline constexpr char16_t %s\[\] = u%s;' % (_NAME, _STRING), re.M)


def read_product_words(text):
    """The product words header's plain names: constant -> word."""
    return {name: unescape(word) for name, word in _PRODUCT_WORD.findall(text)}


def read_table(text, where="text_keys.def", product_words=None):
    """The entries of the table's text, as a Scan. A product picture names its
    product by a constant of product_words (constant -> word). Raises
    TableError."""
    product_words = product_words or {}
    result = Scan()
    sections = {}
    names = set()

    def fail(number, what):
        raise TableError("%s:%d: %s" % (where, number, what))

    for number, raw in enumerate(text.splitlines(), 1):
        line = raw.strip()
        if not line or line.startswith("//"):
            continue
        for kind, shape in SHAPES:
            m = shape.fullmatch(line)
            if m:
                break
        else:
            fail(number, "not an entry of a known shape: %s" % line)
        fields = m.groups()
        if kind in ("section", "text", "message", "picture", "button_picture", "product_picture",
                    "picture_set"):
            name = fields[1] if kind == "text" else fields[0]
            if name in names:
                fail(number, "%s is declared twice" % name)
            names.add(name)

        def add_key(section_name, key):
            section = sections.get(section_name)
            if section is None:
                fail(number, "%s is no section declared above" % section_name)
            if (section, key) in result.keys:
                fail(number, "[%s] %s is listed twice" % (section, key))
            result.keys.add((section, key))
            return section, key

        def add_picture(file_name):
            if file_name in result.pictures:
                fail(number, "picture %s is listed twice" % file_name)
            result.pictures.add(file_name)

        if kind == "section":
            sections[fields[0]] = unescape(fields[1])
        elif kind == "text":
            add_key(fields[0], unescape(fields[2]))
        elif kind == "message":
            add_key(WIZARD_SECTION_NAME, "MSG_" + fields[1])
        elif kind == "form_caption":
            add_key(WIZARD_SECTION_NAME, fields[0] + "->Caption")
        elif kind == "caption":
            add_key(WIZARD_SECTION_NAME, "%s->%s->Caption" % fields)
        elif kind == "caption_not_shown":
            entry = add_key(WIZARD_SECTION_NAME, "%s->%s->Caption" % fields[:2])
            result.not_needed[entry] = unescape(fields[2])
        elif kind == "picture":
            add_picture(unescape(fields[1]))
        elif kind == "button_picture":
            add_picture(unescape(fields[1]))
            result.button_pictures.add(unescape(fields[1]))
        elif kind == "product_picture":
            add_picture(unescape(fields[1]))
            if fields[2] not in product_words:
                fail(number, "%s is no product word of %s" % (fields[2], PRODUCT_WORDS))
            result.product_pictures[unescape(fields[1])] = product_words[fields[2]]
        elif kind == "picture_set":
            result.computed_pictures.add(unescape(fields[3]))
    return result


def scan(source=DEFAULT_SOURCE):
    """What the program in source (its src/ folder) asks of a package."""
    path = os.path.join(source, TABLE)
    with open(os.path.join(source, PRODUCT_WORDS), encoding="utf-8") as f:
        product_words = read_product_words(f.read())
    with open(path, encoding="utf-8") as f:
        return read_table(f.read(), path, product_words)


def main(argv=None):
    argv = sys.argv[1:] if argv is None else argv
    try:
        result = scan(argv[0] if argv else DEFAULT_SOURCE)
    except (OSError, TableError) as error:
        print("program_scan: %s" % error, file=sys.stderr)
        return 1
    for section, key in sorted(result.keys):
        print("key [%s] %s" % (section, key))
    for name in sorted(result.pictures):
        print("picture %s" % name)
    for text in sorted(result.computed_pictures):
        print("computed %s" % text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
