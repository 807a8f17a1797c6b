"""The skin pictures of the sample package, drawn with Pillow.

Shaped pictures (backgrounds, push-button strips) are drawn without
anti-aliasing at their outline, so no pixel between the key colour and the
panel exists that would show as a pink fringe. Pictures that sit on the flat
content card (check and radio strips, the exclamation mark) use the card's
colour around their drawing, so they blend with it wherever they are placed.
"""

import io
import math
import os

from PIL import Image, ImageDraw, ImageFont

from . import screens

KEY = screens.KEY_COLOUR
CARD_FILL = (21, 23, 28)
CARD_BORDER = (44, 49, 59)
BAND = (17, 19, 24)
ACCENT = (227, 38, 47)
ACCENT_DARK = (120, 14, 20)

FONT_CANDIDATES = {
    "regular": ["/usr/share/fonts/truetype/wine/tahoma.ttf", "/usr/share/wine/fonts/tahoma.ttf",
                "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"],
    "bold": ["/usr/share/fonts/truetype/wine/tahomabd.ttf", "/usr/share/wine/fonts/tahomabd.ttf",
             "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"],
    "cjk": ["/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
            "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
            "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"],
}


class Fonts:
    """Font files found on this machine; a CJK face for texts that need one."""

    def __init__(self):
        self.paths = {}
        for kind, candidates in FONT_CANDIDATES.items():
            found = next((p for p in candidates if os.path.exists(p)), None)
            if found is None:
                raise FileNotFoundError("no %s font: install fonts-wine, fonts-wqy-microhei "
                                        "and fonts-dejavu-core" % kind)
            self.paths[kind] = found
        self._cache = {}

    def get(self, text, size, bold=True):
        kind = "cjk" if needs_cjk(text) else ("bold" if bold else "regular")
        if kind == "cjk":
            size += 1
        key = (kind, size)
        if key not in self._cache:
            self._cache[key] = ImageFont.truetype(self.paths[kind], size)
        return self._cache[key]

    def text_width(self, text, size, bold=True):
        return int(round(self.get(text, size, bold).getlength(text)))


def needs_cjk(text):
    return any(0x2E80 <= ord(c) <= 0x9FFF or 0xAC00 <= ord(c) <= 0xD7AF or
               0xFF00 <= ord(c) <= 0xFFEF for c in text)


def _mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def _vertical_gradient(size, top, bottom):
    width, height = size
    image = Image.new("RGB", size)
    draw = ImageDraw.Draw(image)
    for y in range(height):
        draw.line([(0, y), (width, y)], fill=_mix(top, bottom, y / max(1, height - 1)))
    return image


def _shaped(panel, radius):
    """The panel cut to a rounded rectangle on the key colour (hard edge)."""
    mask = Image.new("L", panel.size, 0)
    ImageDraw.Draw(mask).rounded_rectangle([0, 0, panel.width - 1, panel.height - 1],
                                           radius=radius, fill=255)
    result = Image.new("RGB", panel.size, KEY)
    result.paste(panel, (0, 0), mask)
    ImageDraw.Draw(result).rounded_rectangle([0, 0, panel.width - 1, panel.height - 1],
                                             radius=radius, outline=(64, 70, 82))
    return result


def _supersampled(size, background, painter, factor=4):
    """Anti-aliased drawing on a known flat background colour."""
    big = Image.new("RGB", (size[0] * factor, size[1] * factor), background)
    painter(ImageDraw.Draw(big), factor)
    return big.resize(size, Image.LANCZOS)


def _mouse_outline(cx, top, width, height):
    """Top view of a mouse as a polygon: narrower front, round back."""
    points = []
    steps = 40
    for i in range(steps + 1):
        t = i / steps
        y = top + t * height
        # half width grows from the front to the widest point at 65 %, then rounds off
        if t < 0.65:
            half = width / 2 * (0.72 + 0.28 * (t / 0.65) ** 0.7)
        else:
            u = (t - 0.65) / 0.35
            half = width / 2 * (1 - u ** 2) ** 0.5
        points.append((cx + half, y))
    left = [(2 * cx - x, y) for x, y in reversed(points)]
    front_arc = []
    half_front = width / 2 * 0.72
    for i in range(1, 12):
        a = 3.14159 * i / 12
        front_arc.append((cx - half_front * math.cos(a), top - width * 0.12 * math.sin(a)))
    return points + left + front_arc


