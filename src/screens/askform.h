// The modal yes/no question the start-up asks before an installed copy is
// replaced.
#pragma once

#include <memory>

#include "screens/wizardform.h"

class TFAsk : public TWizardForm {
 public:
  static constexpr int kResultNone = 0;
  static constexpr int kResultOk = 1;
  static constexpr int kResultCancel = 2;

  explicit TFAsk(win::Component* owner);
  ~TFAsk() override;

  win::Label* lb_Message;
  win::Image* im_Mark;
  win::Button* bt_OK;
  win::Button* bt_Cancel;

  void SetMessage(const String& text) { message_ = text; }
  // Shows the question modally with the message and gives the answer: 1 for
  // OK; 2 for Cancel and for a box closed without an answer, so a dismissed
  // question never leads to removing an installed copy.
  int Ask(const String& text);
  int Result() const { return result_; }

 private:
  void FormCreate();
  void Answer(int result);

  std::unique_ptr<TskinButton> skinOK_;
  std::unique_ptr<TskinButton> skinCancel_;
  String message_;
  int result_ = kResultNone;
  bool answered_ = false;
};
