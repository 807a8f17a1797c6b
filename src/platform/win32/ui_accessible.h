// What accessibility tools (screen readers) learn of a form: the form's
// window answers WM_GETOBJECT for its client area with an IAccessible of our
// own whose children are the form's push buttons, check boxes, radio buttons
// and lists (the controls themselves are message-only windows, which those
// tools never see).
#pragma once

#include "platform/win32/winapi.h"

namespace win::w32 {

// WM_GETOBJECT on a form's window: true, with the answer in result, when it
// asks for the client area; false to leave the message to the system.
bool AnswerGetObject(HWND form, WPARAM wParam, LPARAM lParam, LRESULT& result);

}  // namespace win::w32