def background():
    """Background.bmp: the rounded wizard panel every screen shares."""
    width, height = screens.SCREEN_SIZE
    panel = _vertical_gradient((width, height), (44, 48, 57), (11, 12, 16))
    draw = ImageDraw.Draw(panel)
    draw.rectangle([0, 0, width, screens.TITLE_BAND_HEIGHT - 1], fill=BAND)
    for x in range(width):
        t = x / (width - 1)
        draw.point((x, screens.TITLE_BAND_HEIGHT), fill=_mix(ACCENT, (40, 12, 16), t))
        draw.point((x, screens.TITLE_BAND_HEIGHT + 1), fill=_mix(ACCENT_DARK, (22, 10, 12), t))
    _sidebar(panel)
    left, top, right, bottom = screens.CARD
    draw.rounded_rectangle([left, top, right - 1, bottom - 1], radius=8,
                           fill=CARD_FILL, outline=CARD_BORDER)
    draw.line([(left, bottom + 6), (right - 1, bottom + 6)], fill=(36, 40, 48))
    return _shaped(panel, 16)


def _sidebar(panel):
    top = screens.TITLE_BAND_HEIGHT + 2
    right = screens.SIDEBAR_RIGHT
    height = panel.height - top
    side = _vertical_gradient((right, height), (28, 30, 36), (9, 10, 13))
    draw = ImageDraw.Draw(side)
    for offset in range(-height, right, 14):
        draw.line([(offset, height), (offset + height, 0)], fill=(33, 35, 42))
    factor = 4
    big = side.resize((right * factor, height * factor), Image.NEAREST)
    bd = ImageDraw.Draw(big)
    outline = [(x * factor, y * factor) for x, y in _mouse_outline(right / 2, 86, 92, 168)]
    bd.polygon(outline, fill=(20, 21, 26), outline=(80, 20, 26))
    bd.line(outline + [outline[0]], fill=(150, 24, 32), width=2 * factor)
    cx = right / 2 * factor
    bd.line([(cx, 80 * factor), (cx, 150 * factor)], fill=(60, 64, 74), width=factor)
    bd.rounded_rectangle([cx - 5 * factor, 100 * factor, cx + 5 * factor, 124 * factor],
                         radius=4 * factor, fill=ACCENT)
    for i in range(3):
        y = (196 + i * 10) * factor
        bd.line([(cx - (34 - i * 8) * factor, y), (cx + (34 - i * 8) * factor, y)],
                fill=(90, 18, 24), width=2 * factor)
    side = big.resize((right, height), Image.LANCZOS)
    panel.paste(side, (0, top))


def prepare_dialog():
    """PrepareDialog.bmp: the smaller panel of the preparation step."""
    width, height = screens.PREPARE_SIZE
    panel = _vertical_gradient((width, height), (44, 48, 57), (11, 12, 16))
    draw = ImageDraw.Draw(panel)
    draw.rectangle([0, 0, width, 39], fill=BAND)
    for x in range(width):
        draw.point((x, 40), fill=_mix(ACCENT, (40, 12, 16), x / (width - 1)))
    draw.rounded_rectangle([12, 52, width - 13, 176], radius=8, fill=CARD_FILL, outline=CARD_BORDER)
    return _shaped(panel, 14)


