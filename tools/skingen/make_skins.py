#!/usr/bin/python3
"""Generates the seven shipped skins of the desktop monitor: data/<name>.zim and
data/<name>.bmp for silver, LCD, Green, LCDSmall, Blue, SilverSmall and Brown.

A developer's tool, not part of the build or the tests: the generated files are
committed, and nothing regenerates them (tests/unit/shipped_skins_test.cpp
checks what is committed). It needs Pillow and NumPy (Debian packages
python3-pil and python3-numpy, installed for /usr/bin/python3), and for the
preview the two symbol fonts of make_fonts.py and DejaVu Sans.

    /usr/bin/python3 tools/skingen/make_skins.py [--preview DIR] [output folder, default data/]

Each skin is a monitor face: a bevelled casing whose outline is not a plain
rectangle (rounded or cut corners, a stand, a tab, grip notches), everything
outside the outline in the transparent colour (the window's region is cut
exactly there, so the outline is drawn hard, without blending into it), a
recessed screen that is the grid area, a small recessed display for the
coordinates label and a row of twelve keys for the buttons. The .zim file
gives every key of a skin file in the order SaveSkin writes them.

--preview DIR also writes DIR/<name>.png: the face over a desktop colour with
a grid, miniatures, the label and the button captions drawn roughly the way the
monitor draws them, to judge the look without Windows.
"""

import math
import os
import sys
from dataclasses import dataclass, field

import numpy as np
from PIL import Image, ImageDraw, ImageFont

TRANSPARENT = (255, 0, 255)  # magenta: never used inside a face
SS = 4  # supersampling of the outline before it is cut hard

# The twelve buttons in the skin file's fixed order: hint and caption.
BUTTONS = [
    ("Close Desktop Monitor", "X"),
    ("Help", "?"),
    ("About", "\uf070"),  # Stars1 "p"
    ("Sticky Windows", "\uf08f"),  # Shapes1 0x8F
    ("Options", "\uf083"),  # Stars1 0x83
    ("Icon desktop 5", "5"),
    ("Icon desktop 1", "1"),
    ("Icon desktop 3", "3"),
    ("Icon desktop 4", "4"),
    ("Icon desktop 6", "6"),
    ("Icon desktop 2", "2"),
    ("Menu", "\uf03c"),  # Shapes1 "<"
]
SYMBOL_FONT = {2: "Stars1", 3: "Shapes1", 4: "Stars1", 11: "Shapes1"}
# Left to right along the key row: the icon desktops 1 to 6, then the commands
# Menu, Sticky Windows, Options, About, Help and Close.
DESKTOP_KEYS = [6, 10, 7, 8, 5, 9]
COMMAND_KEYS = [11, 3, 4, 2, 1, 0]


def colour_value(rgb):
    """The skin file's colour value, 0x00BBGGRR."""
    r, g, b = rgb
    return r | g << 8 | b << 16


@dataclass
class Palette:
    casing_top: tuple
    casing_bottom: tuple
    light: tuple  # bevel highlight
    dark: tuple  # bevel shadow
    outline: tuple
    screen_top: tuple
    screen_bottom: tuple
    display: tuple  # the coordinates label's window
    display_text: tuple
    key_top: tuple
    key_bottom: tuple
    key_text: tuple
    grid_line: tuple
    grid_hilight: tuple
    grid_text: tuple
    grid_fill: tuple
    texture: str = "plain"  # plain, brushed, grain, gloss
    brand: tuple = None  # colour of the engraved name, or None for no name


@dataclass
class Metrics:
    width: int
    margin_side: int
    margin_top: int
    grid_height: int
    row_gap: int
    key: int
    key_gap: int
    label_width: int
    margin_bottom: int
    bevel: int
    recess: int
    radius: int
    grid_font: int
    label_font: int
    text_key_font: int
    symbol_key_font: int


LARGE = Metrics(width=300, margin_side=16, margin_top=16, grid_height=190, row_gap=12, key=16, key_gap=2,
                label_width=34, margin_bottom=14, bevel=4, recess=4, radius=16, grid_font=7, label_font=8,
                text_key_font=8, symbol_key_font=9)
