#include "profile/text_utf8.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

#include "profile/case_folding_table.h"

namespace halvern {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

/// One code point read from UTF-8: its value and how many bytes it took. A malformed, overlong or truncated
/// sequence is one invalid byte.
struct Decoded {
    char32_t cp = 0;
    size_t length = 1;
    bool valid = false;
};

Decoded decodeAt(std::string_view text, size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t length = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        return {lead, 1, true};
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        cp = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        cp = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        cp = lead & 0x07;
        minimum = 0x10000;
    }
    bool valid = length != 0 && i + length <= text.size();
    for (size_t k = 1; valid && k < length; ++k) {
        const auto c = static_cast<unsigned char>(text[i + k]);
        valid = isContinuation(c);
        cp = (cp << 6) | (c & 0x3F);
    }
    valid = valid && cp >= minimum && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
    if (!valid) return {0, 1, false};
    return {cp, length, true};
}

/// Closed ranges of code points.
struct CodeRange {
    char32_t first;
    char32_t last;
};

/// What shows nothing in a name: Unicode White_Space, the C0 and C1 controls, and the
/// Default_Ignorable_Code_Point characters (zero-width space and joiners, direction marks and
/// embeddings, soft hyphen, Hangul fillers, variation selectors, byte-order mark, tags).
constexpr std::array<CodeRange, 21> kBlankRanges{{
    {0x0000, 0x0020},   {0x007F, 0x00A0}, {0x00AD, 0x00AD}, {0x034F, 0x034F},   {0x061C, 0x061C},
    {0x115F, 0x1160},   {0x1680, 0x1680}, {0x17B4, 0x17B5}, {0x180B, 0x180F},   {0x2000, 0x200F},
    {0x2028, 0x202F},   {0x205F, 0x206F}, {0x3000, 0x3000}, {0x3164, 0x3164},   {0xFE00, 0xFE0F},
    {0xFEFF, 0xFEFF},   {0xFFA0, 0xFFA0}, {0xFFF0, 0xFFF8}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A},
    {0xE0000, 0xE0FFF},
}};

bool isBlankCodePoint(char32_t cp) {
    return std::any_of(kBlankRanges.begin(), kBlankRanges.end(),
                       [cp](const CodeRange& r) { return cp >= r.first && cp <= r.last; });
}

/// A name as the sequence of its case-folded code points. A byte that is not UTF-8 is kept as a value
/// above Unicode, so it only ever equals the same byte.
std::u32string foldedName(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const Decoded d = decodeAt(text, i);
        if (!d.valid) {
            out += static_cast<char32_t>(0x110000 + static_cast<unsigned char>(text[i]));
        } else {
            char32_t folded[3];
            out.append(folded, FoldCase(d.cp, folded));
        }
        i += d.length;
    }
    return out;
}

}  // namespace

std::string_view Utf8Prefix(std::string_view text, size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    size_t end = maxBytes;
    // A continuation byte (10xxxxxx) belongs to the character begun before it.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

std::string WideToUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t ch : text) appendUtf8(out, static_cast<char32_t>(ch));
    return out;
}

std::wstring Utf8ToWide(std::string_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const Decoded d = decodeAt(text, i);
        out += static_cast<wchar_t>(d.valid ? d.cp : kReplacement);
        i += d.length;
    }
    return out;
}

std::string MakeTimeId() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[200];
    std::snprintf(text, sizeof text, "%d_%02d_%02d_%02d_%02d_%02d_%03d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(millis));
    return text;
}

std::string MakeUniqueTimeId(const std::function<bool(const std::string&)>& taken) {
    std::string id = MakeTimeId();
    for (int attempt = 0; taken(id) && attempt < 100; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        id = MakeTimeId();
    }
    const std::string base = id;
    for (int n = 1; taken(id); ++n) id = base + "_" + std::to_string(n);
    return id;
}

size_t FoldCase(char32_t cp, char32_t (&out)[3]) {
    using namespace case_folding;
    const auto expansion = std::lower_bound(kExpansions.begin(), kExpansions.end(), cp,
                                            [](const Expansion& e, char32_t c) { return e.from < c; });
    if (expansion != kExpansions.end() && expansion->from == cp) {
        size_t n = 0;
        for (char32_t to : expansion->to) {
            if (to != 0) out[n++] = to;
        }
        return n;
    }
    out[0] = cp;
    // The last run that starts at or before cp is the only one that can hold it: runs do not overlap.
    const auto next = std::upper_bound(kRuns.begin(), kRuns.end(), cp,
                                       [](char32_t c, const Run& r) { return c < r.first; });
    if (next == kRuns.begin()) return 1;
    const Run& run = *(next - 1);
    if (cp <= run.last && (cp - run.first) % run.step == 0) {
        out[0] = static_cast<char32_t>(static_cast<int64_t>(cp) + run.delta);
    }
    return 1;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a == b) return true;
    return foldedName(a) == foldedName(b);
}

bool IsBlank(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const Decoded d = decodeAt(text, i);
        if (!d.valid || !isBlankCodePoint(d.cp)) return false;
        i += d.length;
    }
    return true;
}

}  // namespace halvern