def button_strip(word, frame_width, fonts):
    """Four frames side by side: normal, hovered, pressed, disabled."""
    height = screens.BUTTON_HEIGHT
    looks = [
        ((64, 69, 80), (34, 37, 44), (98, 104, 118), (255, 255, 255), 0),
        ((214, 44, 52), (140, 18, 25), (255, 110, 116), (255, 255, 255), 0),
        ((110, 14, 20), (160, 26, 33), (255, 110, 116), (235, 235, 235), 1),
        ((42, 44, 49), (42, 44, 49), (58, 61, 68), (112, 116, 124), 0),
    ]
    font = fonts.get(word, 12 if not needs_cjk(word) else 13)
    strip = Image.new("RGB", (frame_width * 4, height), KEY)
    mask = Image.new("L", (frame_width, height), 0)
    ImageDraw.Draw(mask).rounded_rectangle([0, 0, frame_width - 1, height - 1], radius=6, fill=255)
    for index, (top, bottom, border, ink, shift) in enumerate(looks):
        face = _vertical_gradient((frame_width, height), top, bottom)
        draw = ImageDraw.Draw(face)
        if index != 3:
            draw.line([(4, 1), (frame_width - 5, 1)], fill=_mix(top, (255, 255, 255), 0.25))
        box = draw.textbbox((0, 0), word, font=font)
        x = (frame_width - (box[2] - box[0])) // 2 - box[0] + shift
        y = (height - (box[3] - box[1])) // 2 - box[1] + shift
        draw.text((x, y), word, font=font, fill=ink)
        frame = Image.new("RGB", (frame_width, height), KEY)
        frame.paste(face, (0, 0), mask)
        ImageDraw.Draw(frame).rounded_rectangle([0, 0, frame_width - 1, height - 1],
                                                radius=6, outline=border)
        strip.paste(frame, (index * frame_width, 0))
    return strip


def check_strip():
    """Check.bmp: unchecked, unchecked hovered, checked, disabled."""
    size = screens.CHECK_FRAME
    looks = [((122, 128, 140), (13, 14, 18), False), ((227, 38, 47), (27, 29, 35), False),
             ((255, 74, 82), (200, 30, 39), True), ((61, 64, 72), (29, 31, 36), False)]
    strip = Image.new("RGB", (size * 4, size), CARD_FILL)
    for index, (border, fill, ticked) in enumerate(looks):
        def paint(draw, f, border=border, fill=fill, ticked=ticked):
            draw.rounded_rectangle([1 * f, 1 * f, (size - 1) * f - 1, (size - 1) * f - 1],
                                   radius=3 * f, fill=fill, outline=border, width=f)
            if ticked:
                draw.line([(4 * f, 8 * f), (7 * f, 11 * f), (12 * f, 5 * f)],
                          fill=(255, 255, 255), width=2 * f, joint="curve")
        strip.paste(_supersampled((size, size), CARD_FILL, paint), (index * size, 0))
    return strip


