// The series screen: one of up to five product series, each with its
// picture; the choice is kept as the series index of the application object.
#pragma once

#include <array>
#include <memory>

#include "screens/wizardform.h"
#include "skin/skin_radiobutton.h"

class TFSeriesSelect : public TWizardForm {
 public:
  static constexpr int kSeriesCount = 5;

  explicit TFSeriesSelect(win::Component* owner);
  ~TFSeriesSelect() override;

  win::Label* lb_SelectSeriesTitle;
  win::Label* lb_SelectSeriesDescription;
  // rb_Series2, rb_Series3, rb_Series4, rb_Series5, rb_Series7: index 0 to 4.
  std::array<win::RadioButton*, kSeriesCount> rb_Series{};
  // im_Series1 to im_Series5: the hidden holders of the pictures.
  std::array<win::Image*, kSeriesCount> im_Series{};
  win::Image* im_DisplaySelection;
  win::Button* bt_Next;
  win::Button* bt_Previous;
  win::Button* bt_Cancel;

  // The index of the first ticked series (-1 when none).
  int TickedIndex() const;

 protected:
  bool ScreenMessage(win::Message& message) override;

 private:
  void FormCreate();
  void ApplyTexts();
  void ShowTickedPicture();

  std::unique_ptr<TskinButton> skinNext_;
  std::unique_ptr<TskinButton> skinPrevious_;
  std::unique_ptr<TskinButton> skinCancel_;
  std::array<std::unique_ptr<TskinRadioButton>, kSeriesCount> skinSeries_;
};
