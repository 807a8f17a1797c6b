"""The scan of the program's sources finds every text key and skin picture the
program asks for, and the hand list required_keys.txt stays equal to it."""

import os
import shutil
import tempfile
import textwrap
import unittest

import check_package
import program_scan

PACKAGE_ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WIZARD = program_scan.WIZARD_SECTION

# A small program with one lookup of every kind the scan knows, and one it
# cannot work out.
FIXTURE = {
    "app/app.cpp": r'''
        constexpr char16_t kTextSection[] = u"InstallWizard";
        void TApp::Load() {
          textSection = kTextSection;
          productName = GetText(textSection, u"ProductName");
        }
        ''',
    "app/prepareform.cpp": r'''
        void TFPrepare::ShowErrorBox(int number) {
          String digits = win::IntToStr(number);
          Box(Text(u"MSG_" + digits) + u" (" + digits + u")");
        }
        void TFPrepare::Check() {
          if (bad) ShowErrorBox(7);
          if (worse) ShowErrorBox(123);
          Ask(Text(QuestionKey(copy)));
        }
        ''',
    "app/installed_copy.cpp": r'''
        String QuestionKey(const InstalledCopy& found) {
          return found.same ? u"MSG_903" : u"MSG_904";
        }
        ''',
    "install/names.cpp": r'''
        inline constexpr char16_t kUninstallTextSection[] = u"UNINSTALL";
        constexpr char16_t kTextLink[] = u"LINK_SCAN";
        String UninstallText(const String& key) const { return app.GetText(kUninstallTextSection, key); }
        void Run() {
          ctx.out.SetStatus(ctx.Text(u"ScanStatus"));   // Text(u"NotACall") in a comment
          Write(ctx.UninstallText(kTextLink));
          /* ctx.Text(u"AlsoACommentKey") */
        }
        ''',
    "screens/fooform.cpp": r'''
        namespace {
        constexpr const char16_t* kRadioNames[] = {u"rb_A", u"rb_B"};
        }
        TFFoo::TFFoo(win::Component* owner) : TWizardForm(owner, u"TFFoo", u"FFoo") {
          lb_One = MakeLabel(u"lb_One", 1, 2, 3, 4);
          ck_Two = Create<win::CheckBox>(u"ck_Two");
          for (int i = 0; i < 2; ++i) Create<win::RadioButton>(kRadioNames[i]);
          ApplyLabelTexts(*App, *this, App->textSection);
          ApplyRadioButtonTexts(*App, *this, App->textSection);
          lb_One->SetCaption(TextParam(CaptionKey(u"lb_Three")));
          for (win::Control* control : std::initializer_list<win::Control*>{lb_One, ck_Two})
            control->SetCaption(TextParam(CaptionKey(control->Name())));
          skinGo_ = SkinPushButton(*bt_Go, u"Go.bmp");
          LoadPicture(*im_Mark, SkinFile(u"Mark.bmp"));
          lb_Odd->SetCaption(Text(prefix + u"Odd"));
        }
        ''',
}

FIXTURE_KEYS = {
    (WIZARD, "ProductName"), (WIZARD, "MSG_007"), (WIZARD, "MSG_123"), (WIZARD, "MSG_903"),
    (WIZARD, "MSG_904"), (WIZARD, "ScanStatus"), ("UNINSTALL", "LINK_SCAN"),
    (WIZARD, "FFoo->lb_One->Caption"), (WIZARD, "FFoo->rb_A->Caption"), (WIZARD, "FFoo->rb_B->Caption"),
    (WIZARD, "FFoo->lb_Three->Caption"), (WIZARD, "FFoo->ck_Two->Caption"),
}


def write_fixture(root):
    for relative, text in FIXTURE.items():
        path = os.path.join(root, *relative.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as f:
            f.write(textwrap.dedent(text))


class ScanOfAFixture(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="zxscan-")
        write_fixture(cls.tmp)
        cls.result = program_scan.scan(cls.tmp)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp)

    def test_every_kind_of_lookup_gives_its_key(self):
        self.assertEqual(self.result.keys, FIXTURE_KEYS)

    def test_a_key_built_some_other_way_is_reported(self):
        source = textwrap.dedent(FIXTURE["screens/fooform.cpp"]).splitlines()
        line = next(i for i, text in enumerate(source, 1) if "prefix +" in text)
        self.assertEqual(self.result.unresolved, ['screens/fooform.cpp:%d: key prefix + u"Odd" of Text' % line])

    def test_pictures(self):
        self.assertEqual(self.result.pictures, {"Go.bmp", "Mark.bmp"})
        self.assertEqual(self.result.button_pictures, {"Go.bmp"})


class ScanOfTheProgram(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.result = program_scan.scan()
        cls.listed = set(check_package.read_required_keys(os.path.join(PACKAGE_ROOT, "required_keys.txt")))

    def test_every_lookup_is_understood(self):
        # A new kind of lookup: teach it to program_scan.py, or, for a key
        # computed at run time, add the rule to its tables.
        self.assertEqual(self.result.unresolved, [])

    def test_required_keys_list_what_the_program_looks_up(self):
        # required_keys.txt serves packages checked without the sources; it
        # must name exactly the keys the program needs.
        needed = self.result.keys - program_scan.NOT_NEEDED.keys()
        self.assertEqual(sorted(needed - self.listed), [], "looked up but not in required_keys.txt")
        self.assertEqual(sorted(self.listed - needed), [], "in required_keys.txt but no longer looked up")

    def test_exceptions_still_apply(self):
        self.assertLessEqual(set(program_scan.NOT_NEEDED), self.result.keys)
        self.assertLessEqual(set(program_scan.PRODUCT_PICTURES), self.result.pictures)

    def test_the_screens_pictures_are_found(self):
        for name in ("Background.bmp", "Finish.bmp", "Check.bmp", "Radio.bmp", "PrepareDialog.bmp"):
            self.assertIn(name, self.result.pictures)
        self.assertEqual(self.result.button_pictures,
                         {"Next.bmp", "Previous.bmp", "Cancel.bmp", "OK.bmp", "Finish.bmp", "Print.bmp"})
        self.assertTrue(self.result.computed_pictures)


if __name__ == "__main__":
    unittest.main()
