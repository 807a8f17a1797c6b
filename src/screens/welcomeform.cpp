#include "screens/welcomeform.h"

#include <algorithm>

#include "app/app.h"
#include "app/product_words.h"
#include "platform/files.h"
#include "platform/process.h"
#include "screens/askinstallform.h"
#include "screens/cancelconfirmform.h"
#include "screens/cancelform.h"
#include "screens/eulaform.h"
#include "screens/finishform.h"
#include "screens/installform.h"
#include "screens/navigation.h"
#include "screens/screens.h"
#include "screens/seriesselectform.h"
#include "skin/cmnstringprocessunit.h"
#include "skin/skin_windowshape.h"
#include "text/cmnsubroutines.h"
#include "text/text_keys.h"
#include "util/xfunctions.h"

namespace {

constexpr char16_t kLanguagesSection[] = u"Languages";
constexpr char16_t kFallbackLanguage[] = u"English";
constexpr char16_t kListColorKey[] = u"FWelcome->gb_Languages->Background->Color";
constexpr char16_t kListFontColorKey[] = u"LanguageFontListColor";
constexpr char16_t kListFontColorDefault[] = u"RGB,128,128,128,Gray";
constexpr char16_t kRowIndent[] = u"  ";

String LineName(const String& line) { return line.substr(0, line.find(u'=')); }

String LineText(const String& line) {
  const size_t equals = line.find(u'=');
  return equals == String::npos ? String() : line.substr(equals + 1);
}

// Position of the line named like `name` (letter case ignored); -1 if none.
int FindLanguage(const StringList& lines, const String& name) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (win::SameText(LineName(lines[i]), name)) return static_cast<int>(i);
  return -1;
}

// The keyboard and sound-tuning products offer only their own few languages.
bool OffersLanguage(const String& product, const String& folder) {
  if (product != kProductKeyboard && product != kProductTonalix) return true;
  return folder == u"ChineseT" || folder == u"ChineseS" || folder == u"English" || folder == u"Russian";
}

}  // namespace

TFWelcome::TFWelcome(win::Component* owner) : TWizardForm(owner, u"TFWelcome", u"FWelcome") {
  SetClientSize(632, 456);
  CreateStandardImages();
  im_Banner->SetLeft(86);
  im_Banner->SetTop(133);
  im_TitleBar->SetLeft(250);
  im_TitleBar->SetTop(1);
  lb_Welcome = MakeLabel(u"lb_Welcome", 192, 72, 360, 19);
  lb_Welcome->SetWordWrap(true);
  lb_Welcome->GetFont().style = win::kFsBold;
  lb_StartInstallation = MakeLabel(u"lb_StartInstallation", 192, 98, 360, 29);
  lb_StartInstallation->SetWordWrap(true);
  lb_SelectLanguage = MakeLabel(u"lb_SelectLanguage", 192, 137, 360, 15);
  lb_SelectLanguage->SetWordWrap(true);
  bt_Next = MakeButton(u"bt_Next", u"Next", 221, 395);
  bt_Cancel = MakeButton(u"bt_Cancel", u"Cancel", 296, 395);
  for (win::Button* button : {bt_Next, bt_Cancel}) {
    button->GetFont().style = win::kFsBold;
    button->GetFont().height = -15;
    button->GetFont().color = win::kClWhite;
  }
  gb_Languages = Create<win::GroupBox>(u"gb_Languages");
  gb_Languages->SetBounds(192, 154, 185, 210);
  gb_Languages->SetColor(win::kClBlack);
  gb_Languages->SetCaption(u"");
  // The list is one tab stop; the arrows and the paging keys move the choice.
  gb_Languages->SetTabStop(true);
  gb_Languages->SetRole(win::AccessibleRole::List);
  listKeys_ = std::make_unique<win::WindowProcHook>(*gb_Languages);
  listKeys_->Install([this](win::Message& m) {
    if (m.msg == win::kWmKeyDown && ListKeyDown(static_cast<uint16_t>(m.wParam))) return;
    listKeys_->CallSaved(m);
  });
  AdvSmooth_ScrollBar = Create<win::ScrollBar>(u"AdvSmooth_ScrollBar", u"TAdvSmoothScrollBar");
  AdvSmooth_ScrollBar->SetParent(gb_Languages);
  AdvSmooth_ScrollBar->SetBounds(163, 2, 20, 206);
  AdvSmooth_ScrollBar->SetMin(0);
  AdvSmooth_ScrollBar->SetMax(0);
  // The bar's thumb shows the ten rows in view; a press on its track moves
  // the list by as many.
  AdvSmooth_ScrollBar->SetPageSize(kRows);

  const auto enter = [this](win::Component*) { MouseInList = true; };
  const auto leave = [this](win::Component*) { MouseInList = false; };
  gb_Languages->OnMouseEnter = enter;
  gb_Languages->OnMouseLeave = leave;
  AdvSmooth_ScrollBar->OnMouseEnter = enter;
  AdvSmooth_ScrollBar->OnMouseLeave = leave;
  AdvSmooth_ScrollBar->OnPositionChanged = [this](win::Component*, int32_t position) {
    AdvSmooth_ScrollBarPositionChanged(position);
  };
  bt_Next->OnClick = [this](win::Component*) { bt_NextClick(); };
  bt_Cancel->OnClick = [this](win::Component*) { bt_CancelClick(); };
  OnMouseWheelUp = [this](win::Component*, win::ShiftState, win::Point, bool& handled) {
    handled = true;
    const int32_t position = AdvSmooth_ScrollBar->Position();
    if (MouseInList && position - 1 >= 0) AdvSmooth_ScrollBar->SetPosition(position - 1);
  };
  OnMouseWheelDown = [this](win::Component*, win::ShiftState, win::Point, bool& handled) {
    handled = true;
    const int32_t position = AdvSmooth_ScrollBar->Position();
    if (MouseInList && static_cast<int32_t>(ShownLanguages.size()) >= position + 1)
      AdvSmooth_ScrollBar->SetPosition(position + 1);
  };
  OnCreate = [this](win::Component*) { FormCreate(); };
  OnShow = [this](win::Component*) { FormShow(); };
  OnActivate = [this](win::Component*) { FormActivate(); };
  EndProgramOnCloseRequest();

  ApplyOwnTexts();
  LoadBannerAndLogo();
  bt_Next->SetCaption(u"");
  bt_Cancel->SetCaption(u"");
}

