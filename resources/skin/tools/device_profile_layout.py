#!/usr/bin/env python3
"""Writes the profile-management control's layout, resources/skin/device_profile.ui:
python3 device_profile_layout.py

The drop-down list of profiles, the name edit with its save button and the button that opens the profile
menu. The six profile buttons are kept, hidden, in "profile_menu_layout": they carry the names the main
window routes and the texts of the language; the control shows them as the entries of a real menu.
"""

import os

from uixml import W, Spacer, hbox, document, pretty

SKIN = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
HAND = ("enum", "Qt::PointingHandCursor")


def menu_button(name, text_id, tip_id):
    return W("QPushButton", name, textId=text_id, toolTipId=tip_id, role="secondary", cursor=HAND,
             minimumSize=("size", 0, 30), maximumSize=("size", 16777215, 30))


def device_profile():
    menu = W("QWidget", "profile_menu_layout", visible=False, layout=hbox("profile_menu_box", [
        menu_button("device_add_btn", "profile_add_text", "profile_add_tip"),
        menu_button("device_sub_btn", "profile_delete_text", "profile_delete_tip"),
        menu_button("device_copy_btn", "profile_copy_text", "profile_copy_tip"),
        menu_button("device_import_btn", "profile_import_text", "profile_import_tip"),
        menu_button("device_export_btn", "profile_export_text", "profile_export_tip"),
        menu_button("device_reset_btn", "profile_reset_text", "profile_reset_tip"),
    ], spacing=6))
    return W("QWidget", "device_profile", geometry=("rect", 0, 0, 900, 40), layout=hbox("device_profile_box", [
        W("QLabel", "device_profile_label", textId="profile_label_text", role="muted"),
        W("QComboBox", "device_profile_combo", toolTipId="profile_combo_tip", cursor=HAND,
          minimumSize=("size", 160, 30), maximumSize=("size", 240, 30)),
        W("QLineEdit", "device_profile_name_edit", maxLength=40, toolTipId="profile_name_tip",
          minimumSize=("size", 140, 30), maximumSize=("size", 220, 30)),
        W("QPushButton", "device_profile_edit_save_btn", textId="profile_rename_text", toolTipId="profile_rename_tip",
          role="secondary", cursor=HAND, minimumSize=("size", 0, 30), maximumSize=("size", 16777215, 30)),
        W("QPushButton", "profile_fun_spread_btn", icon=("icon", "window/menu.svg"), iconSize=("size", 16, 16),
          toolTipId="profile_menu_tip",
          role="secondary", cursor=HAND, minimumSize=("size", 36, 30), maximumSize=("size", 36, 30)),
        menu,
        Spacer(horizontal=True, w=0, h=20),
    ], spacing=8, stretch=[0, 1, 1, 0, 0, 0, 0]))


def main():
    with open(os.path.join(SKIN, "device_profile.ui"), "w", encoding="utf-8") as f:
        f.write(pretty(document(device_profile())))


if __name__ == "__main__":
    main()
