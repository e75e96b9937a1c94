#!/usr/bin/env python3
"""Writes the colour picker's layout, resources/skin/colour_picker.ui:  python3 colour_picker_layout.py

Palette on the left; preview, red/green/blue edits, the seven-colour choice, the twenty preset swatches
and the twenty collected slots on the right; "laterbtn" and "okbtn" at the bottom.
"""

import os

from uixml import W, L, Spacer, Aligned, hbox, vbox, document, pretty

SKIN = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SWATCHES = 20
PER_ROW = 10
SWATCH = 28
HAND = ("enum", "Qt::PointingHandCursor")


def window_button(name, icon, tip_id, visible=True):
    p = {"icon": ("icon", icon), "iconSize": ("size", 16, 16), "toolTipId": tip_id, "role": "window",
         "minimumSize": ("size", 36, 30), "maximumSize": ("size", 36, 30), "cursor": HAND}
    if not visible:
        p["visible"] = False
    return W("QPushButton", name, **p)


def swatch(name):
    return W("QPushButton", name, checkable=True, autoExclusive=True, cursor=HAND, role="swatch",
             minimumSize=("size", SWATCH, SWATCH), maximumSize=("size", SWATCH, SWATCH))


def swatch_grid(name, prefix):
    """Twenty option boxes in two rows; each grid is its own widget, so the rows of one grid are exclusive
    with each other and not with the other grid."""
    cells = [(swatch(f"{prefix}{i}"), i // PER_ROW, i % PER_ROW) for i in range(SWATCHES)]
    return W("QWidget", name, layout=L("QGridLayout", f"{name}_grid", cells, spacing=8))


def channel_edit(name, label_id):
    return hbox(f"{name}_box", [
        W("QLabel", f"{name}_label", textId=label_id, role="muted", minimumSize=("size", 16, 0)),
        W("QLineEdit", name, maxLength=3, alignment=("set", "Qt::AlignCenter"),
          minimumSize=("size", 64, 32), maximumSize=("size", 64, 32)),
    ], spacing=6)


def colour_picker():
    title_bar = W("QWidget", "title_bar", minimumSize=("size", 0, 48), maximumSize=("size", 16777215, 48),
                  layout=hbox("colour_picker_title_box", [
                      W("QLabel", "colour_picker_title", textId="colour_picker_title", role="section"),
                      Spacer(),
                      window_button("minbtn", "window/minimize.svg", "min_tip"),
                      window_button("maxbtn", "window/maximize.svg", "max_tip"),
                      window_button("restorebtn", "window/restore.svg", "restore_tip", visible=False),
                      window_button("closebtn", "window/close.svg", "close_tip"),
                  ], margins=(20, 0, 10, 0), spacing=4))

    palette = W("QFrame", "colour_palette_card", role="card", layout=vbox("colour_palette_box", [
        W("ColourPalette", "Pallet", minimumSize=("size", 300, 300)),
    ], margins=(16, 16, 16, 16)))

    preview_row = hbox("colour_preview_box", [
        W("QPushButton", "color_show_btn", enabled=False, minimumSize=("size", 88, 88),
          maximumSize=("size", 88, 88)),
        vbox("colour_channels_box", [
            channel_edit("color_edit_r", "colour_red_text"),
            channel_edit("color_edit_g", "colour_green_text"),
            channel_edit("color_edit_b", "colour_blue_text"),
        ], spacing=6),
        Spacer(),
    ], spacing=18)

    seven = W("QWidget", "7color_layout", layout=hbox("seven_colour_box", [
        W("QCheckBox", "7color", textId="seven_colour_text", toolTipId="seven_colour_tip", cursor=HAND),
        W("QCheckBox", "7color_collect", visible=False),
        Spacer(),
    ]))

    right = vbox("colour_choice_box", [
        preview_row,
        seven,
        W("QLabel", "colour_presets_label", textId="colour_presets_text", role="muted"),
        swatch_grid("colour_presets", "color_option_"),
        W("QLabel", "colour_collected_label", textId="colour_collected_text", role="muted"),
        swatch_grid("colour_collected", "collect_color_option_"),
        Spacer(horizontal=False, w=20, h=10),
        hbox("colour_buttons_box", [
            Spacer(),
            W("QPushButton", "laterbtn", textId="cancel_text", role="secondary", minimumSize=("size", 110, 36),
              cursor=HAND),
            W("QPushButton", "okbtn", textId="ok_text", role="primary", default=True,
              minimumSize=("size", 110, 36), cursor=HAND),
        ], spacing=10),
    ], spacing=10)

    body = hbox("colour_body_box", [palette, right], margins=(20, 4, 20, 20), spacing=20, stretch=[1, 0])
    return W("QWidget", "colour_picker", geometry=("rect", 0, 0, 800, 572), role="dialog",
             textId="colour_picker_title", layout=vbox("colour_picker_box", [title_bar, body], spacing=0,
                                                        stretch=[0, 1]))


def main():
    with open(os.path.join(SKIN, "colour_picker.ui"), "w", encoding="utf-8") as f:
        f.write(pretty(document(colour_picker())))


if __name__ == "__main__":
    main()
