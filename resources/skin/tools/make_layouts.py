#!/usr/bin/env python3
"""Writes the layouts of the skin folder (resources/skin/*.ui).

The layouts are generated because the device pictures hold many exactly placed spots (170 on the
keyboard); run this script again after changing a picture or a layout:  python3 make_layouts.py
"""

import math
import os

import colour_picker_layout
import device_profile_layout
import headset_audio_layout
import key_set_layout
import keyboard_keys as kb
from uixml import W, L, Spacer, Aligned, hbox, vbox, document, pretty

SKIN = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Key units of the keyboard picture in pixels, the gap between caps and the board's margin.
KB_UNIT = 35
KB_GAP = 4
KB_MARGIN = 22
KB_SIZE = (math.ceil(kb.WIDTH_UNITS * KB_UNIT + 2 * KB_MARGIN), math.ceil(kb.HEIGHT_UNITS * KB_UNIT + 2 * KB_MARGIN))


def write(name, root, custom=False):
    with open(os.path.join(SKIN, name), "w", encoding="utf-8") as f:
        f.write(pretty(document(root, custom)))


def picture_label(name, image, size):
    """The drawn device picture behind the spots; a style sheet image is drawn from the SVG at the
    screen's resolution, so it stays crisp at every scale."""
    return W("QLabel", name, geometry=("rect", 0, 0, *size),
             styleSheet=f"image: url(skin:{image}); background: transparent;")


def spot(name, x, y, w, h, light=None, text=None, visible=True, light_image=None):
    p = {"geometry": ("rect", x, y, w, h)}
    if light_image:
        p["lightimage"] = light_image
    if light is not None:
        p["userData"] = f"light_{light}"
    if text:
        p["text"] = text
    if not visible:
        p["visible"] = False
    return W("DeviceKeyButton", name, **p)


def panel(name, size, picture, spots):
    return W("SelectPanel", name, children=[picture_label(name.replace("_key_light", "_picture"), picture, size)] + spots,
             minimumSize=("size", *size), maximumSize=("size", *size))


def tab(name, text_id, checked=False, visible=True):
    p = {"checkable": True, "autoExclusive": True, "textId": text_id, "checked": checked,
         "cursor": ("enum", "Qt::PointingHandCursor"), "role": "tab"}
    if not visible:
        p["visible"] = False
    return W("QPushButton", name, **p)


def placeholder_page(name, title_id, note_id):
    return W("QWidget", name, layout=vbox(f"{name}_box", [
        W("QLabel", f"{name}_title", textId=title_id, role="section"),
        W("QLabel", f"{name}_note", textId=note_id, wordWrap=True, role="muted"),
        Spacer(horizontal=False, w=20, h=40),
    ], margins=(20, 18, 20, 18), spacing=6))


def light_page(prefix):
    """The Lighting section: its title and the light editor."""
    name = f"{prefix}_light_page"
    return W("QWidget", name, layout=vbox(f"{name}_box", [
        W("QLabel", f"{name}_title", textId="light_tab_text", role="section"),
        W("LightControl", "light_control"),
        Spacer(horizontal=False, w=20, h=40),
    ], margins=(20, 18, 20, 18), spacing=6))


def function_switch(prefix, pages):
    return W("QStackedWidget", "device_function_switch", currentIndex=0, children=[
        placeholder_page(f"{prefix}_{page}_page", title, "page_pending_note") for page, title in pages])


def key_function_switch(prefix):
    titles = ["key_function_assign_title", "key_function_options_title", "key_function_macro_title"]
    return W("QStackedWidget", "device_key_function_switch", currentIndex=0, children=[
        placeholder_page(f"{prefix}_key_function_{i}", titles[i], "page_pending_note") for i in range(3)])


FULL_PAGES = [("light", "light_tab_text"), ("key", "key_tab_text"), ("macro", "macro_tab_text"),
              ("system", "system_tab_text")]


def tab_row(prefix, with_keys=True, tabs=None):
    if tabs is None:
        tabs = [
            tab("deng_Op_tab", "light_tab_text", checked=True),
            tab("key_Op_tab", "key_tab_text", visible=with_keys),
            tab("macro_Op_tab", "macro_tab_text", visible=with_keys),
            tab("system_Op_tab", "system_tab_text"),
        ]
    return W("QWidget", f"{prefix}_tab_row", layout=hbox(f"{prefix}_tab_box", tabs + [
        Spacer(),
        W("QPushButton", "default_btn", textId="default_btn_text", toolTipId="default_btn_tip",
          cursor=("enum", "Qt::PointingHandCursor"), role="secondary"),
    ], spacing=6))


def card(name, child_layout):
    return W("QFrame", name, layout=child_layout, role="card")


