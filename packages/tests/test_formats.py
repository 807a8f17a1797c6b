"""The hand-written file formats of the package generator."""

import struct
import unittest

from zxpkg import formats


class RtfEscapes(unittest.TestCase):
    def test_characters_become_ascii_escapes(self):
        cases = [
            ("plain text", "plain text"),
            ("a{b}\\c", "a\\{b\\}\\\\c"),
            ("\u00e9", "\\u233?"),                # Latin-1: positive
            ("\u4e2d", "\\u20013?"),              # below 0x8000: positive
            ("\uac00", "\\u-21504?"),             # from 0x8000 on: signed 16-bit
            ("\U0001f600", "\\u-10179?\\u-8704?"),  # beyond the BMP: a surrogate pair
        ]
        for text, expected in cases:
            with self.subTest(text=text):
                self.assertEqual(formats.rtf_escape(text), expected)

    def test_document_is_ascii_and_balanced(self):
        data = formats.rtf_document("Титул", ["один {два}", "三"], "Tahoma", 204, 1049)
        self.assertTrue(data.startswith(b"{\\rtf1"))
        data.decode("ascii")
        self.assertEqual(data.count(b"{") - data.count(b"\\{"), data.count(b"}") - data.count(b"\\}"))


class LanguageFiles(unittest.TestCase):
    def test_entries_the_grammar_would_change_are_refused(self):
        bad = [("Key", "a=b"), ("Key", " padded"), ("Key", ""), ("Key", "@@"),
               ("Key", "two\nlines"), ("[Key", "x"), (" Key", "x")]
        for key, value in bad:
            with self.subTest(key=key, value=value):
                with self.assertRaises(formats.TextError):
                    formats.language_file([("InstallWizard", [(key, value)])], "utf-8-sig")

    def test_encodings_carry_their_byte_order_mark_and_crlf(self):
        sections = [("InstallWizard", [("ProductName", "Zorvex7 電競滑鼠")])]
        utf16 = formats.language_file(sections, "utf-16-le")
        utf8 = formats.language_file(sections, "utf-8-sig")
        self.assertTrue(utf16.startswith(b"\xff\xfe"))
        self.assertTrue(utf8.startswith(b"\xef\xbb\xbf"))
        self.assertEqual(utf16[2:].decode("utf-16-le"), utf8[3:].decode("utf-8"))
        self.assertIn("\r\nProductName=Zorvex7 電競滑鼠\r\n", utf8[3:].decode("utf-8"))


class PdfFiles(unittest.TestCase):
    def test_cross_reference_offsets_point_at_their_objects(self):
        data = formats.pdf_document("Handbuch (Zorvex7) \u00fc", ["line one", "back\\slash"])
        xref = int(data[data.rindex(b"startxref"):].split()[1])
        self.assertEqual(data[xref:xref + 4], b"xref")
        table = data[xref:].split(b"\n")
        count = int(table[1].split()[1])
        for number in range(1, count):
            offset = int(table[2 + number].split()[0])
            self.assertTrue(data[offset:].startswith(b"%d 0 obj" % number), number)
        self.assertTrue(data.rstrip().endswith(b"%%EOF"))


class IconFiles(unittest.TestCase):
    def test_directory_entries_match_the_images(self):
        images = [(16, 16, bytes([255, 0, 0, 255]) * 256), (32, 32, bytes([0, 0, 0, 0]) * 1024)]
        data = formats.ico_file(images)
        reserved, kind, count = struct.unpack_from("<HHH", data)
        self.assertEqual((reserved, kind, count), (0, 1, 2))
        for index, (size, _, _) in enumerate(images):
            width, height, _, _, planes, bits, length, offset = struct.unpack_from(
                "<BBBBHHII", data, 6 + 16 * index)
            self.assertEqual((width, height, planes, bits), (size, size, 1, 32))
            header_size, dib_width, dib_height = struct.unpack_from("<Iii", data, offset)
            self.assertEqual((header_size, dib_width, dib_height), (40, size, 2 * size))
            mask_stride = (size + 31) // 32 * 4
            self.assertEqual(length, 40 + size * size * 4 + mask_stride * size)
        # a fully transparent pixel is set in the AND mask
        last = struct.unpack_from("<II", data, 6 + 16 + 8)
        self.assertEqual(data[last[1] + last[0] - 1], 0xFF)


if __name__ == "__main__":
    unittest.main()
