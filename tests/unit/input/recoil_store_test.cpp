#include "input/recoil_store.h"

#include <gtest/gtest.h>

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

    // Import and export copy unparsed; a missing source changes nothing.
    writeBytes(user / "in.shoot", "not json");
    ASSERT_TRUE(store.Import(2, user / "in.shoot"));
    EXPECT_EQ(readBytes(store.PatternPath(2)), "not json");
    EXPECT_FALSE(store.Import(2, user / "missing.shoot"));
    EXPECT_EQ(readBytes(store.PatternPath(2)), "not json");
    ASSERT_TRUE(store.Export(0, user / "out.shoot"));
    EXPECT_EQ(readBytes(user / "out.shoot"), readBytes(store.DefaultPath(0)));
    ASSERT_TRUE(store.Reset(2));
    EXPECT_EQ(readBytes(store.PatternPath(2)), readBytes(store.DefaultPath(2)));
}

}  // namespace
}  // namespace halvern
