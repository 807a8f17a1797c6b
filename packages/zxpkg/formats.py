"""Small file formats written by hand: ini files, RTF, PDF and ICO.

Everything here is plain byte assembly so the package does not depend on a
library for them, and so the files stay tiny and exact.
"""

import struct

CRLF = "\r\n"

# Byte-order marks the set-up program recognises when it reads a text file.
ENCODINGS = {
    "utf-16-le": b"\xff\xfe",
    "utf-8-sig": b"\xef\xbb\xbf",
    "ascii": b"",
}


class TextError(ValueError):
    """A text that the language-file grammar would read differently."""


def encode_text(text, encoding):
    """Text with CR LF line ends, prefixed by the encoding's byte-order mark."""
    if encoding not in ENCODINGS:
        raise ValueError("unknown encoding " + encoding)
    body = text.replace("\r\n", "\n").replace("\n", CRLF)
    if encoding == "utf-16-le":
        return ENCODINGS[encoding] + body.encode("utf-16-le")
    if encoding == "utf-8-sig":
        return ENCODINGS[encoding] + body.encode("utf-8")
    return body.encode("ascii")


def check_language_entry(key, value):
    """Refuses an entry that a language file cannot carry unchanged.

    Language files cut a line at every "=", trim each field and treat a line
    starting with "[" as a header; "@@" is the not-found marker.
    """
    problems = []
    if not key or key != key.strip():
        problems.append("key must be non-empty and untrimmed-equal")
    if key.startswith("["):
        problems.append("key must not start with '['")
    if "=" in key or "=" in value:
        problems.append("'=' would cut the entry")
    if value != value.strip():
        problems.append("value has blanks at its ends")
    if "\r" in value or "\n" in value:
        problems.append("line breaks must be written as @RETURN@")
    if value == "" or value == "@@":
        problems.append("value is empty or the not-found marker")
    if problems:
        raise TextError("%s=%s: %s" % (key, value, "; ".join(problems)))


def language_file(sections, encoding):
    """A language file: sections is a list of (name, [(key, value), ...])."""
    lines = []
    for name, entries in sections:
        if lines:
            lines.append("")
        lines.append("[%s]" % name)
        for key, value in entries:
            check_language_entry(key, value)
            lines.append("%s=%s" % (key, value))
    return encode_text(CRLF.join(lines) + CRLF, encoding)


def settings_file(sections, encoding="ascii", header=None):
    """A settings ini file (Setup.ini, Settings.ini, UI.txt ...).

    sections: list of (name, [line, ...]) where a line is "key=value", a
    comment starting with ";" or "" for a blank line.
    """
    lines = []
    if header:
        lines.extend("; " + h if h else ";" for h in header)
    for name, entries in sections:
        if lines:
            lines.append("")
        lines.append("[%s]" % name)
        lines.extend(entries)
    return encode_text(CRLF.join(lines) + CRLF, encoding)


# --- RTF -------------------------------------------------------------------

def rtf_escape(text):
    """RTF text: control characters escaped, every non-ASCII character as a
    \\uN? escape (N a signed 16-bit number, characters beyond the BMP as a
    surrogate pair), so the file itself is plain ASCII."""
    out = []
    for ch in text:
        code = ord(ch)
        if ch in "\\{}":
            out.append("\\" + ch)
        elif ch == "\t":
            out.append("\\tab ")
        elif ch == "\n":
            out.append("\\line ")
        elif 32 <= code < 127:
            out.append(ch)
        elif code < 32:
            continue
        else:
            units = [code] if code <= 0xFFFF else _surrogates(code)
            for unit in units:
                signed = unit - 0x10000 if unit > 0x7FFF else unit
                out.append("\\u%d?" % signed)
    return "".join(out)


def _surrogates(code):
    code -= 0x10000
    return [0xD800 + (code >> 10), 0xDC00 + (code & 0x3FF)]


