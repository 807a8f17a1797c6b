#!/usr/bin/env python3
"""Checks a Zorvex set-up package the way the set-up program will read it.

    check_package.py PACKAGE_DIR [--keys required_keys.txt] [--source SRC_DIR]
                     [--key-colour ff00ff] [--winsim PATH] [--preview-out DIR]
                     [--no-preview]

Reports every problem on its own line and exits with 1 when there is one.
It reads the files with its own small readers (ini grammars, BMP, PNG), so it
does not share a fault with the tools that wrote them.

The text keys every language file must hold are those of required_keys.txt
and, when the program's sources are at hand (src/ beside this folder, or
--source), every key of the program's table of the keys and pictures it
looks up (src/text/text_keys.def); the skin pictures likewise.

Then it looks at the screens themselves: `winsim preview` draws every screen
in every language with the set-up program's own code, and every mark it makes
(a caption that does not fit, a missing text, a control off the window's
outline) is a problem too. winsim is --winsim, else $ZX_WINSIM, else the host
build's (build/host/tools/winsim beside this folder), else the one on PATH.
"""

import argparse
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import program_scan  # noqa: E402

SKIN_PICTURES = ["Background", "Banner", "Logo", "Title", "Next", "Cancel", "Previous", "OK",
                 "Finish", "Print", "Check", "Radio", "PrepareDialog", "ExclamationMark"]
STRIPS = ["Next", "Cancel", "Previous", "OK", "Finish", "Print", "Check", "Radio"]
SHAPED = ["Background", "PrepareDialog"]
# The finish screen takes its button picture when it first shows, in the
# language picked on the welcome screen, while it keeps the layout of the
# language the wizard started in; any offered language may be either.
SWITCHED_BUTTONS = [("FFinish", "bt_Finish", "Finish")]
BUTTON_STRIPS = {"bt_Next": "Next", "bt_Install": "Next", "bt_Cancel": "Cancel",
                 "bt_Previous": "Previous", "bt_OK": "OK", "bt_Finish": "Finish",
                 "bt_PrintEULA": "Print"}
LANGUAGE_NAMES = ["ChineseT", "ChineseS", "Russian", "Turkish", "Italian", "Spanish", "Portuguese",
                  "French", "Dutch", "German", "Japanese", "Korean", "Polish", "Indonesian", "Czech",
                  "Romanian", "Malay", "Swedish", "Vietnamese", "Norwegian", "Finnish", "Hungarian",
                  "Bulgarian", "Greek", "Croatian", "Danish", "Persian", "Arabic", "Estonian",
                  "Azerbaijan", "Macedonian", "Thai", "Slovak", "English"]
EULA_CODES = {"ChineseT": "tw", "ChineseS": "cn", "English": "en", "Dutch": "nl", "German": "de",
              "Spanish": "es", "French": "fr", "Italian": "it", "Japanese": "jp", "Korean": "kr",
              "Polish": "pl", "Portuguese": "pt", "Turkish": "tr", "Russian": "ru",
              "Indonesian": "id", "Czech": "cs", "Romanian": "ro", "Malay": "ms", "Swedish": "sv",
              "Vietnamese": "vi", "Norwegian": "no", "Finnish": "fi", "Hungarian": "hu",
              "Bulgarian": "bg", "Greek": "el", "Croatian": "hr", "Danish": "da", "Persian": "fa",
              "Arabic": "ar", "Estonian": "et", "Azerbaijan": "az", "Macedonian": "mk", "Thai": "th",
              "Slovak": "sk"}


# --- text decoding and the two ini grammars --------------------------------

def decode(data, bom_required=False):
    """Text by byte-order mark; without one, Windows-1252 (or an error)."""
    if data.startswith(b"\xef\xbb\xbf"):
        return data[3:].decode("utf-8")
    if data.startswith(b"\xff\xfe"):
        return data[2:].decode("utf-16-le")
    if data.startswith(b"\xfe\xff"):
        return data[2:].decode("utf-16-be")
    if bom_required:
        raise ValueError("no byte-order mark")
    return data.decode("cp1252")


def split_lines(text):
    return text.replace("\r\n", "\n").replace("\r", "\n").split("\n")


