"""What the sample package holds, file by file.

The package is a ZorvexMouse product, "Zorvex7", version 19.02.0005, laid out
as the set-up program expects it beside Setup.exe.
"""

import json
import os

from . import formats, pictures, screens

LANGUAGES = ["English", "German", "French", "Russian", "ChineseT", "ChineseS", "Japanese", "Korean"]

# Windows language identifiers and RTF character sets of the shipped languages.
LANGUAGE_IDS = {"English": 1033, "German": 3079, "French": 2060, "Russian": 1049,
                "ChineseT": 1028, "ChineseS": 2052, "Japanese": 1041, "Korean": 1042}
RTF_CHARSETS = {"Russian": 204, "ChineseT": 136, "ChineseS": 134, "Japanese": 128, "Korean": 129}

PRODUCT_FOLDER = "Zorvex7"
PROGRAM_EXEC = "Zorvex7.exe"
UPDATE_TYPE = "ZorvexMouse"
VERSION = "19.02.0005"
# The payload folder is spelled in lower case: the uninstaller copy of the
# package leaves out exactly "program files".
PAYLOAD = "program files"
DEVICE_FOLDER = "Data\\Device\\"
MANUAL_FOLDER = "Manual\\"
UNINSTALL_ICON = "Icons\\Uninstall.ico"
MANUAL_ICON = "Icons\\Manual.ico"
SERIES_CODES = ["Z7-S2", "Z7-S3", "Z7-S4", "Z7-S5", "Z7-S7"]
SERIES_RADIOS = ["rb_Series2", "rb_Series3", "rb_Series4", "rb_Series5", "rb_Series7"]
COMPANION_LAUNCHER = "DozadoZoZizo.exe"

# Skin pictures and the form each is stored in; both forms occur, and the
# set-up program prefers a PNG of the same name wherever it looks.
PICTURE_FORMATS = {
    "Background": ".bmp", "PrepareDialog": ".bmp", "Title": ".bmp",
    "Banner": ".png", "Logo": ".png", "ExclamationMark": ".png",
    "Next": ".png", "Cancel": ".png", "OK": ".png",
    "Previous": ".bmp", "Finish": ".bmp", "Print": ".bmp",
    "Check": ".bmp", "Radio": ".png",
}
BUTTONS = ["Next", "Cancel", "Previous", "OK", "Finish", "Print"]


def load_texts(texts_folder):
    texts = {}
    for language in LANGUAGES:
        with open(os.path.join(texts_folder, language + ".json"), encoding="utf-8") as f:
            texts[language] = json.load(f)
    return texts


def win_path(*parts):
    """Host path of a package-relative Windows path."""
    pieces = []
    for part in parts:
        pieces.extend(p for p in part.split("\\") if p)
    return os.path.join(*pieces)


