// The wizard's screens: one object of each, created hidden at start-up in a
// fixed order after the start-up controller, shown and hidden as the flow
// goes on, and destroyed with the application. Each pointer is null outside
// its screen's lifetime.
#pragma once

namespace win {
class Application;
}

class TFWelcome;
class TFAsk;
class TFAskInstall;
class TFCancelConfirm;
class TFCancel;
class TFEULA;
class TFFinish;
class TFInstall;
class TFSeriesSelect;
class TFUninstallConfirm;
class TFUninstall;

extern TFWelcome* FWelcome;
extern TFAsk* FAsk;
extern TFAskInstall* FAskInstall;
extern TFCancelConfirm* FCancelConfirm;
extern TFCancel* FCancel;
extern TFEULA* FEULA;
extern TFFinish* FFinish;
extern TFInstall* FInstall;
extern TFSeriesSelect* FSeriesSelect;
extern TFUninstallConfirm* FUninstallConfirm;
extern TFUninstall* FUninstall;

// Creates the eleven screens that follow the start-up controller, hidden, in
// their order: welcome, question, install confirmation, cancel question,
// cancelled notice, licence, finish, install progress, series, uninstall
// confirmation, uninstall progress.
void CreateWizardScreens(win::Application& application);