def read_settings(data):
    """Settings grammar: trimmed lines, ';' comments, first occurrence wins.
    Returns {section_lower: (name, {key_lower: value}, [raw lines])}."""
    sections = {}
    current = None
    for raw in split_lines(decode(data)):
        line = raw.strip()
        if not line or line.startswith(";"):
            continue
        if line.startswith("[") and line.endswith("]"):
            name = line[1:-1].strip()
            current = sections.setdefault(name.lower(), (name, {}, []))
            continue
        if current is None:
            continue
        current[2].append(line)
        if "=" in line:
            key, value = line.split("=", 1)
            current[1].setdefault(key.strip().lower(), value.strip())
    return sections


def settings_value(sections, section, key, default=""):
    entry = sections.get(section.lower())
    if entry is None:
        return default
    return entry[1].get(key.lower(), default)


def read_language_file(data):
    """Language-file grammar: headers at column 0 with brackets removed,
    fields cut at every '=', later entries win. {section: {key_lower: value}}."""
    store = {}
    section = ""
    for line in split_lines(decode(data, bom_required=True)):
        if line.startswith("["):
            section = line.replace("[", "").replace("]", "")
            store.setdefault(section, {})
            continue
        fields = cut_fields(line, "=")
        key = fields[0].strip()
        value = fields[1].strip() if len(fields) > 1 else ""
        if not key and not value:
            continue
        if value == "" and key:
            key = key.replace("=", "")
        store.setdefault(section, {})[key.lower()] = value.replace("@RETURN@", "\r\n")
    return store


def cut_fields(line, delimiter):
    """Fields cut at each delimiter; the line's last character always belongs
    to the field being built ("key=" is one field "key=")."""
    fields = [""]
    for index, ch in enumerate(line):
        if ch == delimiter and index != len(line) - 1:
            fields.append("")
        else:
            fields[-1] += ch
    return fields


def read_required_keys(path):
    required = []
    section = None
    with open(path, encoding="utf-8") as f:
        for raw in f:
            line = raw.strip()
            if not line or line.startswith("#"):
                continue
            if line.startswith("[") and line.endswith("]"):
                section = line[1:-1]
            elif section is not None:
                required.append((section, line))
    return required


# --- pictures ------------------------------------------------------------------

class Picture:
    """Decoded rows of 8-bit samples; pixel() gives (r, g, b)."""

    def __init__(self, width, height, rows, step, order=(0, 1, 2), palette=None):
        self.width = width
        self.height = height
        self.rows = rows          # one bytes-like object per row, top row first
        self.step = step
        self.order = order
        self.palette = palette

    def pixel(self, x, y):
        row = self.rows[y]
        if self.palette is not None:
            return self.palette[row[x]]
        at = x * self.step
        return tuple(row[at + i] for i in self.order)


def read_bmp(data):
    if data[:2] != b"BM" or len(data) < 54:
        raise ValueError("not a BMP file")
    offset, = struct.unpack_from("<I", data, 10)
    header_size, width, height, planes, bits, compression = struct.unpack_from("<IiiHHI", data, 14)
    if bits not in (24, 32) or compression not in (0, 3):
        raise ValueError("BMP with %d bits per pixel (compression %d) is not supported" % (bits, compression))
    bottom_up = height > 0
    height = abs(height)
    step = bits // 8
    stride = (width * step + 3) // 4 * 4
    if width <= 0 or offset + stride * height > len(data):
        raise ValueError("truncated BMP")
    rows = [data[offset + stride * y:offset + stride * y + width * step] for y in range(height)]
    if bottom_up:
        rows.reverse()
    return Picture(width, height, rows, step, order=(2, 1, 0))


