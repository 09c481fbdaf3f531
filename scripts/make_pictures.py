#!/usr/bin/env python3
"""Draws every picture of the user interface into a folder.

Usage: make_pictures.py PICTURE_LIST OUTPUT_DIR

PICTURE_LIST is forms/picture_list.inc (name, type, width, height per line).
Each picture is a small hand-written SVG drawing, rendered with rsvg-convert;
ImageMagick turns the few special ones into their formats (palette PNG, RGB
PNG, animated GIF), qrencode makes the two codes, and the two icon files are
assembled here. Nothing is fetched from anywhere.
"""
import os
import re
import struct
import subprocess
import sys
import tempfile

WHITE = "#FFFFFF"
BLUE = "#1296DB"        # hover pictures: (18, 150, 219)
GREEN = "#0D932D"       # valid status and captions
RED = "#D8262F"
PINK = "#F06FA0"
MAGENTA = "#D020B0"
GREY = "#C8C8C8"
BLACK = "#202020"

SANS = "DejaVu Sans"
CJK = "AR PL SungtiL GB"


def circle_ring(c, r=13):
    return f'<circle cx="16" cy="16" r="{r}" fill="none" stroke="{c}" stroke-width="2"/>'


# Each subject draws into a 32 x 32 box with the colour c.
def s_house(c):
    return (f'<path d="M4 16 L16 5 L28 16" fill="none" stroke="{c}" stroke-width="2.4" stroke-linejoin="round" stroke-linecap="round"/>'
            f'<path d="M8 14 V27 H14 V20 H18 V27 H24 V14" fill="none" stroke="{c}" stroke-width="2.2" stroke-linejoin="round"/>')


def s_document_pdf(c, fill=False):
    body = (f'<path d="M7 3 H20 L26 9 V29 H7 Z" fill="{c if fill else "none"}" stroke="{c}" stroke-width="2" stroke-linejoin="round"/>'
            f'<path d="M20 3 V9 H26" fill="none" stroke="{WHITE if fill else c}" stroke-width="1.6"/>')
    tc = WHITE if fill else c
    return body + (f'<text x="16.5" y="23" font-family="{SANS}" font-weight="bold" font-size="7.5" '
                   f'text-anchor="middle" fill="{tc}">PDF</text>')


def s_open_folder(c):
    return (f'<path d="M3 9 V26 H25 L29 14 H9 L5 26" fill="none" stroke="{c}" stroke-width="2" stroke-linejoin="round"/>'
            f'<path d="M3 9 V6 H11 L13 9 H23 V14" fill="none" stroke="{c}" stroke-width="2" stroke-linejoin="round"/>')


def s_chevron_circle(c, up):
    d = "M10 19 L16 12 L22 19" if up else "M10 13 L16 20 L22 13"
    return circle_ring(c) + f'<path d="{d}" fill="none" stroke="{c}" stroke-width="2.4" stroke-linecap="round" stroke-linejoin="round"/>'


def s_corners(c):
    p = "M5 11 V5 H11 M21 5 H27 V11 M27 21 V27 H21 M11 27 H5 V21"
    return f'<path d="{p}" fill="none" stroke="{c}" stroke-width="2.4" stroke-linecap="round"/>'


def s_fit_width(c):
    return (f'<rect x="4" y="5" width="24" height="22" fill="none" stroke="{c}" stroke-width="2"/>'
            f'<path d="M8 16 H24 M11 12 L7.5 16 L11 20 M21 12 L24.5 16 L21 20" fill="none" stroke="{c}" stroke-width="2" stroke-linecap="round" stroke-linejoin="round"/>')


def s_fit_height(c):
    return (f'<rect x="5" y="4" width="22" height="24" fill="none" stroke="{c}" stroke-width="2"/>'
            f'<path d="M16 8 V24 M12 11 L16 7.5 L20 11 M12 21 L16 24.5 L20 21" fill="none" stroke="{c}" stroke-width="2" stroke-linecap="round" stroke-linejoin="round"/>')