TFWelcome::~TFWelcome() {
  SkinNext.reset();
  SkinCancel.reset();
  if (FWelcome == this) FWelcome = nullptr;
}

void TFWelcome::ApplyOwnTexts() {
  lb_Welcome->SetCaption(TextParam(caption::FWelcome_lb_Welcome));
  lb_StartInstallation->SetCaption(TextParam(caption::FWelcome_lb_StartInstallation));
  lb_SelectLanguage->SetCaption(TextParam(caption::FWelcome_lb_SelectLanguage));
  // The list is named by the line above it, as a screen reader would find it.
  gb_Languages->SetAccessibleName(win::Trim(lb_SelectLanguage->Caption()));
}

void TFWelcome::FormCreate() {
  AllLanguages.clear();
  ShownLanguages.clear();
  if (App->settingsStore) {
    StringList lines;
    App->settingsStore->ReadSectionValues(kLanguagesSection, lines);
    // A line without "=" names no language.
    for (String& line : lines)
      if (line.find(u'=') != String::npos) AllLanguages.push_back(std::move(line));
  }
  SetupLayout();
  BuildLanguageList();

  // A colour with a damaged number keeps the one the list would have had.
  win::COLORREF rowColor = ParseColor(String(kListFontColorDefault));
  if (App->layoutStore) {
    win::COLORREF fromFile = 0;
    if (TryParseColor(App->layoutStore->ReadString(kFallbackLanguage, kListFontColorKey, kListFontColorDefault),
                      fromFile))
      rowColor = fromFile;
  }
  for (int i = 0; i < kRows; ++i) CreateLanguageLabel(i, rowColor);
  const int shown = static_cast<int>(ShownLanguages.size());
  AdvSmooth_ScrollBar->SetMax(shown > kRows ? shown - kRows : 0);
  SetupSkinButtons();

  int index = FindLanguage(ShownLanguages, App->languageName);
  if (index < 0) {
    App->languageName = kFallbackLanguage;
    index = FindLanguage(ShownLanguages, kFallbackLanguage);
    ForcedEnglish = true;
  }
  if (index >= 0 && index < kRows)
    LanguageLabelMouseDown(*LanguageLabels[index]);
  else if (index >= kRows)
    AdvSmooth_ScrollBar->SetPosition(index - (kRows - 1));
  ListReady = true;
}

