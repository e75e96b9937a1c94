#!/usr/bin/env python3
"""Writes the key-assignment editor's layout, resources/skin/key_set_control.ui:
python3 key_set_layout.py

A drop-down list of function categories above one page per category (a stacked widget whose page n is
category n), and the buttons that restore the default, save, cancel and write the keys to the device.
The drop-down lists of the pages are filled by the control from its tables; the category list's items
are the text ids of the categories, in category order.
"""

import os

from uixml import W, Spacer, hbox, vbox, document, pretty, props

SKIN = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
HAND = ("enum", "Qt::PointingHandCursor")
ROW = 30

# Text ids of the categories 0-11, in the order of their page numbers.
CATEGORY_TEXT_IDS = [
    "keyset_category_default", "keyset_category_mouse_key", "keyset_category_swing", "keyset_category_wheel",
    "keyset_category_dpi", "keyset_category_fire", "keyset_category_keyboard", "keyset_category_media",
    "keyset_category_system", "keyset_category_macro", "keyset_category_gun", "keyset_category_shortcut",
]


class ComboWithItems(W):
    """A drop-down list whose items (plain texts) come from the layout."""

    def __init__(self, name, items, **p):
        super().__init__("QComboBox", name, **p)
        self.items = list(items)

    def xml(self):
        items = "".join(f"<item>{props({'text': text})}</item>" for text in self.items)
        return f'<widget class="{self.cls}" name="{self.name}">{props(self.p)}{items}</widget>'


def combo(name, tip_id=None):
    p = {"cursor": HAND, "minimumSize": ("size", 180, ROW), "maximumSize": ("size", 260, ROW)}
    if tip_id:
        p["toolTipId"] = tip_id
    return W("QComboBox", name, **p)


def number_edit(name, max_length=5):
    return W("QLineEdit", name, maxLength=max_length, minimumSize=("size", 70, ROW), maximumSize=("size", 90, ROW))


def label(name, text_id):
    return W("QLabel", name, textId=text_id, role="muted")


def field_row(name, items):
    return hbox(f"{name}_row", items + [Spacer()], spacing=8)


def page(name, rows):
    return W("QWidget", name, layout=vbox(f"{name}_box", rows + [Spacer(horizontal=False, w=20, h=10)],
                                          margins=(0, 6, 0, 0), spacing=8))


def choice_page(name, combo_name, label_id):
    return page(name, [field_row(name, [label(f"{name}_label", label_id), combo(combo_name)])])


def motion_page(kind):
    """Swing (kind "mouseswing") and wheel (kind "mousewheel"): direction, count, delay and speed."""
    name = f"keyset_{kind}_page"
    return page(name, [
        field_row(f"{name}_direction", [label(f"{name}_direction_label", "keyset_direction_text"),
                                        combo(f"keyset_{kind}_combo")]),
        field_row(f"{name}_values", [
            label(f"{name}_num_label", "keyset_count_text"), number_edit(f"keyset_{kind}_num_edit", 3),
            label(f"{name}_delay_label", "keyset_delay_level_text"), number_edit(f"keyset_{kind}_delay_edit", 2),
            label(f"{name}_speed_label", "keyset_speed_level_text"), number_edit(f"keyset_{kind}_speed_edit", 2),
        ]),
    ])


def modifier_box(index, text_id):
    return W("QRadioButton", f"key_ComBox_check_{index}", textId=text_id, checkable=True, autoExclusive=True,
             checked=index == 0, cursor=HAND)


def keyboard_page():
    name = "keyset_keyboard_page"
    return page(name, [
        field_row(f"{name}_modifiers", [modifier_box(i, text_id) for i, text_id in enumerate(
            ["keyset_modifier_none", "keyset_modifier_ctrl", "keyset_modifier_shift", "keyset_modifier_alt",
             "keyset_modifier_win"])]),
        field_row(f"{name}_key", [
            label(f"{name}_key_label", "keyset_key_text"),
            W("QLineEdit", "keyset_keyboard_text_edit", readOnly=True, toolTipId="keyset_key_tip",
              minimumSize=("size", 180, ROW), maximumSize=("size", 260, ROW)),
        ]),
        label(f"{name}_hint", "keyset_key_hint"),
    ])


