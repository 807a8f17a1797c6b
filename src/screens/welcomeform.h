// The welcome screen: greets the user with the product's name, offers the
// languages the package carries in a scrolling list of ten rows, switches the
// whole wizard to a language as soon as it is clicked, and leads on to the
// licence, series or install confirmation screen.
#pragma once

#include <array>
#include <memory>

#include "screens/wizardform.h"

// The fixed messages of a package without usable language folders.
inline constexpr char16_t kLanguageFolderMissing[] = u"Not found language file!!(02)";
inline constexpr char16_t kLanguageFolderEmpty[] = u"Language file error!!(03)";

// The highlight behind the chosen language (COLORREF 0x1004A).
inline constexpr win::COLORREF kChosenLanguageColor = win::RGB(74, 0, 1);

class TFWelcome : public TWizardForm {
 public:
  static constexpr int kRows = 10;

  explicit TFWelcome(win::Component* owner);
  ~TFWelcome() override;

  win::Label* lb_Welcome;
  win::Label* lb_StartInstallation;
  win::Label* lb_SelectLanguage;
  win::Button* bt_Next;
  win::Button* bt_Cancel;
  win::GroupBox* gb_Languages;
  win::ScrollBar* AdvSmooth_ScrollBar;

  std::unique_ptr<TskinButton> SkinNext;
  std::unique_ptr<TskinButton> SkinCancel;
  std::array<win::Label*, kRows> LanguageLabels{};
  StringList AllLanguages;    // "name=display text" lines of Settings.ini's "Languages"
  StringList ShownLanguages;  // the languages offered, in display order
  bool MouseInList = false;
  bool LanguageChanged = false;
  bool ListReady = false;
  bool ForcedEnglish = false;

  // The selection of a row (also used by the screen itself).
  void LanguageLabelMouseDown(win::Label& label);
  // Reloads the texts for a language and marks the language as changed.
  void SwitchLanguage(const String& name);
  // The name of the offered language called `name` (letter case ignored), as
  // the package writes it; "" when this screen does not offer it.
  String OfferedLanguage(const String& name) const;
  void AdvSmooth_ScrollBarPositionChanged(int32_t position);

  // The row of the list that is highlighted (-1 when none).
  int HighlightedRow() const;
  // The position of the wizard's language in the offered list (-1 if none).
  int ChosenIndex() const;
  // Chooses the offered language at index as a click on its row does,
  // scrolling the list to show it.
  void ChooseLanguageAt(int index);

 private:
  void FormCreate();
  void FormShow();
  void FormActivate();
  void bt_NextClick();
  void bt_CancelClick();
  void SetupLayout();
  void SetupSkinButtons();
  void CreateLanguageLabel(int index, win::COLORREF fontColor);
  void BuildLanguageList();
  void ApplyOwnTexts();
  // Up, Down, Home, End, Page Up and Page Down on the list (true: handled).
  bool ListKeyDown(uint16_t key);

  std::unique_ptr<win::WindowProcHook> listKeys_;
};
