// System message boxes, the printer choice and plain-text print jobs.
#include "platform/win32/winapi.h"
#include "platform/win32/gdi.h"

#include <commdlg.h>

#include <cstring>
#include <mutex>
#include <vector>

#include "platform/ui.h"
#include "platform/ui_backend.h"

namespace win::backend {

namespace {

// The printer chosen in the last confirmed print dialog (DEVMODE and
// DEVNAMES as the dialog returned them), as the toolkit's Printer object
// remembers it. Empty: the default printer.
struct ChosenPrinter {
  std::mutex mutex;
  std::vector<BYTE> devMode;
  std::vector<BYTE> devNames;
};

ChosenPrinter& Chosen() {
  static ChosenPrinter printer;
  return printer;
}

std::vector<BYTE> CopyGlobal(HGLOBAL memory) {
  std::vector<BYTE> bytes;
  if (memory == nullptr) return bytes;
  SIZE_T size = ::GlobalSize(memory);
  void* data = ::GlobalLock(memory);
  if (data != nullptr && size > 0) {
    const BYTE* begin = static_cast<const BYTE*>(data);
    bytes.assign(begin, begin + size);
  }
  if (data != nullptr) ::GlobalUnlock(memory);
  return bytes;
}

HGLOBAL GlobalCopy(const std::vector<BYTE>& bytes) {
  if (bytes.empty()) return nullptr;
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (memory == nullptr) return nullptr;
  void* data = ::GlobalLock(memory);
  if (data == nullptr) {
    ::GlobalFree(memory);
    return nullptr;
  }
  std::memcpy(data, bytes.data(), bytes.size());
  ::GlobalUnlock(memory);
  return memory;
}

// Global memory handed to or returned by PrintDlgW.
class GlobalMemory {
 public:
  GlobalMemory() = default;
  ~GlobalMemory() {
    if (memory_ != nullptr) ::GlobalFree(memory_);
  }
  GlobalMemory(const GlobalMemory&) = delete;
  GlobalMemory& operator=(const GlobalMemory&) = delete;
  HGLOBAL& Ref() { return memory_; }

