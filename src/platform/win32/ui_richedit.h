// The one real child window of a form on Windows: the system's rich-edit
// control that shows the rich-text view (platform/ui.h RichEdit). The form's
// window procedure and the backend's control notices call these.
#pragma once

#include "platform/win32/winapi.h"

#include "platform/ui.h"

namespace win::w32 {

// Keeps the system's window of a view in step with the model (made inside
// the form's window on first call; place, size and visibility after).
void SyncRichView(RichEdit& view, HWND form);
// The control is going: its system window goes with it.
void DestroyRichView(Control& control);
// Whether a window is the system window of a view of this program.
bool IsRichViewWindow(HWND hwnd);

// The mouse moved onto a control the form's window does not see (the view's
// own window); implemented with the form's mouse handling.
void MouseEntered(Control& control);

}  // namespace win::w32
