#include <gtest/gtest.h>

#include <regex>

#include "profile/color_options.h"
#include "profile/text_utf8.h"

namespace halvern {
namespace {

TEST(Text, Utf8RoundTripAndMalformedInput) {
    const std::wstring wide = L"A\u00E9\u6E38\U0001F3AE";
    const std::string utf8 = WideToUtf8(wide);
    EXPECT_EQ(utf8, "A\xC3\xA9\xE6\xB8\xB8\xF0\x9F\x8E\xAE");
    EXPECT_EQ(Utf8ToWide(utf8), wide);

    // Truncated, overlong, surrogate and stray continuation bytes each become U+FFFD.
    EXPECT_EQ(Utf8ToWide("a\xE6\xB8"), L"a\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToWide("\xC0\xAF"), L"\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToWide("\xED\xA0\x80"), L"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToWide("\x80z"), L"\uFFFDz");
    EXPECT_EQ(WideToUtf8(std::wstring(1, static_cast<wchar_t>(0x110000))), "\xEF\xBF\xBD");
}

TEST(Text, TimeIdFormat) {
    const std::string id = MakeTimeId();
    EXPECT_TRUE(std::regex_match(id, std::regex(R"(\d{4}_\d{2}_\d{2}_\d{2}_\d{2}_\d{2}_\d{3})"))) << id;
}

TEST(Text, HexColours) {
    EXPECT_EQ(FormatArgbHex(0xFF00FF00u), "FF00FF00");  // opaque green
    EXPECT_EQ(FormatArgbHex(0x0000000Au), "0000000A");
    EXPECT_EQ(ParseArgbHex("ff00ff00"), 0xFF00FF00u);
    EXPECT_EQ(ParseArgbHex("FF00FF00"), 0xFF00FF00u);
    EXPECT_EQ(ParseArgbHex("0x1F"), 0x1Fu);
    for (const char* bad : {"", "xyz", "1FF00FF00", "12 4"}) EXPECT_EQ(ParseArgbHex(bad), 0u) << bad;
}

}  // namespace
}  // namespace halvern
