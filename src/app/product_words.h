// The product words: every name of the family's products, their programs,
// folders and files that the set-up program knows. The rest of the program
// names them through this header only, so that a renamed product is renamed in
// one place (scripts/check-layering.py fails on any other string that holds
// one of the family's names).
#pragma once

// %REG_FODLER_PROGNAME of each product line: the name of its record and its
// uninstall entry.
inline constexpr char16_t kProductMouse[] = u"Zorvex3";
inline constexpr char16_t kProductKeyboard[] = u"ZorvexKeyboard";
inline constexpr char16_t kProductTonalix[] = u"ZorvexTonalix";
inline constexpr char16_t kProductEsport[] = u"ZorvexEsport";
inline constexpr char16_t kProductPad[] = u"ZorvexPad";
inline constexpr char16_t kProductDrevanix[] = u"Drevanix";

// %UPDATE_TYPE of the lines that have an updater of their own.
inline constexpr char16_t kUpdateTypeMouse[] = u"ZorvexMouse";
inline constexpr char16_t kUpdateTypeKeyboard[] = u"ZorvexKeyboard";
// %PROGRAM_FILES of the e-sports product.
inline constexpr char16_t kEsportProductFolder[] = u"ZorvexEsport";

// The generations of the mouse and keyboard lines: the product folder of each
// (%PROGRAM_FILES) and the "Product" value of its record are the line's prefix
// and the generation's number.
inline constexpr char16_t kMouseGenerationPrefix[] = u"Zorvex";
inline constexpr char16_t kKeyboardGenerationPrefix[] = u"Vantorix";
inline constexpr char16_t kMouseGeneration2[] = u"Zorvex2";
inline constexpr char16_t kMouseGeneration3[] = u"Zorvex3";
inline constexpr char16_t kMouseGeneration4[] = u"Zorvex4";
inline constexpr char16_t kMouseGeneration5[] = u"Zorvex5";
inline constexpr char16_t kMouseGeneration6[] = u"Zorvex6";
inline constexpr char16_t kMouseGeneration7[] = u"Zorvex7";
inline constexpr char16_t kKeyboardGeneration1[] = u"Vantorix1";
inline constexpr char16_t kKeyboardGeneration2[] = u"Vantorix2";

// Programs and windows of the products that a run stops before it replaces
// them.
inline constexpr const char16_t* kMouseLinePrograms[] = {u"Zorvex2.exe", u"Zorvex3.exe", u"Zorvex4.exe",
                                                         u"Zorvex5.exe", u"Zorvex6.exe"};
inline constexpr char16_t kEsportProgram[] = u"ZorvexEsport.exe";
inline constexpr char16_t kTonalixLibraryWindow[] = u"CMLibraryIOForm";

// The files that mark a product folder whose user data was carried over from
// an older version; the uninstaller keeps them.
inline constexpr char16_t kMigrationMarker[] = u"CopiedLastZorvexVersion.txt";
inline constexpr char16_t kDrevanixMigrationMarker[] = u"CopiedLastMarbekVersion.txt";

// The title of the printed licence.
inline constexpr char16_t kLicencePrintTitle[] = u"EULA Of Marbek";

// Messages for the developers when an older copy's uninstaller cannot be
// replaced (fixed texts, not translated).
inline constexpr char16_t kTonalixCopyFailed[] = u"Tonalix : 複製新版解安裝檔至舊版路徑及文字檔失敗!!!";
inline constexpr char16_t kMouseCopyFailed[] = u"ZorvexMouse : 複製新版解安裝檔至舊版路徑及文字檔失敗!!!";
inline constexpr char16_t kKeyboardCopyFailed[] = u"ZorvexKeyboard : 複製新版解安裝檔至舊版路徑及文字檔失敗!!!";
