#include "rgbserver/byte_io.h"

#include <algorithm>
#include <limits>

namespace halvern::rgb {

void ByteWriter::u16(uint16_t value) {
    out_.push_back(static_cast<uint8_t>(value));
    out_.push_back(static_cast<uint8_t>(value >> 8));
}

void ByteWriter::u32(uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out_.push_back(static_cast<uint8_t>(value >> shift));
}

void ByteWriter::text(std::string_view value) {
    const size_t length = std::min<size_t>(value.size(), std::numeric_limits<uint16_t>::max() - 1);
    u16(static_cast<uint16_t>(length + 1));
    out_.insert(out_.end(), value.begin(), value.begin() + static_cast<std::ptrdiff_t>(length));
    out_.push_back(0);
}

void ByteWriter::color(RgbColor value) {
    out_.push_back(value.red);
    out_.push_back(value.green);
    out_.push_back(value.blue);
    out_.push_back(0);
}

void ByteWriter::patchU32(size_t offset, uint32_t value) {
    if (offset + 4 > out_.size()) return;
    for (int i = 0; i < 4; ++i)
        out_[offset + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

std::span<const uint8_t> ByteReader::take(size_t count) {
    if (!ok_ || data_.size() - position_ < count) {
        ok_ = false;
        return {};
    }
    const auto part = data_.subspan(position_, count);
    position_ += count;
    return part;
}

uint16_t ByteReader::u16() {
    const auto b = take(2);
    return b.empty() ? 0 : static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t ByteReader::u32() {
    const auto b = take(4);
    if (b.empty()) return 0;
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

RgbColor ByteReader::color() {
    const auto b = take(4);
    return b.empty() ? RgbColor{} : RgbColor{b[0], b[1], b[2]};
}

std::string ByteReader::text(size_t maxLength) {
    const uint16_t length = u16();
    if (length > maxLength + 1) {
        ok_ = false;
        return {};
    }
    const auto b = take(length);
    return cleanClientText(std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
}

std::string ByteReader::restAsText(size_t maxLength) {
    const size_t length = remaining();
    if (length > maxLength + 1) {
        ok_ = false;
        return {};
    }
    const auto b = take(length);
    return cleanClientText(std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
}

std::string cleanClientText(std::string_view text) {
    if (const size_t nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
    std::string clean(text);
    std::replace_if(
        clean.begin(), clean.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; },
        ' ');
    return clean;
}

}  // namespace halvern::rgb
