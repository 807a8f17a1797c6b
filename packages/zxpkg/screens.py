"""Screen geometry of the sample package and the layout file UI.txt.

All wizard screens share one background picture (Background.bmp), so they share
one geometry: a title band with the logo, a sidebar on the left, a flat content
card on the right where labels, check boxes and radio buttons sit, and a row of
buttons at the bottom right. The welcome screen keeps its designed button places.
"""

from . import formats

SCREEN_SIZE = (632, 456)
PREPARE_SIZE = (497, 227)
KEY_COLOUR = (255, 0, 255)

TITLE_BAND_HEIGHT = 52
SIDEBAR_RIGHT = 172
CARD = (184, 64, 616, 382)          # left, top, right, bottom (exclusive)
LOGO = (20, 10, 150, 32)            # left, top, width, height
BUTTON_TOP = 395
BUTTON_HEIGHT = 25
BUTTON_GAP = 8
MIN_BUTTON_WIDTH = 64

CHECK_FRAME = 16                    # check and radio strips: 4 frames of 16 x 16
SERIES_SIZE = (240, 180)
BANNER_SIZE = (416, 52)
MARK_SIZE = (48, 48)
TITLE_SIZE = (220, 24)

# Which strip each skinned push button shows.
BUTTON_STRIPS = {
    "bt_Next": "Next", "bt_Install": "Next", "bt_Cancel": "Cancel",
    "bt_Previous": "Previous", "bt_OK": "OK", "bt_Finish": "Finish",
    "bt_PrintEULA": "Print",
}

# Buttons of each screen from the right edge of the button row leftwards.
BUTTON_ROWS = {
    "FAsk": ["bt_Cancel", "bt_OK"],
    "FAskInstall": ["bt_Cancel", "bt_Install", "bt_Previous"],
    "FCancelConfirm": ["bt_Cancel", "bt_OK"],
    "FCancel": ["bt_OK"],
    "FEULA": ["bt_Cancel", "bt_Next", "bt_Previous"],
    "FSeriesSelect": ["bt_Cancel", "bt_Next", "bt_Previous"],
    "FInstall": ["bt_Cancel"],
    "FUninstallConfirm": ["bt_Cancel", "bt_OK"],
    "FUninstall": ["bt_Cancel"],
    "FFinish": ["bt_Finish"],
}

# Every other positioned control: (form, control, left, top, width, height).
CONTROLS = [
    # The welcome heading takes two lines in the longer languages.
    ("FWelcome", "lb_Welcome", 192, 72, 416, 34),
    ("FWelcome", "lb_StartInstallation", 192, 110, 416, 30),
    ("FWelcome", "lb_SelectLanguage", 192, 146, 416, 15),
    ("FWelcome", "gb_Languages", 192, 166, 185, 196),
    ("FAsk", "im_Mark", 204, 172, 48, 48),
    ("FAsk", "lb_Message", 268, 100, 332, 192),
    ("FAskInstall", "lb_Title", 200, 80, 400, 22),
    ("FAskInstall", "lb_AskInstall", 200, 116, 400, 150),
    ("FCancelConfirm", "lb_CancelConfirm", 200, 100, 400, 160),
    ("FCancel", "lb_Cancel", 200, 80, 400, 22),
    ("FCancel", "lb_Notes", 200, 116, 400, 120),
    ("FEULA", "re_EULA", 192, 72, 416, 262),
    ("FEULA", "rb_AgreeEULA", 192, 340, 400, 18),
    ("FEULA", "rb_DisapproveOfEULA", 192, 360, 400, 18),
    ("FSeriesSelect", "lb_SelectSeriesTitle", 192, 72, 416, 22),
    ("FSeriesSelect", "lb_SelectSeriesDescription", 192, 98, 416, 30),
    ("FSeriesSelect", "rb_Series2", 192, 140, 184, 18),
    ("FSeriesSelect", "rb_Series3", 192, 170, 184, 18),
    ("FSeriesSelect", "rb_Series4", 192, 200, 184, 18),
    ("FSeriesSelect", "rb_Series5", 192, 230, 184, 18),
    ("FSeriesSelect", "rb_Series7", 192, 260, 184, 18),
    # The series captions run up to the picture, which keeps 8 pixels from the
    # card's edge: the longest (Russian) is 182 pixels wide.
    ("FSeriesSelect", "im_DisplaySelection", 384, 134, 224, 168),
    ("FSeriesSelect", "im_Series1", 384, 134, 224, 168),
    ("FSeriesSelect", "im_Series2", 384, 134, 224, 168),
    ("FSeriesSelect", "im_Series3", 384, 134, 224, 168),
    ("FSeriesSelect", "im_Series4", 384, 134, 224, 168),
    ("FSeriesSelect", "im_Series5", 384, 134, 224, 168),
    ("FSeriesSelect", "im_Banner", 192, 318, 416, 52),
    ("FInstall", "lb_Install", 200, 80, 400, 40),
    ("FInstall", "lb_InstallProc", 200, 250, 400, 16),
    ("FInstall", "pb_Installation", 200, 272, 400, 16),
    ("FUninstallConfirm", "lb_UninstallConfirm", 200, 80, 400, 100),
    ("FUninstallConfirm", "ck_DeleteUserLog", 200, 200, 400, 18),
    ("FUninstall", "lb_Uninstall", 200, 80, 400, 40),
    ("FUninstall", "lb_UninstallProc", 200, 250, 400, 16),
    ("FUninstall", "pb_Uninstallation", 200, 272, 400, 16),
    ("FFinish", "lb_Finish_Install", 200, 80, 400, 22),
    ("FFinish", "lb_Finish_Uninstall", 200, 80, 400, 22),
    ("FFinish", "lb_Finish_Upgrade", 200, 80, 400, 22),
    ("FFinish", "lb_FinishInstallNotes", 200, 116, 400, 120),
    ("FFinish", "lb_FinishUninstallNotes", 200, 116, 400, 120),
    ("FFinish", "lb_FinishUpgradeNotes", 200, 116, 400, 120),
    ("FFinish", "ck_StartProgram", 200, 330, 400, 18),
]