SMALL = Metrics(width=214, margin_side=12, margin_top=11, grid_height=128, row_gap=8, key=12, key_gap=1,
                label_width=24, margin_bottom=10, bevel=3, recess=3, radius=11, grid_font=6, label_font=7,
                text_key_font=7, symbol_key_font=7)


@dataclass
class Skin:
    name: str
    metrics: Metrics
    palette: Palette
    shape: str  # monitor, handheld, chamfer, tablet, cabinet
    # filled in by layout()
    size: tuple = (0, 0)
    body: tuple = (0, 0, 0, 0)  # the casing's box inside the bitmap
    grid: tuple = (0, 0, 0, 0)  # x, y, w, h
    label: tuple = (0, 0, 0, 0)
    keys: list = field(default_factory=list)  # per button n: x, y, w, h


SILVER = Palette(
    casing_top=(214, 218, 224), casing_bottom=(158, 163, 171), light=(255, 255, 255), dark=(84, 89, 99),
    outline=(52, 55, 63), screen_top=(16, 26, 50), screen_bottom=(34, 54, 92), display=(20, 26, 36),
    display_text=(120, 228, 255), key_top=(236, 238, 242), key_bottom=(188, 192, 199), key_text=(28, 38, 62),
    grid_line=(170, 192, 226), grid_hilight=(255, 196, 54), grid_text=(232, 238, 247), grid_fill=(62, 96, 150),
    texture="brushed", brand=(110, 115, 124))
LCD = Palette(
    casing_top=(78, 82, 90), casing_bottom=(38, 40, 45), light=(150, 156, 166), dark=(14, 15, 18),
    outline=(8, 8, 10), screen_top=(168, 184, 132), screen_bottom=(138, 156, 106), display=(160, 176, 124),
    display_text=(28, 38, 20), key_top=(92, 96, 104), key_bottom=(52, 55, 61), key_text=(214, 222, 200),
    grid_line=(64, 80, 46), grid_hilight=(16, 22, 10), grid_text=(24, 32, 16), grid_fill=(186, 200, 152),
    texture="plain", brand=None)
GREEN = Palette(
    casing_top=(104, 168, 96), casing_bottom=(44, 104, 50), light=(196, 236, 186), dark=(18, 56, 24),
    outline=(10, 36, 14), screen_top=(6, 24, 10), screen_bottom=(14, 42, 20), display=(6, 22, 10),
    display_text=(110, 255, 130), key_top=(184, 226, 172), key_bottom=(116, 176, 110), key_text=(16, 56, 22),
    grid_line=(84, 214, 104), grid_hilight=(226, 255, 120), grid_text=(176, 255, 176), grid_fill=(22, 78, 34),
    texture="plain", brand=None)
BLUE = Palette(
    casing_top=(84, 136, 224), casing_bottom=(22, 54, 136), light=(200, 222, 255), dark=(10, 26, 76),
    outline=(6, 16, 52), screen_top=(236, 242, 252), screen_bottom=(200, 214, 238), display=(14, 30, 72),
    display_text=(196, 220, 255), key_top=(238, 243, 252), key_bottom=(184, 200, 234), key_text=(18, 38, 108),
    grid_line=(58, 88, 150), grid_hilight=(226, 58, 36), grid_text=(18, 28, 58), grid_fill=(255, 255, 255),
    texture="gloss", brand=None)
BROWN = Palette(
    casing_top=(156, 100, 58), casing_bottom=(96, 56, 30), light=(222, 176, 128), dark=(48, 26, 12),
    outline=(34, 18, 8), screen_top=(238, 228, 202), screen_bottom=(218, 202, 166), display=(236, 224, 190),
    display_text=(70, 40, 16), key_top=(228, 208, 156), key_bottom=(172, 146, 94), key_text=(62, 36, 14),
    grid_line=(112, 80, 48), grid_hilight=(172, 38, 28), grid_text=(58, 38, 18), grid_fill=(252, 246, 230),
    texture="grain", brand=(206, 168, 110))

SKINS = [
    Skin("silver", LARGE, SILVER, "monitor"),
    Skin("LCD", LARGE, LCD, "handheld"),
    Skin("Green", LARGE, GREEN, "chamfer"),
    Skin("LCDSmall", SMALL, LCD, "handheld"),
    Skin("Blue", LARGE, BLUE, "tablet"),
    Skin("SilverSmall", SMALL, SILVER, "monitor"),
    Skin("Brown", LARGE, BROWN, "cabinet"),
]