def side_by_side_page(prefix, picture_panel, with_keys, tabs=None, switch=None):
    """Picture on the left, the tabs and function panels on the right (mouse, headset)."""
    right_items = [tab_row(prefix, with_keys, tabs), card(f"{prefix}_function_card", vbox(
        f"{prefix}_function_box", [switch or function_switch(prefix, FULL_PAGES)]))]
    stretch = [0, 1]
    if with_keys:
        right_items.append(card(f"{prefix}_key_function_card", vbox(
            f"{prefix}_key_function_box", [key_function_switch(prefix)])))
        stretch = [0, 3, 2]
    return W("QWidget", f"{prefix}_device", geometry=("rect", 0, 0, 968, 500), layout=hbox(f"{prefix}_page_box", [
        card(f"{prefix}_picture_card", vbox(f"{prefix}_picture_box", [Aligned(picture_panel, "Qt::AlignHCenter|Qt::AlignVCenter")],
                                            margins=(16, 16, 16, 16))),
        vbox(f"{prefix}_side_box", right_items, spacing=10, stretch=stretch),
    ], spacing=14, stretch=[0, 1]))


def stacked_page(prefix, picture_panel, with_keys, tabs=None, switch=None):
    """Tabs on top, the picture across the page, the function panels below (keyboard, mouse pad)."""
    bottom = [card(f"{prefix}_function_card", vbox(f"{prefix}_function_box",
                                                   [switch or function_switch(prefix, FULL_PAGES)]))]
    if with_keys:
        bottom.append(card(f"{prefix}_key_function_card", vbox(
            f"{prefix}_key_function_box", [key_function_switch(prefix)])))
    return W("QWidget", f"{prefix}_device", geometry=("rect", 0, 0, 968, 500), layout=vbox(f"{prefix}_page_box", [
        tab_row(prefix, with_keys, tabs),
        card(f"{prefix}_picture_card", vbox(f"{prefix}_picture_box", [Aligned(picture_panel, "Qt::AlignHCenter|Qt::AlignVCenter")],
                                            margins=(10, 10, 10, 10))),
        hbox(f"{prefix}_bottom_box", bottom, spacing=10, stretch=[3, 2] if with_keys else None),
    ], spacing=10, stretch=[0, 0, 1]))


# ----------------------------------------------------------------------------------------------------------
# Keyboard

