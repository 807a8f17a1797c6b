// The generated sample package read by the program's own readers: language
// files through the text store, pictures through the picture decoders and
// the window-outline engine, UI.txt through the layout reader. Two screens are
// put together from the package's files and saved for people to look at
// (<build>/package-artifacts/).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <utility>
#include <vector>

#include "platform/ini.h"
#include "platform/picture.h"
#include "platform/ui.h"
#include "skin/cmnstringprocessunit.h"
#include "skin/language_elementsproperty.h"
#include "skin/skin_button.h"
#include "skin/skin_graphiceengine.h"
#include "skin/skin_radiobutton.h"
#include "skin/skin_windowshape.h"
#include "support/sim_machine.h"
#include "text/cmnsubroutines.h"
#include "text/language_management.h"
#include "text/skin_lookup.h"

namespace {

namespace fs = std::filesystem;

constexpr char16_t kPackage[] = u"C:\\Package\\";
const win::COLORREF kKey = win::RGB(255, 0, 255);

const char16_t* const kPictures[] = {
    u"Background", u"Banner", u"Logo", u"Title", u"Next", u"Cancel", u"Previous", u"OK",
    u"Finish", u"Print", u"Check", u"Radio", u"PrepareDialog", u"ExclamationMark"};
const char16_t* const kPushButtons[] = {u"Next", u"Cancel", u"Previous", u"OK", u"Finish", u"Print"};

// Keys of packages/required_keys.txt as (section, key).
std::vector<std::pair<String, String>> RequiredKeys() {
  std::ifstream in(std::string(ZX_SOURCE_DIR) + "/packages/required_keys.txt");
  std::vector<std::pair<String, String>> keys;
  String section;
  for (std::string line; std::getline(in, line);) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    if (line.front() == '[' && line.back() == ']')
      section = win::FromUtf8(line.substr(1, line.size() - 2));
    else
      keys.emplace_back(section, win::FromUtf8(line));
  }
  return keys;
}

class SamplePackage : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const fs::path built = fs::path(ZX_BINARY_DIR) / "packages" / "ZorvexDemo";
    if (!fs::exists(built / "Setup.ini")) return;
    machine_ = std::make_unique<zxtest::TempMachine>();
    const fs::path target = machine_->HostPath(u"C:\\Package");
    fs::create_directories(target);
    fs::copy(built, target, fs::copy_options::recursive);
  }
  static void TearDownTestSuite() { machine_.reset(); }

  void SetUp() override {
    ASSERT_TRUE(machine_) << "no generated package: build the target zorvex_demo_package first";
  }

  static StringList Languages() {
    win::MemIniFile settings(String(kPackage) + u"Settings.ini");
    StringList lines, names;
    settings.ReadSectionValues(u"Languages", lines);
    for (const String& line : lines) names.push_back(line.substr(0, line.find(u'=')));
    return names;
  }

  static win::Bitmap Picture(const String& language, const String& name) {
    win::Bitmap picture;
    EXPECT_TRUE(LoadSkinPicture(ResolveSkinFile(kPackage, language, name + u".bmp"), picture))
        << win::ToUtf8(language) << " " << win::ToUtf8(name);
    return picture;
  }

  static std::unique_ptr<zxtest::TempMachine> machine_;
};

std::unique_ptr<zxtest::TempMachine> SamplePackage::machine_;

TEST_F(SamplePackage, EveryLanguageFileAnswersEveryRequiredKey) {
  const auto keys = RequiredKeys();
  ASSERT_GT(keys.size(), 40u);
  const StringList languages = Languages();
  ASSERT_EQ(languages.size(), 8u);
  TlanguageManagement english;
  english.LoadLanguage(String(kPackage) + u"Texts\\", 1033, u"Install", u"");
  for (const String& language : languages) {
    SCOPED_TRACE(win::ToUtf8(language));
    TlanguageManagement texts;
    EXPECT_EQ(texts.LoadLanguage(String(kPackage) + u"Texts\\", LanguageIdFromName(language),
                                 u"Install", u""),
              language);
    for (const auto& [section, key] : keys) {
      const String text = texts.GetText(section, key);
      EXPECT_NE(text, kTextNotFound) << win::ToUtf8(section) << " " << win::ToUtf8(key);
      EXPECT_FALSE(text.empty()) << win::ToUtf8(key);
    }
    // The language's own file was read, not the English fallback.
    if (language != u"English") {
      EXPECT_NE(texts.GetText(u"InstallWizard", u"ProductName"),
                english.GetText(u"InstallWizard", u"ProductName"));
    }
  }
}

