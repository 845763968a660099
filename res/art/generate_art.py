#!/usr/bin/python3
"""Draws every image resource of the tool: PNG 139-203, the wait GIF, bitmaps 185 and 196, icon 128.

Run from anywhere: /usr/bin/python3 res/art/generate_art.py. Needs Debian's python3-pil and the
WenQuanYi Micro Hei font (fonts-wqy-microhei). The output is committed, so building the tool does
not need this script; run it again after changing the artwork and commit what it wrote.

One palette, flat shapes, anti-aliased edges (drawn at 4x and scaled down), soft shadows only in
the alpha of the layered hosts' backgrounds and in the transparent margins of large buttons.
Output is deterministic: no timestamps or other metadata are written.
"""

import os
import sys

from PIL import Image, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
RES = os.path.dirname(HERE)
PNG_DIR = os.path.join(RES, "png")
FONT_PATH = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
SS = 4  # supersampling factor for anti-aliased shapes

# ---- Palette -------------------------------------------------------------------------------------
BLUE = (45, 127, 249)
BLUE_HOVER = (77, 147, 251)
BLUE_PRESSED = (28, 100, 209)
BLUE_DARK = (24, 82, 176)
BLUE_TINT = (232, 241, 254)
GREEN = (38, 173, 110)
GREEN_HOVER = (58, 190, 128)
GREEN_PRESSED = (28, 145, 92)
SURFACE = (240, 245, 247)  # page body and tab strip (the controls fill with this colour too)
WHITE = (255, 255, 255)
BORDER = (218, 224, 230)
BORDER_STRONG = (195, 195, 195)
TEXT = (38, 44, 52)
TEXT_MUTED = (120, 128, 138)
DISABLED_FILL = (205, 211, 218)
DISABLED_TEXT = (150, 156, 164)
HUD = (43, 52, 64)  # wait dialog
SHADOW = (16, 32, 64)


def font(size):
    return ImageFont.truetype(FONT_PATH, size, index=0)


def rgba(color, alpha=255):
    return (color[0], color[1], color[2], alpha)


def blank(w, h, color=(0, 0, 0, 0)):
    return Image.new("RGBA", (w, h), color)


def big(w, h, color=(0, 0, 0, 0)):
    return Image.new("RGBA", (w * SS, h * SS), color)