void TFWelcome::SetupLayout() {
  ApplyScreenLayout();
  if (!App->layoutStore) return;
  const String* value = App->layoutStore->FindValue(App->languageName, kListColorKey);
  if (!value) value = App->layoutStore->FindValue(kFallbackLanguage, kListColorKey);
  win::COLORREF color = 0;
  if (value && TryParseColor(*value, color)) gb_Languages->SetColor(color);
}

void TFWelcome::BuildLanguageList() {
  const String texts = App->TextsFolder();
  String root;
  if (win::DirectoryExists(texts + u"LanguageIni\\")) {
    root = texts + u"LanguageIni\\";
  } else if (win::DirectoryExists(texts)) {
    StringList first;
    ListFolderEntries(texts, u"Folder", u"", first, u"");
    root = win::IncludeTrailingBackslash(texts) + (first.empty() ? String() : first.front());
  } else {
    win::GetApplication().ShowMessage(kLanguageFolderMissing);
    return;  // no root: the list stays empty
  }
  StringList folders;
  const int n = ListFolderEntries(root, u"Folder", u"", folders, u"");
  if (n == 0) {
    win::GetApplication().ShowMessage(kLanguageFolderEmpty);
    return;
  }
  if (static_cast<int>(AllLanguages.size()) == n) {
    ShownLanguages = AllLanguages;
    return;
  }
  const String product = App->SetupValue(kKeyRegFolderName);
  for (const String& folder : folders) {
    if (!OffersLanguage(product, folder)) continue;
    // A folder without a line in "Languages" has no name to show.
    const int line = FindLanguage(AllLanguages, folder);
    if (line >= 0) ShownLanguages.push_back(AllLanguages[static_cast<size_t>(line)]);
  }
}

void TFWelcome::CreateLanguageLabel(int index, win::COLORREF fontColor) {
  auto* label = Create<win::Label>(u"lb_Languages" + win::IntToStr(index));
  label->SetParent(gb_Languages);
  label->SetAutoSize(false);
  label->SetTransparent(true);
  label->SetAlignment(win::Alignment::LeftJustify);
  label->SetLayout(win::TextLayout::Center);
  label->GetFont().SetSize(9);
  label->GetFont().color = fontColor;
  label->SetBounds(2, 20 * index + 5, 160, 20);
  label->SetTag(index);
  if (index < static_cast<int>(ShownLanguages.size())) {
    label->SetCaption(kRowIndent + LineText(ShownLanguages[static_cast<size_t>(index)]));
  } else {
    label->SetCaption(u"");
    label->SetEnabled(false);
  }
  label->OnMouseDown = [this, label](win::Component*, win::MouseButton, win::ShiftState, int32_t, int32_t) {
    gb_Languages->SetFocus();
    LanguageLabelMouseDown(*label);
  };
  label->OnMouseEnter = gb_Languages->OnMouseEnter;
  label->OnMouseLeave = gb_Languages->OnMouseLeave;
  LanguageLabels[static_cast<size_t>(index)] = label;
}

void TFWelcome::SetupSkinButtons() {
  SkinNext = SkinPushButton(*bt_Next, kNextPicture);
  SkinCancel = SkinPushButton(*bt_Cancel, kCancelPicture);
}

void TFWelcome::FormShow() {
  MouseInList = false;
  LanguageChanged = false;
}

void TFWelcome::FormActivate() {
  if (TakeFirstActivation()) StandardFirstActivation();
}

void TFWelcome::LanguageLabelMouseDown(win::Label& label) {
  if (label.Caption().empty()) return;
  for (win::Label* row : LanguageLabels) {
    if (!row) continue;
    row->SetTransparent(row != &label);
    if (row == &label) row->SetColor(kChosenLanguageColor);
    row->Repaint();
  }
  const String text = win::Trim(label.Caption());
  String name;
  for (const String& line : ShownLanguages)
    if (LineText(line) == text) {
      name = LineName(line);
      break;
    }
  if (ListReady || ForcedEnglish) {
    SwitchLanguage(name);
    ForcedEnglish = false;
  }
}

