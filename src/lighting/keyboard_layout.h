#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "lighting/press_bitmaps.h"
#include "lighting/types.h"

namespace halvern::keyboard {

inline constexpr std::size_t kKeyCount = 170;
inline constexpr std::size_t kColumns = 23;
inline constexpr std::size_t kRows = 6;
inline constexpr uint8_t kNoKey = 0xFF;

/// Logical keys by column (left to right) and row (top row first).
using Column = std::array<uint8_t, kRows>;
inline constexpr std::array<Column, kColumns> kColumnMatrix{{
    {kNoKey, 120, 121, 122, 123, 124}, {kNoKey, 21, 42, 63, 84, 105},   {0, 22, 43, 64, 102, 106},
    {1, 23, 44, 65, 85, 20},           {2, 24, 45, 66, 86, 107},        {3, 25, 46, 67, 87, 126},
    {4, 26, 47, 68, 88, 127},          {18, 27, 48, 69, 89, 108},       {5, 28, 49, 70, 90, 128},
    {6, 29, 50, 71, 91, 129},          {7, 30, 51, 72, 92, 109},        {8, 31, 52, 73, 93, 125},
    {9, 32, 53, 74, 94, 110},          {10, 33, 54, 62, 100, 111},      {11, 34, 55, 75, 19, 130},
    {12, 101, 103, 79, 95, 112},       {13, 35, 56, 82, 80, 113},       {14, 36, 57, 83, 96, 114},
    {15, 37, 58, 17, 81, 115},         {kNoKey, 38, 59, 76, 97, 116},   {kNoKey, 39, 60, 77, 98, 104},
    {kNoKey, 40, 61, 78, 99, 117},     {kNoKey, 41, 16, 119, 118, 131},
}};

constexpr std::array<uint8_t, kColumns * kRows> flattenMatrix() {
    std::array<uint8_t, kColumns * kRows> cells{};
    for (std::size_t c = 0; c < kColumns; ++c) {
        for (std::size_t r = 0; r < kRows; ++r) cells[c * kRows + r] = kColumnMatrix[c][r];
    }
    return cells;
}
inline constexpr std::array<uint8_t, kColumns* kRows> kPressCells = flattenMatrix();

/// The column matrix as the press table of the ripple effects (bit r of a column is row r).
inline constexpr PressGrid kPressGrid{kPressCells, kColumns, kRows, kKeyCount};

/// A path through 107 keys of the board, row by row like a snake.
inline constexpr std::array<uint8_t, 107> kSnakeOrder{
    15,  14,  13,  12,  11,  10,  9,   8,   7,   6,   5,   4,   3,   2,   1,   0,  21, 42, 63, 84, 105, 106,
    107, 108, 109, 125, 110, 111, 112, 113, 114, 115, 116, 117, 118, 119, 41,  40, 39, 38, 37, 36, 35,  34,
    33,  32,  31,  30,  29,  28,  27,  26,  25,  24,  23,  22,  43,  64,  102, 85, 86, 87, 88, 89, 90,  91,
    92,  93,  94,  95,  96,  97,  98,  99,  78,  61,  60,  59,  58,  57,  56,  55, 54, 53, 52, 51, 50,  49,
    48,  47,  46,  45,  44,  65,  66,  67,  68,  69,  70,  71,  72,  73,  74,  62, 75, 76, 77};

/// The order the snake fill lights keys in; positions without a key (and all from 104 on) are empty.
inline constexpr std::size_t kFillLength = 170;
inline constexpr std::array<uint8_t, 104> kFillSequence{
    0,  1,  2,  3,      4,  5,  6,  7,  8,  9,  10, 11, 12,  13,  14,  15,  17,  18,     19,  20,  41,
    40, 39, 38, 37,     36, 35, 34, 33, 32, 31, 30, 29, 28,  27,  26,  25,  24,  23,     22,  21,  42,
    43, 44, 45, 46,     47, 48, 49, 50, 51, 52, 53, 54, 55,  56,  57,  58,  59,  60,     61,  119, 78,
    77, 76, 75, kNoKey, 74, 73, 72, 71, 70, 69, 68, 67, 66,  65,  64,  63,  84,  kNoKey, 85,  86,  87,
    88, 89, 90, 91,     92, 93, 94, 95, 96, 97, 98, 99, 118, 117, 116, 115, 114, 113,    112, 111};

/// Twelve diagonals across the board (diagonal d is kDiagonals[d - 1]).
inline constexpr std::size_t kDiagonalCount = 12;
using KeyGroup = std::array<uint8_t, 12>;
inline constexpr std::array<KeyGroup, kDiagonalCount> kDiagonals{{
    {51, kNoKey, kNoKey, kNoKey, kNoKey, kNoKey, kNoKey, kNoKey, kNoKey, kNoKey, kNoKey, kNoKey},
    {30, 50, 71, 72, 52, 31, kNoKey, kNoKey, kNoKey, kNoKey, kNoKey, kNoKey},
    {8, 29, 49, 70, 91, 92, 93, 73, 53, 32, kNoKey, kNoKey},
    {7, 28, 48, 69, 90, 109, 94, 74, 54, 33, 9, 62},
    {6, 27, 47, 68, 89, 110, 95, 75, 55, 34, 10, 11},
    {5, 26, 46, 67, 88, 108, 111, 112, 56, 35, 12, 125},
    {4, 25, 45, 66, 87, 113, 96, 57, 36, 13, kNoKey, kNoKey},
    {3, 24, 44, 65, 86, 114, 115, 58, 37, 15, 14, kNoKey},
    {2, 23, 43, 64, 85, 107, 97, 76, 59, 38, kNoKey, kNoKey},
    {1, 22, 42, 63, 84, 106, 116, 98, 77, 60, 39, 102},
    {0, 21, 105, 117, 99, 78, 61, 40, kNoKey, kNoKey, kNoKey, kNoKey},
    {118, 119, 41, kNoKey, kNoKey, kNoKey, kNoKey, kNoKey, kNoKey, kNoKey, kNoKey, kNoKey},
}};

/// Ring frames: frame k is the outline of a ring (1.75 to 2.5 keys across) whose centre travels from
/// beyond the left edge to beyond the right edge of the board along its middle.
inline constexpr std::size_t kRingFrames = 52;
std::array<KeyGroup, kRingFrames> const& ringFrames();

/// Start phases (0-191) of the spark field, per column and row of a 23 × 7 grid: scattered so that
/// neighbouring keys never spark together.
inline constexpr std::size_t kGridRows = 7;
[[nodiscard]] uint8_t sparkStartPhase(std::size_t column, std::size_t row);

/// The spark field's second pattern: per column, a value from 192 - 8c lowered by 35 per row (8-bit;
/// 98 less when that reaches 192 or more), which sends sparks diagonally across the board.
[[nodiscard]] uint8_t sweepStartPhase(std::size_t column, std::size_t row);

/// Positions in the snake order the sparkle picks from: every snake position but three, shuffled so that
/// consecutive picks land far apart.
inline constexpr std::size_t kRandomPicks = 104;
[[nodiscard]] uint8_t randomPick(std::size_t index);

/// The scripted demo: 20 groups of 6 keys (the columns, swept left to right) and 16 pairs (a bar
/// sweeping across the number and shift rows).
inline constexpr std::size_t kDemoGroups = 20;
inline constexpr std::size_t kDemoPairs = 16;
[[nodiscard]] Column demoGroup(std::size_t index);
[[nodiscard]] std::array<uint8_t, 2> demoPair(std::size_t index);

/// The key in the snake order (position), or nothing past its end.
[[nodiscard]] std::optional<uint8_t> snakeKeyAt(std::size_t position);
/// The key itself when it belongs to the snake order, nothing otherwise.
[[nodiscard]] std::optional<uint8_t> lookupSnakeKey(uint8_t key);

/// Column and row of a key in the column matrix, if it has a place there.
struct KeyPlace {
    uint8_t column;
    uint8_t row;
};
[[nodiscard]] std::optional<KeyPlace> placeOf(uint8_t key);

/// The key at column and row, kNoKey outside the matrix or on an empty place.
[[nodiscard]] constexpr uint8_t keyAt(int column, int row) {
    if (column < 0 || row < 0 || column >= static_cast<int>(kColumns) || row >= static_cast<int>(kRows))
        return kNoKey;
    return kColumnMatrix[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)];
}

}  // namespace halvern::keyboard
