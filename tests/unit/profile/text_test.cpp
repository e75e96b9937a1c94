#include <gtest/gtest.h>

#include <regex>

#include "profile/color_options.h"
#include "profile/name_rule.h"
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

// Profile and macro names: same-name and blank-name checks work on Unicode text, not only ASCII.
TEST(Text, NamesCompareWithoutCaseByUnicodeFolding) {
    EXPECT_TRUE(EqualsIgnoreCase("\u041F\u0440\u043E\u0444\u0438\u043B\u044C",              // Профиль
                                 "\u043F\u0440\u043E\u0444\u0438\u043B\u044C"));            // профиль
    EXPECT_TRUE(EqualsIgnoreCase("\u00C9T\u00C9", "\u00E9t\u00E9"));                        // ÉTÉ, été
    EXPECT_TRUE(EqualsIgnoreCase("\u039F\u0394\u039F\u03A3", "\u03BF\u03B4\u03BF\u03C2"));  // final sigma
    EXPECT_TRUE(EqualsIgnoreCase("Stra\u00DFe", "STRASSE")) << "full folding: \u00DF is ss";
    EXPECT_TRUE(EqualsIgnoreCase("\uFF21\uFF22", "\uFF41\uFF42")) << "full-width letters";
    EXPECT_TRUE(EqualsIgnoreCase("\U00010400", "\U00010428")) << "outside the BMP (Deseret)";
    EXPECT_FALSE(EqualsIgnoreCase("profile1", "profile2"));
    EXPECT_FALSE(EqualsIgnoreCase("\u6E38\u620F", "\u6E38\u620F\u0031"));
    EXPECT_FALSE(EqualsIgnoreCase("ab", "a"));
    // Bytes that are not UTF-8 equal only themselves, never a replacement character or a letter.
    EXPECT_TRUE(EqualsIgnoreCase("a\xFF", "A\xFF"));
    EXPECT_FALSE(EqualsIgnoreCase("a\xFF", "a\xFE"));
    EXPECT_FALSE(EqualsIgnoreCase("\xEF\xBF\xBD", "\xFF"));
}

TEST(Text, BlankNamesShowNothing) {
    for (const char* blank : {"", " \t\r\n", "\u3000\u3000", "\u00A0", "\u2003\u202F", "\u200B\uFEFF",
                              "\u200D\u2060", "\x7F\xC2\x85"}) {
        EXPECT_TRUE(IsBlank(blank)) << blank;
    }
    for (const char* shown : {"a", "\u3000x\u3000", "\u6E38", "\xFF", "\u00AD-", "\U0001F3AE"}) {
        EXPECT_FALSE(IsBlank(shown)) << shown;
    }
}

// The generated table is sound: folding is idempotent and lower case folds to itself, over every plane
// that has letters.
// One rule for the names people give: what would break a list or reach a terminal is refused, and
// names stored before the rule are shown escaped.
TEST(Text, NamesFollowOneRule) {
    EXPECT_EQ(CheckName("Shooter"), NameProblem::None);
    EXPECT_EQ(CheckName("配置 二"), NameProblem::None);
    EXPECT_EQ(CheckName(std::string(kMaxNameCharacters, 'a')), NameProblem::None);
    std::string chinese;
    for (size_t i = 0; i < kMaxNameCharacters; ++i) chinese += "宏";  // 120 bytes, 40 characters
    EXPECT_EQ(CheckName(chinese), NameProblem::None);
    EXPECT_EQ(CheckName(chinese + "宏"), NameProblem::TooLong);
    EXPECT_EQ(CheckName(" \u3000"), NameProblem::Blank);
    for (const std::string bad : {"a\tb", "a\nb", "a\x1b[31mb", "a\x7f", "a\xc2\x85", "a\xff"})
        EXPECT_EQ(CheckName(bad), NameProblem::ControlCharacter) << bad;
    EXPECT_FALSE(NameProblemText(NameProblem::TooLong).empty());

    EXPECT_EQ(PrintableName("Shooter 宏"), "Shooter 宏");
    EXPECT_EQ(PrintableName("a\tb\nc\x1b[0m\x01\xc2\x9b"), "a\\tb\\nc\\e[0m\\x01\\x9b");
}

TEST(Text, CaseFoldingIsStable) {
    for (char32_t cp = 0; cp < 0x20000; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        char32_t once[3];
        const size_t n = FoldCase(cp, once);
        ASSERT_GE(n, 1u);
        for (size_t i = 0; i < n; ++i) {
            char32_t twice[3];
            ASSERT_EQ(FoldCase(once[i], twice), 1u) << std::hex << static_cast<uint32_t>(cp);
            EXPECT_EQ(twice[0], once[i]) << std::hex << static_cast<uint32_t>(cp);
        }
    }
    char32_t out[3];
    EXPECT_EQ(FoldCase(U'a', out), 1u);
    EXPECT_EQ(out[0], U'a');
    EXPECT_EQ(FoldCase(U'\u0130', out), 2u) << "I with dot above: i and the combining dot";
    EXPECT_EQ(FoldCase(U'\u1E9E', out), 2u);
    EXPECT_EQ(std::u32string(out, 2), U"ss");
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