TEST_F(SamplePackage, EverySkinPictureIsInItsLanguageAndDecodes) {
  win::MemIniFile settings(String(kPackage) + u"Settings.ini");
  StringList names(std::begin(kPictures), std::end(kPictures));
  const String codes = settings.ReadString(u"Series", u"Code", u"");
  for (int i = 0; !GetField(codes, u',', i).empty(); ++i)
    names.push_back(u"Series\\" + GetField(codes, u',', i));
  ASSERT_EQ(names.size(), std::size(kPictures) + 5);
  const TskinGraphiceEngine engine;
  for (const String& language : Languages()) {
    for (const String& name : names) {
      SCOPED_TRACE(win::ToUtf8(language + u"\\" + name));
      const String path = ResolveSkinFile(kPackage, language, name + u".bmp");
      EXPECT_TRUE(win::StartsWith(path, String(kPackage) + language + u"\\"));
      const win::Bitmap picture = Picture(language, name);
      ASSERT_FALSE(picture.Empty());
      if (name == u"Background" || name == u"PrepareDialog") {
        const win::Region outline = engine.Outline(picture);
        EXPECT_EQ(picture.Pixel(0, 0), kKey);
        EXPECT_FALSE(outline.Contains(0, 0));
        EXPECT_TRUE(outline.Contains(picture.Width() / 2, picture.Height() / 2));
        EXPECT_TRUE(outline.Contains(picture.Width() / 2, 0));
      }
    }
    for (const char16_t* button : kPushButtons) {
      SCOPED_TRACE(win::ToUtf8(language + u"\\" + button));
      const win::Bitmap strip = Picture(language, button);
      EXPECT_EQ(strip.Width() % 4, 0);
      win::Bitmap frame;
      engine.CopyFrame(frame, strip, kFrameNormal, kSkinFrameCount);
      const win::Region outline = engine.Outline(frame);
      EXPECT_FALSE(outline.Contains(0, 0));  // rounded corners are cut away
      EXPECT_TRUE(outline.Contains(frame.Width() / 2, frame.Height() / 2));
    }
  }
}

// The program's layout reader gives every skinned button exactly the size of
// one frame of its strip, in every language (wider words, wider buttons).
TEST_F(SamplePackage, LayoutGivesEveryButtonItsFrameSize) {
  const std::pair<const char16_t*, const char16_t*> buttons[] = {
      {u"FWelcome->bt_Next", u"Next"},          {u"FWelcome->bt_Cancel", u"Cancel"},
      {u"FEULA->bt_PrintEULA", u"Print"},       {u"FEULA->bt_Previous", u"Previous"},
      {u"FAsk->bt_OK", u"OK"},                  {u"FAskInstall->bt_Install", u"Next"},
      {u"FCancelConfirm->bt_Cancel", u"Cancel"}, {u"FFinish->bt_Finish", u"Finish"}};
  for (const String& language : Languages()) {
    win::Form* form = win::GetApplication().CreateForm<win::Form>(u"FLayout");
    TlanguageElementsProperty layout;
    ASSERT_TRUE(layout.ApplyLayout(*form, String(kPackage) + kLayoutFileName, u"",
                                   LanguageIdFromName(language)));
    for (const auto& [key, strip] : buttons) {
      SCOPED_TRACE(win::ToUtf8(language + u" " + key));
      const TRect rect = ParseRect(layout.ReadLayoutValue(String(key) + u"->Position"));
      const win::Bitmap picture = Picture(language, strip);
      EXPECT_EQ(rect.Right - rect.Left, picture.Width() / 4);
      EXPECT_EQ(rect.Bottom - rect.Top, picture.Height());
    }
    win::ResetApplication();
  }
}

std::string ArtifactPath(const std::string& name) {
  const fs::path dir = fs::path(ZX_BINARY_DIR) / "package-artifacts";
  fs::create_directories(dir);
  return (dir / name).string();
}

