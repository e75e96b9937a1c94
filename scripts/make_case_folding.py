#!/usr/bin/env python3
"""Writes src/profile/case_folding_table.h, the Unicode case folding tables of the profile layer:
python3 scripts/make_case_folding.py

The tables come from Python's own Unicode database (str.casefold, full case folding without the Turkic
special cases). Code points that fold to one code point are stored as runs: a first and last code point,
the distance to add and the step between the code points of the run (1 for a block such as Cyrillic А-Я,
2 for alternating upper and lower case as in Latin Extended-A). The few that fold to two or three code
points (ß → ss, ŉ → ʼn, ...) are listed one by one.
"""

import os
import sys
import unicodedata

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "src", "profile", "case_folding_table.h")


def foldings():
    singles, multis = [], []
    for cp in range(0x110000):
        if 0xD800 <= cp <= 0xDFFF:
            continue
        folded = chr(cp).casefold()
        if folded == chr(cp):
            continue
        if len(folded) == 1:
            singles.append((cp, ord(folded) - cp))
        else:
            multis.append((cp, [ord(ch) for ch in folded]))
    return singles, multis


def runs(singles):
    """Greedy runs of equal distance and equal step (1 or 2)."""
    out = []
    i = 0
    while i < len(singles):
        first, delta = singles[i]
        last, step = first, 1
        j = i + 1
        if j < len(singles) and singles[j][1] == delta and singles[j][0] - first in (1, 2):
            step = singles[j][0] - first
            while j < len(singles) and singles[j][1] == delta and singles[j][0] - last == step:
                last = singles[j][0]
                j += 1
        out.append((first, last, delta, step))
        i = j
    return out


def main():
    singles, multis = foldings()
    table = runs(singles)
    # The lookup is a binary search on the first code point: runs must not overlap.
    assert all(a[1] < b[0] for a, b in zip(table, table[1:]))
    lines = [
        "// Written by scripts/make_case_folding.py from Unicode "
        f"{unicodedata.unidata_version}; change the script, not this file.",
        "#pragma once",
        "",
        "// clang-format off",
        "#include <array>",
        "#include <cstdint>",
        "",
        "namespace halvern::case_folding {",
        "",
        "/// Code points first..last (every `step`-th one) fold to the code point `delta` away.",
        "struct Run {",
        "    char32_t first;",
        "    char32_t last;",
        "    int32_t delta;",
        "    uint8_t step;",
        "};",
        "",
        "/// A code point that folds to two or three code points (the unused one is 0).",
        "struct Expansion {",
        "    char32_t from;",
        "    std::array<char32_t, 3> to;",
        "};",
        "",
        f"inline constexpr std::array<Run, {len(table)}> kRuns{{{{",
    ]
    for first, last, delta, step in table:
        lines.append(f"    {{0x{first:04X}, 0x{last:04X}, {delta}, {step}}},")
    lines += ["}};", "", f"inline constexpr std::array<Expansion, {len(multis)}> kExpansions{{{{"]
    for cp, to in multis:
        padded = to + [0] * (3 - len(to))
        lines.append(f"    {{0x{cp:04X}, {{0x{padded[0]:04X}, 0x{padded[1]:04X}, 0x{padded[2]:04X}}}}},")
    lines += ["}};", "", "}  // namespace halvern::case_folding", "// clang-format on", ""]
    with open(OUT, "w", encoding="utf-8") as f:
        f.write("\n".join(lines))
    print(f"{OUT}: {len(table)} runs, {len(multis)} expansions", file=sys.stderr)


if __name__ == "__main__":
    main()
