#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace halvern {

/// Encodes wide text (UTF-32 code points on Linux) as UTF-8. Values that are not Unicode scalar values
/// (surrogates, above U+10FFFF) become U+FFFD.
[[nodiscard]] std::string WideToUtf8(std::wstring_view text);

/// Decodes UTF-8 into wide text. Malformed, overlong or truncated sequences become U+FFFD, one per
/// offending byte, so any byte string decodes without error.
[[nodiscard]] std::wstring Utf8ToWide(std::string_view text);

/// The longest beginning of the UTF-8 text that has at most `maxBytes` bytes and does not cut a character.
[[nodiscard]] std::string_view Utf8Prefix(std::string_view text, size_t maxBytes);

/// The local time as "%d_%02d_%02d_%02d_%02d_%02d_%03d" (year, month, day, hour, minute, second,
/// milliseconds): the id of profiles and macros, for example "2024_05_17_13_45_09_123".
[[nodiscard]] std::string MakeTimeId();

/// A time id that `taken` refuses: two things made within one millisecond would share a file, so this
/// waits for the next millisecond while the id is taken (up to 100 times), then appends "_1", "_2", ...
[[nodiscard]] std::string MakeUniqueTimeId(const std::function<bool(const std::string&)>& taken);

/// Compares two UTF-8 names without regard to case, by Unicode full case folding: "Профиль" equals
/// "профиль", "Straße" equals "STRASSE". Bytes that are not UTF-8 compare as themselves. Names that differ
/// only in composed and decomposed accents are not taken as equal.
[[nodiscard]] bool EqualsIgnoreCase(std::string_view a, std::string_view b);

/// True when the UTF-8 text is empty or shows nothing: it holds only Unicode white space (also the
/// ideographic and no-break spaces), control characters and invisible characters (zero-width space,
/// joiners, direction marks, variation selectors, byte-order mark).
[[nodiscard]] bool IsBlank(std::string_view text);

/// The case folding of one code point: one to three code points, written to `out`; returns how many.
/// A code point without a folding is returned as it is.
[[nodiscard]] size_t FoldCase(char32_t cp, char32_t (&out)[3]);

}  // namespace halvern