def rtf_document(title, paragraphs, font_name, charset, lang_id):
    """A licence text as RTF: a bold red title and plain paragraphs."""
    parts = [
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang%d" % lang_id,
        "{\\fonttbl{\\f0\\fswiss\\fcharset0 Tahoma;}"
        "{\\f1\\fnil\\fcharset%d %s;}}" % (charset, rtf_escape(font_name)),
        "{\\colortbl ;\\red200\\green30\\blue39;\\red40\\green40\\blue40;}",
        "\\viewkind4\\uc1\\pard\\sa160\\sl276\\slmult1\\lang%d" % lang_id,
        "\\f1\\fs28\\b\\cf1 %s\\cf0\\b0\\fs18\\par" % rtf_escape(title),
    ]
    for paragraph in paragraphs:
        parts.append("\\cf2 %s\\cf0\\par" % rtf_escape(paragraph))
    parts.append("}")
    return ("\r\n".join(parts) + "\r\n").encode("ascii")


# --- PDF -------------------------------------------------------------------

def _pdf_string(text):
    data = text.encode("cp1252", errors="replace")
    out = []
    for byte in data:
        ch = chr(byte)
        if ch in "()\\":
            out.append("\\" + ch)
        elif 32 <= byte < 127:
            out.append(ch)
        else:
            out.append("\\%03o" % byte)
    return "(" + "".join(out) + ")"


def pdf_document(title, lines):
    """A one-page PDF with a title and a few lines of text (WinAnsi Helvetica).

    Objects are numbered 1..n and the cross-reference table carries their
    exact byte offsets, so strict readers accept the file.
    """
    content = ["BT", "/F1 22 Tf", "56 770 Td", _pdf_string(title) + " Tj", "ET",
               "0.78 0.12 0.15 RG 2 w 56 752 m 539 752 l S"]
    y = 720
    for line in lines:
        content += ["BT", "/F2 12 Tf", "56 %d Td" % y, _pdf_string(line) + " Tj", "ET"]
        y -= 20
    stream = "\n".join(content).encode("latin-1")
    objects = [
        b"<< /Type /Catalog /Pages 2 0 R >>",
        b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] "
        b"/Resources << /Font << /F1 4 0 R /F2 5 0 R >> >> /Contents 6 0 R >>",
        b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold /Encoding /WinAnsiEncoding >>",
        b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>",
        b"<< /Length %d >>\nstream\n" % len(stream) + stream + b"\nendstream",
        b"<< /Title " + _pdf_string(title).encode("latin-1") + b" /Producer (Zorvex package generator) >>",
    ]
    out = bytearray(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
    offsets = []
    for number, body in enumerate(objects, start=1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % number + body + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n" % (len(objects) + 1)
    out += b"0000000000 65535 f \n"
    for offset in offsets:
        out += b"%010d 00000 n \n" % offset
    out += b"trailer\n<< /Size %d /Root 1 0 R /Info %d 0 R >>\n" % (len(objects) + 1, len(objects))
    out += b"startxref\n%d\n%%%%EOF\n" % xref
    return bytes(out)


# --- ICO -------------------------------------------------------------------

def ico_file(images):
    """An icon file from (width, height, rgba_bytes) images, each stored as a
    32-bit DIB with its AND mask (the classic layout every Windows reads)."""
    header = struct.pack("<HHH", 0, 1, len(images))
    entries = b""
    blobs = b""
    offset = 6 + 16 * len(images)
    for width, height, rgba in images:
        blob = _ico_dib(width, height, rgba)
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32,
                               len(blob), offset)
        blobs += blob
        offset += len(blob)
    return header + entries + blobs


def _ico_dib(width, height, rgba):
    info = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    mask = bytearray()
    mask_stride = ((width + 31) // 32) * 4
    for y in range(height - 1, -1, -1):
        row_mask = bytearray(mask_stride)
        for x in range(width):
            r, g, b, a = rgba[(y * width + x) * 4:(y * width + x) * 4 + 4]
            pixels += bytes((b, g, r, a))
            if a == 0:
                row_mask[x // 8] |= 0x80 >> (x % 8)
        mask += row_mask
    return info + bytes(pixels) + bytes(mask)