def s_magnifier(c, plus):
    sign = "M9 13 H17 M13 9 V17" if plus else "M9 13 H17"
    return (f'<circle cx="13" cy="13" r="9" fill="none" stroke="{c}" stroke-width="2.2"/>'
            f'<path d="M19.5 19.5 L28 28" stroke="{c}" stroke-width="3.2" stroke-linecap="round"/>'
            f'<path d="{sign}" stroke="{c}" stroke-width="2.2" stroke-linecap="round"/>')


def s_bubble_dots(c, filled=False):
    fill = c if filled else "none"
    dots = WHITE if filled else c
    return (f'<path d="M4 6 H28 V22 H13 L7 28 V22 H4 Z" fill="{fill}" stroke="{c}" stroke-width="2" stroke-linejoin="round"/>'
            f'<circle cx="10" cy="14" r="2" fill="{dots}"/><circle cx="16" cy="14" r="2" fill="{dots}"/><circle cx="22" cy="14" r="2" fill="{dots}"/>')


def s_letter_i_disc(c):
    return (f'<circle cx="16" cy="16" r="13" fill="{c}"/>'
            f'<circle cx="16" cy="9.5" r="2" fill="{WHITE}"/><path d="M16 14 V24" stroke="{WHITE}" stroke-width="3.2" stroke-linecap="round"/>')


def s_letter_i_ring(c):
    return circle_ring(c) + (f'<circle cx="16" cy="9.5" r="2" fill="{c}"/>'
                             f'<path d="M16 14 V24" stroke="{c}" stroke-width="3" stroke-linecap="round"/>')


def s_certificate(c):
    return (f'<rect x="2" y="5" width="24" height="18" rx="2" fill="none" stroke="{c}" stroke-width="2"/>'
            f'<circle cx="8.5" cy="11" r="2.4" fill="{c}"/><path d="M5 18 Q8.5 13 12 18" fill="{c}"/>'
            f'<path d="M15 10 H22 M15 14 H22 M15 18 H19" stroke="{c}" stroke-width="1.6"/>'
            f'<circle cx="24" cy="23" r="6" fill="{c}"/><path d="M20.5 28 L19.5 31.5 L22.5 30 M27.5 28 L28.5 31.5 L25.5 30" fill="{c}"/>'
            f'<path d="M21.3 23 L23.3 25 L26.8 21" fill="none" stroke="{WHITE}" stroke-width="1.6"/>')


def s_calendar(c):
    return (f'<rect x="3" y="5" width="21" height="21" rx="2" fill="none" stroke="{c}" stroke-width="2"/>'
            f'<path d="M3 10 H24 M8 3 V7 M19 3 V7" stroke="{c}" stroke-width="2"/>'
            f'<text x="12" y="22" font-family="{SANS}" font-weight="bold" font-size="10" text-anchor="middle" fill="{c}">S</text>'
            f'<circle cx="24" cy="24" r="6.5" fill="{WHITE}" stroke="{c}" stroke-width="2"/>'
            f'<path d="M24 20.5 V24 H27" fill="none" stroke="{c}" stroke-width="1.6"/>')


def s_serif_v(c):
    return f'<text x="16" y="27" font-family="DejaVu Serif" font-weight="bold" font-size="28" text-anchor="middle" fill="{c}">V</text>'


def s_chevron_side(c, left):
    d = "M13 9 L7 16 L13 23" if left else "M7 9 L13 16 L7 23"
    return f'<path d="{d}" fill="none" stroke="{c}" stroke-width="2.4" stroke-linecap="round" stroke-linejoin="round"/>'


def s_megaphone(c):
    return (f'<path d="M4 13 H9 L22 6 V26 L9 19 H4 Z" fill="{c}" stroke="{c}" stroke-width="1.5" stroke-linejoin="round"/>'
            f'<path d="M9 19 L11 27 H14 L13 20" fill="{c}"/>'
            f'<path d="M25 12 Q28 16 25 20" fill="none" stroke="{c}" stroke-width="2" stroke-linecap="round"/>')


def s_reward(c):
    return (f'<circle cx="16" cy="16" r="13" fill="none" stroke="{c}" stroke-width="2.4"/>'
            f'<text x="16" y="22.5" font-family="{CJK}" font-size="17" text-anchor="middle" fill="{c}">赏</text>')


def s_plus_ring(c):
    return circle_ring(c) + f'<path d="M16 9 V23 M9 16 H23" stroke="{c}" stroke-width="2.4" stroke-linecap="round"/>'