def layout(skin):
    m = skin.metrics
    above = 6 if skin.shape == "tablet" else 0  # the tab on top
    below = {"monitor": m.key - 2, "cabinet": 9}.get(skin.shape, 0)  # stand or plinth
    inset = 4 if skin.shape == "cabinet" else 0  # the cabinet stands on a wider plinth
    # the monitor's name goes into a wider top band
    margin_top = m.margin_top + (m.margin_top // 3 if skin.shape == "monitor" else 0)
    body_h = margin_top + m.grid_height + m.row_gap + m.key + m.margin_bottom
    skin.size = (m.width, above + body_h + below)
    skin.body = (inset, above, m.width - inset, above + body_h)

    gx, gy = m.margin_side, above + margin_top
    gw = m.width - 2 * m.margin_side
    skin.grid = (gx, gy, gw, m.grid_height)

    row_y = gy + m.grid_height + m.row_gap
    group = 6 * m.key + 5 * m.key_gap
    spare = gw - m.label_width - 2 * group
    assert spare >= 4, skin.name
    skin.label = (gx, row_y, m.label_width, m.key)
    skin.keys = [None] * 12
    x = gx + m.label_width + spare // 2
    for n in DESKTOP_KEYS:
        skin.keys[n] = (x, row_y, m.key, m.key)
        x += m.key + m.key_gap
    x = gx + gw - group
    for n in COMMAND_KEYS:
        skin.keys[n] = (x, row_y, m.key, m.key)
        x += m.key + m.key_gap


# --- the outline ---------------------------------------------------------------------------------------------------


def outline_mask(skin):
    """True inside the face, drawn supersampled and cut at half coverage."""
    w, h = skin.size
    m = skin.metrics
    img = Image.new("L", (w * SS, h * SS), 0)
    d = ImageDraw.Draw(img)

    def box(x0, y0, x1, y1, r):
        d.rounded_rectangle((x0 * SS, y0 * SS, x1 * SS - 1, y1 * SS - 1), radius=r * SS, fill=255)

    bx0, by0, bx1, by1 = skin.body
    if skin.shape == "monitor":
        box(bx0, by0, bx1, by1, m.radius)
        # the stand: a neck and a wide foot
        cx = w / 2
        neck_w, foot_w = w * 0.18, w * 0.46
        neck_bottom = by1 + (h - by1) * 0.45
        d.polygon([((cx - neck_w / 2) * SS, (by1 - 2) * SS), ((cx + neck_w / 2) * SS, (by1 - 2) * SS),
                   ((cx + neck_w / 2 + 2) * SS, neck_bottom * SS), ((cx - neck_w / 2 - 2) * SS, neck_bottom * SS)],
                  fill=255)
        d.rounded_rectangle(((cx - foot_w / 2) * SS, (neck_bottom - 1) * SS, (cx + foot_w / 2) * SS, h * SS - 1),
                            radius=(h - neck_bottom) * SS / 2, fill=255)
    elif skin.shape == "handheld":
        box(bx0, by0, bx1, by1, m.radius + 8)
        # grip notches half-way down both sides
        r = m.bevel + 2
        cy = (by0 + by1) / 2
        for cx in (0, w):
            d.ellipse(((cx - r) * SS, (cy - 2.2 * r) * SS, (cx + r) * SS, (cy + 2.2 * r) * SS), fill=0)
    elif skin.shape == "chamfer":
        c = m.radius
        pts = [(c, 0), (w - c, 0), (w, c), (w, h - c), (w - c, h), (c, h), (0, h - c), (0, c)]
        d.polygon([(x * SS, y * SS) for x, y in pts], fill=255)
        # an alignment notch in the middle of the top edge
        d.rectangle(((w / 2 - 22) * SS, 0, (w / 2 + 22) * SS, 3 * SS), fill=0)
        d.polygon([((w / 2 - 26) * SS, 0), ((w / 2 - 22) * SS, 0), ((w / 2 - 22) * SS, 3 * SS)], fill=0)
        d.polygon([((w / 2 + 26) * SS, 0), ((w / 2 + 22) * SS, 0), ((w / 2 + 22) * SS, 3 * SS)], fill=0)
    elif skin.shape == "tablet":
        # big top corners, small bottom ones, a tab in the middle of the top
        d.rounded_rectangle((bx0 * SS, by0 * SS, bx1 * SS - 1, by1 * SS - 1), radius=m.radius * 1.8 * SS, fill=255)
        d.rectangle((bx0 * SS, (by0 + by1) / 2 * SS, bx1 * SS - 1, by1 * SS - 1), fill=0)
        d.rounded_rectangle((bx0 * SS, (by0 + by1) / 2 * SS - m.radius * SS, bx1 * SS - 1, by1 * SS - 1),
                            radius=m.radius * 0.6 * SS, fill=255)
        tab_w = w * 0.22
        d.rounded_rectangle(((w - tab_w) / 2 * SS, 0, (w + tab_w) / 2 * SS, (by0 + 6) * SS), radius=4 * SS, fill=255)
    elif skin.shape == "cabinet":
        c = m.radius * 0.7
        pts = [(bx0 + c, by0), (bx1 - c, by0), (bx1, by0 + c), (bx1, by1), (bx0, by1), (bx0, by0 + c)]
        d.polygon([(x * SS, y * SS) for x, y in pts], fill=255)
        d.rounded_rectangle((0, (by1 - 1) * SS, w * SS - 1, h * SS - 1), radius=3 * SS, fill=255)
    else:
        raise ValueError(skin.shape)
    small = img.resize((w, h), Image.BOX)
    return np.asarray(small) >= 128


def shifted(mask, dx, dy, fill=False):
    """mask moved by (dx, dy): out[y, x] = mask[y - dy, x - dx]."""
    out = np.full_like(mask, fill)
    h, w = mask.shape
    ys = slice(max(dy, 0), h + min(dy, 0))
    xs = slice(max(dx, 0), w + min(dx, 0))
    ys_src = slice(max(-dy, 0), h + min(-dy, 0))
    xs_src = slice(max(-dx, 0), w + min(-dx, 0))
    out[ys, xs] = mask[ys_src, xs_src]
    return out


def edge_distances(mask, width):
    """Per pixel inside: the distance (1..width, else width + 1) to the outside
    towards the top-left and towards the bottom-right."""
    tl = np.full(mask.shape, width + 1)
    br = np.full(mask.shape, width + 1)
    for k in range(width, 0, -1):
        out_tl = ~shifted(mask, k, 0) | ~shifted(mask, 0, k) | ~shifted(mask, k, k)
        out_br = ~shifted(mask, -k, 0) | ~shifted(mask, 0, -k) | ~shifted(mask, -k, -k)
        tl[mask & out_tl] = k
        br[mask & out_br] = k
    return tl, br


def blend(img, where, colour, alpha):
    a = np.where(where, alpha, 0.0)[..., None]
    img[:] = img * (1 - a) + np.array(colour, float) * a


def bevel(img, mask, width, light, dark, strength=0.85, raised=True):
    tl, br = edge_distances(mask, width)
    up, down = (light, dark) if raised else (dark, light)
    fade_tl = strength * (1 - (tl - 1) / width)
    fade_br = strength * (1 - (br - 1) / width)
    blend(img, mask & (tl <= width) & (tl < br), up, fade_tl)
    blend(img, mask & (br <= width) & (br < tl), down, fade_br)
    blend(img, mask & (tl <= width) & (tl == br), tuple((a + b) / 2 for a, b in zip(up, down)), fade_tl * 0.5)


def vertical_gradient(h, w, top, bottom, y0=0, y1=None):
    y1 = h if y1 is None else y1
    t = np.clip((np.arange(h) - y0) / max(y1 - y0 - 1, 1), 0, 1)[:, None, None]
    return np.broadcast_to(np.array(top, float) * (1 - t) + np.array(bottom, float) * t, (h, w, 3)).copy()


def rect_mask(shape, x, y, w, h, radius=0):
    img = Image.new("L", (shape[1], shape[0]), 0)
    ImageDraw.Draw(img).rounded_rectangle((x, y, x + w - 1, y + h - 1), radius=radius, fill=255)
    return np.asarray(img) >= 128


def texture(kind, h, w, seed):
    rng = np.random.default_rng(seed)
    if kind == "brushed":
        streaks = rng.normal(0, 1, (1, w * 3))
        rows = np.stack([np.roll(streaks[0], rng.integers(0, w * 3))[:w] for _ in range(h)])
        smooth = (rows + np.roll(rows, 1, 1) + np.roll(rows, -1, 1)) / 3
        return (smooth * 4.0 + rng.normal(0, 1.2, (h, w)))[..., None]
    if kind == "grain":
        y, x = np.mgrid[0:h, 0:w]
        wave = np.sin(y / 3.1 + np.sin(x / 37.0) * 2.4 + np.sin(x / 11.0) * 0.6)
        fine = np.sin(y * 1.7 + np.sin(x / 23.0) * 3.0)
        return (wave * 9 + fine * 3 + rng.normal(0, 1.5, (h, w)))[..., None]
    if kind == "gloss":
        return rng.normal(0, 0.8, (h, w))[..., None]
    return rng.normal(0, 1.0, (h, w))[..., None]


# --- the face --------------------------------------------------------------------------------------------------------


def draw_face(skin):
    w, h = skin.size
    m, p = skin.metrics, skin.palette
    mask = outline_mask(skin)
    bx0, by0, bx1, by1 = skin.body

    img = vertical_gradient(h, w, p.casing_top, p.casing_bottom, by0, by1)
    img += texture(p.texture, h, w, seed=len(skin.name))
    if p.texture == "gloss":
        # a glassy sheen over the upper part of the casing
        t = np.clip(1 - (np.arange(h) - by0) / ((by1 - by0) * 0.42), 0, 1)[:, None, None]
        img = img * (1 - 0.38 * t) + 255 * 0.38 * t
    if skin.shape == "monitor" or skin.shape == "cabinet":
        # the stand or the plinth is a shade darker than the casing
        lower = np.zeros(mask.shape, bool)
        lower[by1:, :] = True
        blend(img, lower & mask, p.casing_bottom, 0.5)
        blend(img, lower & mask, p.dark, 0.25)

    bevel(img, mask, m.bevel, p.light, p.dark)
    if skin.shape in ("monitor", "cabinet"):
        # the body's own edge above the stand or plinth
        body = mask.copy()
        body[by1:, :] = False
        seam = body & ~shifted(body, 0, -1)
        blend(img, seam, p.dark, 0.9)

    # the screen: a recess around the grid area, then the glass
    gx, gy, gw, gh = skin.grid
    r = m.recess
    recess = rect_mask(mask.shape, gx - r, gy - r, gw + 2 * r, gh + 2 * r, radius=r + 2)
    blend(img, recess, p.dark, 0.55)
    bevel(img, recess, r, p.light, p.dark, strength=0.9, raised=False)
    screen = np.zeros(mask.shape, bool)
    screen[gy:gy + gh, gx:gx + gw] = True
    glass = vertical_gradient(h, w, p.screen_top, p.screen_bottom, gy, gy + gh)
    yy, xx = np.mgrid[0:h, 0:w]
    sheen = np.clip(1 - ((xx - gx) / gw + (yy - gy) / gh * 1.4), 0, 1) ** 2 * 0.10
    glass = glass * (1 - sheen[..., None]) + 255 * sheen[..., None]
    img[screen] = glass[screen]
    frame = screen & ~shifted(screen, 1, 1) | screen & ~shifted(screen, -1, -1)
    blend(img, frame, (0, 0, 0), 0.35)

    # the coordinates display
    lx, ly, lw, lh = skin.label
    display = rect_mask(mask.shape, lx - 1, ly - 1, lw + 2, lh + 2, radius=2)
    blend(img, display, p.dark, 0.6)
    bevel(img, display, 2, p.light, p.dark, strength=0.8, raised=False)
    inner = np.zeros(mask.shape, bool)
    inner[ly + 1:ly + lh - 1, lx + 1:lx + lw - 1] = True
    img[inner] = np.array(p.display, float)

    # the keys
    for n, (kx, ky, kw, kh) in enumerate(skin.keys):
        well = rect_mask(mask.shape, kx - 1, ky - 1, kw + 2, kh + 2, radius=3)
        blend(img, well, p.dark, 0.55)
        key = rect_mask(mask.shape, kx, ky, kw, kh, radius=2)
        face = vertical_gradient(h, w, p.key_top, p.key_bottom, ky, ky + kh)
        img[key] = face[key]
        bevel(img, key, 1 if m.key < 14 else 2, p.light, p.dark, strength=0.7)

    if p.brand:
        engrave(img, skin)
    if skin.shape == "cabinet":
        for sx, sy in ((bx0 + 11, by0 + 8), (bx1 - 12, by0 + 8), (bx0 + 11, by1 - 9), (bx1 - 12, by1 - 9)):
            screw(img, sx, sy, p)

    # the hard outline: a dark line just inside it, transparent outside
    edge = mask & ~(shifted(mask, 1, 0) & shifted(mask, -1, 0) & shifted(mask, 0, 1) & shifted(mask, 0, -1))
    img[edge] = np.array(p.outline, float)
    out = np.clip(np.rint(img), 0, 255).astype(np.uint8)
    magenta = np.all(out == TRANSPARENT, axis=-1) & mask
    out[magenta] = (254, 0, 254)  # never the mask colour inside the face
    out[~mask] = TRANSPARENT
    return Image.fromarray(out, "RGB")


def engrave(img, skin):
    """The product name pressed into the casing, under the screen's right end or on the stand."""
    p, m = skin.palette, skin.metrics
    w, h = skin.size
    size = 8 if m is LARGE else 6
    try:
        font = ImageFont.truetype("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", size * SS)
    except OSError:
        return
    text = "ZIM DESK"
    layer = Image.new("L", (w * SS, h * SS), 0)
    d = ImageDraw.Draw(layer)
    tw = d.textlength(text, font=font)
    bx0, by0, bx1, by1 = skin.body
    if skin.shape == "monitor":
        # centred in the band above the screen
        cx, cy = w / 2, (by0 + m.bevel + skin.grid[1] - m.recess) / 2
    else:
        # on the plinth
        cx, cy = w / 2, (by1 + h) / 2
    d.text((cx * SS - tw / 2, cy * SS), text, font=font, fill=255, anchor="lm")
    alpha = np.asarray(layer.resize((w, h), Image.BOX), float) / 255
    shadow = shifted(alpha > 0, 0, 1) & ~(alpha > 0)
    blend(img, shadow, skin.palette.light, 0.45)
    blend(img, alpha > 0.02, p.brand, np.clip(alpha * 1.3, 0, 1))


def screw(img, x, y, p):
    h, w = img.shape[:2]
    yy, xx = np.mgrid[0:h, 0:w]
    d2 = (xx - x) ** 2 + (yy - y) ** 2
    blend(img, d2 <= 6.5, p.dark, 0.8)
    blend(img, d2 <= 3.5, (196, 170, 110), 0.9)
    blend(img, (d2 <= 3.5) & (abs(xx - yy - (x - y)) <= 0), p.dark, 0.8)


# --- the skin file ---------------------------------------------------------------------------------------------------


def zim_text(skin):
    m, p = skin.metrics, skin.palette
    lines = ["; Zim Desk skin \"%s\", generated by tools/skingen/make_skins.py" % skin.name]

    def section(name, pairs):
        lines.append("[%s]" % name)
        lines.extend("%s=%s" % (k, v) for k, v in pairs)

    def bounds(r):
        x, y, w, h = r
        return [("Left", x), ("Top", y), ("Width", w), ("Height", h)]

    section("Zim Desk Skin", [("ZimDeskVersion", "2.3"), ("FileformatVersion", 1)])
    section("Background Image", [("Filename", skin.name + ".bmp"), ("TransparentColor", colour_value(TRANSPARENT))])
    section("Desktop Grid", bounds(skin.grid) + [
        ("FontName", "Tahoma"), ("FontSize", m.grid_font), ("FillMiniWindows", 1),
        ("TextColor", colour_value(p.grid_text)), ("HilightColor", colour_value(p.grid_hilight)),
        ("FillColor", colour_value(p.grid_fill)), ("LineColor", colour_value(p.grid_line))])
    section("Coordinates", bounds(skin.label) + [
        ("FontName", "Tahoma"), ("FontSize", m.label_font), ("FontColor", colour_value(p.display_text))])
    for n, (hint, _) in enumerate(BUTTONS):
        symbol = SYMBOL_FONT.get(n)
        section(hint + " Button", bounds(skin.keys[n]) + [
            ("FontName", symbol or "Tahoma"), ("FontColor", colour_value(p.key_text)),
            ("FontSize", m.symbol_key_font if symbol else m.text_key_font)])
    return "\r\n".join(lines) + "\r\n"


# --- the preview -----------------------------------------------------------------------------------------------------


def preview(skin, face, fonts_dir):
    """The face roughly as the monitor shows it, on a desktop colour, doubled in size."""
    p, m = skin.palette, skin.metrics
    w, h = skin.size
    desk = Image.new("RGB", (w + 40, h + 40), (58, 110, 165))
    mask = Image.fromarray((~np.all(np.asarray(face) == TRANSPARENT, axis=-1)).astype(np.uint8) * 255, "L")
    desk.paste(face, (20, 20), mask)
    d = ImageDraw.Draw(desk)
    gx, gy, gw, gh = skin.grid
    gx, gy = gx + 20, gy + 20
    cw, ch = gw // 3, gh // 3
    text_font = ImageFont.truetype("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", m.grid_font + 3)
    # windows as fractions of a cell: (cell x, cell y, left, top, right, bottom)
    for cx_, cy_, x0, y0, x1, y1, title in ((0, 0, .08, .1, .7, .65, "Notepad"), (0, 0, .35, .4, .95, .9, "Explorer"),
                                            (1, 0, .1, .15, .8, .8, "Mail"), (2, 1, .2, .2, .9, .7, "Paint")):
        box = (gx + (cx_ + x0) * cw, gy + (cy_ + y0) * ch, gx + (cx_ + x1) * cw, gy + (cy_ + y1) * ch)
        d.rectangle(box, fill=p.grid_fill, outline=p.grid_line)
        d.text((box[0] + 2, box[1] + 1), title, font=text_font, fill=p.grid_text)
    for i in range(1, 3):
        d.line((gx + i * cw, gy, gx + i * cw, gy + gh - 1), fill=p.grid_line)
        d.line((gx, gy + i * ch, gx + gw - 1, gy + i * ch), fill=p.grid_line)
    d.rectangle((gx, gy, gx + cw, gy + ch), outline=p.grid_hilight)
    lx, ly, lw, lh = skin.label
    label_font = ImageFont.truetype("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", m.label_font + 2)
    d.text((lx + 20 + lw / 2, ly + 20 + lh / 2), "1,1", font=label_font, fill=p.display_text, anchor="mm")
    for n, (hint, caption) in enumerate(BUTTONS):
        kx, ky, kw, kh = skin.keys[n]
        symbol = SYMBOL_FONT.get(n)
        if symbol:
            font = ImageFont.truetype(os.path.join(fonts_dir, symbol + ".ttf"), m.symbol_key_font + 4, encoding="symb")
        else:
            font = ImageFont.truetype("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", m.text_key_font + 2)
        d.text((kx + 20 + kw / 2, ky + 20 + kh / 2), caption, font=font, fill=p.key_text, anchor="mm")
    return desk.resize((desk.width * 2, desk.height * 2), Image.NEAREST)


def main():
    args = sys.argv[1:]
    preview_dir = None
    if args[:1] == ["--preview"]:
        preview_dir = args[1]
        args = args[2:]
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    out_dir = args[0] if args else os.path.join(root, "data")
    os.makedirs(out_dir, exist_ok=True)
    for skin in SKINS:
        layout(skin)
        face = draw_face(skin)
        face.save(os.path.join(out_dir, skin.name + ".bmp"))  # 24-bit, uncompressed, bottom-up
        with open(os.path.join(out_dir, skin.name + ".zim"), "w", newline="") as f:
            f.write(zim_text(skin))
        print("wrote %s.zim and %s.bmp (%d x %d)" % (skin.name, skin.name, *skin.size))
        if preview_dir:
            os.makedirs(preview_dir, exist_ok=True)
            preview(skin, face, out_dir).save(os.path.join(preview_dir, skin.name + ".png"))


if __name__ == "__main__":
    main()
