#include "input/recoil_store.h"

#include <gtest/gtest.h>

#include <random>

#include "input/event_image.h"
#include "input/macro_event.h"
#include "profile/json_file.h"
#include "temp_env.h"

namespace halvern {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

class RecoilStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(defaults / "d");
        for (int gun = 0; gun < RecoilStore::kGuns; ++gun) {
            RecoilStore maker(defaults / "d", defaults / "none");
            ASSERT_TRUE(maker.SaveShot(gun, 0, {gun, false, 2, false, 100}));
        }
    }
    TempDir user, defaults;
    RecoilStore store{user.path(), defaults / "d"};
};

TEST_F(RecoilStoreTest, SavingAShotWritesItsSixEventsExactly) {
    ASSERT_TRUE(store.RestoreMissing());
    ASSERT_TRUE(store.SaveShot(1, 4, {3, true, 7, true, 90}));
    const Json::Value events = ReadJsonFile(store.PatternPath(1))["Events"];
    ASSERT_EQ(events.size(), 180u);
    const auto element = [&](int i) {
        const Json::Value& e = events[i];
        return e["Action"].asString() + " " + std::to_string(e["Button"].asInt()) + " " +
               std::to_string(e["Delay"].asInt()) + " " + std::to_string(e["Type"].asInt());
    };
    EXPECT_EQ(element(24), "down 1 10 1");
    EXPECT_EQ(element(25), "up 1 0 1");
    EXPECT_EQ(element(26), "down 3 5 4");
    EXPECT_EQ(element(27), "down 7 90 5");
    EXPECT_EQ(element(28), "down 0 0 4");
    EXPECT_EQ(element(29), "down 0 0 5");
    EXPECT_EQ(element(30), "down 1 10 1");  // the next shot is untouched
    EXPECT_EQ(store.ReadShot(1, 4), (RecoilShot{3, true, 7, true, 90}));
    EXPECT_EQ(store.ReadShot(1, 0), (RecoilShot{1, false, 2, false, 100}));
    EXPECT_EQ(store.ReadPattern(1)[4], store.ReadShot(1, 4));
    // Out-of-range guns and shots are clamped, values too.
    EXPECT_EQ(store.ReadShot(9, -3), store.ReadShot(3, 0));
    ASSERT_TRUE(store.SaveShot(1, 99, {999, false, -4, false, 70000}));
    EXPECT_EQ(store.ReadShot(1, 29), (RecoilShot{255, false, 0, false, 65535}));
}

TEST_F(RecoilStoreTest, MissingOrBrokenPatternsComeBackFromTheShippedCopies) {
    writeBytes(store.PatternPath(0), "{ broken");
    writeBytes(store.PatternPath(3), R"({"Events": []})");
    ASSERT_TRUE(store.RestoreMissing());
    EXPECT_EQ(readBytes(store.PatternPath(0)), readBytes(store.DefaultPath(0)));
    EXPECT_EQ(readBytes(store.PatternPath(2)), readBytes(store.DefaultPath(2)));
    // A readable file stays; saving completes it to 30 shots rather than leaving null events.
    EXPECT_EQ(store.ReadShot(3, 5), RecoilShot{});
    ASSERT_TRUE(store.SaveShot(3, 5, {1, false, 1, false, 1}));
    EXPECT_EQ(ReadJsonFile(store.PatternPath(3))["Events"].size(), 180u);
    EXPECT_EQ(store.ReadShot(3, 0), RecoilShot{});

    // An import checks its source first: what is not a file of events, or cannot be read, leaves the
    // pattern as it was. A pattern file is copied byte for byte.
    ASSERT_TRUE(store.SaveShot(2, 0, {7, true, 8, false, 9}));
    const std::string mine = readBytes(store.PatternPath(2));
    const std::pair<const char*, ImportResult> refused[] = {
        {"localhost\n", ImportResult::NotEvents},
        {"[1, 2]", ImportResult::NotEvents},
        {R"({"Events": 3})", ImportResult::NotEvents},
        {R"({"Events": [{"Button": 1}]})", ImportResult::NotEvents},
        {"", ImportResult::Unreadable},
    };
    for (const auto& [text, why] : refused) {
        writeBytes(user / "in.shoot", text);
        EXPECT_EQ(store.Import(2, user / "in.shoot"), why) << text;
        EXPECT_EQ(readBytes(store.PatternPath(2)), mine) << text;
    }
    EXPECT_EQ(store.Import(2, user / "missing.shoot"), ImportResult::Unreadable);
    EXPECT_EQ(store.Import(2, user.path()), ImportResult::Unreadable);  // a folder
    EXPECT_EQ(readBytes(store.PatternPath(2)), mine);
    const std::string theirs = R"({"Events": [{"Action": "down", "Button": 1, "Delay": 10, "Type": 1}]} )";
    writeBytes(user / "in.shoot", theirs);
    ASSERT_EQ(store.Import(2, user / "in.shoot"), ImportResult::Imported);
    EXPECT_EQ(readBytes(store.PatternPath(2)), theirs);
    ASSERT_TRUE(store.Export(0, user / "out.shoot"));
    EXPECT_EQ(readBytes(user / "out.shoot"), readBytes(store.DefaultPath(0)));
    ASSERT_TRUE(store.Reset(2));
    EXPECT_EQ(readBytes(store.PatternPath(2)), readBytes(store.DefaultPath(2)));
}