def s_minus_ring(c):
    return circle_ring(c) + f'<path d="M9 16 H23" stroke="{c}" stroke-width="2.4" stroke-linecap="round"/>'


def s_bin(c):
    return (f'<path d="M6 9 H26 M13 9 V6 H19 V9" fill="none" stroke="{c}" stroke-width="2" stroke-linejoin="round"/>'
            f'<path d="M8 9 L10 28 H22 L24 9" fill="none" stroke="{c}" stroke-width="2" stroke-linejoin="round"/>'
            f'<path d="M13.5 13 V24 M18.5 13 V24" stroke="{c}" stroke-width="1.8"/>')


def s_wrench(c):
    return (f'<path d="M20 4 A7 7 0 0 0 14.5 14 L4.5 24 A2.5 2.5 0 0 0 8 27.5 L18 17.5 A7 7 0 0 0 28 12 L23.5 13.5 L19.5 12.5 L18.5 8.5 Z" '
            f'fill="{c}"/>')


def s_pen_stroke(c):
    return (f'<path d="M22 3 L27 8 L13 22 L7 24 L9 18 Z" fill="{c}"/>'
            f'<path d="M3 29 Q8 24 11 28 T19 27 T28 26" fill="none" stroke="{c}" stroke-width="1.8" stroke-linecap="round"/>')


def s_angle_dots(c):
    return (f'<path d="M9 8 L3 16 L9 24 M23 8 L29 16 L23 24" fill="none" stroke="{c}" stroke-width="2.4" stroke-linecap="round" stroke-linejoin="round"/>'
            f'<circle cx="11" cy="16" r="2" fill="{c}"/><circle cx="16" cy="16" r="2" fill="{c}"/><circle cx="21" cy="16" r="2" fill="{c}"/>')


def s_move_top(c):
    return circle_ring(c) + (f'<path d="M10 9 H22" stroke="{c}" stroke-width="2.4" stroke-linecap="round"/>'
                             f'<path d="M16 24 V13 M11 18 L16 13 L21 18" fill="none" stroke="{c}" stroke-width="2.4" stroke-linecap="round" stroke-linejoin="round"/>')


def hexagon(cx, cy, r, c):
    import math
    pts = " ".join(f"{cx + r * math.cos(math.radians(60 * k + 30)):.2f},{cy + r * math.sin(math.radians(60 * k + 30)):.2f}" for k in range(6))
    return f'<polygon points="{pts}" fill="none" stroke="{c}" stroke-width="1.4"/>'


def s_monitor(c):
    return (f'<rect x="3" y="4" width="26" height="18" rx="1.5" fill="none" stroke="{c}" stroke-width="2"/>'
            f'<path d="M12 28 H20 M16 22 V28" stroke="{c}" stroke-width="2"/>'
            + hexagon(11, 11, 3.2, c) + hexagon(21, 11, 3.2, c) + hexagon(16, 16.5, 3.2, c))


def s_refresh(c):
    return (f'<path d="M25 12 A10 10 0 0 0 7 11" fill="none" stroke="{c}" stroke-width="2.4" stroke-linecap="round"/>'
            f'<path d="M7 20 A10 10 0 0 0 25 21" fill="none" stroke="{c}" stroke-width="2.4" stroke-linecap="round"/>'
            f'<path d="M27 6 L26 13 L19 12 Z" fill="{c}"/><path d="M5 26 L6 19 L13 20 Z" fill="{c}"/>')


def s_puzzle(c):
    return (f'<path d="M5 9 H12 A3.5 3.5 0 1 1 19 9 H26 V16 A3.5 3.5 0 1 0 26 23 V28 H19 A3.5 3.5 0 1 0 12 28 H5 Z" '
            f'fill="{c}"/>')


def s_person(c):
    return (f'<circle cx="16" cy="10" r="6" fill="none" stroke="{c}" stroke-width="2.2"/>'
            f'<path d="M5 29 Q5 18 16 18 Q27 18 27 29" fill="none" stroke="{c}" stroke-width="2.2" stroke-linecap="round"/>')