def radio_strip():
    """Radio.bmp: unchecked, unchecked hovered, checked, disabled."""
    size = screens.CHECK_FRAME
    looks = [((122, 128, 140), (13, 14, 18), None), ((227, 38, 47), (27, 29, 35), None),
             ((255, 74, 82), (13, 14, 18), (227, 38, 47)), ((61, 64, 72), (29, 31, 36), None)]
    strip = Image.new("RGB", (size * 4, size), CARD_FILL)
    for index, (border, fill, dot) in enumerate(looks):
        def paint(draw, f, border=border, fill=fill, dot=dot):
            draw.ellipse([1 * f, 1 * f, (size - 1) * f - 1, (size - 1) * f - 1],
                         fill=fill, outline=border, width=f + f // 2)
            if dot:
                draw.ellipse([5 * f, 5 * f, (size - 5) * f - 1, (size - 5) * f - 1], fill=dot)
        strip.paste(_supersampled((size, size), CARD_FILL, paint), (index * size, 0))
    return strip


def logo(fonts):
    """Logo.png: the Zorvex word mark on the title band's colour."""
    width, height = screens.LOGO[2], screens.LOGO[3]
    factor = 4
    big = Image.new("RGB", (width * factor, height * factor), BAND)
    draw = ImageDraw.Draw(big)
    f = factor
    draw.polygon([(2 * f, 6 * f), (26 * f, 6 * f), (12 * f, 20 * f), (26 * f, 20 * f),
                  (22 * f, 26 * f), (2 * f, 26 * f), (16 * f, 12 * f), (6 * f, 12 * f)], fill=ACCENT)
    font = ImageFont.truetype(fonts.paths["bold"], 19 * factor)
    x = 32 * f
    for letter in "ZORVEX":
        draw.text((x, 4 * f), letter, font=font, fill=(245, 245, 247))
        x += font.getlength(letter) + 2 * f
    return big.resize((width, height), Image.LANCZOS)


def title(word, fonts):
    """Title.bmp: the wizard's name in the language, on the title band."""
    image = Image.new("RGB", screens.TITLE_SIZE, BAND)
    draw = ImageDraw.Draw(image)
    font = fonts.get(word, 13, bold=False)
    box = draw.textbbox((0, 0), word, font=font)
    draw.text((0, (image.height - (box[3] - box[1])) // 2 - box[1]), word, font=font,
              fill=(200, 204, 212))
    return image


def banner(slogan, fonts):
    """Banner.png: a red band with the product's slogan in the language."""
    width, height = screens.BANNER_SIZE
    image = Image.new("RGB", (width, height), CARD_FILL)
    band = Image.new("RGB", (width, height))
    draw = ImageDraw.Draw(band)
    for x in range(width):
        draw.line([(x, 0), (x, height)], fill=_mix((150, 18, 26), (24, 10, 14), x / (width - 1)))
    for offset in range(-height, width, 22):
        for x in range(max(0, offset), min(width, offset + height)):
            y = height - 1 - (x - offset)
            draw.point((x, y), fill=_mix(band.getpixel((x, y)), (255, 255, 255), 0.08))
    mask = Image.new("L", (width, height), 0)
    ImageDraw.Draw(mask).rounded_rectangle([0, 0, width - 1, height - 1], radius=8, fill=255)
    image.paste(band, (0, 0), mask)
    draw = ImageDraw.Draw(image)
    font = fonts.get(slogan, 17)
    box = draw.textbbox((0, 0), slogan, font=font)
    draw.text((18, (height - (box[3] - box[1])) // 2 - box[1]), slogan, font=font,
              fill=(255, 255, 255))
    return image


def exclamation_mark():
    """ExclamationMark.png: an amber warning triangle on the card's colour."""
    size = screens.MARK_SIZE

    def paint(draw, f):
        draw.polygon([(24 * f, 4 * f), (45 * f, 42 * f), (3 * f, 42 * f)], fill=(240, 168, 36))
        draw.rounded_rectangle([21 * f, 15 * f, 27 * f, 31 * f], radius=2 * f, fill=(30, 24, 14))
        draw.ellipse([21 * f, 34 * f, 27 * f, 40 * f], fill=(30, 24, 14))
    return _supersampled(size, CARD_FILL, paint)


SERIES_LOOKS = [
    # body, rgb strip, wireless, name
    ((150, 154, 162), False, False),
    ((34, 36, 42), True, False),
    ((232, 233, 236), False, True),
    ((30, 32, 38), True, True),
    ((120, 16, 24), True, True),
]


def series_picture(index, caption, fonts):
    """Series\\<code>.bmp: a mouse of the series seen from above."""
    width, height = screens.SERIES_SIZE
    body, rgb, wireless = SERIES_LOOKS[index]
    factor = 3
    big = _vertical_gradient((width * factor, height * factor), (36, 39, 47), (14, 15, 19))
    draw = ImageDraw.Draw(big)
    f = factor
    cx = width / 2
    if not wireless:
        draw.line([(cx * f, 0), (cx * f, 22 * f)], fill=(70, 74, 84), width=3 * f)
    outline = [(x * f, y * f) for x, y in _mouse_outline(cx, 28, 74, 118)]
    draw.polygon(outline, fill=body)
    draw.line(outline + [outline[0]], fill=_mix(body, (255, 255, 255), 0.25), width=f)
    draw.line([(cx * f, 22 * f), (cx * f, 78 * f)], fill=_mix(body, (0, 0, 0), 0.45), width=f)
    draw.rounded_rectangle([(cx - 4) * f, 40 * f, (cx + 4) * f, 58 * f], radius=3 * f,
                           fill=(20, 20, 24), outline=(90, 94, 104))
    if rgb:
        colours = [(255, 40, 60), (255, 170, 30), (60, 220, 90), (40, 150, 255), (180, 70, 255)]
        for i, colour in enumerate(colours):
            y = (100 + i * 6) * f
            draw.line([((cx - 30) * f, y), ((cx - 30) * f, y + 5 * f)], fill=colour, width=2 * f)
            draw.line([((cx + 30) * f, y), ((cx + 30) * f, y + 5 * f)], fill=colour, width=2 * f)
    if wireless:
        for r in (8, 14, 20):
            draw.arc([(200 - r) * f, (30 - r) * f, (200 + r) * f, (30 + r) * f], 225, 315,
                     fill=ACCENT, width=2 * f)
    if index == 4:
        font8k = ImageFont.truetype(fonts.paths["bold"], 12 * f)
        draw.rounded_rectangle([14 * f, 14 * f, 44 * f, 32 * f], radius=4 * f, fill=ACCENT)
        draw.text((19 * f, 15 * f), "8K", font=font8k, fill=(255, 255, 255))
    image = big.resize((width, height), Image.LANCZOS)
    draw = ImageDraw.Draw(image)
    font = fonts.get(caption, 13)
    box = draw.textbbox((0, 0), caption, font=font)
    draw.text(((width - (box[2] - box[0])) // 2 - box[0], height - 26), caption, font=font,
              fill=(235, 236, 240))
    return image


def icon_images(kind):
    """RGBA pictures (16 and 32 pixels) of the uninstall, manual and program icons."""
    result = []
    for size in (16, 32):
        factor = 8
        big = Image.new("RGBA", (size * factor, size * factor), (0, 0, 0, 0))
        draw = ImageDraw.Draw(big)
        s = size * factor
        if kind == "uninstall":
            draw.rounded_rectangle([s * 0.1, s * 0.1, s * 0.9, s * 0.9], radius=s * 0.18,
                                   fill=(200, 30, 39, 255))
            draw.line([(s * 0.3, s * 0.3), (s * 0.7, s * 0.7)], fill=(255, 255, 255, 255), width=int(s * 0.12))
            draw.line([(s * 0.7, s * 0.3), (s * 0.3, s * 0.7)], fill=(255, 255, 255, 255), width=int(s * 0.12))
        elif kind == "manual":
            draw.rounded_rectangle([s * 0.18, s * 0.08, s * 0.82, s * 0.92], radius=s * 0.08,
                                   fill=(235, 236, 240, 255), outline=(60, 64, 74, 255), width=int(s * 0.05))
            for i in range(4):
                y = s * (0.3 + i * 0.13)
                draw.line([(s * 0.3, y), (s * 0.7, y)], fill=(200, 30, 39, 255), width=int(s * 0.05))
        else:
            outline = [(x * s / 100, y * s / 100) for x, y in _mouse_outline(50, 12, 56, 82)]
            draw.polygon(outline, fill=(30, 32, 38, 255))
            draw.rounded_rectangle([s * 0.46, s * 0.22, s * 0.54, s * 0.4], radius=s * 0.04,
                                   fill=(227, 38, 47, 255))
        small = big.resize((size, size), Image.LANCZOS)
        result.append((size, size, small.tobytes()))
    return result


def encode(image, extension):
    """The picture as file bytes: 24-bit BMP or PNG without an alpha channel."""
    buffer = io.BytesIO()
    image.convert("RGB").save(buffer, "BMP" if extension == ".bmp" else "PNG", optimize=False)
    return buffer.getvalue()
