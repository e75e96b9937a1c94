"""Small helpers that write Qt Designer layout XML (the subset QUiLoader reads)."""

from xml.sax.saxutils import escape

CUSTOM_WIDGETS = """ <customwidgets>
  <customwidget>
   <class>DeviceKeyButton</class>
   <extends>QPushButton</extends>
   <header>ui/controls/device_key_button.h</header>
  </customwidget>
  <customwidget>
   <class>KeySetControl</class>
   <extends>QWidget</extends>
   <header>ui/controls/key_set_control.h</header>
  </customwidget>
  <customwidget>
   <class>DeviceProfile</class>
   <extends>QWidget</extends>
   <header>ui/controls/device_profile_control.h</header>
  </customwidget>
  <customwidget>
   <class>SelectPanel</class>
   <extends>QWidget</extends>
   <header>ui/controls/select_panel.h</header>
   <container>1</container>
  </customwidget>
 </customwidgets>
"""


def _value(v):
    """A property value: ("rect", x, y, w, h), ("size", w, h), ("enum", "Qt::X"), ("set", "A|B"),
    ("icon", normal[, checked]), bool, int, str."""
    if isinstance(v, bool):
        return f"<bool>{'true' if v else 'false'}</bool>"
    if isinstance(v, int):
        return f"<number>{v}</number>"
    if isinstance(v, str):
        return f"<string>{escape(v)}</string>"
    kind = v[0]
    if kind == "rect":
        x, y, w, h = v[1:]
        return f"<rect><x>{x}</x><y>{y}</y><width>{w}</width><height>{h}</height></rect>"
    if kind == "size":
        return f"<size><width>{v[1]}</width><height>{v[2]}</height></size>"
    if kind == "enum":
        return f"<enum>{v[1]}</enum>"
    if kind == "set":
        return f"<set>{v[1]}</set>"
    if kind == "icon":
        parts = f"<normaloff>{v[1]}</normaloff>"
        if len(v) > 2:
            parts += f"<normalon>{v[2]}</normalon>"
        return f"<iconset>{parts}</iconset>"
    if kind == "notr":
        return f'<string notr="true">{escape(v[1])}</string>'
    raise ValueError(v)


# Properties our code reads by name but that no Qt class declares: written as dynamic properties.
DYNAMIC = {"textId", "toolTipId", "userData", "role"}


def props(d):
    out = []
    for name, v in d.items():
        stdset = ' stdset="0"' if name in DYNAMIC else ""
        out.append(f'<property name="{name}"{stdset}>{_value(v)}</property>')
    return "".join(out)


class W:
    """A widget with properties, children (placed by geometry) or a layout."""

    def __init__(self, cls, name, layout=None, children=(), **p):
        self.cls, self.name, self.layout, self.children, self.p = cls, name, layout, list(children), p

    def xml(self):
        inner = props(self.p)
        if self.layout is not None:
            inner += self.layout.xml()
        for c in self.children:
            inner += c.xml()
        return f'<widget class="{self.cls}" name="{self.name}">{inner}</widget>'


class Spacer:
    count = 0

    def __init__(self, horizontal=True, w=0, h=0, expanding=True):
        Spacer.count += 1
        self.name = f"spacer_{Spacer.count}"
        self.horizontal, self.w, self.h, self.expanding = horizontal, w, h, expanding

    def xml(self):
        o = "Qt::Horizontal" if self.horizontal else "Qt::Vertical"
        policy = "" if self.expanding else (
            '<property name="sizeType"><enum>QSizePolicy::Fixed</enum></property>')
        return (f'<spacer name="{self.name}"><property name="orientation"><enum>{o}</enum></property>'
                f'{policy}<property name="sizeHint" stdset="0"><size><width>{self.w}</width>'
                f'<height>{self.h}</height></size></property></spacer>')


class L:
    """A box or grid layout. Items are widgets, spacers, layouts, or (item, row, column[, rowspan,
    colspan]) tuples for a grid; `stretch` is the list of stretch factors of a box."""

    def __init__(self, cls, name, items=(), margins=(0, 0, 0, 0), spacing=None, stretch=None, alignment=None):
        self.cls, self.name, self.items = cls, name, list(items)
        self.margins, self.spacing, self.stretch, self.alignment = margins, spacing, stretch, alignment

    def xml(self):
        p = {}
        if self.spacing is not None:
            p["spacing"] = self.spacing
        for side, m in zip(("leftMargin", "topMargin", "rightMargin", "bottomMargin"), self.margins):
            p[side] = m
        inner = props(p)
        for it in self.items:
            attrs = ""
            if isinstance(it, tuple):
                it, *pos = it
                attrs = f' row="{pos[0]}" column="{pos[1]}"'
                if len(pos) > 2:
                    attrs += f' rowspan="{pos[2]}" colspan="{pos[3]}"'
            if isinstance(it, Aligned):
                attrs += f' alignment="{it.alignment}"'
                it = it.item
            inner += f"<item{attrs}>{it.xml()}</item>"
        stretch = f' stretch="{",".join(str(s) for s in self.stretch)}"' if self.stretch else ""
        return f'<layout class="{self.cls}" name="{self.name}"{stretch}>{inner}</layout>'


class Aligned:
    def __init__(self, item, alignment):
        self.item, self.alignment = item, alignment


def hbox(name, items, **kw):
    return L("QHBoxLayout", name, items, **kw)


def vbox(name, items, **kw):
    return L("QVBoxLayout", name, items, **kw)


def document(root, custom=False):
    body = root.xml()
    cw = CUSTOM_WIDGETS if custom else ""
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<ui version="4.0">\n <class>'
            f"{root.name}</class>\n {body}\n{cw} <resources/>\n <connections/>\n</ui>\n")


def pretty(xml_text):
    import xml.dom.minidom
    text = xml.dom.minidom.parseString(xml_text).toprettyxml(indent=" ", encoding="UTF-8").decode()
    return "\n".join(line for line in text.splitlines() if line.strip()) + "\n"