def read_png(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    pos = 8
    idat = b""
    palette = None
    width = height = colour_type = None
    while pos + 8 <= len(data):
        length, kind = struct.unpack_from(">I4s", data, pos)
        body = data[pos + 8:pos + 8 + length]
        if len(body) != length:
            raise ValueError("truncated PNG")
        crc, = struct.unpack_from(">I", data, pos + 8 + length)
        if zlib.crc32(kind + body) & 0xFFFFFFFF != crc:
            raise ValueError("PNG chunk %s has a bad CRC" % kind.decode("latin-1"))
        if kind == b"IHDR":
            width, height, depth, colour_type, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if depth != 8 or interlace != 0 or colour_type not in (2, 3, 6):
                raise ValueError("PNG form (depth %d, colour type %d, interlace %d) not supported"
                                 % (depth, colour_type, interlace))
        elif kind == b"PLTE":
            palette = [tuple(body[i:i + 3]) for i in range(0, len(body), 3)]
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
        pos += 12 + length
    if width is None:
        raise ValueError("PNG without a header")
    channels = {2: 3, 3: 1, 6: 4}[colour_type]
    raw = zlib.decompress(idat)
    stride = width * channels
    rows = []
    previous = bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind = raw[start]
        line = bytearray(raw[start + 1:start + 1 + stride])
        if len(line) != stride:
            raise ValueError("truncated PNG image data")
        _unfilter(kind, line, previous, channels)
        rows.append(line)
        previous = line
    return Picture(width, height, rows, channels, palette=palette if colour_type == 3 else None)


def _unfilter(kind, line, previous, bpp):
    if kind == 0:
        return
    for i in range(len(line)):
        left = line[i - bpp] if i >= bpp else 0
        up = previous[i]
        if kind == 1:
            line[i] = (line[i] + left) & 0xFF
        elif kind == 2:
            line[i] = (line[i] + up) & 0xFF
        elif kind == 3:
            line[i] = (line[i] + (left + up) // 2) & 0xFF
        elif kind == 4:
            corner = previous[i - bpp] if i >= bpp else 0
            p = left + up - corner
            pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
            pred = left if pa <= pb and pa <= pc else (up if pb <= pc else corner)
            line[i] = (line[i] + pred) & 0xFF
        else:
            raise ValueError("bad PNG filter %d" % kind)


def read_picture(path):
    with open(path, "rb") as f:
        data = f.read()
    if path.lower().endswith(".png"):
        return read_png(data)
    return read_bmp(data)


def resolve_skin(package, language, name):
    """The picture the program would use: PNG preferred, English as fallback."""
    for folder in (language, "English"):
        for ext in (".png", ".bmp"):
            path = os.path.join(package, folder, name + ext)
            if os.path.isfile(path):
                return path
    return None


# --- the check -------------------------------------------------------------

class Checker:
    def __init__(self, package, required_keys, key_colour, scan=None):
        """scan: what the program asks for (program_scan.scan), or
        None to go by required_keys and the known picture names alone."""
        self.package = package
        self.required_keys = list(required_keys)
        self.scan = scan
        if scan is not None:
            listed = set(self.required_keys)
            self.required_keys += sorted(k for k in scan.keys - scan.not_needed.keys() if k not in listed)
        self.key = key_colour
        self.problems = []
        self.pictures = {}

    def problem(self, text):
        self.problems.append(text)

    def path(self, *parts):
        return os.path.join(self.package, *parts)

    def read(self, *parts):
        with open(self.path(*parts), "rb") as f:
            return f.read()

    def picture(self, path):
        if path not in self.pictures:
            try:
                self.pictures[path] = read_picture(path)
            except (ValueError, OSError, zlib.error) as error:
                self.problem("%s: %s" % (os.path.relpath(path, self.package), error))
                self.pictures[path] = None
        return self.pictures[path]

    def run(self):
        if not os.path.isfile(self.path("Setup.exe")):
            self.problem("missing Setup.exe")
        for name in ("Setup.ini", "Settings.ini", "UI.txt"):
            if not os.path.isfile(self.path(name)):
                self.problem("missing %s" % name)
                return self.problems
        self.setup = read_settings(self.read("Setup.ini"))
        self.settings = read_settings(self.read("Settings.ini"))
        self.layout = read_settings(self.read("UI.txt"))
        self.languages = self.check_languages()
        self.check_setup_values()
        self.check_language_files()
        self.check_skins()
        self.check_layout()
        self.check_switched_buttons()
        self.check_licences()
        self.check_payload()
        self.check_program_kinds()
        return self.problems

    def check_setup_values(self):
        folder = settings_value(self.setup, "Setup", "%PROGRAM_FILES")
        if not folder or any(bad in folder for bad in ("\\", "/", ":", "..")):
            self.problem("Setup.ini: %%PROGRAM_FILES %r must be one plain folder name" % folder)
        version = settings_value(self.setup, "Setup", "%PROGRAM_VERSION")
        parts = version.split(".")
        if len(parts) != 3 or [len(p) for p in parts] != [2, 2, 4] or not all(p.isdigit() for p in parts):
            self.problem("Setup.ini: %%PROGRAM_VERSION %r is not yy.mm.nnnn" % version)
        for key in ("%PROGRAM_EXEC", "%UPDATE_TYPE", "%REG_FODLER_PROGNAME", "%PUBLISHER"):
            if not settings_value(self.setup, "Setup", key):
                self.problem("Setup.ini: %s is empty" % key)

    def check_languages(self):
        entry = self.settings.get("languages")
        names = [line.split("=", 1)[0].strip() for line in (entry[2] if entry else []) if "=" in line]
        if "English" not in names:
            self.problem("Settings.ini: [Languages] does not offer English")
        for name in names:
            if name not in LANGUAGE_NAMES:
                self.problem("Settings.ini: %r is not a language name the program knows" % name)
        root = self.path("Texts", "LanguageIni")
        folders = sorted(os.listdir(root)) if os.path.isdir(root) else []
        if sorted(names) != folders:
            self.problem("Settings.ini: [Languages] %s differs from Texts\\LanguageIni %s"
                         % (sorted(names), folders))
        return names

    def check_language_files(self):
        for language in self.languages:
            relative = os.path.join("Texts", "LanguageIni", language, "Install_%s.ini" % language)
            try:
                store = read_language_file(self.read(relative))
            except (OSError, ValueError) as error:
                self.problem("%s: %s" % (relative, error))
                continue
            for section, key in self.required_keys:
                value = store.get(section, {}).get(key.lower())
                if value is None or value == "@@":
                    self.problem("%s: no [%s] %s" % (relative, section, key))
                elif value == "":
                    self.problem("%s: [%s] %s is empty" % (relative, section, key))

    def check_skins(self):
        series = [code.strip() for code in settings_value(self.settings, "Series", "Code").split(",")]
        names = list(SKIN_PICTURES)
        product = settings_value(self.setup, "Setup", "%REG_FODLER_PROGNAME")
        for asked in sorted(self.scan.pictures if self.scan else []):
            only_for = self.scan.product_pictures.get(asked)
            base = os.path.splitext(asked)[0]
            if (only_for is None or only_for == product) and base not in names:
                names.append(base)
        names += [os.path.join("Series", code) for code in series if code]
        for name in names:
            path = resolve_skin(self.package, "English", name)
            if path is None or not os.path.dirname(path).startswith(self.path("English")):
                self.problem("English\\%s: no .png or .bmp" % name.replace(os.sep, "\\"))
        for language in self.languages:
            for name in names:
                for ext in (".png", ".bmp"):
                    path = self.path(language, name + ext)
                    if os.path.isfile(path):
                        self.check_picture(path, name)

    def check_picture(self, path, name):
        picture = self.picture(path)
        if picture is None:
            return
        relative = os.path.relpath(path, self.package)
        strips = STRIPS + [os.path.splitext(n)[0] for n in (self.scan.button_pictures if self.scan else [])]
        if name in strips and picture.width % 4 != 0:
            self.problem("%s: strip width %d is not a multiple of 4" % (relative, picture.width))
        if name in SHAPED:
            if picture.pixel(0, 0) != self.key:
                self.problem("%s: top-left pixel %s is not the key colour %s"
                             % (relative, picture.pixel(0, 0), self.key))
            if picture.pixel(picture.width // 2, picture.height // 2) == self.key:
                self.problem("%s: the centre is the key colour (nothing would show)" % relative)

    def check_layout(self):
        layout = self.layout
        background = self.picture(resolve_skin(self.package, "English", "Background") or "")
        if background is None:
            return
        for section, _, lines in layout.values():
            for line in lines:
                key, _, value = (part.strip() for part in line.partition("="))
                if not key.lower().endswith("->position"):
                    continue
                rect = parse_rect(value)
                label = "UI.txt [%s] %s" % (section, key)
                if rect is None:
                    self.problem("%s: %r is not a rectangle" % (label, value))
                    continue
                left, top, right, bottom = rect
                if left < 0 or top < 0 or right > background.width or bottom > background.height:
                    self.problem("%s: %s lies outside the %dx%d background"
                                 % (label, rect, background.width, background.height))
                    continue
                corners = [(left, top), (right - 1, top), (left, bottom - 1), (right - 1, bottom - 1)]
                if any(background.pixel(x, y) == self.key for x, y in corners):
                    self.problem("%s: %s reaches outside the panel" % (label, rect))
                control = key.split("->")[-2]
                strip = next((s for b, s in BUTTON_STRIPS.items() if b.lower() == control.lower()), None)
                if strip:
                    self.check_button_size(section, label, rect, strip)

    def layout_value(self, language, key):
        """A layout value as the program reads it: the language's section,
        then [English] when missing or empty."""
        for section in (language, "English"):
            value = settings_value(self.layout, section, key)
            if value:
                return value
        return ""

    def check_switched_buttons(self):
        for form, control, strip in SWITCHED_BUTTONS:
            frames = {}
            for language in self.languages:
                path = resolve_skin(self.package, language, strip)
                picture = self.picture(path) if path else None
                if picture is not None:
                    frames[language] = (picture.width // 4, picture.height)
            for start in self.languages:
                value = (self.layout_value(start, "%s->%s->Position" % (form, control))
                         or self.layout_value(start, "%s->Position" % control))
                rect = parse_rect(value) if value else None
                if rect is None:
                    continue
                size = (rect[2] - rect[0], rect[3] - rect[1])
                misfits = ["%s %dx%d" % (picked, frame[0], frame[1])
                           for picked, frame in frames.items() if picked != start and frame != size]
                if misfits:
                    self.problem("UI.txt %s->%s: laid out %dx%d for %s, but after a switch on the welcome "
                                 "screen the %s frame is %s" % (form, control, size[0], size[1], start, strip,
                                                                ", ".join(misfits)))

    def check_button_size(self, section, label, rect, strip):
        path = resolve_skin(self.package, section, strip)
        picture = self.picture(path) if path else None
        if picture is None:
            return
        size = (picture.width // 4, picture.height)
        if (rect[2] - rect[0], rect[3] - rect[1]) != size:
            self.problem("%s: %dx%d differs from the %s frame %dx%d"
                         % (label, rect[2] - rect[0], rect[3] - rect[1], strip, size[0], size[1]))

    def check_licences(self):
        for language in self.languages:
            code = EULA_CODES.get(language, "en")
            relative = os.path.join("EULA", code, "Service.rtf")
            try:
                data = self.read(relative)
            except OSError:
                self.problem("missing %s" % relative)
                continue
            if not data.startswith(b"{\\rtf") or data.count(b"{") != data.count(b"}"):
                self.problem("%s: not a complete RTF document" % relative)
            if any(byte > 127 for byte in data):
                self.problem("%s: non-ASCII bytes (use \\u escapes)" % relative)

    def check_payload(self):
        entries = os.listdir(self.package)
        payload = [e for e in entries if e.lower() == "program files"]
        if payload != ["program files"]:
            self.problem("the payload folder must be spelled \"program files\" (found %s)" % payload)
            return
        folder = settings_value(self.setup, "Setup", "%PROGRAM_FILES")
        program = self.path("program files", folder)
        for relative in (settings_value(self.setup, "Setup", "%PROGRAM_EXEC"), "ini/AppConfig.ini"):
            if not os.path.isfile(os.path.join(program, relative)):
                self.problem("payload: missing %s" % relative)
        updater = settings_value(self.setup, "Setup", "%UPDATE_TYPE") + "Updater.exe"
        for relative in (updater, "Updater.ini"):
            if not os.path.isfile(self.path("program files", "Updater", relative)):
                self.problem("payload: missing Updater\\%s" % relative)
        for key in ("%UNINST_ICO", "%MANUAL_ICO"):
            icon = os.path.join(program, *settings_value(self.setup, "Setup", key).split("\\"))
            if not is_icon(icon):
                self.problem("payload: %s %s is not an icon file" % (key, os.path.relpath(icon, self.package)))
        if settings_value(self.setup, "Setup", "%MANUAL_EXIST") == "1":
            manual_dir = settings_value(self.setup, "Setup", "%MANUAL_DIR")
            for language in self.languages:
                pdf = os.path.join(program, *(manual_dir + language + ".pdf").split("\\"))
                if not is_pdf(pdf):
                    self.problem("payload: %s is not a PDF file" % os.path.relpath(pdf, self.package))


    def check_program_kinds(self):
        """Every .exe of the package is made for the machine Setup.exe is
        made for: Windows programs in a Windows package, host programs in a
        package for the simulated machine."""
        setup_kind = program_kind(self.path("Setup.exe"))
        if setup_kind is None:
            return
        for root, _, names in os.walk(self.package):
            for name in sorted(names):
                if not name.lower().endswith(".exe"):
                    continue
                path = os.path.join(root, name)
                kind = program_kind(path)
                if kind != setup_kind:
                    self.problem("%s is %s, Setup.exe %s" % (os.path.relpath(path, self.package),
                                                            kind or "no program", setup_kind))


def program_kind(path):
    try:
        with open(path, "rb") as f:
            magic = f.read(4)
    except OSError:
        return None
    if magic[:2] == b"MZ":
        return "a Windows program"
    if magic == b"\x7fELF":
        return "a host (ELF) program"
    return None


def parse_rect(value):
    fields = [f.strip() for f in value.strip().lower().split(",")]
    if len(fields) < 5 or fields[0] not in ("rectp", "rectwh"):
        return None
    try:
        a, b, c, d = (int(f) for f in fields[1:5])
    except ValueError:
        return None
    if fields[0] == "rectp":
        return (a, b, c, d)
    return (a, b, a + c - 1, b + d - 1)


def is_icon(path):
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError:
        return False
    if len(data) < 6:
        return False
    reserved, kind, count = struct.unpack_from("<HHH", data)
    if reserved != 0 or kind != 1 or count == 0 or len(data) < 6 + 16 * count:
        return False
    for i in range(count):
        size, offset = struct.unpack_from("<II", data, 6 + 16 * i + 8)
        if offset + size > len(data):
            return False
    return True


def is_pdf(path):
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError:
        return False
    if not data.startswith(b"%PDF-") or not data.rstrip().endswith(b"%%EOF"):
        return False
    tail = data[data.rfind(b"startxref"):].split()
    try:
        xref = int(tail[1])
    except (IndexError, ValueError):
        return False
    return data[xref:xref + 4] == b"xref"


# --- the screens, drawn by the program ---------------------------------------

PREVIEW_MARKED = 3  # winsim preview's exit code when it marked something


def find_winsim(given=None):
    candidates = [given, os.environ.get("ZX_WINSIM"),
                  os.path.join(os.path.dirname(HERE), "build", "host", "tools", "winsim"),
                  shutil.which("winsim")]
    for candidate in candidates:
        if candidate and os.path.isfile(candidate) and os.access(candidate, os.X_OK):
            return candidate
    return None


def preview_problems(package, winsim, out=None):
    """One problem per mark of `winsim preview` (language, screen, control,
    what); the pictures and the contact sheet go to out (or are dropped)."""
    keep = out is not None
    out = out if keep else tempfile.mkdtemp(prefix="zxpreview-")
    try:
        run = subprocess.run([winsim, "preview", package, out], capture_output=True, text=True)
        if run.returncode not in (0, PREVIEW_MARKED):
            lines = (run.stderr or run.stdout).strip().splitlines()
            return ["screen preview failed: %s" % (lines[-1] if lines else "exit code %d" % run.returncode)]
        with open(os.path.join(out, "marks.txt"), encoding="utf-8") as f:
            marks = [line.rstrip("\n").split("\t") for line in f if line.strip()]
        problems = ["screen preview: %s" % ", ".join(fields[:3]) + ": " + "\t".join(fields[3:])
                    for fields in marks]
        if run.returncode == PREVIEW_MARKED and not problems:
            problems.append("screen preview: marks reported but marks.txt is empty")
        return problems
    finally:
        if not keep:
            shutil.rmtree(out, ignore_errors=True)


def main(argv=None):
    parser = argparse.ArgumentParser(description="Checks a Zorvex set-up package.")
    parser.add_argument("package")
    parser.add_argument("--keys", default=os.path.join(HERE, "required_keys.txt"))
    parser.add_argument("--source", default=program_scan.DEFAULT_SOURCE,
                        help="the program's sources (src/); an empty value: go by --keys alone")
    parser.add_argument("--key-colour", default="ff00ff")
    parser.add_argument("--winsim", help="the simulated machine's tool that draws the screens")
    parser.add_argument("--preview-out", help="keep the screens' pictures and contact sheet here")
    parser.add_argument("--no-preview", action="store_true", help="do not draw the screens")
    args = parser.parse_args(argv)
    key = tuple(int(args.key_colour[i:i + 2], 16) for i in (0, 2, 4))
    try:
        scan = program_scan.scan(args.source) if args.source and os.path.isdir(args.source) else None
    except program_scan.TableError as error:
        print("package check: the program's table of keys: %s" % error)
        return 1
    problems = Checker(args.package, read_required_keys(args.keys), key, scan).run()
    if not args.no_preview:
        winsim = find_winsim(args.winsim)
        if winsim is None:
            problems.append("screen preview: no winsim found (build the host preset, give --winsim, "
                            "or --no-preview to leave the screens unchecked)")
        else:
            problems += preview_problems(args.package, winsim, args.preview_out)
    for problem in problems:
        print("package check: " + problem)
    print("package check: %s: %s" % (args.package, "%d problem(s)" % len(problems) if problems else "ok"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
