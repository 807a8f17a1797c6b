"""The package check finds what would break the wizard, and the generated
package passes it."""

import os
import shutil
import tempfile
import unittest

from PIL import Image

import check_package
import generate
import program_scan

PACKAGE_ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def generate_sample(folder, name):
    """The sample package in folder/name, a stand-in for each of its programs."""
    fake = os.path.join(folder, "program.exe")
    with open(fake, "wb") as f:
        f.write(b"MZ")
    package = os.path.join(folder, name)
    generate.main(["--out", package, "--setup", fake, "--app", fake, "--updater", fake])
    return package


def write_picture(path, size, colour):
    Image.new("RGB", size, colour).save(path)


def replace_in(path, old, new, encoding):
    with open(path, "rb") as f:
        text = f.read().decode(encoding)
    assert old in text, old
    with open(path, "wb") as f:
        f.write(text.replace(old, new).encode(encoding))


def write_strip(path, frame_width):
    """A four-frame button strip: panel grey with key-colour corners."""
    image = Image.new("RGB", (frame_width * 4, 25), (60, 60, 60))
    for frame in range(4):
        image.putpixel((frame * frame_width, 0), (255, 0, 255))
    image.save(path)


def write_bytes(path, data):
    with open(path, "wb") as f:
        f.write(data)


def append_section(path, section, line):
    with open(path, "ab") as f:
        f.write(("\r\n[%s]\r\n%s\r\n" % (section, line)).encode("ascii"))


def truncate(path, keep):
    with open(path, "rb") as f:
        data = f.read()
    with open(path, "wb") as f:
        f.write(data[:keep])


