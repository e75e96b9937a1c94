#include <gtest/gtest.h>

#include <sstream>

#include "profile/json_file.h"
#include "profile/profile_cli.h"
#include "test_support.h"

namespace halvern {
namespace {

struct Cli : ::testing::Test {
    test::TempDir dir;
    test::ScopedEnv xdg{"XDG_DATA_HOME", dir.path().string()};
    std::string out;
    std::string err;

    int run(const std::vector<std::string>& args) {
        std::ostringstream o;
        std::ostringstream e;
        const int code = RunProfileCommand(args, o, e);
        out = o.str();
        err = e.str();
        return code;
    }
    std::filesystem::path folder(const char* kind) const { return dir.path() / "Halvern" / kind; }
};

TEST_F(Cli, ListAddRenameSelect) {
    ASSERT_EQ(run({"mouse", "list"}), 0);
    EXPECT_TRUE(out.starts_with("1\t*\tprofile1\t")) << out;
    ASSERT_EQ(run({"mouse", "add"}), 0);
    ASSERT_EQ(run({"mouse", "select", "2"}), 0);
    ASSERT_EQ(run({"mouse", "rename", "Shooter"}), 0);
    ASSERT_EQ(run({"mouse", "list"}), 0);
    EXPECT_NE(out.find("1\t \tprofile1\t"), std::string::npos) << out;
    EXPECT_NE(out.find("2\t*\tShooter\t"), std::string::npos) << out;
    EXPECT_TRUE(std::filesystem::exists(folder("mouse") / "ProfileList.ini"));
}

TEST_F(Cli, RefusalsExitOneAndChangeNothing) {
    ASSERT_EQ(run({"keyboard", "list"}), 0);
    const auto listFile = folder("keyboard") / "ProfileList.ini";
    const std::string before = test::readBytes(listFile);
    EXPECT_EQ(run({"keyboard", "delete"}), 1);
    EXPECT_NE(err.find("last profile"), std::string::npos);
    EXPECT_EQ(run({"keyboard", "rename", " "}), 1);
    EXPECT_EQ(run({"keyboard", "rename", "two\nlines"}), 1);
    EXPECT_NE(err.find("control character"), std::string::npos) << err;

    EXPECT_EQ(run({"keyboard", "import", (dir / "missing.json").string()}), 1);
    EXPECT_NE(err.find("no such file"), std::string::npos) << err;
    EXPECT_EQ(test::readBytes(listFile), before);

    for (int i = 1; i < 50; ++i) ASSERT_EQ(run({"keyboard", "add"}), 0);
    EXPECT_EQ(run({"keyboard", "add"}), 1);
    EXPECT_NE(err.find("50"), std::string::npos);
    EXPECT_EQ(run({"keyboard", "rename", "PROFILE2"}), 1);
}

TEST_F(Cli, UsageErrorsExitTwoAndChangeNothing) {
    EXPECT_EQ(run({}), 2);
    EXPECT_EQ(run({"toaster", "list"}), 2);
    EXPECT_EQ(run({"mouse", "fly"}), 2);
    EXPECT_EQ(run({"mouse", "rename"}), 2);

    // A word a verb does not take is an error, not ignored: "delete 9" must not delete the selected one.
    ASSERT_EQ(run({"mouse", "add"}), 0);
    const std::string before = test::readBytes(folder("mouse") / "ProfileList.ini");
    for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{
             {"mouse", "delete", "9"},
             {"mouse", "add", "x"},
             {"mouse", "reset", "now"},
             {"mouse", "list", "x"},
             {"mouse", "select", "0", "1"},
             {"mouse", "select", "0"},  // profiles count from 1
             {"mouse", "select", "3"},  // two profiles
             {"mouse", "select", "1x"},
             {"mouse", "select", "0x1"},
             {"mouse", "rename", "a", "b"},
         }) {
        EXPECT_EQ(run(words), 2) << words[1];
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_TRUE(err.starts_with("halvernctl: profile: ")) << err;
        EXPECT_TRUE(err.ends_with("; see 'halvernctl help profile'\n")) << err;
        EXPECT_TRUE(out.empty()) << out;
    }
    EXPECT_EQ(test::readBytes(folder("mouse") / "ProfileList.ini"), before);
}

TEST_F(Cli, ExportImportDeleteReset) {
    ASSERT_EQ(run({"headset", "list"}), 0);
    ASSERT_EQ(run({"headset", "reset"}), 0);
    const auto exported = dir / "Party.json";
    ASSERT_EQ(run({"headset", "export", exported.string()}), 0);
    ASSERT_EQ(run({"headset", "import", exported.string()}), 0);
    EXPECT_EQ(out, "imported Party\n");
    ASSERT_EQ(run({"headset", "select", "2"}), 0);
    ASSERT_EQ(run({"headset", "delete"}), 0);
    ASSERT_EQ(run({"headset", "list"}), 0);
    EXPECT_TRUE(out.starts_with("1\t*\tprofile1\t")) << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1);
    ASSERT_EQ(run({"mousepad", "copy"}), 0);
    EXPECT_EQ(out, "added profile1 copy\n");
}

}  // namespace
}  // namespace halvern