def s_app(c):
    return (f'<path d="M6 2 H21 L28 9 V30 H6 Z" fill="{c}"/>'
            f'<path d="M21 2 V9 H28 Z" fill="#FFFFFF" fill-opacity="0.55"/>'
            f'<text x="17" y="22" font-family="{SANS}" font-weight="bold" font-size="7.8" text-anchor="middle" fill="{WHITE}">SIGN</text>')


def s_add_stamp(c, double):
    rings = (f'<circle cx="16" cy="16" r="14" fill="none" stroke="{c}" stroke-width="1.3"/>'
             f'<circle cx="16" cy="16" r="11.5" fill="none" stroke="{c}" stroke-width="1.3"/>') if double else \
        f'<circle cx="16" cy="16" r="13" fill="none" stroke="{c}" stroke-width="1.5"/>'
    return rings + f'<path d="M16 9 V23 M9 16 H23" stroke="{c}" stroke-width="2" stroke-linecap="round"/>'


def s_rubber_stamp(c):
    return (f'<path d="M12 4 H20 L19 15 H13 Z" fill="{c}"/>'
            f'<rect x="5" y="16" width="22" height="6" rx="1.5" fill="{c}"/>'
            f'<path d="M6 27 H26" stroke="{c}" stroke-width="2.4" stroke-linecap="round"/>')


def s_flag(c):
    return (f'<path d="M10 4 V26" stroke="{c}" stroke-width="2.2" stroke-linecap="round"/>'
            f'<path d="M11 5 H25 L21 10 L25 15 H11 Z" fill="{c}"/>'
            f'<ellipse cx="10" cy="27" rx="7" ry="2.5" fill="none" stroke="{c}" stroke-width="1.6"/>')


def s_chain(c):
    return (f'<rect x="11" y="3" width="10" height="7" rx="1" fill="{c}"/>'
            f'<path d="M16 10 V15 M6 15 H26 M6 15 V20 M16 15 V20 M26 15 V20" fill="none" stroke="{c}" stroke-width="1.8"/>'
            f'<rect x="2" y="20" width="8" height="8" rx="1" fill="{c}"/><rect x="12" y="20" width="8" height="8" rx="1" fill="{c}"/>'
            f'<rect x="22" y="20" width="8" height="8" rx="1" fill="{c}"/>')


def s_fields(c):
    out = ""
    for y in (8, 16, 24):
        out += f'<circle cx="6" cy="{y}" r="2.3" fill="{c}"/><path d="M11 {y} H28" stroke="{c}" stroke-width="2.6" stroke-linecap="round"/>'
    return out


def s_card(c, ok):
    badge = (f'<path d="M20.5 24 L23 26.5 L27.5 21.5" fill="none" stroke="{WHITE}" stroke-width="1.8" stroke-linecap="round"/>' if ok else
             f'<path d="M21 21 L27 27 M27 21 L21 27" stroke="{WHITE}" stroke-width="1.8" stroke-linecap="round"/>')
    return (f'<rect x="2" y="6" width="26" height="18" rx="2.5" fill="none" stroke="{c}" stroke-width="2"/>'
            f'<circle cx="9" cy="13" r="2.6" fill="{c}"/><path d="M5 21 Q9 15 13 21 Z" fill="{c}"/>'
            f'<path d="M16 12 H24 M16 16 H22" stroke="{c}" stroke-width="1.8"/>'
            f'<circle cx="24" cy="24" r="6.5" fill="{c}"/>' + badge)


def s_tag(c):
    return (f'<path d="M4 4 H15 L29 18 L18 29 L4 15 Z" fill="{c}" stroke-linejoin="round"/>'
            f'<circle cx="10" cy="10" r="2.3" fill="{WHITE}"/>')


def s_seal_check(c):
    import math
    pts = []
    for k in range(32):
        r = 14 if k % 2 == 0 else 12
        a = math.pi * k / 16
        pts.append(f"{16 + r * math.cos(a):.2f},{16 + r * math.sin(a):.2f}")
    return (f'<polygon points="{" ".join(pts)}" fill="{c}"/>'
            f'<path d="M9.5 16.5 L14 21 L22.5 11.5" fill="none" stroke="{WHITE}" stroke-width="2.8" stroke-linecap="round" stroke-linejoin="round"/>')


