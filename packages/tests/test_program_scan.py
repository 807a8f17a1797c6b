"""The reader of the program's table finds every text key and skin picture the
program asks for, refuses a line it does not understand, and the hand list
required_keys.txt stays equal to the table."""

import contextlib
import io
import os
import shutil
import tempfile
import unittest

import check_package
import program_scan

PACKAGE_ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WIZARD = program_scan.WIZARD_SECTION

# A small table with one entry of every shape.
TABLE = r'''
// a comment, and a blank line

ZX_SECTION(kTextSection, "InstallWizard")
ZX_SECTION(kOther, "OTHER")
ZX_TEXT(kTextSection, kProductNameKey, "ProductName")
ZX_TEXT(kOther, kLinkScan, "LINK_SCAN")
ZX_MESSAGE(kMessageFirst, 007)
ZX_FORM_CAPTION(FFoo)
ZX_CAPTION(FFoo, lb_One)
  ZX_CAPTION_NOT_SHOWN( FFoo ,lb_Title, "replaced right after")
ZX_PICTURE(kMarkPicture, "Mark.bmp")
ZX_BUTTON_PICTURE(kGoPicture, "Go.bmp")
ZX_PRODUCT_PICTURE(kOnlyPicture, "Only.png", kProductOne)
ZX_PICTURE_SET(kSetPictures, "Set\\", ".bmp", "set pictures: Set\\<code>.bmp")
'''


class ReaderOfATable(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.result = program_scan.read_table(TABLE, product_words={"kProductOne": "ZorvexOne"})

    def test_every_shape_gives_its_entry(self):
        self.assertEqual(self.result.keys, {
            (WIZARD, "ProductName"), ("OTHER", "LINK_SCAN"), (WIZARD, "MSG_007"), (WIZARD, "FFoo->Caption"),
            (WIZARD, "FFoo->lb_One->Caption"), (WIZARD, "FFoo->lb_Title->Caption")})
        self.assertEqual(self.result.not_needed, {(WIZARD, "FFoo->lb_Title->Caption"): "replaced right after"})

    def test_pictures(self):
        self.assertEqual(self.result.pictures, {"Mark.bmp", "Go.bmp", "Only.png"})
        self.assertEqual(self.result.button_pictures, {"Go.bmp"})
        self.assertEqual(self.result.product_pictures, {"Only.png": "ZorvexOne"})
        self.assertEqual(self.result.computed_pictures, {"set pictures: Set\\<code>.bmp"})

    def test_a_line_it_does_not_understand_is_an_error_naming_the_line(self):
        lines = TABLE.splitlines()
        cases = [
            ("unknown macro", "ZX_TOOLTIP(FFoo, lb_One)"),
            ("key not a string", "ZX_TEXT(kTextSection, kKey, Key)"),
            ("message number not three digits", "ZX_MESSAGE(kMessage, 7)"),
            ("text after the entry", 'ZX_PICTURE(kPic, "Pic.bmp") // why'),
            ("a key built from parts", 'ZX_TEXT(kTextSection, kKey, "MSG_" "1")'),
            ("section not declared", 'ZX_TEXT(kNowhere, kKey, "Key")'),
            ("key listed twice", 'ZX_TEXT(kTextSection, kAgain, "ProductName")'),
            ("name declared twice", 'ZX_PICTURE(kMarkPicture, "Other.bmp")'),
            ("caption listed twice", "ZX_CAPTION(FFoo, lb_Title)"),
            ("product not a product word", 'ZX_PRODUCT_PICTURE(kOther, "Other.png", kProductNone)'),
            ("product as a bare string", 'ZX_PRODUCT_PICTURE(kOther, "Other.png", "ZorvexOne")'),
        ]
        for what, line in cases:
            with self.subTest(what):
                with self.assertRaisesRegex(program_scan.TableError, r"^t\.def:%d: " % (len(lines) + 1)):
                    program_scan.read_table("\n".join(lines + [line]), "t.def", {"kProductOne": "ZorvexOne"})

    def test_main_reports_a_bad_table_and_fails(self):
        source = tempfile.mkdtemp(prefix="zxtable-")
        self.addCleanup(shutil.rmtree, source)
        os.makedirs(os.path.join(source, "text"))
        os.makedirs(os.path.join(source, "app"))
        with open(os.path.join(source, program_scan.PRODUCT_WORDS), "w", encoding="utf-8") as f:
            f.write('inline constexpr char16_t kProductOne[] = u"ZorvexOne";\n')
        with open(os.path.join(source, program_scan.TABLE), "w", encoding="utf-8") as f:
            f.write(TABLE + "ZX_TOOLTIP(FFoo, lb_One)\n")
        errors = io.StringIO()
        with contextlib.redirect_stderr(errors):
            self.assertEqual(program_scan.main([source]), 1)
        self.assertIn("ZX_TOOLTIP(FFoo, lb_One)", errors.getvalue())


class ScanOfTheProgram(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.result = program_scan.scan()
        cls.listed = set(check_package.read_required_keys(os.path.join(PACKAGE_ROOT, "required_keys.txt")))

    def test_required_keys_list_what_the_program_looks_up(self):
        # required_keys.txt serves packages checked without the sources; it
        # must name exactly the keys the program needs.
        needed = self.result.keys - self.result.not_needed.keys()
        self.assertEqual(sorted(needed - self.listed), [], "looked up but not in required_keys.txt")
        self.assertEqual(sorted(self.listed - needed), [], "in required_keys.txt but no longer looked up")

    def test_exceptions_still_apply(self):
        self.assertEqual(set(self.result.not_needed), {(WIZARD, "FPrepare->lb_Title->Caption")})
        self.assertLessEqual(set(self.result.not_needed), self.result.keys)
        self.assertEqual(self.result.product_pictures, {"Vizo.png": "ZorvexTonalix"})
        self.assertLessEqual(set(self.result.product_pictures), self.result.pictures)

    def test_the_screens_pictures_are_found(self):
        for name in ("Background.bmp", "Finish.bmp", "Check.bmp", "Radio.bmp", "PrepareDialog.bmp"):
            self.assertIn(name, self.result.pictures)
        self.assertEqual(self.result.button_pictures,
                         {"Next.bmp", "Previous.bmp", "Cancel.bmp", "OK.bmp", "Finish.bmp", "Print.bmp"})
        self.assertTrue(self.result.computed_pictures)


if __name__ == "__main__":
    unittest.main()
