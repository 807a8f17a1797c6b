// What the widget model asks of a backend. The portable code in platform/
// (graphics, picture, ui) keeps all state and calls these functions where
// only the system can act: real fonts, real windows, the system's message
// queue, message boxes, the printer. Each backend implements every one of
// them (the headless one in platform/sim/, the Windows one in
// platform/win32/); subsystems never include this header.
#pragma once

#include <cstdint>
#include <string>

#include "platform/graphics.h"
#include "platform/process.h"
#include "platform/strings.h"

namespace win {
class Application;
class Control;
class Form;
class PrintDialog;
class RichEdit;
}  // namespace win

namespace win::backend {

// ---- text with a real font (not called in fixed-metrics mode)
Size MeasureFontText(const Font& font, StringView text);
// Draws the text with its top-left cell corner at (x, y), only inside clip.
void DrawFontText(Bitmap& target, const Rect& clip, int32_t x, int32_t y, const Font& font,
                  COLORREF color, StringView text);

// ---- pictures
// Decodes a PNG file's bytes into a 24-bit picture (the alpha channel is
// dropped, as a conversion to a plain bitmap does). False with a short
// reason for anything that is not a complete PNG picture.
[[nodiscard]] bool DecodePng(const std::string& bytes, Bitmap& picture, std::string& error);
// Writes a picture as a PNG file at a path of the machine running the
// program (a host path on the simulated machine). False on failure.
[[nodiscard]] bool SavePngFile(const Bitmap& picture, const std::string& nativePath);

// ---- windows
// Gives a new control its window; returns the handle (never 0).
// A top-level window (a form's) is one other programs can find by its title.
WindowHandle CreateControlWindow(Control& control, bool topLevel);
void DestroyControlWindow(Control& control);
// Bounds, visibility, enabled state, caption, font, colour or parent changed.
void ControlChanged(Control& control);
// A form's window appears or disappears on the screen.
void ShowFormWindow(Form& form, bool show);
// The control's window region changed (null: none).
void WindowRegionChanged(Control& control, const Region* region);
// A picture was put on the control's window at (x, y) (the model keeps a copy
// in the control's surface already).
void BlitToWindow(Control& control, const Bitmap& picture, int32_t x, int32_t y);

// ---- the rich-text view (Windows: the system's rich-edit control in the
// form's window; headless: the model draws and scrolls it itself)
// The view's text was loaded, set or cleared.
void RichTextChanged(RichEdit& view);
// Scrolls the view's own window as WM_VSCROLL with this code would (a line
// for the thumb codes) and tells the model the first line it shows; false
// when the view has no window of its own and the model scrolls it.
bool ScrollRichView(RichEdit& view, uint16_t code, int32_t line);
// The thumb of the view's own scroll bar, in the view's coordinates; false
// when the view has no window of its own.
bool RichViewThumb(RichEdit& view, Rect& thumb);

// ---- message loop
// Called once the application's loop belongs to the current thread: route the
// system's deliveries of messages posted to this program's windows into the
// application's queue.
void AttachApplication(Application& application);
void DetachApplication(Application& application);
// Waits at most timeoutMs for work (the application's own queue, messages
// from other programs, driver requests) and moves what arrived from outside
// into the application's queue. True when anything arrived.
bool WaitForEvents(Application& application, uint32_t timeoutMs);
// Called after every round of handling: a moment to publish state.
void AfterDispatch(Application& application);

// ---- dialogs and printing
// A modal system message box; returns the kId* of the button pressed.
int ShowMessageBox(Application& application, WindowHandle owner, StringView text, StringView caption,
                   uint32_t flags);
// The printer choice, modal; true when confirmed.
bool RunPrintDialog(Application& application, PrintDialog& dialog, Form* owner);
// One print job of plain text under a title; false when nothing printed.
[[nodiscard]] bool PrintText(StringView jobTitle, StringView text);

}  // namespace win::backend