def keyboard_spots():
    spots = []
    placed = set()
    for key, legend, x, y, w, h in kb.places():
        px = round(KB_MARGIN + x * KB_UNIT + KB_GAP / 2)
        py = round(KB_MARGIN + y * KB_UNIT + KB_GAP / 2)
        key_spot = spot(f"key_{key}", px, py, round(w * KB_UNIT - KB_GAP), round(h * KB_UNIT - KB_GAP),
                        light=key, text=legend)
        key_spot.p["keysetimage"] = "devices/keyset_mark.svg"
        spots.append(key_spot)
        placed.add(key)
    # Numbers without a key on this board: hidden, parked below the picture where no drag reaches them.
    parked = [k for k in range(170) if k not in placed]
    for i, key in enumerate(parked):
        spots.append(spot(f"key_{key}", (i % 40) * 12, KB_SIZE[1] + 40 + (i // 40) * 12, 10, 10, light=key,
                          visible=False))
    return sorted(spots, key=lambda s: int(s.name.split("_")[1]))


def keyboard_light_page():
    """The custom-colour strip: one colour for the keys dragged over on the picture, or for every key."""
    def button(name, text_id, role="secondary"):
        return W("QPushButton", name, textId=text_id, role=role, cursor=("enum", "Qt::PointingHandCursor"))
    return W("QWidget", "keyboard_light_page", layout=vbox("keyboard_light_box", [
        W("QLabel", "custom_colour_title", textId="custom_colour_title", role="section"),
        W("QLabel", "custom_colour_note", textId="custom_colour_note", role="muted", wordWrap=True),
        hbox("custom_colour_row", [
            W("QPushButton", "custom_colour_swatch", toolTipId="custom_colour_swatch_tip", role="swatch",
              minimumSize=("size", 30, 30), maximumSize=("size", 30, 30), cursor=("enum", "Qt::PointingHandCursor")),
            button("custom_colour_keys_btn", "custom_colour_keys_text", role="primary"),
            button("custom_colour_all_btn", "custom_colour_all_text"),
            button("custom_colour_off_btn", "custom_colour_off_text"),
            W("QLabel", "custom_colour_selection_label", role="muted"),
            Spacer(),
        ], spacing=10),
        Spacer(horizontal=False, w=10, h=10),
    ], margins=(16, 12, 16, 8), spacing=8))


def keyboard_key_page():
    """The key editor for the key clicked on the picture; the other key functions come later."""
    assign = W("QWidget", "keyboard_key_function_0", layout=hbox("keyboard_key_function_0_box", [
        vbox("keyboard_key_hint_column", [
            W("QLabel", "device_tishi_info", textId="keyboard_key_pick_hint", role="muted", wordWrap=True),
            Spacer(horizontal=False, w=10, h=10),
        ]),
        W("KeySetControl", "KeySetControlItem", visible=False),
    ], margins=(16, 8, 16, 8), spacing=12, stretch=[1, 2]))
    return W("QStackedWidget", "device_key_function_switch", currentIndex=0, children=[
        assign,
        placeholder_page("keyboard_key_function_1", "key_function_options_title", "page_pending_note"),
        placeholder_page("keyboard_key_function_2", "key_function_macro_title", "page_pending_note"),
    ])


REPEAT_DELAYS = ["250", "500", "750", "1000"]  # ms; the label under them names the unit


def keyboard_system_page():
    """Polling rate, the lock and rollover flags, and key repeat with a box to try it in."""
    def column(name, title_id, items):
        return vbox(f"{name}_box", [W("QLabel", f"{name}_title", textId=title_id, role="section")] + items +
                    [Spacer(horizontal=False, w=10, h=4)], spacing=6)

    def radio(name, **p):
        return W("QRadioButton", name, autoExclusive=True, cursor=("enum", "Qt::PointingHandCursor"), **p)
    # Auto-exclusive radio buttons form one group per parent widget: each choice gets a widget of its own.
    polling = column("keyboard_polling", "polling_rate_title", [W("QWidget", "polling_rate_options", layout=L(
        "QGridLayout", "polling_rate_grid", [
            (radio(f"polling_rate_option_{i}", textId=POLLING_RATES[i]), i // 2, i % 2) for i in range(4)],
        spacing=6))])
    flags = column("keyboard_flags", "keyboard_flags_title", [
        W("QCheckBox", name, textId=f"{name}_text", cursor=("enum", "Qt::PointingHandCursor"))
        for name in ("winlockflag_option", "wflag_option", "6flag_option")])
    repeat = column("keyboard_repeat", "repeat_title", [
        hbox("repeat_rate_box", [
            W("QLabel", "repeat_rate_label", textId="repeat_rate_text", minimumSize=("size", 90, 0)),
            W("QSlider", "repeat_rate_slider", orientation=("enum", "Qt::Horizontal"), maximum=31, role="dpi",
              cursor=("enum", "Qt::PointingHandCursor")),
        ], spacing=10, stretch=[0, 1]),
        hbox("repeat_delay_box", [
            W("QLabel", "repeat_delay_label", textId="repeat_delay_text", minimumSize=("size", 90, 0)),
            W("QWidget", "repeat_delay_options", layout=hbox("repeat_delay_options_box", [
                radio(f"repeat_delay_check_{i}", text=REPEAT_DELAYS[i]) for i in range(4)], spacing=10)),
            Spacer()], spacing=10),
        hbox("repeat_try_box", [
            W("QLabel", "repeat_delay_time_label1", role="muted", minimumSize=("size", 140, 0)),
            W("QLineEdit", "repeat_input_richedit", minimumSize=("size", 0, 28)),
            W("QPushButton", "reset_repeat_btn", textId="reset_repeat_text", role="secondary",
              cursor=("enum", "Qt::PointingHandCursor")),
        ], spacing=10, stretch=[0, 1, 0]),
    ])
    return W("QWidget", "keyboard_system_page", layout=hbox("keyboard_system_box", [polling, flags, repeat],
                                                             margins=(12, 10, 12, 6), spacing=22, stretch=[0, 0, 1]))


def keyboard_page():
    """Profile and restore on top, the picture across the page, below it the function tabs down the left and
    their pages, which scroll when the window is too low for them (the key editor)."""
    picture = panel("keyboard_device_key_light", KB_SIZE, "devices/keyboard.svg", keyboard_spots())
    pages = W("QStackedWidget", "device_function_switch", currentIndex=0, children=[
        keyboard_light_page(),
        keyboard_key_page(),
        placeholder_page("keyboard_macro_page", "macro_tab_text", "page_pending_note"),
        keyboard_system_page(),
    ])
    tabs = vbox("keyboard_tab_column", [
        tab("deng_Op_tab", "light_tab_text", checked=True),
        tab("key_Op_tab", "key_tab_text"),
        tab("macro_Op_tab", "macro_tab_text"),
        tab("system_Op_tab", "system_tab_text"),
        Spacer(horizontal=False, w=10, h=4),
    ], margins=(8, 10, 0, 8), spacing=2)
    scroll = W("QScrollArea", "keyboard_function_scroll", widgetResizable=True,
               frameShape=("enum", "QFrame::NoFrame"),
               horizontalScrollBarPolicy=("enum", "Qt::ScrollBarAlwaysOff"),
               styleSheet="QScrollArea, QScrollArea > QWidget > QWidget { background: transparent; }",
               children=[W("QWidget", "keyboard_function_content", layout=vbox("keyboard_function_box", [pages],
                                                                                margins=(0, 0, 0, 0)))])
    header = hbox("keyboard_header_box", [
        W("DeviceProfile", "DeviceProfileItem"),
        W("QPushButton", "default_btn", textId="default_btn_text", toolTipId="default_btn_tip",
          cursor=("enum", "Qt::PointingHandCursor"), role="secondary"),
    ], spacing=14, stretch=[1, 0])
    return W("QWidget", "keyboard_device", geometry=("rect", 0, 0, 968, 500), layout=vbox("keyboard_page_box", [
        header,
        card("keyboard_picture_card", vbox("keyboard_picture_box",
                                           [Aligned(picture, "Qt::AlignHCenter|Qt::AlignVCenter")],
                                           margins=(6, 6, 6, 6))),
        card("keyboard_function_card", hbox("keyboard_function_row", [tabs, scroll], spacing=8, stretch=[0, 1])),
    ], spacing=8, stretch=[0, 0, 1]))


# ----------------------------------------------------------------------------------------------------------
# Mouse: top view, front up.

MOUSE_SIZE = (300, 460)


def mouse_spots():
    return [
        spot("key_0", 50, 34, 86, 150, text="L"),
        spot("key_1", 164, 34, 86, 150, text="R"),
        spot("key_2", 140, 62, 20, 58, light=1),
        spot("key_5", 140, 128, 20, 22, text="+"),
        spot("key_6", 140, 156, 20, 22, text="\u2212"),
        spot("key_7", 128, 196, 44, 22, text="DPI"),
        spot("key_8", 30, 150, 16, 40),
        spot("key_3", 24, 206, 18, 50),
        spot("key_4", 24, 262, 18, 50),
        spot("key_9", 258, 214, 18, 46),
        spot("key_10", 258, 266, 18, 46),
        spot("logo", 126, 300, 48, 48, light=0, light_image="devices/logo_light.svg"),
        spot("left_strip_led", 56, 226, 10, 110, light=2),
        spot("right_strip_led", 234, 226, 10, 110, light=3),
        spot("rear_left_led", 96, 404, 50, 10, light=4),
        spot("rear_right_led", 154, 404, 50, 10, light=5),
    ]


def dpi_row(n):
    """One DPI stage: its enable check stays outside the row, so a disabled stage can be enabled again."""
    row = W("QWidget", f"DPI_layout_{n}", layout=hbox(f"DPI_row_box_{n}", [
        W("QRadioButton", f"DPI_select_check_{n}", toolTipId="dpi_select_tip", autoExclusive=True,
          maximumSize=("size", 22, 22), cursor=("enum", "Qt::PointingHandCursor")),
        W("QLabel", f"DPI_stage_label_{n}", text=f"{n + 1}", role="caption", minimumSize=("size", 14, 0)),
        W("QSlider", f"DPI_slider_{n}", orientation=("enum", "Qt::Horizontal"), role="dpi",
          cursor=("enum", "Qt::PointingHandCursor")),
        W("QLineEdit", f"DPI_edit_{n}", minimumSize=("size", 64, 26), maximumSize=("size", 64, 26),
          alignment=("set", "Qt::AlignRight|Qt::AlignVCenter")),
        W("QPushButton", f"DPI_color_option_{n}", toolTipId="dpi_colour_tip", role="swatch",
          minimumSize=("size", 26, 26), maximumSize=("size", 26, 26), cursor=("enum", "Qt::PointingHandCursor")),
    ], spacing=8))
    return hbox(f"DPI_stage_box_{n}", [
        W("QCheckBox", f"DPI_enable_check_{n}", toolTipId="dpi_enable_tip", maximumSize=("size", 22, 22),
          cursor=("enum", "Qt::PointingHandCursor")),
        row,
    ], spacing=6, stretch=[0, 1])


POLLING_RATES = ["polling_rate_125", "polling_rate_250", "polling_rate_500", "polling_rate_1000",
                 "polling_rate_2000"]


def mouse_settings_tab(n, text_id, checked=False):
    return W("QPushButton", f"mouse_device_seting_option_{n}", checkable=True, autoExclusive=True,
             textId=text_id, checked=checked, role="subtab", cursor=("enum", "Qt::PointingHandCursor"))


def labelled_slider(name, text_id, maximum):
    return hbox(f"{name}_box", [
        W("QLabel", f"{name}_label", textId=text_id, minimumSize=("size", 150, 0)),
        W("QSlider", name, orientation=("enum", "Qt::Horizontal"), maximum=maximum, role="dpi",
          cursor=("enum", "Qt::PointingHandCursor")),
    ], spacing=10, stretch=[0, 1])


def mouse_system_page():
    dpi_page = W("QWidget", "mouse_dpi_page", layout=vbox("mouse_dpi_box", [
        W("QLabel", "mouse_dpi_title", textId="dpi_title", role="section"),
        W("QLabel", "mouse_dpi_note", textId="dpi_note", role="muted", wordWrap=True),
    ] + [dpi_row(n) for n in range(6)] + [Spacer(horizontal=False, w=10, h=10)], margins=(16, 12, 16, 8), spacing=8))
    polling_page = W("QWidget", "mouse_polling_page", layout=vbox("mouse_polling_box", [
        W("QLabel", "mouse_polling_title", textId="polling_rate_title", role="section"),
        W("QLabel", "mouse_polling_note", textId="polling_rate_note", role="muted", wordWrap=True),
        hbox("polling_rate_options", [
            W("QRadioButton", f"polling_rate_option_{i}", textId=POLLING_RATES[i], autoExclusive=True,
              cursor=("enum", "Qt::PointingHandCursor")) for i in range(5)] + [Spacer()], spacing=14),
        Spacer(horizontal=False, w=10, h=10),
    ], margins=(16, 12, 16, 8), spacing=10))
    pointer_page = W("QWidget", "mouse_pointer_page", layout=vbox("mouse_pointer_box", [
        W("QLabel", "mouse_pointer_title", textId="pointer_title", role="section"),
        W("QLabel", "mouse_pointer_note", textId="pointer_note", role="muted", wordWrap=True),
        labelled_slider("pointer_speed_slider", "pointer_speed_text", 20),
        W("QCheckBox", "pointer_precision_check", textId="pointer_precision_text"),
        labelled_slider("scroll_speed_slider", "scroll_speed_text", 100),
        W("QCheckBox", "scrolls_page_check", textId="scrolls_page_text"),
        labelled_slider("double_click_slider", "double_click_text", 900),
        Spacer(horizontal=False, w=10, h=10),
    ], margins=(16, 12, 16, 8), spacing=10))
    return W("QWidget", "mouse_system_page", layout=vbox("mouse_system_page_box", [
        W("QWidget", "mouse_option_layout", layout=hbox("mouse_option_box", [
            mouse_settings_tab(0, "dpi_tab_text", checked=True),
            mouse_settings_tab(1, "polling_rate_tab_text"),
            mouse_settings_tab(2, "pointer_tab_text"),
            Spacer(),
        ], margins=(12, 8, 12, 0), spacing=6)),
        W("QStackedWidget", "mouse_seting_switch", currentIndex=0, children=[dpi_page, polling_page, pointer_page]),
    ], spacing=0, stretch=[0, 1]))


def mouse_key_page():
    """The buttons with what each one does, and the editor of the button picked on the picture."""
    key_list = W("QWidget", "device_setkeyinfo_list", layout=vbox("device_setkeyinfo_list_box", [],
                                                                    spacing=0))
    return W("QWidget", "mouse_key_page", layout=vbox("mouse_key_page_box", [
        W("QLabel", "device_tishi_info", textId="key_pick_hint", role="muted", wordWrap=True),
        hbox("mouse_key_columns", [
            vbox("mouse_key_list_column", [key_list, Spacer(horizontal=False, w=10, h=10)]),
            W("KeySetControl", "KeySetControlItem", visible=False),
        ], spacing=12, stretch=[1, 1]),
    ], margins=(16, 12, 16, 8), spacing=8, stretch=[0, 1]))


def mouse_page():
    picture = panel("mouse_device_key_light", MOUSE_SIZE, "devices/mouse.svg", mouse_spots())
    pages = W("QStackedWidget", "device_function_switch", currentIndex=0, children=[
        placeholder_page("mouse_light_page", "light_tab_text", "page_pending_note"),
        mouse_key_page(),
        placeholder_page("mouse_macro_page", "macro_tab_text", "page_pending_note"),
        mouse_system_page(),
    ])
    settings = W("QWidget", "mouse_device_seting_layout", layout=vbox("mouse_side_box", [
        W("DeviceProfile", "DeviceProfileItem"),
        tab_row("mouse", True),
        card("mouse_function_card", vbox("mouse_function_box", [pages])),
    ], spacing=10, stretch=[0, 0, 1]))
    return W("QWidget", "mouse_device", geometry=("rect", 0, 0, 968, 500), layout=hbox("mouse_page_box", [
        card("mouse_picture_card", vbox("mouse_picture_box", [Aligned(picture, "Qt::AlignHCenter|Qt::AlignVCenter")],
                                        margins=(16, 16, 16, 16))),
        settings,
    ], spacing=14, stretch=[0, 1]))


# ----------------------------------------------------------------------------------------------------------
# Mouse pad: LEDs along the edge, clockwise from the top left, and the corner hub.

PAD_SIZE = (660, 284)
PAD_RECT = (30, 38, 600, 222)  # x, y, width, height of the pad surface


def pad_spots():
    x0, y0, w, h = PAD_RECT
    spots = []
    for i in range(6):  # top, left to right
        cx = x0 + w * (i + 0.5) / 6
        spots.append(spot(f"led_{i}", round(cx - 30), y0 - 7, 60, 14, light=i))
    spots.append(spot("led_6", x0 + w - 7, round(y0 + h / 2 - 30), 14, 60, light=6))
    for i in range(6):  # bottom, right to left
        cx = x0 + w * (5 - i + 0.5) / 6
        spots.append(spot(f"led_{7 + i}", round(cx - 30), y0 + h - 7, 60, 14, light=7 + i))
    spots.append(spot("led_13", x0 - 7, round(y0 + h / 2 - 30), 14, 60, light=13))
    spots.append(spot("led_14", x0 + w - 19, y0 - 11, 24, 24, light=14))  # the hub at the top right corner
    return spots


def mousepad_page():
    picture = panel("mousepad_device_key_light", PAD_SIZE, "devices/mousepad.svg", pad_spots())
    # Lights only: the Lighting tab is its one section.
    return stacked_page("mousepad", picture, with_keys=False,
                        tabs=[tab("deng_Op_tab", "light_tab_text", checked=True)],
                        switch=W("QStackedWidget", "device_function_switch", currentIndex=0,
                                 children=[light_page("mousepad")]))


# ----------------------------------------------------------------------------------------------------------
# Headset: front view; six LEDs round each ear cup and one at the microphone's tip.

HS_SIZE = (360, 420)
HS_CUPS = ((92, 262), (268, 262))
HS_RING = 46


def headset_spots():
    spots = []
    for cup, (cx, cy) in enumerate(HS_CUPS):
        for i in range(6):
            a = math.radians(-90 + 60 * i)
            x, y = cx + HS_RING * math.cos(a), cy + HS_RING * math.sin(a)
            n = cup * 6 + i
            spots.append(spot(f"led_{n}", round(x - 9), round(y - 9), 18, 18, light=n,
                              light_image="devices/dot_light.svg"))
    spots.append(spot("led_12", 150, 378, 24, 16, light=12))
    return spots


def headset_page():
    """Lighting, the sound editor (equaliser, microphone, monitor) and the voice changer. The switch keeps
    the option tabs' numbering: its pages 5 and 6 are the two editors, the pages of tabs the headset has
    not are empty."""
    picture = panel("hs6533_device_key_light", HS_SIZE, "devices/headset.svg", headset_spots())
    tabs = [
        tab("deng_Op_tab", "light_tab_text", checked=True),
        tab("6533_voice_Op_tab", "voice_tab_text"),
        tab("magic_Op_tab", "magic_tab_text"),
    ]
    unused = [W("QWidget", f"hs6533_unused_page_{i}") for i in range(1, 5)]
    switch = W("QStackedWidget", "device_function_switch", currentIndex=0, children=[
        light_page("hs6533"), *unused,
        W("QWidget", "hs6533_voice_page", layout=vbox("hs6533_voice_page_box", [
            W("Voice6533Control", "Voice6533ControlItem")])),
        W("QWidget", "hs6533_magic_page", layout=vbox("hs6533_magic_page_box", [
            W("MagicControl", "MagicControlItem")])),
    ])
    return side_by_side_page("hs6533", picture, with_keys=False, tabs=tabs, switch=switch)


# ----------------------------------------------------------------------------------------------------------
# Main window

def window_button(name, icon, tip_id, visible=True):
    p = {"icon": ("icon", icon), "iconSize": ("size", 16, 16), "toolTipId": tip_id, "role": "window",
         "minimumSize": ("size", 36, 30), "maximumSize": ("size", 36, 30), "cursor": ("enum", "Qt::PointingHandCursor")}
    if not visible:
        p["visible"] = False
    return W("QPushButton", name, **p)


def main_window():
    title_bar = W("QWidget", "title_bar", minimumSize=("size", 0, 52), maximumSize=("size", 16777215, 52),
                  layout=hbox("title_box", [
                      W("QPushButton", "logo_btn", text="HALVERN", icon=("icon", "halvern.svg"),
                        iconSize=("size", 26, 26), flat=True, toolTipId="logo_tip"),
                      Spacer(),
                      W("QPushButton", "control_light_status", checkable=True, checked=True,
                        textId="control_light_text", toolTipId="control_light_tip",
                        icon=("icon", "window/light_control.svg"), iconSize=("size", 16, 16),
                        cursor=("enum", "Qt::PointingHandCursor")),
                      Spacer(w=12, h=10, expanding=False),
                      window_button("skinbtn", "window/skin.svg", "skin_tip"),
                      window_button("setbtn", "window/settings.svg", "settings_tip"),
                      W("QFrame", "title_separator", frameShape=("enum", "QFrame::VLine"),
                        minimumSize=("size", 1, 18), maximumSize=("size", 1, 18)),
                      window_button("minbtn", "window/minimize.svg", "min_tip"),
                      window_button("maxbtn", "window/maximize.svg", "max_tip"),
                      window_button("restorebtn", "window/restore.svg", "restore_tip", visible=False),
                      window_button("closebtn", "window/close.svg", "close_tip"),
                  ], margins=(14, 0, 10, 0), spacing=4))

    arrow = lambda name, icon, tip: W("QPushButton", name, icon=("icon", icon), iconSize=("size", 16, 16),
                                      toolTipId=tip, role="arrow", minimumSize=("size", 28, 64),
                                      maximumSize=("size", 28, 64), cursor=("enum", "Qt::PointingHandCursor"))
    strip = W("QWidget", "device_strip", minimumSize=("size", 0, 88), maximumSize=("size", 16777215, 88),
              layout=hbox("device_strip_box", [
                  arrow("device_select_prev", "window/arrow_left.svg", "prev_device_tip"),
                  W("QWidget", "device_select_layout", layout=hbox("device_select_box", [], spacing=10)),
                  arrow("device_select_next", "window/arrow_right.svg", "next_device_tip"),
                  Spacer(),
                  W("QStackedWidget", "device_power_switch", minimumSize=("size", 220, 60),
                    maximumSize=("size", 260, 60)),
              ], margins=(14, 6, 18, 4), spacing=8))

    notice = W("QWidget", "No_device_Link", layout=vbox("no_device_box", [
        Spacer(horizontal=False, w=20, h=20),
        Aligned(W("QLabel", "nodevice_image", minimumSize=("size", 280, 180), maximumSize=("size", 280, 180),
                  styleSheet="image: url(skin:common/no_device.svg); background: transparent;"), "Qt::AlignHCenter"),
        Aligned(W("QLabel", "nodevice_title", textId="no_device_title", role="headline",
                  alignment=("set", "Qt::AlignCenter")), "Qt::AlignHCenter"),
        W("QLabel", "nodevice_text", textId="no_device_text", wordWrap=True, role="muted",
          alignment=("set", "Qt::AlignCenter")),
        Spacer(horizontal=False, w=20, h=8, expanding=False),
        Aligned(W("QPushButton", "nodevice_ok_btn", textId="ok_text", role="primary",
                  minimumSize=("size", 140, 36), cursor=("enum", "Qt::PointingHandCursor")), "Qt::AlignHCenter"),
        Spacer(horizontal=False, w=20, h=20),
    ], spacing=10))

    page_area = W("QWidget", "page_area", layout=L("QGridLayout", "page_grid", [
        (W("QStackedWidget", "device_switch"), 0, 0),
        (notice, 0, 0),
    ], margins=(16, 4, 16, 16)))

    root = W("QWidget", "root", geometry=("rect", 0, 0, 1000, 640), minimumSize=("size", 1000, 640),
             textId="app_title", layout=vbox("root_box", [title_bar, strip, page_area], spacing=0,
                                               stretch=[0, 0, 1]))
    return root


# ----------------------------------------------------------------------------------------------------------
# Device list entry and power widget

def device_option():
    return W("QWidget", "device_option", geometry=("rect", 0, 0, 92, 80), layout=vbox("device_option_box", [
        Aligned(W("QToolButton", "device_select", checkable=True, autoRaise=True, iconSize=("size", 48, 48),
                  minimumSize=("size", 60, 56), maximumSize=("size", 60, 56),
                  cursor=("enum", "Qt::PointingHandCursor")), "Qt::AlignHCenter"),
        hbox("device_option_name_box", [
            W("QCheckBox", "synchro_device_select", toolTipId="synchro_tip", maximumSize=("size", 18, 18)),
            W("QLabel", "device_select_name", role="caption", alignment=("set", "Qt::AlignCenter")),
        ], spacing=4),
    ], margins=(2, 0, 2, 0), spacing=2))


def device_power():
    return W("QWidget", "device_power", geometry=("rect", 0, 0, 240, 60), layout=hbox("device_power_box", [
        W("QLabel", "device_phone_type", minimumSize=("size", 24, 24), maximumSize=("size", 24, 24),
          toolTipId="Phone_type_no_device"),
        W("QWidget", "device_power_Layout", layout=hbox("device_power_layout_box", [
            W("QLabel", "device_wuxian_logo", minimumSize=("size", 20, 20), maximumSize=("size", 20, 20),
              toolTipId="wireless_tip", styleSheet="image: url(skin:power/wireless.svg); background: transparent;"),
            W("QLabel", "device_power_status", minimumSize=("size", 24, 24), maximumSize=("size", 24, 24)),
            W("QProgressBar", "device_Power_progress", value=20, textVisible=False, invertedAppearance=True,
              minimumSize=("size", 64, 8), maximumSize=("size", 64, 8)),
            W("QLabel", "device_power_value", text="80%", role="caption",
              minimumSize=("size", 40, 0)),
        ], spacing=8)),
    ], spacing=10))


# ----------------------------------------------------------------------------------------------------------
# Message box and about window

def message_box():
    close = window_button("closebtn", "window/close.svg", "close_tip")
    return W("QWidget", "message_box", geometry=("rect", 0, 0, 440, 220), minimumSize=("size", 440, 220),
             role="dialog", textId="message_title",
             layout=vbox("message_box_box", [
                 W("QWidget", "title_bar", layout=hbox("message_title_box", [
                     W("QLabel", "MessageTitle", textId="message_title", role="section"),
                     Spacer(),
                     close,
                 ], margins=(18, 6, 8, 0))),
                 W("QLabel", "MessageText", wordWrap=True, alignment=("set", "Qt::AlignCenter"),
                   minimumSize=("size", 0, 80), textInteractionFlags=("set", "Qt::TextSelectableByMouse")),
                 hbox("message_buttons_box", [
                     Spacer(),
                     W("QPushButton", "cancel_btn", textId="cancel_text", role="secondary",
                       minimumSize=("size", 110, 36), cursor=("enum", "Qt::PointingHandCursor")),
                     W("QPushButton", "confirm_btn", textId="confirm_text", role="primary", default=True,
                       minimumSize=("size", 110, 36), cursor=("enum", "Qt::PointingHandCursor")),
                 ], margins=(18, 0, 18, 18), spacing=10),
             ], spacing=8, stretch=[0, 1, 0]))


def about():
    title_bar = W("QWidget", "title_bar", minimumSize=("size", 0, 48), maximumSize=("size", 16777215, 48),
                  layout=hbox("about_title_box", [
                      W("QLabel", "about_title", textId="about_title", role="section"),
                      Spacer(),
                      window_button("menubtn", "window/menu.svg", "menu_tip"),
                      window_button("minbtn", "window/minimize.svg", "min_tip"),
                      window_button("maxbtn", "window/maximize.svg", "max_tip"),
                      window_button("restorebtn", "window/restore.svg", "restore_tip", visible=False),
                      window_button("closebtn", "window/close.svg", "close_tip"),
                  ], margins=(20, 0, 10, 0), spacing=4))
    body = vbox("about_body_box", [
        Spacer(horizontal=False, w=20, h=30),
        Aligned(W("QLabel", "about_logo", minimumSize=("size", 128, 128), maximumSize=("size", 128, 128),
                  styleSheet="image: url(skin:halvern.svg); background: transparent;"), "Qt::AlignHCenter"),
        Aligned(W("QLabel", "about_product_name", text="HALVERN", role="brand"), "Qt::AlignHCenter"),
        W("QLabel", "about_product_text", textId="about_product_text", role="muted",
          alignment=("set", "Qt::AlignCenter"), wordWrap=True),
        Spacer(horizontal=False, w=20, h=12, expanding=False),
        Aligned(W("QLabel", "software_ver_label", role="version"), "Qt::AlignHCenter"),
        Aligned(W("QPushButton", "homepage_btn", textId="homepage_text", flat=True, role="link",
                  cursor=("enum", "Qt::PointingHandCursor")), "Qt::AlignHCenter"),
        Spacer(horizontal=False, w=20, h=30),
        Aligned(W("QLabel", "copyright_label", textId="copyright_text", role="caption"), "Qt::AlignHCenter"),
        W("QLabel", "text_test", visible=False),
    ], margins=(40, 0, 40, 24), spacing=8)
    return W("QWidget", "about", geometry=("rect", 0, 0, 800, 572), role="dialog", textId="about_title",
             layout=vbox("about_box", [title_bar, body], spacing=0, stretch=[0, 1]))


def device_pages_without_keys():
    """Only the mouse pad's and the headset's pages (the others' layouts have been edited since)."""
    write("mousepad_device.ui", mousepad_page(), custom=True)
    write("hs6533_device.ui", headset_page(), custom=True)
    headset_audio_layout.main()


def main():
    write("main_window.ui", main_window())
    write("keyboard_device.ui", keyboard_page(), custom=True)
    write("mouse_device.ui", mouse_page(), custom=True)
    write("mousepad_device.ui", mousepad_page(), custom=True)
    write("hs6533_device.ui", headset_page(), custom=True)
    write("device_option.ui", device_option())
    write("device_power.ui", device_power())
    write("message_box.ui", message_box())
    write("about.ui", about())
    # Controls and windows with layouts of their own.
    key_set_layout.main()
    colour_picker_layout.main()
    device_profile_layout.main()
    headset_audio_layout.main()


if __name__ == "__main__":
    import sys
    device_pages_without_keys() if sys.argv[1:] == ["--light-only"] else main()
