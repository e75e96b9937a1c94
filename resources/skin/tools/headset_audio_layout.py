#!/usr/bin/env python3
"""Writes the layouts of the headset's two sound editors: python3 headset_audio_layout.py

resources/skin/voice6533_control.ui: the equaliser (13 choices: 12 presets and the custom one), its ten
band sliders, the custom EQ row (saved EQs, a name for a new one, save and delete), the microphone and the
monitor. resources/skin/magic_control.ui: the voice changer, on or off, and its four voices.
"""

import os

from uixml import W, Spacer, hbox, vbox, document, pretty

SKIN = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
HAND = ("enum", "Qt::PointingHandCursor")
BANDS = ["31", "62", "125", "250", "500", "1k", "2k", "4k", "8k", "16k"]
BAND_MIN, BAND_MAX = -20, 20


def choice(name, text_id):
    return W("QPushButton", name, checkable=True, autoExclusive=True, textId=text_id, role="subtab",
             cursor=HAND, minimumSize=("size", 0, 28))


def eq_choices():
    rows = []
    for first in (1, 8):
        items = [choice(f"6533_eq_option_{n}", f"eq_preset_{n}_text") for n in range(first, first + 7) if n <= 13]
        rows.append(hbox(f"eq_choice_row_{first}", items, spacing=6))
    return W("QWidget", "eq_choice_area", layout=vbox("eq_choice_box", rows, spacing=6))


def band(i):
    return vbox(f"eq_band_box_{i}", [
        W("QLabel", f"eq_band_value_{i}", text=("notr", "0"), role="caption",
          alignment=("set", "Qt::AlignHCenter|Qt::AlignVCenter")),
        W("QSlider", f"6533_eq_hz_slider_{i}", orientation=("enum", "Qt::Vertical"), minimum=BAND_MIN,
          maximum=BAND_MAX, pageStep=2, cursor=HAND, minimumSize=("size", 28, 110)),
        W("QLabel", f"eq_band_label_{i}", text=("notr", BANDS[i]), role="caption",
          alignment=("set", "Qt::AlignHCenter|Qt::AlignVCenter")),
    ], spacing=4)


def custom_row():
    return W("QWidget", "custom_eq_option_layout", layout=hbox("custom_eq_option_box", [
        W("QComboBox", "custom_eq_name_combo", toolTipId="custom_eq_combo_tip", cursor=HAND,
          minimumSize=("size", 130, 30), maximumSize=("size", 200, 30)),
        W("QLineEdit", "custom_eq_name_edit", maxLength=32, toolTipId="custom_eq_name_tip",
          minimumSize=("size", 110, 30), maximumSize=("size", 200, 30)),
        W("QPushButton", "hs_EQ_btn_save", textId="custom_eq_save_text", toolTipId="custom_eq_save_tip",
          role="secondary", cursor=HAND, minimumSize=("size", 0, 30)),
        W("QPushButton", "hs_EQ_btn_delete", textId="custom_eq_delete_text", toolTipId="custom_eq_delete_tip",
          role="secondary", cursor=HAND, minimumSize=("size", 0, 30)),
        Spacer(horizontal=True, w=0, h=20),
    ], spacing=8, stretch=[1, 1, 0, 0, 0]))


def level_row(prefix, text_id):
    return hbox(f"{prefix}_box", [
        W("QCheckBox", f"{prefix}_option", textId=text_id, cursor=HAND, minimumSize=("size", 170, 0)),
        W("QSlider", f"{prefix}_slider", orientation=("enum", "Qt::Horizontal"), maximum=100,
          cursor=HAND),
        W("QLabel", f"{prefix}_value", text=("notr", "0"), role="muted", minimumSize=("size", 32, 0),
          alignment=("set", "Qt::AlignRight|Qt::AlignVCenter")),
    ], spacing=10, stretch=[0, 1, 0])


def voice_control():
    return W("QWidget", "voice6533_control", geometry=("rect", 0, 0, 580, 420), layout=vbox("voice6533_box", [
        W("QLabel", "eq_title", textId="eq_title_text", role="section"),
        eq_choices(),
        W("QWidget", "eq_band_area", layout=hbox("eq_band_row", [band(i) for i in range(10)], spacing=4)),
        custom_row(),
        W("QLabel", "mic_title", textId="mic_title_text", role="section"),
        level_row("6533_MicIn", "mic_option_text"),
        level_row("6533_MicMoniter", "monitor_option_text"),
        Spacer(horizontal=False, w=10, h=0),
    ], margins=(16, 12, 16, 8), spacing=8))


def magic_control():
    voices = W("QWidget", "magic_option_layout", layout=hbox("magic_option_box", [
        choice(f"magic_option_{n}", f"magic_type_{n}_text") for n in range(1, 5)] + [Spacer()], spacing=6))
    return W("QWidget", "magic_control", geometry=("rect", 0, 0, 580, 300), layout=vbox("magic_box", [
        W("QLabel", "magic_title", textId="magic_title_text", role="section"),
        W("QLabel", "magic_note", textId="magic_note_text", role="muted", wordWrap=True),
        W("QCheckBox", "magic_enable_option", textId="magic_enable_text", cursor=HAND),
        voices,
        Spacer(horizontal=False, w=10, h=10),
    ], margins=(16, 12, 16, 8), spacing=10))


def main():
    for name, root in (("voice6533_control.ui", voice_control()), ("magic_control.ui", magic_control())):
        with open(os.path.join(SKIN, name), "w", encoding="utf-8") as f:
            f.write(pretty(document(root)))


if __name__ == "__main__":
    main()