void TFWelcome::SwitchLanguage(const String& name) {
  if (name == App->languageName && !ForcedEnglish) return;
  App->languageName = name;
  App->languageId = LanguageIdFromName(name);
  App->LoadLanguage(App->TextsFolder(), App->languageId, u"Install", u"");
  App->productName = App->GetText(App->textSection, kProductNameKey);
  ApplyOwnTexts();
  LoadBannerAndLogo();
  for (win::Form* form : win::GetApplication().Forms())
    if (auto* screen = dynamic_cast<TWizardForm*>(form)) screen->NameButtons();
  LanguageChanged = true;
}

String TFWelcome::OfferedLanguage(const String& name) const {
  const int index = FindLanguage(ShownLanguages, name);
  return index < 0 ? String() : LineName(ShownLanguages[index]);
}

int TFWelcome::ChosenIndex() const { return FindLanguage(ShownLanguages, App->languageName); }

bool TFWelcome::ListKeyDown(uint16_t key) {
  const int shown = static_cast<int>(ShownLanguages.size());
  const int chosen = ChosenIndex();
  int target = 0;
  switch (key) {
    case win::kVkUp: target = chosen - 1; break;
    case win::kVkDown: target = chosen + 1; break;
    case win::kVkPrior: target = chosen - (kRows - 1); break;
    case win::kVkNext: target = chosen + (kRows - 1); break;
    case win::kVkHome: target = 0; break;
    case win::kVkEnd: target = shown - 1; break;
    default: return false;
  }
  if (shown == 0) return true;
  // A choice outside the list (none yet) starts from its top.
  if (chosen < 0 && (key == win::kVkDown || key == win::kVkNext)) target = 0;
  target = std::clamp(target, 0, shown - 1);
  ChooseLanguageAt(target);
  return true;
}

void TFWelcome::ChooseLanguageAt(int index) {
  // Scroll the choice into view, then choose its row as a click would.
  const int32_t position = AdvSmooth_ScrollBar->Position();
  if (index < position)
    AdvSmooth_ScrollBar->SetPosition(index);
  else if (index >= position + kRows)
    AdvSmooth_ScrollBar->SetPosition(index - (kRows - 1));
  const int row = index - AdvSmooth_ScrollBar->Position();
  if (row >= 0 && row < kRows) LanguageLabelMouseDown(*LanguageLabels[static_cast<size_t>(row)]);
}

void TFWelcome::AdvSmooth_ScrollBarPositionChanged(int32_t position) {
  for (win::Label* row : LanguageLabels) {
    row->SetCaption(u"");
    row->SetTransparent(true);
  }
  const int shown = static_cast<int>(ShownLanguages.size());
  for (int k = 0; position + k < shown && k < kRows; ++k) {
    const String& line = ShownLanguages[static_cast<size_t>(position + k)];
    win::Label& row = *LanguageLabels[static_cast<size_t>(k)];
    row.SetCaption(kRowIndent + LineText(line));
    if (LineName(line) == App->languageName) LanguageLabelMouseDown(row);
  }
}

int TFWelcome::HighlightedRow() const {
  for (int i = 0; i < kRows; ++i)
    if (LanguageLabels[static_cast<size_t>(i)] && !LanguageLabels[static_cast<size_t>(i)]->Transparent()) return i;
  return -1;
}

void TFWelcome::bt_NextClick() {
  const bool oem = IsOemSetup();
  Hide();
  if (LanguageChanged) {
    win::Application& application = win::GetApplication();
    for (win::Form* screen : std::initializer_list<win::Form*>{FAskInstall, FCancelConfirm, FCancel, FEULA, FFinish,
                                                                FInstall, FSeriesSelect})
      // The screens are this program's own windows: the post is queued here and cannot fail.
      if (screen) (void)application.PostMessage(screen->Handle(), win::kWmUser, 0, 0);
  }
  if (oem)
    FAskInstall->Show();
  else if (SeriesScreenEnabled())
    FSeriesSelect->Show();
  else
    FEULA->Show();
}

void TFWelcome::bt_CancelClick() {
  // FCancel is this program's own window: the post is queued here and cannot fail.
  if (LanguageChanged) (void)win::GetApplication().PostMessage(FCancel->Handle(), win::kWmUser, 0, 0);
  Hide();
  FCancel->Show();
}