class GeneratedPackage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="zxpkg-")
        cls.package = generate_sample(cls.tmp, "ZorvexDemo")
        cls.keys = check_package.read_required_keys(os.path.join(PACKAGE_ROOT, "required_keys.txt"))
        cls.scan = program_scan.scan()

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp)

    def check(self, package, keys=None):
        keys = self.keys if keys is None else keys
        return check_package.Checker(package, keys, (255, 0, 255), self.scan).run()

    def test_generated_package_passes(self):
        self.assertEqual(self.check(self.package), [])

    def test_language_files_read_back_as_written(self):
        texts = generate.package.load_texts(os.path.join(PACKAGE_ROOT, "texts"))
        for language, text in texts.items():
            path = os.path.join(self.package, "Texts", "LanguageIni", language,
                                "Install_%s.ini" % language)
            with open(path, "rb") as f:
                store = check_package.read_language_file(f.read())
            for section in ("InstallWizard", "UNINSTALL"):
                for key, value in text[section].items():
                    self.assertEqual(store[section][key.lower()], value.replace("@RETURN@", "\r\n"),
                                     (language, key))

    def test_faults_are_reported(self):
        cases = [
            ("strip width not a multiple of four",
             lambda p: write_picture(os.path.join(p, "English", "Next.png"), (255, 25), (60, 60, 60)),
             "English/Next.png: strip width 255 is not a multiple of 4"),
            ("background without the key colour at the top left",
             lambda p: write_picture(os.path.join(p, "German", "Background.bmp"), (632, 456), (9, 9, 9)),
             "German/Background.bmp: top-left pixel (9, 9, 9) is not the key colour"),
            ("missing English picture (other languages do not count)",
             lambda p: os.remove(os.path.join(p, "English", "Radio.png")),
             "English\\Radio: no .png or .bmp"),
            ("missing series picture",
             lambda p: os.remove(os.path.join(p, "English", "Series", "Z7-S7.bmp")),
             "English\\Series\\Z7-S7: no .png or .bmp"),
            ("truncated picture",
             lambda p: truncate(os.path.join(p, "French", "Background.bmp"), 4000),
             "French/Background.bmp: truncated BMP"),
            ("key missing in one language file",
             lambda p: replace_in(os.path.join(p, "Texts", "LanguageIni", "German", "Install_German.ini"),
                                  "MSG_502=", "MSG_5O2=", "utf-8-sig"),
             "Install_German.ini: no [InstallWizard] MSG_502"),
            ("language file without a byte-order mark",
             lambda p: truncate_bom(os.path.join(p, "Texts", "LanguageIni", "Korean", "Install_Korean.ini")),
             "Install_Korean.ini: no byte-order mark"),
            ("button place sized for another strip",
             lambda p: replace_in(os.path.join(p, "UI.txt"), "FAsk->bt_OK->Position=rectp,416,395,512,420",
                                  "FAsk->bt_OK->Position=rectp,416,395,516,420", "ascii"),
             "FAsk->bt_OK->Position: 100x25 differs from the OK frame 96x25"),
            ("finish button wider in a language the wizard may switch to",
             lambda p: write_strip(os.path.join(p, "German", "Finish.bmp"), 112),
             "FFinish->bt_Finish: laid out 96x25 for English, but after a switch on the welcome screen "
             "the Finish frame is German 112x25"),
            ("finish button placed for one language only",
             lambda p: append_section(os.path.join(p, "UI.txt"), "Korean",
                                      "FFinish->bt_Finish->Position=rectp,536,395,616,420"),
             "FFinish->bt_Finish: laid out 80x25 for Korean, but after a switch on the welcome screen "
             "the Finish frame is English 96x25"),
            ("label placed off the panel",
             lambda p: replace_in(os.path.join(p, "UI.txt"), "FCancel->lb_Notes->Position=rectp,200,116,600,236",
                                  "FCancel->lb_Notes->Position=rectp,0,116,600,456", "ascii"),
             "FCancel->lb_Notes->Position: (0, 116, 600, 456) reaches outside the panel"),
            ("payload folder in another letter case",
             lambda p: os.rename(os.path.join(p, "program files"), os.path.join(p, "Program Files")),
             "the payload folder must be spelled \"program files\""),
            ("host program in a Windows package",
             lambda p: write_bytes(os.path.join(p, "program files", "Updater", "ZorvexMouseUpdater.exe"),
                                   b"\x7fELF\x01\x01"),
             "ZorvexMouseUpdater.exe is a host (ELF) program, Setup.exe a Windows program"),
            ("manual missing for a shipped language",
             lambda p: os.remove(os.path.join(p, "program files", "Zorvex7", "Manual", "Japanese.pdf")),
             "Manual/Japanese.pdf is not a PDF file"),
        ]
        for name, damage, expected in cases:
            with self.subTest(name):
                copy = os.path.join(self.tmp, "case")
                shutil.rmtree(copy, ignore_errors=True)
                shutil.copytree(self.package, copy)
                damage(copy)
                problems = self.check(copy)
                self.assertTrue(any(expected in p for p in problems), "%r not in %r" % (expected, problems))

    def test_keys_the_program_looks_up_are_required_without_the_list(self):
        copy = os.path.join(self.tmp, "unlisted")
        shutil.rmtree(copy, ignore_errors=True)
        shutil.copytree(self.package, copy)
        replace_in(os.path.join(copy, "Texts", "LanguageIni", "French", "Install_French.ini"),
                   "FFinish->ck_StartProgram->Caption=", "FFinish->ck_Start->Caption=", "utf-16")
        problems = self.check(copy, keys=[])
        self.assertEqual([p for p in problems if "Install_" in p],
                         [os.path.join("Texts", "LanguageIni", "French", "Install_French.ini")
                          + ": no [InstallWizard] FFinish->ck_StartProgram->Caption"])

    def test_generator_refuses_to_clear_a_foreign_folder(self):
        foreign = os.path.join(self.tmp, "foreign")
        os.makedirs(foreign, exist_ok=True)
        with open(os.path.join(foreign, "notes.txt"), "w") as f:
            f.write("keep me")
        with self.assertRaises(SystemExit):
            generate.main(["--out", foreign])
        self.assertTrue(os.path.exists(os.path.join(foreign, "notes.txt")))


def truncate_bom(path):
    with open(path, "rb") as f:
        data = f.read()
    with open(path, "wb") as f:
        f.write(data[3:])


if __name__ == "__main__":
    unittest.main()