def s_disc_cross(c):
    return (f'<circle cx="16" cy="16" r="14" fill="{c}"/>'
            f'<path d="M10.5 10.5 L21.5 21.5 M21.5 10.5 L10.5 21.5" stroke="{WHITE}" stroke-width="3" stroke-linecap="round"/>')


def s_cross(c):
    return f'<path d="M7 7 L25 25 M25 7 L7 25" stroke="{c}" stroke-width="2.6" stroke-linecap="round"/>'


def s_refresh_badge(c):
    return f'<circle cx="16" cy="16" r="15" fill="{c}"/>' + \
        f'<g transform="translate(16 16) scale(0.62) translate(-16 -16)">{s_refresh(WHITE)}</g>'


def s_big_cross(c):
    return f'<path d="M4 4 L28 28 M28 4 L4 28" stroke="{c}" stroke-width="3" stroke-linecap="round"/>'


SUBJECTS = {
    "home": s_house,
    "document": s_document_pdf,
    "open": s_open_folder,
    "previous_page": lambda c: s_chevron_circle(c, True),
    "next_page": lambda c: s_chevron_circle(c, False),
    "fit_page": s_corners,
    "fit_width": s_fit_width,
    "fit_height": s_fit_height,
    "zoom_in": lambda c: s_magnifier(c, True),
    "zoom_out": lambda c: s_magnifier(c, False),
    "feedback": s_bubble_dots,
    "certificate": s_certificate,
    "timestamp": s_calendar,
    "mark": s_serif_v,
    "announce": s_megaphone,
    "donate": s_reward,
    "recent_open": s_plus_ring,
    "file": lambda c: s_document_pdf(c, fill=True),
    "remove_file": s_bin,
    "settings_general": s_wrench,
    "settings_sign": s_pen_stroke,
    "settings_other": s_angle_dots,
    "plus": s_plus_ring,
    "minus": s_minus_ring,
    "move_top": s_move_top,
    "reset": s_monitor,
    "refresh": s_refresh,
    "puzzle": s_puzzle,
    "person": s_person,
    "app": s_app,
    "user": s_person,
    "stamp": s_rubber_stamp,
    "info": s_letter_i_ring,
    "flag": s_flag,
    "add": s_plus_ring,
    "cert_chain": s_chain,
    "cert_fields": s_fields,
    "cert_card": lambda c: s_card(c, c == GREEN),
    "tag": s_tag,
    "sig_valid": s_seal_check,
    "sig_invalid": s_disc_cross,
    "pen": s_pen_stroke,
    "close": s_cross,
    "refresh_badge": s_refresh_badge,
    "message": lambda c: s_bubble_dots(c, filled=True),
}

# Normal colour of each family that is not white (white families are the
# tool bar and the dark home-page buttons).
NORMAL_COLOUR = {
    "infobar": "#2F80C8", "certificate": GREEN, "timestamp": GREEN, "mark": GREEN,
    "announce": "#2F80C8", "donate": RED, "file": RED, "remove_file": RED,
    "settings_general": "#2F80C8", "settings_sign": "#2F80C8", "settings_other": "#2F80C8",
    "puzzle": GREEN, "app": RED, "user": GREEN, "stamp": GREEN, "info": GREEN, "flag": GREEN,
    "add": GREEN, "cert_chain": GREEN, "cert_fields": GREEN, "cert_card": GREEN, "tag": GREEN,
    "sig_valid": GREEN, "sig_invalid": RED, "pen": BLACK, "refresh_badge": GREEN, "message": GREEN,
}

STAMP_TEXT = {
    ("invisible", "en"): ("Invisible Signature", GREEN, SANS),
    ("invisible", "cn"): ("无图签章", GREEN, CJK),
    ("timestamp", "en"): ("Time stamp", "#1E78C8", SANS),
    ("timestamp", "cn"): ("文档时间戳", "#1E78C8", CJK),
    ("cloud", "en"): ("Cloud Stamp", "#1E78C8", SANS),
    ("cloud", "cn"): ("云签章", "#1E78C8", CJK),
}


def svg(w, h, body, view="0 0 32 32"):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}px" height="{h}px" viewBox="{view}" '
            f'preserveAspectRatio="xMidYMid meet">{body}</svg>')


