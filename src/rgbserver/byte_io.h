#pragma once

// Little-endian reading and writing of the protocol's fields: integers, texts with their length and
// terminating NUL, colours.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace halvern::rgb {

struct RgbColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    friend bool operator==(const RgbColor&, const RgbColor&) = default;
};

/// Appends fields to a byte buffer.
class ByteWriter {
public:
    explicit ByteWriter(std::vector<uint8_t>& out) : out_(out) {}

    void u16(uint16_t value);
    void u32(uint32_t value);
    void i32(int32_t value) { u32(static_cast<uint32_t>(value)); }
    /// A text as the protocol carries it: a 16-bit length that counts the NUL, the bytes, the NUL. A text
    /// too long for the length field is cut.
    void text(std::string_view value);
    void color(RgbColor value);
    void bytes(std::span<const uint8_t> data) { out_.insert(out_.end(), data.begin(), data.end()); }

    [[nodiscard]] size_t size() const { return out_.size(); }
    /// Writes `value` over the four bytes at `offset` (a size known only once the block is written).
    void patchU32(size_t offset, uint32_t value);

private:
    std::vector<uint8_t>& out_;
};

/// Reads fields from received bytes. Reading past the end yields zeros and marks the reader failed, so a
/// parser reads a whole block and checks `ok()` once.
class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> data) : data_(data) {}

    [[nodiscard]] uint16_t u16();
    [[nodiscard]] uint32_t u32();
    [[nodiscard]] int32_t i32() { return static_cast<int32_t>(u32()); }
    [[nodiscard]] RgbColor color();
    /// A length-prefixed text of at most `maxLength` bytes; a longer one fails the reader.
    [[nodiscard]] std::string text(size_t maxLength);
    /// A text that fills the rest of the data, NUL-terminated, as packets that carry only a name send it.
    [[nodiscard]] std::string restAsText(size_t maxLength);

    [[nodiscard]] bool ok() const { return ok_; }
    [[nodiscard]] size_t remaining() const { return ok_ ? data_.size() - position_ : 0; }
    void fail() { ok_ = false; }

private:
    [[nodiscard]] std::span<const uint8_t> take(size_t count);

    std::span<const uint8_t> data_;
    size_t position_ = 0;
    bool ok_ = true;
};

/// A name from a client with its terminating NUL and anything after it removed, and every control
/// character replaced by a space, so it can be shown and logged safely.
[[nodiscard]] std::string cleanClientText(std::string_view text);

}  // namespace halvern::rgb