class PackageWriter:
    """Writes every file of the package into one folder."""

    def __init__(self, out, texts):
        self.out = out
        self.texts = texts
        self.fonts = pictures.Fonts()
        self.written = []

    def write(self, relative, data):
        path = os.path.join(self.out, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        self.written.append(relative)

    def mkdir(self, relative):
        os.makedirs(os.path.join(self.out, relative), exist_ok=True)

    # --- configuration -----------------------------------------------------

    def setup_ini(self):
        keys = [
            ("%PROGRAM_FILES", PRODUCT_FOLDER), ("%PROGRAM_EXEC", PROGRAM_EXEC),
            ("%PROGRAM_DATA", "Data\\"), ("%UPDATE_TYPE", UPDATE_TYPE), ("%UPDATER", "1"),
            ("%PROGRAM_VERSION", VERSION), ("%REG_FODLER_PROGNAME", "Zorvex3"),
            ("%PUBLISHER", "Zorvex"), ("%PROGRAM_DEVICE", DEVICE_FOLDER),
            ("%PROGRAM_ONBOOT", PRODUCT_FOLDER), ("%Exe_AfterInstall", "1"),
            ("%PROGRAM_FORMCAPTION", "Zorvex7 Gaming Mouse"),
            ("%UNINST_ICO", UNINSTALL_ICON), ("%MANUAL_EXIST", "1"),
            ("%MANUAL_DIR", MANUAL_FOLDER), ("%MANUAL_ICO", MANUAL_ICON),
        ]
        self.write("Setup.ini", formats.settings_file(
            [("Setup", ["%s=%s" % kv for kv in keys])], "ascii"))

    def settings_ini(self):
        left, top, width, height = screens.LOGO
        sections = [
            ("SpecifyLang", ["Language="]),
            ("UI", ["Logo=rectWH,%d,%d,%d,%d" % (left, top, width, height)]),
            ("Series", ["Display=1", "Code=" + ", ".join(SERIES_CODES)]),
            ("Languages", ["%s=%s" % (lang, self.texts[lang]["display"]) for lang in LANGUAGES]),
        ]
        self.write("Settings.ini", formats.settings_file(sections, "utf-16-le"))

    def ui_txt(self, frame_widths):
        fonts = {lang: self.texts[lang]["ui_font"] for lang in LANGUAGES}
        self.write("UI.txt", screens.ui_txt(LANGUAGES, frame_widths, fonts))

    # --- texts -------------------------------------------------------------

    def language_files(self):
        for language in LANGUAGES:
            text = self.texts[language]
            sections = [(name, list(text[name].items())) for name in ("InstallWizard", "UNINSTALL")]
            # The words of the skinned buttons, which are pictures on the
            # screen, for screen readers: the same words as the pictures.
            wizard = sections[0][1]
            wizard += [("%s->Caption" % control, text["buttons"][strip])
                       for control, strip in sorted(screens.BUTTON_STRIPS.items())
                       if ("%s->Caption" % control) not in text["InstallWizard"]]
            self.write(os.path.join("Texts", "LanguageIni", language, "Install_%s.ini" % language),
                       formats.language_file(sections, text["file_encoding"]))

    def licences(self):
        for language in LANGUAGES:
            text = self.texts[language]
            eula = text["eula"]
            self.write(os.path.join("EULA", text["eula_code"], "Service.rtf"),
                       formats.rtf_document(eula["title"], eula["paragraphs"], text["ui_font"],
                                            RTF_CHARSETS.get(language, 0), LANGUAGE_IDS[language]))

    # --- pictures ----------------------------------------------------------

    def frame_widths(self):
        """One frame width for every language's button strips, made for the
        widest word of all. The screens keep the layout of the language the
        wizard started in, while the finish screen takes its button picture
        only when it first shows, in the language picked on the way; with one
        width the button still fits its place after any switch."""
        widest = 0
        for language in LANGUAGES:
            for word in self.texts[language]["buttons"].values():
                widest = max(widest, self.fonts.text_width(word, 13 if pictures.needs_cjk(word) else 12))
        return {language: screens.button_width(widest) for language in LANGUAGES}

    def skins(self, frame_widths):
        shared = {
            "Background": pictures.background(),
            "PrepareDialog": pictures.prepare_dialog(),
            "Logo": pictures.logo(self.fonts),
            "ExclamationMark": pictures.exclamation_mark(),
            "Check": pictures.check_strip(),
            "Radio": pictures.radio_strip(),
        }
        shared_bytes = {name: pictures.encode(image, PICTURE_FORMATS[name])
                        for name, image in shared.items()}
        for language in LANGUAGES:
            text = self.texts[language]
            folder = language
            for name, data in shared_bytes.items():
                self.write(os.path.join(folder, name + PICTURE_FORMATS[name]), data)
            for name in BUTTONS:
                strip = pictures.button_strip(text["buttons"][name], frame_widths[language], self.fonts)
                self.write(os.path.join(folder, name + PICTURE_FORMATS[name]),
                           pictures.encode(strip, PICTURE_FORMATS[name]))
            self.write(os.path.join(folder, "Title.bmp"),
                       pictures.encode(pictures.title(text["title"], self.fonts), ".bmp"))
            self.write(os.path.join(folder, "Banner.png"),
                       pictures.encode(pictures.banner(text["banner"], self.fonts), ".png"))
            for index, code in enumerate(SERIES_CODES):
                caption = text["InstallWizard"]["FSeriesSelect->%s->Caption" % SERIES_RADIOS[index]]
                caption = caption.split("(")[0].split("（")[0].strip()
                self.write(os.path.join(folder, "Series", code + ".bmp"),
                           pictures.encode(pictures.series_picture(index, caption, self.fonts), ".bmp"))

    # --- payload -----------------------------------------------------------

    def payload(self):
        program = os.path.join(PAYLOAD, PRODUCT_FOLDER)
        self.write(os.path.join(program, "ini", "AppConfig.ini"), formats.settings_file([
            ("SYSTEM", ["Language=English", "Version=" + VERSION, "StartMinimized=0"]),
            ("DEVICE", ["PollingRate=1000", "DPI=1600", "LiftOffDistance=2"]),
        ]))
        self.write(os.path.join(program, "Data", "Project.ini"), formats.settings_file([
            ("Project", ["Name=" + PRODUCT_FOLDER, "SeriesType=" + SERIES_CODES[3]]),
        ]))
        device = os.path.join(program, win_path(DEVICE_FOLDER))
        for language in ("English", "ChineseT", "ChineseS"):
            self.write(os.path.join(device, language, "Profile1.ini"), formats.settings_file([
                ("Profile", ["Name=Default", "DPI=800,1600,3200", "ReportRate=1000", "Lighting=Breathing"]),
            ]))
            self.write(os.path.join(device, language, "ScriptsMacros", "Default.mcr"),
                       formats.encode_text("; default macro library\nKeyDown=F1\nDelay=50\nKeyUp=F1\n",
                                           "ascii"))
        self.write(os.path.join(device, "DefaultLog", "Device.log"), b"")
        self.write(os.path.join(program, "UserLog", "History.log"), b"")
        for language in LANGUAGES:
            text = self.texts[language]
            self.write(os.path.join(program, win_path(MANUAL_FOLDER), language + ".pdf"),
                       formats.pdf_document(manual_title(language, text), manual_lines(language)))
        self.write(os.path.join(program, win_path(UNINSTALL_ICON)),
                   formats.ico_file(pictures.icon_images("uninstall")))
        self.write(os.path.join(program, win_path(MANUAL_ICON)),
                   formats.ico_file(pictures.icon_images("manual")))
        self.write(os.path.join(program, "Icons", "Zorvex7.ico"),
                   formats.ico_file(pictures.icon_images("program")))
        self.write(os.path.join(PAYLOAD, "Updater", "Updater.ini"), formats.settings_file([
            ("UpgradeInfo", ["%LANGUAGE=English", "%PRODUCT=" + UPDATE_TYPE, "%VERSION=" + VERSION,
                             "%CHECK_DAYS=7"]),
        ]))


def manual_title(language, text):
    """The manual's title; languages outside the PDF's Western code page get
    an English title naming the language."""
    title = "Zorvex7 - " + text["manual"]
    try:
        title.encode("cp1252")
        return title
    except UnicodeEncodeError:
        return "Zorvex7 - User Manual (%s)" % language


def manual_lines(language):
    return [
        "Zorvex7 Gaming Mouse, software version " + VERSION,
        "Sensor: 26000 DPI optical, polling rate up to 8000 Hz",
        "Buttons: 7 programmable, profiles stored on the device",
        "Manual language: " + language,
    ]