def macro_page():
    name = "keyset_macro_page"
    cycle = W("QWidget", "keyset_macro_cycle_layout", visible=False, layout=hbox("keyset_macro_cycle_box", [
        label("keyset_macro_cycle_label", "keyset_macro_cycle_text"), number_edit("keyset_macro_cycle_edit", 3),
        Spacer()], spacing=8))
    return page(name, [
        field_row(f"{name}_macro", [label(f"{name}_macro_label", "keyset_macro_text"), combo("keyset_macro_combo")]),
        field_row(f"{name}_over", [label(f"{name}_over_label", "keyset_macro_over_text"),
                                   combo("keyset_macro_over_combo")]),
        cycle,
    ])


def fire_page():
    name = "keyset_mousefire_page"
    return page(name, [field_row(name, [
        label(f"{name}_interval_label", "keyset_fire_interval_text"), number_edit("keyset_mousefire_interval_edit", 3),
        label(f"{name}_num_label", "keyset_count_text"), number_edit("keyset_mousefire_num_edit", 3),
    ])])


def pages():
    return [
        page("keyset_default_page", [label("keyset_default_hint", "keyset_default_hint")]),
        choice_page("keyset_mousekey_page", "keyset_mousekey_combo", "keyset_category_mouse_key"),
        motion_page("mouseswing"),
        motion_page("mousewheel"),
        choice_page("keyset_mousedpi_page", "keyset_mousedpi_combo", "keyset_category_dpi"),
        fire_page(),
        keyboard_page(),
        choice_page("keyset_media_page", "keyset_media_combo", "keyset_category_media"),
        choice_page("keyset_system_page", "keyset_system_combo", "keyset_category_system"),
        macro_page(),
        choice_page("keyset_gunkey_page", "keyset_gunkey_combo", "keyset_category_gun"),
        choice_page("keyset_combokey_page", "keyset_combokey_combo", "keyset_category_shortcut"),
    ]


def button(name, text_id, role):
    return W("QPushButton", name, textId=text_id, role=role, cursor=HAND,
             minimumSize=("size", 0, ROW), maximumSize=("size", 16777215, ROW))


def key_set_control():
    """The root widget of the editor's layout."""
    editor = W("QWidget", "keyset_layout", layout=vbox("keyset_box", [
        field_row("keyset_function", [
            label("keyset_function_label", "keyset_function_text"),
            ComboWithItems("keyset_function_combo", CATEGORY_TEXT_IDS, cursor=HAND,
                           minimumSize=("size", 180, ROW), maximumSize=("size", 260, ROW)),
        ]),
        W("QStackedWidget", "function_switch_tablayout", currentIndex=0, children=pages()),
        hbox("keyset_buttons", [
            button("key_butt_keydefalut", "keyset_default_btn_text", "secondary"),
            Spacer(),
            button("key_butt_keycancel", "keyset_cancel_btn_text", "secondary"),
            button("key_butt_keysave", "keyset_save_btn_text", "primary"),
        ], spacing=8),
        # Writing every key and macro to the device is a page-wide action: a row of its own.
        hbox("keyset_device_buttons", [
            Spacer(),
            button("key_butt_prosave", "keyset_write_btn_text", "secondary"),
        ], spacing=8),
    ], margins=(12, 10, 12, 10), spacing=8))
    return W("QWidget", "key_set_control", geometry=("rect", 0, 0, 560, 260),
             layout=hbox("key_set_control_box", [editor]))


def main():
    with open(os.path.join(SKIN, "key_set_control.ui"), "w", encoding="utf-8") as f:
        f.write(pretty(document(key_set_control())))


if __name__ == "__main__":
    main()
