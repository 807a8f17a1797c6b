// TEMPORARY: the Windows side of the widget model is not written yet. These
// placeholders let Setup.exe link; they fail safely (nothing is drawn or
// shown, pictures and fonts report failure, message boxes answer Cancel).
// The real implementation replaces this file: real windows per control
// (CreateWindowExW, subclassing, SetWindowRgn, BitBlt), GDI text, PNG through
// WIC, MessageBoxW, PrintDlgW and the system message loop.
#include "platform/ui.h"
#include "platform/ui_backend.h"

namespace win::backend {

namespace {
WindowHandle nextHandle = 0x1000;
}

Size MeasureFontText(const Font& font, StringView text) {
  const int32_t pixels = font.height < 0 ? -font.height : font.height;
  return Size{static_cast<int32_t>(text.size()) * (pixels * 6 / 11 + 1), pixels + pixels / 4};
}

void DrawFontText(Bitmap&, const Rect&, int32_t, int32_t, const Font&, COLORREF, StringView) {}

bool DecodePng(const std::string&, Bitmap&, std::string& error) {
  error = "PNG decoding is not available yet";
  return false;
}

bool SavePngFile(const Bitmap&, const std::string&) { return false; }

WindowHandle CreateControlWindow(Control&, bool) { return nextHandle += 4; }
void DestroyControlWindow(Control&) {}
void ControlChanged(Control&) {}
void ShowFormWindow(Form&, bool) {}
void WindowRegionChanged(Control&, const Region*) {}
void BlitToWindow(Control&, const Bitmap&, int32_t, int32_t) {}

void AttachApplication(Application&) {}
void DetachApplication(Application&) {}
bool WaitForEvents(Application& application, uint32_t timeoutMs) { return application.WaitForQueue(timeoutMs); }
void AfterDispatch(Application&) {}

int ShowMessageBox(Application&, WindowHandle, StringView, StringView, uint32_t) { return kIdCancel; }
bool RunPrintDialog(Application&, PrintDialog&, Form*) { return false; }
bool PrintText(StringView, StringView) { return false; }

}  // namespace win::backend
