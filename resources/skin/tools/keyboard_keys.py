"""Where each logical key of the keyboard sits on a full-size board, in key units (1 u = one letter key).

Logical key numbers are the board's own (the lighting key matrix uses the same numbers). The picture is a
full-size ANSI board with a column of five macro keys on the left; the international keys the board's
key table also knows (ISO and JIS extras) and the numbers that name no key get a hidden spot.
"""

# Left edge of the main block, of the navigation cluster and of the number pad.
MAIN = 1.25
NAV = MAIN + 15.25
PAD = NAV + 3.25


def row_y(row):
    """Top of a row: the function row, a half-unit gap, then the five rows of the main block."""
    return 0.0 if row == 0 else 0.5 + row


def _run(keys, x, row, widths=None):
    """Keys side by side from x: (logical key, legend) pairs, each 1 u unless `widths` says otherwise."""
    out = []
    for i, (key, legend) in enumerate(keys):
        w = widths[i] if widths else 1.0
        out.append((key, legend, x, row_y(row), w, 1.0))
        x += w
    return out


def places():
    """(logical key, legend, x, y, width, height) for every visible key."""
    k = []
    # Function row.
    k += _run([(0, "Esc")], MAIN, 0)
    k += _run([(1, "F1"), (2, "F2"), (3, "F3"), (4, "F4")], MAIN + 2, 0)
    k += _run([(5, "F5"), (6, "F6"), (7, "F7"), (8, "F8")], MAIN + 6.5, 0)
    k += _run([(9, "F9"), (10, "F10"), (11, "F11"), (12, "F12")], MAIN + 11, 0)
    k += _run([(13, "PrtSc"), (14, "ScrLk"), (15, "Pause")], NAV, 0)
    k += _run([(16, "GM")], PAD + 3, 0)
    # Number row.
    k += _run([(21, "`")] + [(22 + i, str((i + 1) % 10)) for i in range(10)] + [(32, "-"), (33, "="), (34, "Back")],
              MAIN, 1, [1.0] * 13 + [2.0])
    # Letter rows.
    k += _run([(42, "Tab")] + list(zip(range(43, 53), "QWERTYUIOP")) + [(53, "["), (54, "]"), (55, "\\")],
              MAIN, 2, [1.5] + [1.0] * 12 + [1.5])
    k += _run([(63, "Caps")] + list(zip([64, 65, 66, 67, 68, 69, 70, 71, 72], "ASDFGHJKL")) + [(73, ";"), (74, "'"),
                                                                                          (75, "Enter")],
              MAIN, 3, [1.75] + [1.0] * 11 + [2.25])
    k += _run([(84, "Shift")] + list(zip([85, 86, 87, 88, 89, 90, 91], "ZXCVBNM")) + [(92, ","), (93, "."), (94, "/"),
                                                                                    (95, "Shift")],
              MAIN, 4, [2.25] + [1.0] * 10 + [2.75])
    k += _run([(105, "Ctrl"), (106, "Super"), (107, "Alt"), (108, ""), (109, "Alt"), (125, "Super"), (110, "Fn"),
               (111, "Menu"), (112, "Ctrl")], MAIN, 5, [1.25, 1.25, 1.25, 6.25, 1.0, 1.0, 1.0, 1.0, 1.0])
    # Navigation cluster; key 17 sits in the cluster's empty middle row, under Page Down.
    k += _run([(35, "Ins"), (36, "Home"), (37, "PgUp")], NAV, 1)
    k += _run([(56, "Del"), (57, "End"), (58, "PgDn")], NAV, 2)
    k += _run([(17, "LED")], NAV + 2, 3)
    k += _run([(96, "\u2191")], NAV + 1, 4)
    k += _run([(113, "\u2190"), (114, "\u2193"), (115, "\u2192")], NAV, 5)
    # Number pad.
    k += _run([(38, "Num"), (39, "/"), (40, "*"), (41, "-")], PAD, 1)
    k += _run([(59, "7"), (60, "8"), (61, "9")], PAD, 2)
    k.append((119, "+", PAD + 3, row_y(2), 1.0, 2.0))
    k += _run([(76, "4"), (77, "5"), (78, "6")], PAD, 3)
    k += _run([(97, "1"), (98, "2"), (99, "3")], PAD, 4)
    k.append((118, "Enter", PAD + 3, row_y(4), 1.0, 2.0))
    k += _run([(116, "0"), (117, ".")], PAD, 5, [2.0, 1.0])
    # Macro keys.
    for i in range(5):
        k.append((120 + i, f"M{i + 1}", 0.0, row_y(1 + i), 1.0, 1.0))
    return k


WIDTH_UNITS = PAD + 4
HEIGHT_UNITS = row_y(5) + 1