WHITE = "RGB,255,255,255"
BODY = "RGB,208,212,220"
MUTED = "RGB,154,163,181"
FONT_COLOURS = [
    ("lb_Welcome", WHITE), ("lb_Title", WHITE), ("lb_SelectSeriesTitle", WHITE),
    ("lb_Install", WHITE), ("lb_Uninstall", WHITE), ("lb_Cancel", WHITE),
    ("lb_Finish_Install", WHITE), ("lb_Finish_Uninstall", WHITE),
    ("lb_Finish_Upgrade", WHITE), ("lb_Message", WHITE),
    ("lb_StartInstallation", BODY), ("lb_SelectLanguage", BODY),
    ("lb_SelectSeriesDescription", BODY), ("lb_AskInstall", BODY),
    ("lb_CancelConfirm", BODY), ("lb_Notes", BODY), ("lb_FinishInstallNotes", BODY),
    ("lb_FinishUninstallNotes", BODY), ("lb_FinishUpgradeNotes", BODY),
    ("lb_UninstallConfirm", BODY),
    ("lb_InstallProc", MUTED), ("lb_UninstallProc", MUTED),
    ("rb_AgreeEULA", WHITE), ("rb_DisapproveOfEULA", WHITE),
    ("rb_Series2", WHITE), ("rb_Series3", WHITE), ("rb_Series4", WHITE),
    ("rb_Series5", WHITE), ("rb_Series7", WHITE),
    ("ck_StartProgram", WHITE), ("ck_DeleteUserLog", WHITE),
]


def button_width(text_width):
    """Frame width of a button strip for the widest word of a language."""
    width = max(MIN_BUTTON_WIDTH, text_width + 24)
    return (width + 3) // 4 * 4


def button_positions(frame_width):
    """Every skinned push button's bounds for one frame width:
    {(form, control): (left, top, width, height)}."""
    positions = {}
    for form, row in BUTTON_ROWS.items():
        right = CARD[2]
        for control in row:
            left = right - frame_width
            positions[(form, control)] = (left, BUTTON_TOP, frame_width, BUTTON_HEIGHT)
            right = left - BUTTON_GAP
    positions[("FEULA", "bt_PrintEULA")] = (CARD[0], BUTTON_TOP, frame_width, BUTTON_HEIGHT)
    # The welcome screen keeps its designed button places, moved apart only
    # as far as wider words need.
    positions[("FWelcome", "bt_Next")] = (221, BUTTON_TOP, frame_width, BUTTON_HEIGHT)
    positions[("FWelcome", "bt_Cancel")] = (221 + frame_width + 11, BUTTON_TOP,
                                           frame_width, BUTTON_HEIGHT)
    return positions


def rect_value(left, top, width, height):
    """The rectp form: right - left is exactly the width the control gets."""
    return "rectp,%d,%d,%d,%d" % (left, top, left + width, top + height)


def ui_txt(languages, frame_widths, ui_fonts):
    """UI.txt: the full layout in "English", and in every other language only
    what differs from it (font face, button places for wider buttons)."""
    english_buttons = button_positions(frame_widths["English"])
    english = ["FontName=%s" % ui_fonts["English"],
               "LanguageFontListColor=RGB,200,204,212",
               "FWelcome->gb_Languages->Background->Color=RGB,11,12,15",
               "FEULA->re_EULA->Color=RGB,240,241,244", ""]
    current_form = None
    entries = sorted(english_buttons.items()) + [((f, c), (l, t, w, h)) for f, c, l, t, w, h in CONTROLS]
    entries.sort(key=lambda item: item[0][0])
    for (form, control), bounds in entries:
        if form != current_form:
            if current_form is not None:
                english.append("")
            english.append("; %s" % form)
            current_form = form
        english.append("%s->%s->Position=%s" % (form, control, rect_value(*bounds)))
    english.append("")
    english.append("; text colours on the dark panel")
    english += ["%s->Font->Color=%s" % (control, colour) for control, colour in FONT_COLOURS]

    sections = [("English", english)]
    for language in languages:
        if language == "English":
            continue
        lines = []
        if ui_fonts[language] != ui_fonts["English"]:
            lines.append("FontName=%s" % ui_fonts[language])
        if frame_widths[language] != frame_widths["English"]:
            for (form, control), bounds in sorted(button_positions(frame_widths[language]).items()):
                lines.append("%s->%s->Position=%s" % (form, control, rect_value(*bounds)))
        if lines:
            sections.append((language, lines))
    header = ["Layout of the Zorvex7 set-up screens, one section per language.",
              "A key missing in a language's section is taken from [English].",
              "Positions are rectp,left,top,right,bottom in pixels."]
    return formats.settings_file(sections, "ascii", header)