/// The four bytes the mouse receives for event `index` of gun `gun`'s block of a recoil image.
std::array<uint8_t, 4> sentEvent(const std::vector<uint8_t>& image, int gun, int index) {
    const auto at16 = [&](size_t at) { return static_cast<size_t>(image.at(at) | image.at(at + 1) << 8); };
    const size_t block = at16(kEventImageHeaderSize + 2 * static_cast<size_t>(gun));
    const size_t event = block + 4 + 4 * static_cast<size_t>(index);
    return {image.at(event), image.at(event + 1), image.at(event + 2), image.at(event + 3)};
}

// Files written by hand or by other tools hold values the program never writes. The recoil editor (and
// halvernctl) must show each shot exactly as the mouse will play it.
TEST_F(RecoilStoreTest, WhatTheEditorShowsIsWhatTheMouseReceives) {
    ASSERT_TRUE(store.RestoreMissing());
    const std::vector<Json::Value> actions{"down", "up",    "Down",  "DOWN", "UP",
                                           "",     " down", "downs", 1,      Json::Value(Json::nullValue)};
    const std::vector<Json::Value> buttons{0,
                                           7,
                                           255,
                                           256,
                                           300,
                                           -1,
                                           -300,
                                           "12",
                                           "300",
                                           "x",
                                           12.7,
                                           true,
                                           1e30,
                                           -1e30,
                                           Json::Value(Json::arrayValue),
                                           Json::Value(Json::nullValue)};
    const std::vector<Json::Value> delays{0,
                                          90,
                                          "90",
                                          -5,
                                          "-5",
                                          65534,
                                          65535,
                                          65536,
                                          "1e3",
                                          "12ms",
                                          40.9,
                                          1e30,
                                          "99999999999999999999",
                                          false,
                                          Json::Value(Json::objectValue),
                                          Json::Value(Json::nullValue)};
    std::mt19937 random(24);  // fixed: a failure repeats
    const auto any = [&](const std::vector<Json::Value>& pool) {
        return pool[std::uniform_int_distribution<size_t>(0, pool.size() - 1)(random)];
    };
    for (int round = 0; round < 8; ++round) {
        Json::Value document = ReadJsonFile(store.PatternPath(1));
        Json::Value& events = document["Events"];
        for (Json::ArrayIndex e = 0; e < events.size(); ++e) {
            events[e]["Action"] = any(actions);
            events[e]["Button"] = any(buttons);
            events[e]["Delay"] = any(delays);
        }
        ASSERT_TRUE(WriteJsonFile(store.PatternPath(1), document));

        std::vector<std::vector<MacroEvent>> blocks;
        blocks.reserve(RecoilStore::kGuns);
        for (int gun = 0; gun < RecoilStore::kGuns; ++gun)
            blocks.push_back(LoadEventsFile(store.PatternPath(gun)));
        const std::vector<uint8_t> image = BuildEventImage(blocks);
        ASSERT_FALSE(image.empty());
        const std::array<RecoilShot, RecoilStore::kShots> shown = store.ReadPattern(1);
        for (int b = 0; b < RecoilStore::kShots; ++b) {
            const RecoilShot& s = shown[static_cast<size_t>(b)];
            const std::array<uint8_t, 4> x = sentEvent(image, 1, b * RecoilStore::kEventsPerShot + 2);
            const std::array<uint8_t, 4> y = sentEvent(image, 1, b * RecoilStore::kEventsPerShot + 3);
            const Json::Value& yFile =
                events[static_cast<Json::ArrayIndex>(b * RecoilStore::kEventsPerShot + 3)];
            SCOPED_TRACE("shot " + std::to_string(b) + ": " + yFile.toStyledString());
            EXPECT_EQ(s, store.ReadShot(1, b));
            EXPECT_EQ(s.x, x[3]);
            EXPECT_EQ(s.left, (x[2] & 0x80) != 0);
            EXPECT_EQ(s.y, y[3]);
            EXPECT_EQ(s.up, (y[2] & 0x80) != 0);
            EXPECT_EQ(s.delay, y[0] | y[1] << 8);
        }
    }

    // The readings the editor and the mouse share: out-of-range offsets are clamped, a delay may be text,
    // a negative or too large delay is the longest pause, and the action's letter case does not matter.
    const auto shotFrom = [&](const char* x, const char* y) {
        Json::Value document = ReadJsonFile(store.PatternPath(2));
        document["Events"][2] = ParseJsonText(x);
        document["Events"][3] = ParseJsonText(y);
        EXPECT_TRUE(WriteJsonFile(store.PatternPath(2), document));
        return store.ReadShot(2, 0);
    };
    EXPECT_EQ(shotFrom(R"({"Action": "Down", "Button": 300, "Delay": 5, "Type": 4})",
                       R"({"Action": "UP", "Button": -4, "Delay": "90", "Type": 5})"),
              (RecoilShot{255, true, 0, false, 90}));
    EXPECT_EQ(shotFrom(R"({"Action": "up", "Button": "7", "Delay": 5, "Type": 4})",
                       R"({"Action": "down", "Button": 3, "Delay": -5, "Type": 5})"),
              (RecoilShot{7, false, 3, true, 65535}));
    EXPECT_EQ(LoadEventsFile(store.PatternPath(2))[3], (MacroEvent{true, 3, 5, 65535}));
}

}  // namespace
}  // namespace halvern