// A welcome and a licence screen built from the package's own files the way
// the wizard builds them: background shape, layout, texts, skinned controls.
class PackageScreen {
 public:
  PackageScreen(const String& formName, const String& language) : language_(language) {
    texts_.LoadLanguage(String(kPackage) + u"Texts\\", LanguageIdFromName(language), u"Install", u"");
    form_ = win::GetApplication().CreateForm<win::Form>(formName);
    form_->SetBorderStyle(win::BorderStyle::None);
    background_ = form_->Create<win::Image>(u"im_Background");
    background_->SetAutoSize(true);
    // As the wizard builds it: a picture that cannot be read changes nothing.
    // The package's pictures are checked by EverySkinPictureIsInItsLanguageAndDecodes.
    (void)SetShapedBackground(*form_, *background_, Skin(u"Background.bmp"));
    form_->SetBounds(0, 0, background_->Picture().Width(), background_->Picture().Height());
    auto* logo = form_->Create<win::Image>(u"im_TitleBar");
    logo->SetAutoSize(true);
    // As the wizard builds it: a picture that cannot be read changes nothing.
    (void)LoadPicture(*logo, Skin(u"Logo.bmp"));
    logo->SetBounds(20, 10, logo->Picture().Width(), logo->Picture().Height());
  }
  ~PackageScreen() {
    skins_.clear();
    radios_.clear();
    win::ResetApplication();
  }

  String Skin(const String& name) const { return ResolveSkinFile(kPackage, language_, name); }
  String Text(const String& key) const {
    return win::ReplaceAll(texts_.GetText(u"InstallWizard", key), u"%P",
                           texts_.GetText(u"InstallWizard", u"ProductName"));
  }
  win::Label* AddLabel(const String& name, bool bold) {
    auto* label = form_->Create<win::Label>(name);
    label->SetAutoSize(false);
    label->SetWordWrap(true);
    label->SetTransparent(true);
    if (bold) label->GetFont().style = win::kFsBold;
    label->SetCaption(Text(form_->Name() + u"->" + name + u"->Caption"));
    return label;
  }
  win::Button* AddButton(const String& name) {
    auto* button = form_->Create<win::Button>(name);
    button->SetBounds(0, 0, 64, 25);
    return button;
  }
  void SkinButton(win::Button* button, const String& strip) {
    skins_.push_back(std::make_unique<TskinButton>(*button));
    // As the wizard builds it: without its picture the button keeps its own look.
    (void)skins_.back()->LoadSkin(Skin(strip + u".bmp"));
  }
  // The layout of the screen's language, or of another one (the language the
  // wizard started in).
  void ApplyLayout(const String& language = String()) {
    TlanguageElementsProperty layout;
    // As the wizard builds it: without UI.txt the controls keep their places.
    (void)layout.ApplyLayout(*form_, String(kPackage) + kLayoutFileName, u"",
                             LanguageIdFromName(language.empty() ? language_ : language));
  }
  win::RadioButton* AddRadio(const String& name) {
    auto* radio = form_->Create<win::RadioButton>(name);
    radio->SetCaption(Text(form_->Name() + u"->" + name + u"->Caption"));
    return radio;
  }
  void SkinRadio(win::RadioButton* radio) {
    radios_.push_back(std::make_unique<TskinRadioButton>(*radio));
    // As the wizard builds it: without its picture the radio button keeps its own look.
    (void)radios_.back()->LoadSkin(Skin(u"Radio.bmp"), &background_->Picture(), 5);
  }
  win::Form& Form() { return *form_; }
  const win::Bitmap& Background() const { return background_->Picture(); }

 private:
  String language_;
  TlanguageManagement texts_;
  win::Form* form_ = nullptr;
  win::Image* background_ = nullptr;
  std::vector<std::unique_ptr<TskinButton>> skins_;
  std::vector<std::unique_ptr<TskinRadioButton>> radios_;
};