def down(img):
    return img.resize((img.width // SS, img.height // SS), Image.LANCZOS)


def sbox(box):
    return [int(round(v * SS)) for v in box]


def rounded(img, box, radius, fill=None, outline=None, width=1):
    """Anti-aliased rounded rectangle composited over img (box in img pixels)."""
    layer = big(img.width, img.height)
    d = ImageDraw.Draw(layer)
    d.rounded_rectangle(sbox(box), radius=radius * SS, fill=fill, outline=outline, width=max(1, int(width * SS)))
    img.alpha_composite(down(layer))


def ellipse(img, box, fill=None, outline=None, width=1):
    layer = big(img.width, img.height)
    d = ImageDraw.Draw(layer)
    d.ellipse(sbox(box), fill=fill, outline=outline, width=max(1, int(width * SS)))
    img.alpha_composite(down(layer))


def lines(img, points, color, width):
    layer = big(img.width, img.height)
    d = ImageDraw.Draw(layer)
    pts = [(x * SS, y * SS) for x, y in points]
    d.line(pts, fill=color, width=int(width * SS), joint="curve")
    r = width * SS / 2
    for x, y in (pts[0], pts[-1]):
        d.ellipse([x - r, y - r, x + r, y + r], fill=color)
    img.alpha_composite(down(layer))


def polygon(img, points, color):
    layer = big(img.width, img.height)
    d = ImageDraw.Draw(layer)
    d.polygon([(x * SS, y * SS) for x, y in points], fill=color)
    img.alpha_composite(down(layer))


def shadow(img, box, radius, blur, alpha, offset=(0, 1)):
    """Soft shadow of a rounded rectangle, composited under whatever is drawn next."""
    layer = blank(img.width, img.height)
    d = ImageDraw.Draw(layer)
    x0, y0, x1, y1 = box
    d.rounded_rectangle([x0 + offset[0], y0 + offset[1], x1 + offset[0], y1 + offset[1]], radius=radius,
                        fill=rgba(SHADOW, alpha))
    img.alpha_composite(layer.filter(ImageFilter.GaussianBlur(blur)))


def text(img, box, caption, size, color, bold=False, align="center"):
    """Caption centred in box (img pixels). Small captions are drawn at their own size, where the
    font's hinting keeps them crisp; bold ones are drawn at 2x with a one-pixel stroke and scaled
    down, which thickens them by half a pixel without merging the strokes of dense characters."""
    scale = 2 if bold else 1
    layer = Image.new("RGBA", (img.width * scale, img.height * scale), (0, 0, 0, 0))
    d = ImageDraw.Draw(layer)
    f = font(size * scale)
    stroke = 1 if bold else 0
    l, t, r, b = d.textbbox((0, 0), caption, font=f, stroke_width=stroke)
    x0, y0, x1, y1 = [v * scale for v in box]
    if align == "center":
        x = x0 + (x1 - x0 - (r - l)) / 2 - l
    else:
        x = x0 - l
    y = y0 + (y1 - y0 - (b - t)) / 2 - t
    d.text((round(x), round(y)), caption, font=f, fill=color, stroke_width=stroke, stroke_fill=color)
    if scale != 1:
        layer = layer.resize(img.size, Image.LANCZOS)
    img.alpha_composite(layer)


def vgradient(w, h, top, bottom):
    img = blank(w, h)
    d = ImageDraw.Draw(img)
    for y in range(h):
        t = y / max(1, h - 1)
        c = tuple(int(round(top[i] + (bottom[i] - top[i]) * t)) for i in range(3))
        d.line([(0, y), (w - 1, y)], fill=rgba(c))
    return img


def save_png(img, resource_id, name):
    os.makedirs(PNG_DIR, exist_ok=True)
    path = os.path.join(PNG_DIR, "%d_%s.png" % (resource_id, name))
    img.save(path, "PNG", optimize=True)
    return path


# ---- Glyphs --------------------------------------------------------------------------------------

def glyph_close(img, cx, cy, half, color, width):
    lines(img, [(cx - half, cy - half), (cx + half, cy + half)], color, width)
    lines(img, [(cx - half, cy + half), (cx + half, cy - half)], color, width)


def glyph_minimize(img, cx, cy, half, color, width):
    lines(img, [(cx - half, cy), (cx + half, cy)], color, width)


def glyph_tick(img, box, color, width):
    x0, y0, x1, y1 = box
    w, h = x1 - x0, y1 - y0
    lines(img, [(x0 + w * 0.22, y0 + h * 0.52), (x0 + w * 0.42, y0 + h * 0.72), (x0 + w * 0.78, y0 + h * 0.30)],
          color, width)


def glyph_package(img, cx, cy, size, body, accent, ring=None):
    """The tool's mark: a closed box with a round minus badge (a program being taken away)."""
    s = size
    # Lid and body.
    rounded(img, (cx - s * 0.44, cy - s * 0.36, cx + s * 0.36, cy - s * 0.18), s * 0.05, fill=body)
    rounded(img, (cx - s * 0.40, cy - s * 0.14, cx + s * 0.32, cy + s * 0.38), s * 0.06, fill=body)
    # The hand hold, cut out of the body in a lighter shade.
    lines(img, [(cx - s * 0.17, cy - s * 0.02), (cx + s * 0.09, cy - s * 0.02)], (255, 255, 255, 150),
          max(1.0, s * 0.055))
    # The badge, set off from the box by a ring of the background colour.
    bx, by, r = cx + s * 0.30, cy + s * 0.28, s * 0.22
    if ring is not None:
        ellipse(img, (bx - r - s * 0.05, by - r - s * 0.05, bx + r + s * 0.05, by + r + s * 0.05), fill=ring)
    ellipse(img, (bx - r, by - r, bx + r, by + r), fill=accent)
    lines(img, [(bx - r * 0.5, by), (bx + r * 0.5, by)], (255, 255, 255, 255), max(1.0, s * 0.06))


# ---- Layered host backgrounds ------------------------------------------------------------------

def host_background(w, h, inset, radius, fill, blur=2.0, alpha=90, border=None):
    """A body that fills the window less its shadow margin; the shadow lives in the alpha."""
    img = blank(w, h)
    l, t, r, b = inset
    shadow(img, (l, t, w - 1 - r, h - 1 - b), radius, blur, alpha)
    rounded(img, (l, t, w - 1 - r, h - 1 - b), radius, fill=rgba(fill), outline=rgba(border) if border else None)
    return img


def title_bar(img, height, radius=0):
    bar = vgradient(img.width, height, (56, 138, 250), BLUE)
    if radius:
        mask = blank(img.width, height)
        rounded(mask, (0, 0, img.width - 1, height + radius), radius, fill=(255, 255, 255, 255))
        bar.putalpha(mask.getchannel("A"))
    img.alpha_composite(bar)


# ---- Images --------------------------------------------------------------------------------------

def make_main_background():
    # 806 x 606: the pages cover (3, 2)-(803, 602); the margin shows the rim and a soft shadow.
    img = host_background(806, 606, (2, 1, 2, 3), 4, BLUE_DARK, blur=1.5, alpha=110)
    save_png(img, 139, "main_background")


def page_base():
    img = blank(800, 600, rgba(WHITE))
    title_bar(img, 42)
    return img


def make_start_page():
    img = page_base()
    hero = vgradient(800, 380, SURFACE, WHITE)
    img.alpha_composite(hero, (0, 42))
    # The tool's mark above the start button (which sits at y 250..335).
    ellipse(img, (340, 86, 460, 206), fill=rgba(BLUE_TINT))
    ellipse(img, (352, 98, 448, 194), fill=rgba(WHITE))
    glyph_package(img, 400, 146, 70, rgba(BLUE), rgba(GREEN), ring=rgba(WHITE))
    # Bottom strip behind the consent line: white with a hairline above it.
    d = ImageDraw.Draw(img)
    d.line([(0, 566), (799, 566)], fill=rgba(BORDER))
    save_png(img, 140, "start_page")


def make_function_page():
    img = page_base()
    body = blank(800, 558, rgba(SURFACE))
    img.alpha_composite(body, (0, 42))
    save_png(img, 141, "function_page")


def make_white_panel():
    img = blank(734, 531, rgba(WHITE))
    d = ImageDraw.Draw(img)
    d.rectangle([0, 0, 733, 530], outline=rgba(BORDER))
    save_png(img, 142, "white_panel")


def make_checkbox_strip():
    img = blank(48, 16)
    rounded(img, (1.5, 1.5, 14.5, 14.5), 2.5, fill=rgba(WHITE), outline=rgba((160, 168, 178)), width=1)
    rounded(img, (17, 1, 31, 15), 3, fill=rgba(BLUE))
    glyph_tick(img, (17, 1, 31, 15), rgba(WHITE), 1.8)
    rounded(img, (33.5, 1.5, 46.5, 14.5), 2.5, fill=rgba((236, 238, 241)), outline=rgba(DISABLED_FILL), width=1)
    save_png(img, 143, "checkbox_strip")


def caption_button_states(w, h, draw_glyph):
    """Close and minimise buttons of the title bar: transparent except the glyph and hover plate."""
    states = []
    for state in ("normal", "hover", "pressed", "disabled"):
        img = blank(w, h)
        if state == "hover":
            rounded(img, (0, 0, w - 1, h - 1), 0, fill=(255, 255, 255, 46))
        elif state == "pressed":
            rounded(img, (0, 0, w - 1, h - 1), 0, fill=(0, 30, 90, 60))
        color = rgba(WHITE, 120) if state == "disabled" else rgba(WHITE)
        draw_glyph(img, color)
        states.append((state, img))
    return states


def make_title_buttons():
    close = caption_button_states(26, 34, lambda img, c: glyph_close(img, 13, 17, 4.5, c, 1.6))
    for i, (state, img) in enumerate(close):
        save_png(img, 144 + i, "close_" + state)
    minimize = caption_button_states(26, 34, lambda img, c: glyph_minimize(img, 13, 19, 5, c, 1.6))
    for i, (state, img) in enumerate(minimize):
        save_png(img, 150 + i, "minimize_" + state)


def make_wait_backgrounds():
    host = host_background(232, 132, (4, 3, 4, 6), 10, HUD, blur=2.5, alpha=120)
    save_png(host, 148, "wait_host")
    child = blank(204, 104, rgba(HUD))
    save_png(child, 149, "wait_child")


def filled_button(w, h, caption, size, fill, text_color, margin=0, radius=None, outline=None, shadow_alpha=0,
                  bold=False):
    img = blank(w, h)
    box = (margin, margin, w - 1 - margin, h - 1 - margin)
    r = radius if radius is not None else (h - 2 * margin) / 2
    if shadow_alpha:
        shadow(img, box, r, margin / 3.0, shadow_alpha, offset=(0, margin / 4.0))
    rounded(img, box, r, fill=rgba(fill) if fill else None, outline=rgba(outline) if outline else None, width=1)
    if caption:
        text(img, box, caption, size, rgba(text_color), bold=bold)
    return img


PRIMARY = {"normal": (BLUE, WHITE), "hover": (BLUE_HOVER, WHITE), "pressed": (BLUE_PRESSED, WHITE),
           "disabled": (DISABLED_FILL, DISABLED_TEXT)}
SUCCESS = {"normal": (GREEN, WHITE), "hover": (GREEN_HOVER, WHITE), "pressed": (GREEN_PRESSED, WHITE),
           "disabled": (DISABLED_FILL, DISABLED_TEXT)}


def secondary(state):
    return {"normal": (WHITE, TEXT, BORDER_STRONG), "hover": (BLUE_TINT, BLUE, BLUE),
            "pressed": ((214, 230, 253), BLUE_PRESSED, BLUE_PRESSED),
            "disabled": ((244, 245, 247), DISABLED_TEXT, DISABLED_FILL)}[state]


def make_prompt_images():
    host = host_background(330, 150, (2, 1, 2, 4), 6, WHITE, blur=1.5, alpha=100, border=(200, 208, 216))
    save_png(host, 162, "prompt_host")
    child = blank(320, 140, rgba(WHITE))
    title_bar(child, 30, radius=0)
    glyph_package(child, 16, 15, 18, rgba(WHITE), rgba(GREEN), ring=rgba(BLUE))
    save_png(child, 163, "prompt_child")
    # Small dialog buttons, 55 x 24: primary (确认, 是) and secondary (取消, 否).
    for base, caption in ((173, "确认"), (176, "是")):
        for i, state in enumerate(("normal", "hover", "pressed")):
            fill, fg = PRIMARY[state]
            save_png(filled_button(55, 24, caption, 13, fill, fg, radius=4), base + i,
                     ("confirm_" if base == 173 else "yes_") + state)
    for base, caption in ((164, "取消"), (170, "否")):
        for i, state in enumerate(("normal", "hover", "pressed")):
            fill, fg, line = secondary(state)
            save_png(filled_button(55, 24, caption, 13, fill, fg, radius=4, outline=line), base + i,
                     ("cancel_" if base == 164 else "no_") + state)
    # Close glyphs for the blue title strip, 12 x 12.
    for i, state in enumerate(("normal", "hover", "pressed")):
        img = blank(12, 12)
        if state != "normal":
            ellipse(img, (0, 0, 11, 11), fill=(255, 255, 255, 60 if state == "hover" else 100))
        glyph_close(img, 5.5, 5.5, 2.8, rgba(WHITE), 1.3)
        save_png(img, 167 + i, "prompt_close_" + state)


def make_more_tools():
    for i, state in enumerate(("normal", "hover", "pressed", "disabled")):
        img = blank(58, 18)
        color = {"normal": BLUE, "hover": BLUE_HOVER, "pressed": BLUE_PRESSED, "disabled": DISABLED_TEXT}[state]
        text(img, (0, 0, 57, 17), "更多工具", 12, rgba(color))
        if state in ("hover", "pressed"):
            lines(img, [(5, 16.2), (52, 16.2)], rgba(color), 0.9)
        save_png(img, 158 + i, "more_tools_" + state)


def make_feedback_images():
    host = host_background(410, 479, (2, 1, 2, 4), 8, WHITE, blur=1.5, alpha=100, border=(200, 208, 216))
    save_png(host, 179, "feedback_host")
    child = blank(400, 468, rgba(WHITE))
    title_bar(child, 30)
    glyph_package(child, 16, 15, 18, rgba(WHITE), rgba(GREEN), ring=rgba(BLUE))
    # The question is part of the artwork.
    ellipse(child, (176, 46, 224, 94), fill=rgba(BLUE_TINT))
    text(child, (176, 46, 224, 94), "?", 30, rgba(BLUE), bold=True)
    text(child, (0, 100, 399, 134), "本工具是否解决了您的问题？", 18, rgba(TEXT), bold=True)
    save_png(child, 180, "feedback_child")
    for i, state in enumerate(("normal", "hover", "pressed", "disabled")):
        img = blank(12, 12)
        if state in ("hover", "pressed"):
            ellipse(img, (0, 0, 11, 11), fill=(255, 255, 255, 60 if state == "hover" else 100))
        glyph_close(img, 5.5, 5.5, 2.8, rgba(WHITE, 120 if state == "disabled" else 255), 1.3)
        save_png(img, 181 + i, "feedback_close_" + state)
    # Large answer buttons, 266 x 60 with 9 pixels of shadow margin (the hit inset).
    for i, state in enumerate(("normal", "hover", "pressed", "disabled")):
        fill, fg = SUCCESS[state]
        save_png(filled_button(266, 60, "解决", 20, fill, fg, margin=9, radius=8, shadow_alpha=60, bold=True),
                 186 + i, "solved_" + state)
        fill, fg = PRIMARY[state]
        save_png(filled_button(266, 60, "未解决", 20, fill, fg, margin=9, radius=8, shadow_alpha=60, bold=True),
                 191 + i, "unsolved_" + state)
        fill, fg, line = secondary(state)
        save_png(filled_button(266, 60, "更多方案", 20, fill, fg, margin=9, radius=8, outline=line,
                               shadow_alpha=30), 154 + i, "more_solutions_" + state)


def make_start_strip():
    strip = blank(1036, 85)
    for i, state in enumerate(("normal", "hover", "pressed", "disabled")):
        fill, fg = PRIMARY[state]
        button = filled_button(259, 85, "开始运行", 26, fill, fg, margin=19, shadow_alpha=0 if state == "disabled"
                               else 80, bold=True)
        strip.alpha_composite(button, (259 * i, 0))
    save_png(strip, 190, "start_strip")


def make_terms_background():
    # Host 541 x 402; the child covers (1, 1)-(539, 384) and the bottom 18 rows hold the pointer
    # towards the terms label on the start page below the viewer.
    img = blank(541, 402)
    body = (1, 1, 539, 383)
    shadow(img, body, 4, 1.5, 90)
    polygon(img, [(56, 382), (84, 382), (70, 398)], rgba((200, 208, 216)))
    rounded(img, body, 4, fill=rgba(WHITE), outline=rgba((200, 208, 216)))
    polygon(img, [(57.5, 382), (82.5, 382), (70, 396)], rgba(WHITE))
    save_png(img, 195, "terms_background")


def make_done_icon():
    img = blank(108, 108)
    ellipse(img, (4, 4, 103, 103), fill=rgba(GREEN))
    glyph_tick(img, (14, 16, 94, 92), rgba(WHITE), 10)
    save_png(img, 199, "done_icon")


def make_row_button_strip():
    strip = blank(256, 24)
    for i, state in enumerate(("normal", "hover", "pressed", "disabled")):
        fill, _ = PRIMARY[state]
        strip.alpha_composite(filled_button(64, 24, "", 12, fill, WHITE, margin=1, radius=4), (64 * i, 0))
    save_png(strip, 200, "row_button_strip")


def make_info_icon():
    img = blank(32, 32)
    ellipse(img, (1, 1, 30, 30), fill=rgba(BLUE))
    ellipse(img, (14, 7, 18, 11), fill=rgba(WHITE))
    rounded(img, (14, 13, 18, 25), 2, fill=rgba(WHITE))
    save_png(img, 201, "info_icon")


def make_uninstall_strip():
    strip = blank(632, 40)
    for i, state in enumerate(("normal", "hover", "pressed", "disabled")):
        fill, fg = PRIMARY[state]
        strip.alpha_composite(filled_button(158, 40, "卸载", 17, fill, fg, margin=2, radius=6),
                              (158 * i, 0))
    save_png(strip, 202, "uninstall_strip")


def make_default_program_icon():
    img = blank(64, 64)
    shadow(img, (6, 8, 57, 57), 6, 1.5, 70)
    rounded(img, (6, 8, 57, 57), 6, fill=rgba(WHITE), outline=rgba((176, 186, 198)))
    top = blank(64, 64)
    rounded(top, (6, 8, 57, 20), 6, fill=rgba(BLUE))
    rounded(top, (6, 14, 57, 20), 0, fill=rgba(BLUE))
    img.alpha_composite(top)
    for x in (12, 18, 24):
        ellipse(img, (x - 2, 12, x + 2, 16), fill=rgba(WHITE))
    for y in (28, 36, 44):
        rounded(img, (14, y, 49 if y != 44 else 38, y + 3), 1.5, fill=rgba(DISABLED_FILL))
    save_png(img, 203, "default_program_icon")


def make_wait_gif():
    """32 x 32, 12 frames of 50 ms: twelve dots around a circle, the bright one walking round."""
    import math
    frames = []
    matte = (250, 250, 252)
    for frame in range(12):
        img = blank(32, 32)
        for k in range(12):
            age = (frame - k) % 12
            alpha = int(255 * max(0.18, 1.0 - age / 9.0))
            angle = 2 * math.pi * k / 12 - math.pi / 2
            cx, cy = 16 + 11 * math.cos(angle), 16 + 11 * math.sin(angle)
            r = 2.6
            ellipse(img, (cx - r, cy - r, cx + r, cy + r), fill=rgba(BLUE, alpha))
        # GIF has one-bit transparency: blend the soft edges over a near-white matte and keep only
        # the untouched pixels transparent.
        solid = Image.new("RGBA", img.size, rgba(matte))
        solid.alpha_composite(img)
        rgb = solid.convert("RGB")
        pal = rgb.quantize(colors=255, method=Image.MEDIANCUT, dither=Image.NONE)
        palette = pal.getpalette()[: 255 * 3] + [255, 0, 255]
        pal.putpalette(palette)
        alpha = img.getchannel("A")
        px = pal.load()
        ap = alpha.load()
        for y in range(32):
            for x in range(32):
                if ap[x, y] == 0:
                    px[x, y] = 255
        pal.info["transparency"] = 255
        frames.append(pal)
    path = os.path.join(RES, "gif", "wait.gif")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    frames[0].save(path, save_all=True, append_images=frames[1:], duration=50, loop=0, disposal=2,
                   transparency=255, optimize=False)


def make_scrollbar_skin():
    """117 x 39: 9 columns x 3 rows of 13 x 13 cells (normal, hot, pressed)."""
    c = 13
    img = blank(9 * c, 3 * c, rgba(WHITE))
    track = (241, 243, 246)
    thumb = {0: (193, 200, 209), 1: (160, 170, 183), 2: BLUE}
    arrow_bg = {0: track, 1: (226, 231, 237), 2: (210, 223, 245)}
    arrow_fg = {0: (128, 136, 146), 1: (80, 88, 98), 2: BLUE_PRESSED}
    for row in range(3):
        y0 = row * c
        for col in range(9):
            x0 = col * c
            cell = blank(c, c, rgba(track))
            if col in (0, 1, 4, 5):
                cell = blank(c, c, rgba(arrow_bg[row]))
                m = 6.0
                pts = {0: [(m - 3.5, 8), (m + 3.5, 8), (m, 4)], 1: [(m - 3.5, 5), (m + 3.5, 5), (m, 9)],
                       4: [(8, m - 3.5), (8, m + 3.5), (4, m)], 5: [(5, m - 3.5), (5, m + 3.5), (9, m)]}[col]
                polygon(cell, pts, rgba(arrow_fg[row]))
            elif col == 2:  # vertical thumb: rounded caps in the first and last 3 rows
                rounded(cell, (2, 0, 10, 12.9), 3.5, fill=rgba(thumb[row]))
            elif col == 6:  # horizontal thumb
                rounded(cell, (0, 2, 12.9, 10), 3.5, fill=rgba(thumb[row]))
            elif col == 8:
                cell = blank(c, c, rgba(track))
                for k in range(3):
                    off = 3 + 3 * k
                    if row == 0:  # grip at the bottom right
                        ellipse(cell, (10 - 1, off - 1, 10 + 1, off + 1), fill=rgba((170, 178, 188)))
                        ellipse(cell, (off - 1, 10 - 1, off + 1, 10 + 1), fill=rgba((170, 178, 188)))
                    elif row == 1:  # grip at the bottom left
                        ellipse(cell, (2 - 1, off - 1, 2 + 1, off + 1), fill=rgba((170, 178, 188)))
                        ellipse(cell, (12 - off - 1, 10 - 1, 12 - off + 1, 10 + 1), fill=rgba((170, 178, 188)))
            img.alpha_composite(cell, (x0, y0))
    path = os.path.join(RES, "bmp", "scrollbar_skin.bmp")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    img.convert("RGB").save(path, "BMP")


def make_tab_skin():
    """15 x 59: rows 0-29 the unselected tab, rows 29-58 the selected tab (row 29 shared)."""
    img = blank(15, 59, rgba(SURFACE))
    d = ImageDraw.Draw(img)
    # Unselected: a soft grey-blue body, edges one shade darker, no bottom line (the pen draws it).
    for y in range(0, 30):
        t = y / 29
        body = tuple(int(round(a + (b - a) * t)) for a, b in zip((233, 238, 243), (224, 230, 236)))
        d.line([(1, y), (13, y)], fill=rgba(body))
    d.line([(0, 2), (0, 29)], fill=rgba((205, 212, 220)))
    d.line([(14, 2), (14, 29)], fill=rgba((205, 212, 220)))
    d.line([(1, 1), (13, 1)], fill=rgba((205, 212, 220)))
    # Selected: white body with a blue accent along the top. Row 29 belongs to both halves: it is
    # the unselected tab's bottom row, so it keeps the unselected body colour and the selected tab
    # starts its accent one row lower.
    for y in range(30, 59):
        d.line([(1, y), (13, y)], fill=rgba(WHITE))
    d.line([(1, 30), (13, 30)], fill=rgba(BLUE))
    d.line([(1, 31), (13, 31)], fill=rgba(BLUE))
    d.line([(0, 30), (0, 58)], fill=rgba(BORDER_STRONG))
    d.line([(14, 30), (14, 58)], fill=rgba(BORDER_STRONG))
    path = os.path.join(RES, "bmp", "tab_skin.bmp")
    img.convert("RGB").save(path, "BMP")


def make_app_icon():
    sizes = [16, 24, 32, 48, 64, 128, 256]
    base = blank(256, 256)
    shadow(base, (16, 18, 239, 241), 48, 5, 70, offset=(0, 4))
    tile = vgradient(256, 256, (70, 150, 252), BLUE_PRESSED)
    mask = blank(256, 256)
    rounded(mask, (16, 14, 239, 237), 48, fill=(255, 255, 255, 255))
    tile.putalpha(mask.getchannel("A"))
    base.alpha_composite(tile)
    glyph_package(base, 124, 122, 170, rgba(WHITE), rgba(GREEN), ring=rgba(BLUE_PRESSED))
    path = os.path.join(RES, "icon", "app.ico")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    base.save(path, format="ICO", sizes=[(s, s) for s in sizes], bitmap_format="bmp")


def main():
    make_main_background()
    make_start_page()
    make_function_page()
    make_white_panel()
    make_checkbox_strip()
    make_title_buttons()
    make_wait_backgrounds()
    make_prompt_images()
    make_more_tools()
    make_feedback_images()
    make_start_strip()
    make_terms_background()
    make_done_icon()
    make_row_button_strip()
    make_info_icon()
    make_uninstall_strip()
    make_default_program_icon()
    make_wait_gif()
    make_scrollbar_skin()
    make_tab_skin()
    make_app_icon()
    return 0


if __name__ == "__main__":
    sys.exit(main())
