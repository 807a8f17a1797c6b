"""The screens drawn by the program: a caption too long for its control and a
text missing in one language get their marks, on the picture and in the
package check; the same package without the faults gets none."""

import contextlib
import io
import os
import shutil
import tempfile
import unittest

from PIL import Image

import check_package

from tests.test_check_package import generate_sample, replace_in

GERMAN_TEXTS = os.path.join("Texts", "LanguageIni", "German", "Install_German.ini")
RED = (255, 0, 0)


def offer_only(package, languages):
    """Settings.ini offering only these languages (a shorter preview)."""
    path = os.path.join(package, "Settings.ini")
    with open(path, "rb") as f:
        raw = f.read()
    encoding = "utf-16" if raw.startswith(b"\xff\xfe") else "utf-8-sig"
    head, rest = check_package.decode(raw).split("[Languages]", 1)
    lines = [line for line in rest.splitlines() if line.split("=", 1)[0].strip() in languages]
    with open(path, "wb") as f:
        f.write((head + "[Languages]\r\n" + "\r\n".join(lines) + "\r\n").encode(encoding))


@unittest.skipUnless(check_package.find_winsim(), "needs the host build's winsim (ZX_WINSIM)")
class ScreenPreview(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="zxpreview-test-")
        cls.package = generate_sample(cls.tmp, "Faulty")
        offer_only(cls.package, ("English", "German"))
        cls.clean = os.path.join(cls.tmp, "Clean")
        shutil.copytree(cls.package, cls.clean)
        texts = os.path.join(cls.package, GERMAN_TEXTS)
        # A radio button's caption far wider than its place beside the series picture.
        replace_in(texts, "FSeriesSelect->rb_Series7->Caption=Z7 Ultimate (kabellos, 8K)",
                   "FSeriesSelect->rb_Series7->Caption=Z7 Ultimate (kabellos, 8K, mit Ladestation und "
                   "Ersatzgleitfüßen)", "utf-8-sig")
        # The cancelled notice's explanation is missing in German.
        replace_in(texts, "FCancel->lb_Notes->Caption=", "FCancel->lb_NotesX->Caption=", "utf-8-sig")
        # The install heading too: it is fetched by its key and shows "@@".
        replace_in(texts, "FInstall->lb_Install->Caption=", "FInstall->lb_InstallX->Caption=", "utf-8-sig")
        # A status text of the install run, whatever stage the preview pauses in.
        replace_in(texts, "CopyFiles=Dateien werden kopiert...",
                   "CopyFiles=Die Programmdateien der Zorvex7 Gaming-Maus werden jetzt in den Programmordner "
                   "auf Ihrem Computer kopiert...", "utf-8-sig")
        # In every language: the question box's mark moved into the cut-off corner.
        replace_in(os.path.join(cls.package, "UI.txt"), "FAsk->im_Mark->Position=rectp,204,172,252,220",
                   "FAsk->im_Mark->Position=rectp,0,0,48,48", "ascii")
        cls.out = os.path.join(cls.tmp, "preview")
        cls.problems = check_package.preview_problems(cls.package, check_package.find_winsim(), cls.out)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp)

    def test_each_fault_is_marked_in_its_language_and_screen_only(self):
        def found(language, screen, control, words):
            return [p for p in self.problems
                    if p.startswith("screen preview: %s, %s, %s: " % (language, screen, control)) and words in p]
        expected = [("German", "series", "rb_Series7", "wide, laid out 184 px"),
                    ("German", "cancelled", "lb_Notes", "no text (FCancel->lb_Notes->Caption)"),
                    ("German", "install-progress", "lb_Install", 'shows "@@"'),
                    ("German", "install-progress", "lb_InstallProc", "status text CopyFiles")]
        expected += [(language, screen, "im_Mark", "off the window outline")
                     for language in ("English", "German") for screen in ("question-older", "question-same")]
        for case in expected:
            self.assertTrue(found(*case), (case, self.problems))
        self.assertEqual(len(self.problems), len(expected), self.problems)

    def test_the_mark_is_framed_on_the_picture_and_the_sheet_has_every_cell(self):
        with Image.open(os.path.join(self.out, "series-German.png")) as german, \
                Image.open(os.path.join(self.out, "series-English.png")) as english:
            german, english = german.convert("RGB"), english.convert("RGB")
            # The frame runs just outside the radio button's laid-out top-left corner (192, 260).
            self.assertEqual(german.getpixel((190, 259)), RED)
            self.assertNotEqual(english.getpixel((190, 259)), RED)
        with open(os.path.join(self.out, "index.html"), encoding="utf-8") as f:
            sheet = f.read()
        for screen in ("welcome", "series", "licence", "install-confirm", "install-progress", "cancel-confirm",
                       "cancelled", "finish-install", "finish-upgrade", "finish-uninstall", "question-older",
                       "question-same", "uninstall-confirm", "uninstall-progress"):
            for language in ("English", "German"):
                name = "%s-%s.png" % (screen, language)
                self.assertIn('src="%s"' % name, sheet)
                self.assertTrue(os.path.isfile(os.path.join(self.out, name)), name)

    def test_package_check_fails_on_the_marks_and_passes_without_them(self):
        winsim = check_package.find_winsim()
        with contextlib.redirect_stdout(io.StringIO()) as printed:
            self.assertEqual(check_package.main([self.package, "--winsim", winsim]), 1)
        self.assertIn("package check: screen preview: German, series, rb_Series7: caption makes it",
                      printed.getvalue())
        self.assertEqual(check_package.preview_problems(self.clean, winsim), [])


if __name__ == "__main__":
    unittest.main()