 private:
  HGLOBAL memory_ = nullptr;
};

// A device context for the printer chosen last, or for the default printer.
HDC OpenPrinterDC() {
  std::vector<BYTE> modeBytes;
  std::vector<BYTE> nameBytes;
  {
    ChosenPrinter& chosen = Chosen();
    std::lock_guard<std::mutex> lock(chosen.mutex);
    modeBytes = chosen.devMode;
    nameBytes = chosen.devNames;
  }
  if (nameBytes.size() >= sizeof(DEVNAMES)) {
    const auto* names = reinterpret_cast<const DEVNAMES*>(nameBytes.data());
    const auto* base = reinterpret_cast<const wchar_t*>(nameBytes.data());
    const size_t units = nameBytes.size() / sizeof(wchar_t);
    const DEVMODEW* mode = modeBytes.size() >= sizeof(DEVMODEW)
                               ? reinterpret_cast<const DEVMODEW*>(modeBytes.data())
                               : nullptr;
    if (names->wDriverOffset < units && names->wDeviceOffset < units) {
      HDC dc = ::CreateDCW(base + names->wDriverOffset, base + names->wDeviceOffset, nullptr, mode);
      if (dc != nullptr) return dc;
    }
  }
  PRINTDLGW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.Flags = PD_RETURNDC | PD_RETURNDEFAULT;
  bool ok = ::PrintDlgW(&dialog) != FALSE;
  GlobalMemory returnedMode;
  GlobalMemory returnedNames;
  returnedMode.Ref() = dialog.hDevMode;
  returnedNames.Ref() = dialog.hDevNames;
  return ok ? dialog.hDC : nullptr;
}

// Splits one paragraph into the lines that fit the width, at blanks where
// possible, inside a word when the word alone is too wide.
void WrapParagraph(HDC dc, const std::wstring& paragraph, int width,
                   std::vector<std::wstring>& lines) {
  if (paragraph.empty()) {
    lines.emplace_back();
    return;
  }
  size_t start = 0;
  while (start < paragraph.size()) {
    int fit = 0;
    SIZE extent{};
    const int remaining = static_cast<int>(paragraph.size() - start);
    if (!::GetTextExtentExPointW(dc, paragraph.c_str() + start, remaining, width, &fit, nullptr,
                                 &extent) ||
        fit <= 0) {
      fit = 1;
    }
    size_t end = start + static_cast<size_t>(fit);
    if (end < paragraph.size()) {
      size_t blank = paragraph.find_last_of(L' ', end);
      if (blank != std::wstring::npos && blank > start) end = blank + 1;
    }
    std::wstring line = paragraph.substr(start, end - start);
    while (!line.empty() && line.back() == L' ') line.pop_back();
    lines.push_back(line);
    start = end;
  }
}

}  // namespace

int ShowMessageBox(Application& application, WindowHandle owner, StringView text,
                   StringView caption, uint32_t flags) {
  (void)application;
  const String body(text);
  const String title(caption);
  int result = ::MessageBoxW(reinterpret_cast<HWND>(owner), Wide(body), Wide(title),
                             flags | MB_SETFOREGROUND);
  return result == 0 ? kIdCancel : result;
}

bool RunPrintDialog(Application& application, PrintDialog& dialog, Form* owner) {
  (void)application;
  PRINTDLGW choice{};
  choice.lStructSize = sizeof(choice);
  choice.hwndOwner = owner ? reinterpret_cast<HWND>(owner->Handle()) : nullptr;
  choice.Flags = PD_NOSELECTION | PD_NOPAGENUMS | PD_USEDEVMODECOPIESANDCOLLATE;
  choice.nCopies = 1;
  GlobalMemory devMode;
  GlobalMemory devNames;
  {
    ChosenPrinter& chosen = Chosen();
    std::lock_guard<std::mutex> lock(chosen.mutex);
    devMode.Ref() = GlobalCopy(chosen.devMode);
    devNames.Ref() = GlobalCopy(chosen.devNames);
  }
  choice.hDevMode = devMode.Ref();
  choice.hDevNames = devNames.Ref();
  bool confirmed = ::PrintDlgW(&choice) != FALSE;
  // The dialog may have replaced the handles it was given.
  devMode.Ref() = choice.hDevMode;
  devNames.Ref() = choice.hDevNames;
  if (!confirmed) return false;
  ChosenPrinter& chosen = Chosen();
  std::lock_guard<std::mutex> lock(chosen.mutex);
  chosen.devMode = CopyGlobal(choice.hDevMode);
  chosen.devNames = CopyGlobal(choice.hDevNames);
  dialog.printRangeAll = true;
  return true;
}

bool PrintText(StringView jobTitle, StringView text) {
  w32::CreatedDC printer(OpenPrinterDC());
  HDC dc = printer.Get();
  if (dc == nullptr) return false;

  // A 10-point Tahoma, margins of half an inch on every side.
  const int dpiX = ::GetDeviceCaps(dc, LOGPIXELSX);
  const int dpiY = ::GetDeviceCaps(dc, LOGPIXELSY);
  const int pageWidth = ::GetDeviceCaps(dc, HORZRES);
  const int pageHeight = ::GetDeviceCaps(dc, VERTRES);
  const int marginX = dpiX / 2;
  const int marginY = dpiY / 2;
  const int usableWidth = pageWidth - 2 * marginX;
  const int usableBottom = pageHeight - marginY;
  if (usableWidth <= 0 || usableBottom <= marginY) return false;
  w32::GdiObject printerFont(::CreateFontW(-::MulDiv(10, dpiY, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                           DEFAULT_PITCH | FF_DONTCARE, L"Tahoma"));
  w32::SelectObjectScope selectFont(dc, printerFont.Get());
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  const int lineHeight = metrics.tmHeight + metrics.tmExternalLeading;
  if (lineHeight <= 0) return false;

  std::vector<std::wstring> lines;
  std::wstring paragraph;
  for (char16_t c : text) {
    if (c == u'\r') continue;
    if (c == u'\n') {
      WrapParagraph(dc, paragraph, usableWidth, lines);
      paragraph.clear();
    } else {
      paragraph.push_back(c == u'\t' ? L' ' : static_cast<wchar_t>(c));
    }
  }
  if (!paragraph.empty()) WrapParagraph(dc, paragraph, usableWidth, lines);

  const String title(jobTitle);
  DOCINFOW document{};
  document.cbSize = sizeof(document);
  document.lpszDocName = Wide(title);
  if (::StartDocW(dc, &document) <= 0) return false;
  bool ok = ::StartPage(dc) > 0;
  int y = marginY;
  for (size_t i = 0; ok && i < lines.size(); ++i) {
    if (y + lineHeight > usableBottom) {
      ok = ::EndPage(dc) > 0 && ::StartPage(dc) > 0;
      y = marginY;
      if (!ok) break;
    }
    ::TextOutW(dc, marginX, y, lines[i].c_str(), static_cast<int>(lines[i].size()));
    y += lineHeight;
  }
  if (ok) ok = ::EndPage(dc) > 0;
  if (ok) return ::EndDoc(dc) > 0;
  ::AbortDoc(dc);
  return false;
}

}  // namespace win::backend
