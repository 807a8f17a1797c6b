#include "screens/screens.h"

#include "platform/ui.h"
#include "screens/askform.h"
#include "screens/askinstallform.h"
#include "screens/cancelconfirmform.h"
#include "screens/cancelform.h"
#include "screens/eulaform.h"
#include "screens/finishform.h"
#include "screens/installform.h"
#include "screens/seriesselectform.h"
#include "screens/uninstallconfirmform.h"
#include "screens/uninstallform.h"
#include "screens/welcomeform.h"

TFWelcome* FWelcome = nullptr;
TFAsk* FAsk = nullptr;
TFAskInstall* FAskInstall = nullptr;
TFCancelConfirm* FCancelConfirm = nullptr;
TFCancel* FCancel = nullptr;
TFEULA* FEULA = nullptr;
TFFinish* FFinish = nullptr;
TFInstall* FInstall = nullptr;
TFSeriesSelect* FSeriesSelect = nullptr;
TFUninstallConfirm* FUninstallConfirm = nullptr;
TFUninstall* FUninstall = nullptr;

void CreateWizardScreens(win::Application& application) {
  FWelcome = application.CreateForm<TFWelcome>(u"FWelcome");
  FAsk = application.CreateForm<TFAsk>(u"FAsk");
  FAskInstall = application.CreateForm<TFAskInstall>(u"FAskInstall");
  FCancelConfirm = application.CreateForm<TFCancelConfirm>(u"FCancelConfirm");
  FCancel = application.CreateForm<TFCancel>(u"FCancel");
  FEULA = application.CreateForm<TFEULA>(u"FEULA");
  FFinish = application.CreateForm<TFFinish>(u"FFinish");
  FInstall = application.CreateForm<TFInstall>(u"FInstall");
  FSeriesSelect = application.CreateForm<TFSeriesSelect>(u"FSeriesSelect");
  FUninstallConfirm = application.CreateForm<TFUninstallConfirm>(u"FUninstallConfirm");
  FUninstall = application.CreateForm<TFUninstall>(u"FUninstall");
}