def split_name(name):
    """bitmap_<picture>_<size> -> (picture, width, height)."""
    m = re.match(r"bitmap_(.*?)(?:_(\d+)(?:x(\d+))?)?$", name)
    pic = m.group(1)
    return pic


def colour_for(pic):
    """Splits the state suffixes off the picture name and picks the colour."""
    family = pic
    state = "normal"
    if pic in SUBJECTS:
        return pic, NORMAL_COLOUR.get(pic, WHITE)
    for suffix in ("_hover", "_invalid", "_disabled"):
        if family.endswith(suffix):
            family = family[: -len(suffix)]
            state = suffix[1:]
    base = NORMAL_COLOUR.get(family, WHITE)
    if state == "invalid":
        return family, RED
    if state == "hover":
        if family == "donate":
            return family, PINK
        return family, BLUE
    return family, base


def picture_svg(name, w, h):
    pic = split_name(name)
    m = re.match(r"stamp_(invisible|timestamp|cloud)_(en|cn)$", pic)
    if m:
        text, c, font = STAMP_TEXT[(m.group(1), m.group(2))]
        size = 24 if m.group(2) == "cn" else (17 if len(text) > 12 else 21)
        body = (f'<rect x="3" y="3" width="210" height="63" rx="6" fill="#FFFFFF" fill-opacity="0.85" stroke="{c}" stroke-width="3"/>'
                f'<text x="108" y="{43 if m.group(2) == "cn" else 41}" font-family="{font}" font-weight="bold" font-size="{size}" '
                f'text-anchor="middle" fill="{c}">{text}</text>')
        return svg(w, h, body, "0 0 216 69")
    if pic.startswith("sign_panel"):
        c = BLUE if "hover" in pic else WHITE
        # The word in the interface's language: "Sign", or "签名" (_cn).
        word, font, size, y = ("签名", CJK, 12, 19.5) if "_cn" in pic else ("Sign", SANS, 11, 19)
        body = (f'<rect x="1.5" y="1.5" width="53" height="25" rx="6" fill="none" stroke="{c}" stroke-width="2"/>'
                f'<g transform="translate(4 3) scale(0.68)">{s_pen_stroke(c)}</g>'
                f'<text x="38" y="{y}" font-family="{font}" font-weight="bold" font-size="{size}" text-anchor="middle" fill="{c}">{word}</text>')
        return svg(w, h, body, "0 0 56 28")
    if pic.startswith("arrow_"):
        c = BLUE if "hover" in pic else WHITE
        return svg(w, h, s_chevron_side(c, "left" in pic), "0 0 20 32")
    if pic == "logo":
        body = ('<rect x="0" y="0" width="103" height="30" rx="7" fill="#C8202E"/>'
                f'<text x="51.5" y="20.5" font-family="{SANS}" font-weight="bold" font-size="15" text-anchor="middle" fill="#FFFFFF">Velkorant</text>')
        return svg(w, h, body, "0 0 103 30")
    if pic == "ca_logo":
        body = ('<path d="M10 24 A6 6 0 0 1 11 12 A8 8 0 0 1 26 10 A6 6 0 0 1 29 24 Z" fill="none" stroke="#1E5FC8" stroke-width="2.4"/>'
                f'<text x="34" y="23" font-family="{SANS}" font-weight="bold" font-size="15" fill="#1E5FC8">CloudSeal</text>')
        return svg(w, h, body, "0 0 124 33")
    if pic == "invalid_mark":
        body = '<path d="M30 30 L225 226 M225 30 L30 226" stroke="#E02020" stroke-width="26" stroke-linecap="round"/>'
        return svg(w, h, body, "0 0 255 256")
    if pic == "infobar":
        return svg(w, h, s_letter_i_disc("#2F80C8"))
    if pic.startswith("add_stamp"):
        if "hover" in pic:
            body = s_add_stamp(MAGENTA, False)
        elif "disabled" in pic:
            body = s_add_stamp(GREY, True)
        else:
            body = s_add_stamp(RED, True)
        return svg(w, h, body)
    family, c = colour_for(pic)
    if family not in SUBJECTS:
        raise SystemExit(f"no drawing for {name}")
    return svg(w, h, SUBJECTS[family](c))