TEST_F(SamplePackage, WelcomeAndLicenceScreensDrawFromThePackage) {
  win::SetFixedTextMetrics(false);
  for (const String language : {u"English", u"Japanese"}) {
    SCOPED_TRACE(win::ToUtf8(language));
    {
      PackageScreen screen(u"FWelcome", language);
      screen.AddLabel(u"lb_Welcome", true);
      screen.AddLabel(u"lb_StartInstallation", false);
      screen.AddLabel(u"lb_SelectLanguage", false);
      auto* list = screen.Form().Create<win::GroupBox>(u"gb_Languages");
      win::Button* next = screen.AddButton(u"bt_Next");
      win::Button* cancel = screen.AddButton(u"bt_Cancel");
      screen.ApplyLayout();
      const StringList languages = Languages();
      win::MemIniFile settings(String(kPackage) + u"Settings.ini");
      for (size_t i = 0; i < languages.size(); ++i) {
        auto* row = screen.Form().Create<win::Label>(u"lb_Languages" + win::IntToStr(i));
        row->SetParent(list);
        row->SetAutoSize(false);
        row->SetBounds(2, 20 * static_cast<int32_t>(i) + 5, 160, 20);
        row->SetTransparent(i != 0);
        row->SetColor(win::RGB(74, 0, 1));
        row->GetFont().color = ParseColor(u"RGB,200,204,212");
        row->SetCaption(u"  " + settings.ReadString(u"Languages", languages[i], u""));
      }
      screen.SkinButton(next, u"Next");
      screen.SkinButton(cancel, u"Cancel");
      cancel->Perform(win::kWmMouseMove, 0, win::MakePointParam(5, 5));
      const win::Bitmap picture = win::RenderForm(screen.Form());
      ASSERT_TRUE(win::SavePng(picture, ArtifactPath("welcome-" + win::ToUtf8(language) + ".png")));
      EXPECT_EQ(picture.Pixel(0, 0), win::kDesktopColor);
      EXPECT_EQ(next->Left(), 221);
      EXPECT_EQ(list->BoundsRect(), (win::Rect{192, 166, 377, 362}));
      EXPECT_EQ(cancel->Left(), next->BoundsRect().right + 11);
    }
    {
      PackageScreen screen(u"FEULA", language);
      auto* view = screen.Form().Create<win::RichEdit>(u"re_EULA");
      win::RadioButton* agree = screen.AddRadio(u"rb_AgreeEULA");
      win::RadioButton* decline = screen.AddRadio(u"rb_DisapproveOfEULA");
      std::vector<std::pair<win::Button*, String>> buttons;
      for (const auto& [name, strip] : {std::pair{u"bt_PrintEULA", u"Print"}, {u"bt_Previous", u"Previous"},
                                        {u"bt_Next", u"Next"}, {u"bt_Cancel", u"Cancel"}})
        buttons.emplace_back(screen.AddButton(name), strip);
      screen.ApplyLayout();
      const String code = language == u"English" ? u"en" : u"jp";
      EXPECT_TRUE(view->LoadFromFile(String(kPackage) + u"EULA\\" + code + u"\\Service.rtf"));
      EXPECT_NE(view->Text().find(u"Zorvex"), String::npos);
      agree->SetChecked(true);
      screen.SkinRadio(agree);
      screen.SkinRadio(decline);
      for (auto& [button, strip] : buttons) screen.SkinButton(button, strip);
      const win::Bitmap picture = win::RenderForm(screen.Form());
      ASSERT_TRUE(win::SavePng(picture, ArtifactPath("licence-" + win::ToUtf8(language) + ".png")));
      // The buttons stand in one row at the bottom right, the radio buttons on the card.
      EXPECT_EQ(buttons.back().first->BoundsRect().right, 616);
      EXPECT_LT(buttons[0].first->BoundsRect().right, buttons[1].first->Left());
      EXPECT_EQ(picture.Pixel(decline->Left() + 20, decline->Top() + 1),
                screen.Background().Pixel(decline->Left() + 20, decline->Top() + 1));
    }
  }
}

// The finish screen keeps the layout of the language the wizard started in
// but takes its button picture when it first shows, in the language picked on
// the welcome screen. Whatever the two, the button keeps the size of its place
// and stays inside the window's outline.
TEST_F(SamplePackage, FinishButtonFitsItsPlaceAfterAnyLanguageSwitch) {
  const TskinGraphiceEngine engine;
  const StringList languages = Languages();
  for (const String& start : languages) {
    for (const String& picked : languages) {
      SCOPED_TRACE(win::ToUtf8(start + u" -> " + picked));
      PackageScreen screen(u"FFinish", picked);
      win::Button* finish = screen.AddButton(u"bt_Finish");
      screen.ApplyLayout(start);
      const win::Rect place = finish->BoundsRect();
      screen.SkinButton(finish, u"Finish");
      const win::Rect r = finish->BoundsRect();
      EXPECT_EQ(r, place);
      const win::Region outline = engine.Outline(screen.Background());
      for (const auto& [x, y] : {std::pair{r.left, r.top}, {r.right - 1, r.top}, {r.left, r.bottom - 1},
                                 {r.right - 1, r.bottom - 1}})
        EXPECT_TRUE(outline.Contains(x, y)) << x << "," << y;
    }
  }
}

}  // namespace
