#!/usr/bin/env python3
"""Writes the SVG images of the skin folder: device pictures, device list icons, power and phone
images, window buttons, check and drop-down marks, the no-device illustration and the application icon.

Only SVG Tiny features (what Qt's SVG renderer draws): shapes, paths, linear and radial gradients,
opacity. The device pictures use the sizes of the layouts' picture panels (make_layouts.py).
"""

import math
import os

import make_layouts as lay
import keyboard_keys as kb

SKIN = lay.SKIN

BG = "#0E1014"
CARD = "#1B2029"
EDGE = "#2A313D"
TEXT = "#E7EAF0"
MUTED = "#8B94A5"
ACCENT = "#3DA9FC"
ACCENT2 = "#7C5CFF"
GOOD = "#3DDC97"
WARN = "#FFC24B"
BAD = "#FF5C6C"


def svg(w, h, body, defs=""):
    d = f"<defs>{defs}</defs>" if defs else ""
    return (f'<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" width="{w}" height="{h}" '
            f'viewBox="0 0 {w} {h}">{d}{body}</svg>\n')


def save(rel, content):
    path = os.path.join(SKIN, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(content)


def lin(id_, stops, x1=0, y1=0, x2=0, y2=1):
    s = "".join(f'<stop offset="{o}" stop-color="{c}" stop-opacity="{a}"/>' for o, c, a in stops)
    return f'<linearGradient id="{id_}" x1="{x1}" y1="{y1}" x2="{x2}" y2="{y2}">{s}</linearGradient>'


def rad(id_, stops):
    s = "".join(f'<stop offset="{o}" stop-color="{c}" stop-opacity="{a}"/>' for o, c, a in stops)
    return f'<radialGradient id="{id_}" cx="0.5" cy="0.5" r="0.5">{s}</radialGradient>'


# ----------------------------------------------------------------------------------------------------------
# Device pictures

def keyboard():
    w, h = lay.KB_SIZE
    u, m = lay.KB_UNIT, lay.KB_MARGIN
    defs = (lin("case", [(0, "#2B313C", 1), (1, "#15181E", 1)]) +
            lin("rim", [(0, ACCENT, 0.9), (0.5, ACCENT2, 0.9), (1, ACCENT, 0.9)], x2=1, y2=0) +
            lin("plate", [(0, "#0A0C10", 1), (1, "#111419", 1)]))
    body = [
        f'<rect x="6" y="10" width="{w - 12}" height="{h - 12}" rx="20" fill="#000000" opacity="0.45"/>',
        f'<rect x="3" y="3" width="{w - 6}" height="{h - 8}" rx="18" fill="url(#case)" stroke="#3A4250" stroke-width="1"/>',
        f'<rect x="{m - 8}" y="{m - 8}" width="{w - 2 * m + 16}" height="{h - 2 * m + 14}" rx="10" fill="url(#plate)"/>',
        # Light bar along the front edge.
        f'<rect x="40" y="{h - 8}" width="{w - 80}" height="3" rx="1.5" fill="url(#rim)"/>',
    ]
    # Wordmark and lock indicators above the number pad.
    x = m + kb.PAD * u
    body.append(f'<text x="{x + 4}" y="{m + 15}" fill="{MUTED}" font-family="DejaVu Sans, sans-serif" '
                f'font-size="11" font-weight="bold" letter-spacing="3">HALVERN</text>')
    for i in range(3):
        body.append(f'<circle cx="{x + 8 + i * 14}" cy="{m + 26}" r="2.5" fill="{ACCENT}" opacity="{0.9 - i * 0.3}"/>')
    save("devices/keyboard.svg", svg(w, h, "".join(body), defs))


def mouse():
    w, h = lay.MOUSE_SIZE
    shell = ("M150,20 C226,20 262,78 262,168 L262,300 C262,388 214,442 150,442 "
             "C86,442 38,388 38,300 L38,168 C38,78 74,20 150,20 Z")
    defs = (lin("shell", [(0, "#2D333F", 1), (0.55, "#1C2028", 1), (1, "#121419", 1)]) +
            lin("edge", [(0, ACCENT, 1), (1, ACCENT2, 1)]) +
            rad("shadow", [(0, "#000000", 0.6), (1, "#000000", 0)]))
    body = [
        f'<ellipse cx="150" cy="248" rx="140" ry="218" fill="url(#shadow)"/>',
        f'<path d="{shell}" fill="url(#shell)" stroke="url(#edge)" stroke-width="2"/>',
        # Seam between the buttons and the rim of the button area.
        '<path d="M150,22 L150,190" stroke="#0A0C10" stroke-width="3"/>',
        '<path d="M44,190 C90,204 210,204 256,190" stroke="#0A0C10" stroke-width="2.5" fill="none"/>',
        # Wheel slot.
        '<rect x="136" y="56" width="28" height="70" rx="12" fill="#07080B"/>',
        # Grip texture on both flanks.
    ]
    for i in range(6):
        y = 330 + i * 10
        body.append(f'<path d="M60,{y} l20,-6" stroke="#2F3643" stroke-width="2" stroke-linecap="round"/>')
        body.append(f'<path d="M240,{y} l-20,-6" stroke="#2F3643" stroke-width="2" stroke-linecap="round"/>')
    body.append(f'<path d="M120,420 C140,428 160,428 180,420" stroke="{ACCENT}" stroke-width="2" fill="none" opacity="0.6"/>')
    save("devices/mouse.svg", svg(w, h, "".join(body), defs))


def mousepad():
    w, h = lay.PAD_SIZE
    x, y, pw, ph = lay.PAD_RECT
    defs = (lin("cloth", [(0, "#1A1E26", 1), (1, "#101318", 1)], x2=1, y2=1) +
            lin("rim", [(0, ACCENT, 1), (0.5, ACCENT2, 1), (1, ACCENT, 1)], x2=1, y2=0))
    body = [
        f'<rect x="{x + 6}" y="{y + 10}" width="{pw}" height="{ph}" rx="18" fill="#000000" opacity="0.45"/>',
        f'<rect x="{x}" y="{y}" width="{pw}" height="{ph}" rx="16" fill="url(#cloth)"/>',
        f'<rect x="{x}" y="{y}" width="{pw}" height="{ph}" rx="16" fill="none" stroke="url(#rim)" stroke-width="4" opacity="0.85"/>',
        f'<rect x="{x + 8}" y="{y + 8}" width="{pw - 16}" height="{ph - 16}" rx="10" fill="none" stroke="#262C37" '
        'stroke-width="1" stroke-dasharray="4 4"/>',
    ]
    # A faint weave on the surface.
    for i in range(1, 10):
        yy = y + 12 + i * (ph - 24) / 10
        body.append(f'<line x1="{x + 14}" y1="{yy:.1f}" x2="{x + pw - 14}" y2="{yy:.1f}" stroke="#1E232C" stroke-width="1"/>')
    body.append(f'<text x="{x + pw - 150}" y="{y + ph - 26}" fill="#3A4250" font-family="DejaVu Sans, sans-serif" '
                'font-size="16" font-weight="bold" letter-spacing="5">HALVERN</text>')
    # The hub at the top right corner.
    body.append(f'<rect x="{x + pw - 24}" y="{y - 16}" width="34" height="34" rx="9" fill="#232833" stroke="#3A4250"/>')
    save("devices/mousepad.svg", svg(w, h, "".join(body), defs))


def headset():
    w, h = lay.HS_SIZE
    (lx, ly), (rx, ry) = lay.HS_CUPS
    defs = (lin("band", [(0, "#343B48", 1), (1, "#1B1F27", 1)]) +
            rad("cup", [(0, "#272D38", 1), (0.8, "#191D24", 1), (1, "#12151A", 1)]) +
            lin("rim", [(0, ACCENT, 1), (1, ACCENT2, 1)], x2=1, y2=1))
    body = [
        f'<path d="M{lx - 44},{ly - 40} C{lx - 60},40 {rx + 60},40 {rx + 44},{ry - 40}" stroke="url(#band)" '
        'stroke-width="22" fill="none" stroke-linecap="round"/>',
        f'<path d="M{lx - 30},{ly - 70} C{lx - 30},84 {rx + 30},84 {rx + 30},{ry - 70}" stroke="#0B0D11" '
        'stroke-width="10" fill="none" stroke-linecap="round"/>',
        # Microphone boom from the left cup.
        f'<path d="M{lx + 10},{ly + 60} C{lx + 10},{ly + 110} 120,392 152,386" stroke="#2A303B" stroke-width="7" '
        'fill="none" stroke-linecap="round"/>',
    ]
    for cx, cy in ((lx, ly), (rx, ry)):
        body.append(f'<rect x="{cx - 10}" y="{cy - 112}" width="20" height="44" rx="6" fill="#2A303B"/>')
        body.append(f'<circle cx="{cx}" cy="{cy + 6}" r="74" fill="#000000" opacity="0.4"/>')
        body.append(f'<circle cx="{cx}" cy="{cy}" r="72" fill="url(#cup)" stroke="#3A4250" stroke-width="1.5"/>')
        body.append(f'<circle cx="{cx}" cy="{cy}" r="{lay.HS_RING}" fill="none" stroke="url(#rim)" stroke-width="3" opacity="0.7"/>')
        body.append(f'<circle cx="{cx}" cy="{cy}" r="26" fill="#101318" stroke="#2A303B"/>')
        body.append(f'<path d="M{cx - 9},{cy + 7} L{cx},{cy - 9} L{cx + 9},{cy + 7} Z" fill="none" stroke="{MUTED}" stroke-width="2"/>')
    save("devices/headset.svg", svg(w, h, "".join(body), defs))


# ----------------------------------------------------------------------------------------------------------
# Device list icons (48 × 48)

GLYPHS = {
    "ms": ('<rect x="15" y="7" width="18" height="32" rx="9" fill="none" stroke="{c}" stroke-width="2.4"/>'
           '<path d="M24,8 L24,19" stroke="{c}" stroke-width="2"/>'
           '<rect x="22.5" y="12" width="3" height="6" rx="1.5" fill="{c}"/>'),
    "kb": ('<rect x="5" y="14" width="38" height="21" rx="4" fill="none" stroke="{c}" stroke-width="2.4"/>'
           + "".join(f'<rect x="{9 + i * 6}" y="18.5" width="3.5" height="3.5" rx="0.8" fill="{{c}}"/>' for i in range(6))
           + "".join(f'<rect x="{12 + i * 6}" y="24" width="3.5" height="3.5" rx="0.8" fill="{{c}}"/>' for i in range(5))
           + '<rect x="15" y="29.5" width="18" height="2.6" rx="1.3" fill="{c}"/>'),
    "hard_mp": ('<rect x="5" y="11" width="38" height="26" rx="5" fill="none" stroke="{c}" stroke-width="2.4"/>'
                '<rect x="9" y="15" width="30" height="18" rx="3" fill="none" stroke="{c}" stroke-width="1.2" '
                'stroke-dasharray="2 2"/><rect x="38" y="6" width="7" height="7" rx="2" fill="{c}"/>'),
    "hd": ('<path d="M9,29 L9,24 C9,8 39,8 39,24 L39,29" fill="none" stroke="{c}" stroke-width="2.4"/>'
           '<rect x="6" y="25" width="9" height="14" rx="3.5" fill="{c}"/>'
           '<rect x="33" y="25" width="9" height="14" rx="3.5" fill="{c}"/>'
           '<path d="M11,39 C11,44 18,44 21,43" fill="none" stroke="{c}" stroke-width="1.8"/>'),
    "unknow": ('<circle cx="24" cy="24" r="16" fill="none" stroke="{c}" stroke-width="2.4"/>'
               '<path d="M19,19.5 C19,13 29,13 29,19.5 C29,24 24,23.5 24,28.5" fill="none" stroke="{c}" '
               'stroke-width="2.4" stroke-linecap="round"/><circle cx="24" cy="33.5" r="1.8" fill="{c}"/>'),
}

SYNC_BADGE = ('<circle cx="38" cy="38" r="9" fill="' + ACCENT2 + '" stroke="' + BG + '" stroke-width="2"/>'
              '<path d="M33.5,37 A4.8,4.8 0 0 1 42,35.2" fill="none" stroke="#FFFFFF" stroke-width="1.6"/>'
              '<path d="M42.8,32.6 L42.3,35.8 L39.2,35" fill="none" stroke="#FFFFFF" stroke-width="1.4"/>'
              '<path d="M42.5,39 A4.8,4.8 0 0 1 34,40.8" fill="none" stroke="#FFFFFF" stroke-width="1.6"/>'
              '<path d="M33.2,43.4 L33.7,40.2 L36.8,41" fill="none" stroke="#FFFFFF" stroke-width="1.4"/>')


def device_icons():
    defs = rad("glow", [(0, ACCENT, 0.45), (0.6, ACCENT, 0.12), (1, ACCENT, 0)])
    for kind, glyph in GLYPHS.items():
        for state in ("normal", "selected"):
            for synchro in (False, True):
                selected = state == "selected"
                body = '<circle cx="24" cy="24" r="24" fill="url(#glow)"/>' if selected else ""
                body += glyph.replace("{c}", ACCENT if selected else "#A3ACBB")
                if synchro:
                    body += SYNC_BADGE
                name = f"{kind}_device_{'synchro_' if synchro else ''}{state}.svg"
                save(f"common/device_ico/{name}", svg(48, 48, body, defs if selected else ""))


# ----------------------------------------------------------------------------------------------------------
# Power and phone images (24 × 24)

def battery(inner):
    return (f'<rect x="2.5" y="7" width="17" height="10" rx="2.5" fill="none" stroke="#C9CED8" stroke-width="1.6"/>'
            f'<rect x="20" y="10" width="2" height="4" rx="0.8" fill="#C9CED8"/>{inner}')


BOLT = f'<path d="M12.5,5 L7.5,13 L11,13 L9.5,19 L15,10.5 L11.5,10.5 Z" fill="{WARN}" stroke="{BG}" stroke-width="0.8"/>'


def power_images():
    save("power/powered.svg", svg(24, 24, battery(f'<rect x="4.5" y="9" width="10" height="6" rx="1.2" fill="{GOOD}"/>')))
    save("power/powering.svg", svg(24, 24, battery(BOLT)))
    save("power/power.svg", svg(24, 24, battery(f'<rect x="4.5" y="9" width="13" height="6" rx="1.2" fill="{GOOD}"/>'
                                                    f'<path d="M8,12 L10,14 L14.5,9.8" fill="none" stroke="{BG}" '
                                                    'stroke-width="1.6"/>')))
    waves = (f'<path d="M4,8 A11,11 0 0 1 20,8" fill="none" stroke="{ACCENT}" stroke-width="1.6" stroke-linecap="round"/>'
             f'<path d="M7,11 A7,7 0 0 1 17,11" fill="none" stroke="{ACCENT}" stroke-width="1.6" stroke-linecap="round"/>')
    save("power/wuxian_powering.svg", svg(24, 24, waves + '<g transform="translate(0,4)">' + BOLT + "</g>"))
    save("power/wireless.svg", svg(24, 24, waves + f'<circle cx="12" cy="15" r="2" fill="{ACCENT}"/>'
                                   f'<text x="12" y="23" text-anchor="middle" fill="{MUTED}" font-size="6" '
                                   'font-family="DejaVu Sans, sans-serif" font-weight="bold">2.4G</text>'))
    phone = '<rect x="6.5" y="2.5" width="11" height="19" rx="2.6" fill="none" stroke="{c}" stroke-width="1.6"/>'
    save("power/Phone_type_iphone.svg", svg(24, 24, phone.replace("{c}", "#C9CED8") +
                                          '<rect x="10" y="4.2" width="4" height="1.6" rx="0.8" fill="#C9CED8"/>'))
    save("power/Phone_type_samsung.svg", svg(24, 24, phone.replace("{c}", "#C9CED8") +
                                           '<circle cx="12" cy="5.2" r="1" fill="#C9CED8"/>'))
    save("power/Phone_type_other.svg", svg(24, 24, phone.replace("{c}", "#C9CED8") +
                                         '<circle cx="12" cy="18.6" r="1.1" fill="#C9CED8"/>'))
    save("power/Phone_type_no_device.svg", svg(24, 24, phone.replace("{c}", "#5C6575") +
                                             f'<path d="M4,20 L20,4" stroke="{BAD}" stroke-width="1.8" '
                                             'stroke-linecap="round"/>'))


# ----------------------------------------------------------------------------------------------------------
# Window buttons (16 × 16)

def window_icons():
    s = 'fill="none" stroke="#C9CED8" stroke-width="1.5" stroke-linecap="round" stroke-linejoin="round"'
    icons = {
        "minimize": f'<path d="M3.5,8.5 L12.5,8.5" {s}/>',
        "maximize": f'<rect x="3.5" y="3.5" width="9" height="9" rx="1.5" {s}/>',
        "restore": f'<rect x="3" y="5.5" width="7.5" height="7.5" rx="1.2" {s}/><path d="M5.5,3 L13,3 L13,10.5" {s}/>',
        "close": f'<path d="M4,4 L12,12 M12,4 L4,12" {s}/>',
        "menu": f'<path d="M3,4.5 L13,4.5 M3,8 L13,8 M3,11.5 L13,11.5" {s}/>',
        "arrow_left": f'<path d="M10,3 L5,8 L10,13" {s}/>',
        "arrow_right": f'<path d="M6,3 L11,8 L6,13" {s}/>',
        "skin": (f'<path d="M8,2.5 C4.5,2.5 2.5,5 2.5,8 C2.5,11 4.8,13.5 7.5,13.5 C9,13.5 8.6,11.8 9.8,11.3 '
                 f'C11.5,10.6 13.5,11.5 13.5,8.5 C13.5,5 11.2,2.5 8,2.5 Z" {s}/>'
                 f'<circle cx="5.6" cy="7" r="1" fill="{ACCENT}"/><circle cx="8.2" cy="5.2" r="1" fill="{GOOD}"/>'
                 f'<circle cx="10.8" cy="6.8" r="1" fill="{ACCENT2}"/>'),
        "settings": (f'<circle cx="8" cy="8" r="2.3" {s}/>' + "".join(
            f'<path d="M{8 + 4.2 * math.cos(a):.2f},{8 + 4.2 * math.sin(a):.2f} '
            f'L{8 + 6 * math.cos(a):.2f},{8 + 6 * math.sin(a):.2f}" {s}/>'
            for a in (math.radians(45 * i) for i in range(8))) + f'<circle cx="8" cy="8" r="4.3" {s}/>'),
        "light_control": (f'<path d="M8,1.8 L9.4,6.6 L14.2,8 L9.4,9.4 L8,14.2 L6.6,9.4 L1.8,8 L6.6,6.6 Z" '
                          f'fill="{ACCENT}" stroke="none"/>'),
    }
    for name, body in icons.items():
        save(f"window/{name}.svg", svg(16, 16, body))


# ----------------------------------------------------------------------------------------------------------
# Marks of the style sheet's check boxes and drop-down lists

def control_marks():
    tick = 'fill="none" stroke-width="2" stroke-linecap="round" stroke-linejoin="round"'
    # The tick of a ticked box: dark on the accent fill, and a muted one for a disabled box.
    save("common/check.svg", svg(14, 14, f'<path d="M3.2,7.4 L5.9,10 L10.8,4.2" stroke="{BG}" {tick}/>'))
    save("common/check_disabled.svg", svg(14, 14, f'<path d="M3.2,7.4 L5.9,10 L10.8,4.2" stroke="{MUTED}" {tick}/>'))
    chevron = 'fill="none" stroke-width="1.5" stroke-linecap="round" stroke-linejoin="round"'
    save("common/chevron_down.svg", svg(12, 12, f'<path d="M2.5,4.5 L6,8 L9.5,4.5" stroke="#C9CED8" {chevron}/>'))


# ----------------------------------------------------------------------------------------------------------
# No-device illustration and application icon

def no_device():
    defs = (rad("halo", [(0, ACCENT, 0.22), (1, ACCENT, 0)]) +
            lin("dev", [(0, "#2B313C", 1), (1, "#171A21", 1)]))
    body = [
        '<ellipse cx="140" cy="92" rx="130" ry="86" fill="url(#halo)"/>',
        # Keyboard outline.
        '<rect x="28" y="96" width="150" height="54" rx="8" fill="url(#dev)" stroke="#3A4250" stroke-width="1.5"/>',
    ]
    for r in range(3):
        for c in range(9 - (r == 2) * 4):
            x = 38 + c * 15 + (r == 2) * 30
            w = 11 if r < 2 else 11
            body.append(f'<rect x="{x}" y="{104 + r * 14}" width="{w}" height="10" rx="2" fill="#0E1014"/>')
    body += [
        # Mouse outline.
        '<rect x="196" y="84" width="44" height="70" rx="22" fill="url(#dev)" stroke="#3A4250" stroke-width="1.5"/>',
        '<path d="M218,86 L218,108" stroke="#0E1014" stroke-width="2"/>',
        # Cable and the unplugged connector.
        '<path d="M218,84 C218,50 180,40 160,48" stroke="#4A5262" stroke-width="3" fill="none" stroke-linecap="round"/>',
        '<rect x="138" y="40" width="22" height="14" rx="3" fill="#4A5262"/>',
        '<rect x="128" y="43" width="10" height="8" rx="1" fill="#8B94A5"/>',
        # Port waiting for it.
        '<rect x="70" y="38" width="30" height="20" rx="4" fill="none" stroke="' + ACCENT + '" stroke-width="2" '
        'stroke-dasharray="4 3"/>',
        '<path d="M108,48 L120,48" stroke="' + ACCENT + '" stroke-width="2" stroke-linecap="round" stroke-dasharray="2 4"/>',
        '<path d="M112,30 L116,22 M120,34 L127,28 M104,28 L104,20" stroke="' + WARN + '" stroke-width="2" '
        'stroke-linecap="round"/>',
    ]
    save("common/no_device.svg", svg(280, 180, "".join(body), defs))


def app_icon():
    defs = (lin("hex", [(0, ACCENT, 1), (1, ACCENT2, 1)], x2=1, y2=1) +
            lin("inner", [(0, "#1B2029", 1), (1, "#0E1014", 1)]))
    pts = " ".join(f"{128 + 118 * math.cos(math.radians(60 * i - 90)):.1f},"
                   f"{128 + 118 * math.sin(math.radians(60 * i - 90)):.1f}" for i in range(6))
    inner = " ".join(f"{128 + 100 * math.cos(math.radians(60 * i - 90)):.1f},"
                     f"{128 + 100 * math.sin(math.radians(60 * i - 90)):.1f}" for i in range(6))
    body = (f'<polygon points="{pts}" fill="url(#hex)"/><polygon points="{inner}" fill="url(#inner)"/>'
            '<path d="M88,78 L88,178 M168,78 L168,178 M88,128 L168,128" stroke="url(#hex)" stroke-width="24" '
            'stroke-linecap="round" fill="none"/>'
            '<path d="M118,128 L138,128" stroke="#FFFFFF" stroke-width="8" stroke-linecap="round"/>')
    save("halvern.svg", svg(256, 256, body, defs))


def light_shapes():
    """Shapes the lit colour takes on a spot (white; the spot tints them)."""
    pts = " ".join(f"{24 + 21 * math.cos(math.radians(60 * i - 90)):.1f},"
                   f"{24 + 21 * math.sin(math.radians(60 * i - 90)):.1f}" for i in range(6))
    save("devices/logo_light.svg", svg(48, 48, f'<polygon points="{pts}" fill="#FFFFFF"/>'))
    save("devices/dot_light.svg", svg(18, 18, '<circle cx="9" cy="9" r="6" fill="#FFFFFF"/>'))


def keyset_mark():
    """The corner mark of a remapped key; stretched over the key's spot, so it keeps to the top right."""
    save("devices/keyset_mark.svg",
         '<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" width="100" height="100" '
         f'viewBox="0 0 100 100" preserveAspectRatio="none"><polygon points="70,6 94,6 94,30" fill="{WARN}"/></svg>\n')


def main():
    light_shapes()
    keyset_mark()
    keyboard()
    mouse()
    mousepad()
    headset()
    device_icons()
    power_images()
    window_icons()
    control_marks()
    no_device()
    app_icon()


if __name__ == "__main__":
    main()
