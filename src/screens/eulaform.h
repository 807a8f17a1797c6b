// The licence screen: the licence text of the current language, agree or
// disagree, printing; Next starts the installation.
#pragma once

#include <memory>

#include "app/product_words.h"
#include "screens/wizardform.h"
#include "skin/skin_radiobutton.h"

// The print job's title.

// The licence folder code of a language name ("ChineseT" -> "tw"); "en" for
// every name outside the table.
String LicenceFolderCode(const String& languageName);
// The licence file of a language: EULA\<code>\Service.rtf beside the
// executable, else the English one; "" when neither exists.
String LicenceFilePath(const String& languageName);

class TFEULA : public TWizardForm {
 public:
  explicit TFEULA(win::Component* owner);
  ~TFEULA() override;

  win::RichEdit* re_EULA;
  win::RadioButton* rb_AgreeEULA;
  win::RadioButton* rb_DisapproveOfEULA;
  win::Button* bt_PrintEULA;
  win::Button* bt_Next;
  win::Button* bt_Previous;
  win::Button* bt_Cancel;
  win::PrintDialog* PrintDialog1;

  void LoadLicence();

 protected:
  bool ScreenMessage(win::Message& message) override;

 private:
  void FormCreate();
  void rb_AgreeEULAClick();
  void bt_PrintEULAClick();

  std::unique_ptr<TskinButton> skinPrint_;
  std::unique_ptr<TskinButton> skinNext_;
  std::unique_ptr<TskinButton> skinPrevious_;
  std::unique_ptr<TskinButton> skinCancel_;
  std::unique_ptr<TskinRadioButton> skinAgree_;
  std::unique_ptr<TskinRadioButton> skinDisapprove_;
};
