#include "lighting/keyboard_layout.h"

#include <algorithm>

namespace halvern::keyboard {

namespace {

constexpr std::array<KeyGroup, kRingFrames> makeRingFrames() {
    std::array<KeyGroup, kRingFrames> frames{};
    for (std::size_t k = 0; k < kRingFrames; ++k) {
        frames[k].fill(kNoKey);
        // Doubled coordinates so the centre can sit between keys: rows 2 and 3 share the middle line.
        const int centreX2 = -6 + static_cast<int>(k) * 56 / 51;
        std::size_t count = 0;
        for (int c = 0; c < static_cast<int>(kColumns); ++c) {
            for (int r = 0; r < static_cast<int>(kRows); ++r) {
                const uint8_t key = keyAt(c, r);
                const int dx = 2 * c - centreX2;
                const int dy = 2 * r - 5;
                const int distance2 = dx * dx + dy * dy;
                if (key == kNoKey || distance2 < 14 || distance2 > 26 || count == frames[k].size()) continue;
                frames[k][count++] = key;
            }
        }
    }
    return frames;
}

constexpr std::array<KeyGroup, kRingFrames> kRings = makeRingFrames();

constexpr std::array<KeyPlace, kKeyCount> makePlaces() {
    std::array<KeyPlace, kKeyCount> places{};
    for (auto& p : places) p = {0xFF, 0xFF};
    for (std::size_t c = 0; c < kColumns; ++c) {
        for (std::size_t r = 0; r < kRows; ++r) {
            const uint8_t key = kColumnMatrix[c][r];
            if (key < kKeyCount) places[key] = {static_cast<uint8_t>(c), static_cast<uint8_t>(r)};
        }
    }
    return places;
}

constexpr std::array<KeyPlace, kKeyCount> kPlaces = makePlaces();

constexpr std::array<bool, kKeyCount> makeSnakeMembers() {
    std::array<bool, kKeyCount> members{};
    for (uint8_t key : kSnakeOrder) members[key] = true;
    return members;
}

constexpr std::array<bool, kKeyCount> kSnakeMembers = makeSnakeMembers();

}  // namespace

const std::array<KeyGroup, kRingFrames>& ringFrames() {
    return kRings;
}

uint8_t sparkStartPhase(std::size_t column, std::size_t row) {
    // A multiplicative hash of the place keeps neighbours far apart in phase.
    const std::size_t c = std::min(column, kColumns - 1);
    const std::size_t r = std::min(row, kGridRows - 1);
    return static_cast<uint8_t>((c * 71 + r * 113 + c * r * 29) % 192);
}

uint8_t sweepStartPhase(std::size_t column, std::size_t row) {
    const std::size_t c = std::min(column, kColumns - 1);
    auto value = static_cast<uint8_t>(192 - 8 * c);
    for (std::size_t r = 0; r <= std::min(row, kGridRows - 1); ++r) {
        value = static_cast<uint8_t>(value - 35);
        if (value >= 192) value = static_cast<uint8_t>(value - 98);
    }
    return value;
}

uint8_t randomPick(std::size_t index) {
    // 37 is prime to the 107 snake positions, so the 104 picks are distinct.
    return static_cast<uint8_t>((std::min(index, kRandomPicks - 1) * 37) % kSnakeOrder.size());
}

Column demoGroup(std::size_t index) {
    return kColumnMatrix[1 + std::min(index, kDemoGroups - 1)];
}

std::array<uint8_t, 2> demoPair(std::size_t index) {
    const Column& column = kColumnMatrix[3 + std::min(index, kDemoPairs - 1)];
    return {column[1], column[4]};
}

std::optional<uint8_t> snakeKeyAt(std::size_t position) {
    if (position >= kSnakeOrder.size()) return std::nullopt;
    return kSnakeOrder[position];
}

std::optional<uint8_t> lookupSnakeKey(uint8_t key) {
    if (key < kKeyCount && kSnakeMembers[key]) return key;
    return std::nullopt;
}

std::optional<KeyPlace> placeOf(uint8_t key) {
    if (key >= kKeyCount || kPlaces[key].column == 0xFF) return std::nullopt;
    return kPlaces[key];
}

}  // namespace halvern::keyboard