def run(*args, **kw):
    subprocess.run(list(args), check=True, **kw)


def render_svg(text, out_png):
    with tempfile.NamedTemporaryFile("w", suffix=".svg", delete=False, encoding="utf-8") as f:
        f.write(text)
        path = f.name
    try:
        run("rsvg-convert", "-f", "png", "-o", out_png, path)
    finally:
        os.unlink(path)


def rgba_bytes(png, w, h):
    out = subprocess.run(["convert", png, "-background", "none", "-resize", f"{w}x{h}!", "-depth", "8", "rgba:-"],
                         check=True, capture_output=True).stdout
    assert len(out) == w * h * 4, png
    return out


def make_icon(colour, out_ico, tmp):
    """An icon file with 256 (PNG), 64, 48, 32, 24 and 16 (32-bit bitmaps)."""
    images = []
    for size in (256, 64, 48, 32, 24, 16):
        png = os.path.join(tmp, f"icon_{size}.png")
        render_svg(svg(size, size, s_app(colour)), png)
        if size == 256:
            images.append((size, open(png, "rb").read()))
            continue
        px = rgba_bytes(png, size, size)
        rows = []
        for y in range(size - 1, -1, -1):  # bottom-up, BGRA
            row = bytearray()
            for x in range(size):
                r, g, b, a = px[(y * size + x) * 4:(y * size + x) * 4 + 4]
                row += bytes((b, g, r, a))
            rows.append(bytes(row))
        mask_row = ((size + 31) // 32) * 4
        header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, size * size * 4, 0, 0, 0, 0)
        images.append((size, header + b"".join(rows) + b"\0" * (mask_row * size)))
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    body = b""
    for size, blob in images:
        dim = 0 if size == 256 else size
        data += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
        body += blob
    with open(out_ico, "wb") as f:
        f.write(data + body)


def make_code(text, out_png, tmp):
    """A 320 x 320 RGB code with a small badge in its centre."""
    raw = os.path.join(tmp, "code.png")
    run("qrencode", "-l", "H", "-s", "10", "-m", "2", "-o", raw, text)
    run("convert", raw, "-resize", "320x320!", "-fill", "#C8202E", "-stroke", "white", "-strokewidth", "4",
        "-draw", "roundrectangle 136,136 184,184 8,8", "-background", "white", "-alpha", "remove",
        "-alpha", "off", "-depth", "8", "-type", "TrueColor", "PNG24:" + out_png)


def make_busy(out_gif, tmp):
    """100 x 20, eight frames of 130 ms, seven grey dots, a larger one moving right."""
    frames = []
    for k in range(8):
        draw = []
        for i in range(7):
            cx = 8 + i * 14
            r = 5 if i == k % 7 else 3
            draw += ["-draw", f"circle {cx},10 {cx + r},10"]
        f = os.path.join(tmp, f"busy_{k}.gif")
        run("convert", "-size", "100x20", "xc:none", "-fill", "#909090", *draw, f)
        frames.append(f)
    run("convert", "-dispose", "Background", "-delay", "13", *frames, "-loop", "0", out_gif)


def main():
    listing, outdir = sys.argv[1], sys.argv[2]
    os.makedirs(outdir, exist_ok=True)
    entries = re.findall(r"^VELK_PICTURE\((\w+), (\w+), (\d+), (\d+)\)", open(listing, encoding="utf-8").read(), re.M)
    with tempfile.TemporaryDirectory() as tmp:
        for name, kind, w, h in entries:
            w, h = int(w), int(h)
            if kind == "ICO":
                make_icon("#F070A0" if name.endswith("pink") else "#C8202E", os.path.join(outdir, name + ".ico"), tmp)
                continue
            out = os.path.join(outdir, name + ".png")
            if name.startswith("bitmap_donate_code_"):
                make_code("Velkorant donation code " + name[-5].upper(), out, tmp)
                continue
            render_svg(picture_svg(name, w, h), out)
            if name == "bitmap_ca_logo_124x33":
                run("convert", out, "PNG8:" + out)
        make_busy(os.path.join(outdir, "busy_animation.gif"), tmp)


if __name__ == "__main__":
    main()
