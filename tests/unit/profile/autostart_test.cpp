// The desktop's autostart entry, and the close choice and RGB server settings in the settings file: where
// they live, what they say, and that a failure changes nothing the user has.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "profile/autostart_entry.h"
#include "profile/close_choice.h"
#include "profile/json_file.h"
#include "profile/rgb_server_settings.h"
#include "test_support.h"

namespace halvern {
namespace {

using test::ScopedEnv;
using test::TempDir;

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(AutostartEntry, LivesInTheUsersAutostartFolder) {
    TempDir dir;
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", dir.path().string());
        EXPECT_EQ(AutostartEntryPath(), dir.path() / "autostart" / "org.halvern.Halvern.desktop");
    }
    ScopedEnv xdg("XDG_CONFIG_HOME", "relative/config");
    ScopedEnv home("HOME", dir.path().string());
    EXPECT_EQ(AutostartEntryPath(), dir.path() / ".config" / "autostart" / "org.halvern.Halvern.desktop");
}

TEST(AutostartEntry, WrittenItStartsTheProgramInTheBackgroundAndRemovedItIsGone) {
    TempDir dir;
    const auto entry = dir.path() / "autostart" / "org.halvern.Halvern.desktop";
    EXPECT_FALSE(AutostartEntryEnabled(entry));

    ASSERT_TRUE(WriteAutostartEntry(entry, kInstalledProgramName).ok());  // the folder is made
    const std::string text = readAll(entry);
    EXPECT_TRUE(text.starts_with("[Desktop Entry]\n"));
    EXPECT_NE(text.find("\nType=Application\n"), std::string::npos);
    EXPECT_NE(text.find("\nExec=halvern --background\n"), std::string::npos);
    EXPECT_TRUE(AutostartEntryEnabled(entry));
    // Written whole through a temporary file that is gone afterwards.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(entry.parent_path()),
                            std::filesystem::directory_iterator()),
              1);

    ASSERT_TRUE(RemoveAutostartEntry(entry).ok());
    EXPECT_FALSE(std::filesystem::exists(entry));
    EXPECT_FALSE(AutostartEntryEnabled(entry));
    EXPECT_TRUE(RemoveAutostartEntry(entry).ok());  // nothing there: removed already
}

// The desktop's own autostart settings turn an entry off inside the file; writing ours turns it on again.
TEST(AutostartEntry, AnEntryTurnedOffByTheDesktopIsNotEnabled) {
    TempDir dir;
    const auto entry = dir / "org.halvern.Halvern.desktop";
    const auto enabledWith = [&](const std::string& text) {
        std::ofstream(entry) << text;
        return AutostartEntryEnabled(entry);
    };
    EXPECT_FALSE(enabledWith("[Desktop Entry]\nExec=halvern --background\nHidden=true\n"));
    EXPECT_FALSE(enabledWith("[Desktop Entry]\r\nX-GNOME-Autostart-enabled = false\r\n"));
    EXPECT_TRUE(enabledWith("[Desktop Entry]\nHidden=false\n"));
    EXPECT_TRUE(enabledWith("[Desktop Entry]\nExec=x\n[Desktop Action quiet]\nHidden=true\n"));
    EXPECT_TRUE(enabledWith(""));  // the file is there: the desktop runs what it can of it

    ASSERT_TRUE(WriteAutostartEntry(entry, "halvern").ok());
    EXPECT_TRUE(AutostartEntryEnabled(entry));
    std::filesystem::remove(entry);
    std::filesystem::create_directory(entry);  // a folder is no entry
    EXPECT_FALSE(AutostartEntryEnabled(entry));
}

TEST(AutostartEntry, AFailureSaysWhyAndLeavesWhatIsThere) {
    TempDir dir;
    // The autostart folder cannot be made: a file has its name.
    std::ofstream(dir / "autostart") << "not a folder";
    const AutostartChange noFolder = WriteAutostartEntry(dir / "autostart" / "x.desktop", "halvern");
    EXPECT_FALSE(noFolder.ok());
    EXPECT_FALSE(noFolder.error.empty());
    EXPECT_EQ(readAll(dir / "autostart"), "not a folder");

    // The entry's name is taken by a folder with something in it: neither writing nor removing touches it.
    const auto taken = dir / "taken.desktop";
    std::filesystem::create_directory(taken);
    std::ofstream(taken / "keep") << "kept";
    EXPECT_FALSE(WriteAutostartEntry(taken, "halvern").ok());
    EXPECT_FALSE(RemoveAutostartEntry(taken).ok());
    EXPECT_EQ(readAll(taken / "keep"), "kept");
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()),
        2);  // no temporary file left behind
}

TEST(CloseChoice, StoredInTheSettingsFileBesideTheUsersOwnSettings) {
    TempDir dir;
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", dir.path().string());
        EXPECT_EQ(SettingsFile(), dir.path() / "Halvern" / "settings.json");
    }
    const auto file = dir / "Halvern" / "settings.json";
    EXPECT_EQ(ReadCloseChoice(file), CloseChoice::Ask);
    ASSERT_TRUE(WriteCloseChoice(file, CloseChoice::Quit));  // file and folder made
    EXPECT_EQ(ReadCloseChoice(file), CloseChoice::Quit);

    std::ofstream(file) << R"({ // the user's own
        "WebSite": "https://example.org/", "CloseWindow": "quit" })";
    ASSERT_TRUE(WriteCloseChoice(file, CloseChoice::Background));
    EXPECT_EQ(ReadCloseChoice(file), CloseChoice::Background);
    EXPECT_EQ(ReadJsonFile(file)["WebSite"].asString(), "https://example.org/");
    ASSERT_TRUE(WriteCloseChoice(file, CloseChoice::Ask));
    EXPECT_EQ(ReadCloseChoice(file), CloseChoice::Ask);
    EXPECT_FALSE(ReadJsonFile(file).isMember("CloseWindow"));
    EXPECT_TRUE(ReadJsonFile(file).isMember("WebSite"));

    for (const char* text : {R"({"CloseWindow": "later"})", R"({"CloseWindow": 1})", "[]"}) {
        std::ofstream(file) << text;
        EXPECT_EQ(ReadCloseChoice(file), CloseChoice::Ask) << text;
    }
    std::ofstream(file).close();  // an empty file has nothing to keep
    EXPECT_TRUE(WriteCloseChoice(file, CloseChoice::Quit));
    EXPECT_EQ(ReadCloseChoice(file), CloseChoice::Quit);
}

// A settings file the program cannot read is the user's to mend: it is never replaced.
TEST(CloseChoice, ASettingsFileThatIsNotAnObjectIsLeftAlone) {
    TempDir dir;
    const auto file = dir / "settings.json";
    for (const std::string_view text : {R"({"WebSite": "https://example.org/",)", "[1]"}) {
        std::ofstream(file) << text;
        EXPECT_FALSE(WriteCloseChoice(file, CloseChoice::Background)) << text;
        EXPECT_EQ(readAll(file), text);
    }
}

TEST(RgbServerSettings, OffUntilTurnedOnAndKeptBesideTheUsersOwnSettings) {
    TempDir dir;
    const auto file = dir / "Halvern" / "settings.json";
    EXPECT_EQ(ReadRgbServerSettings(file), RgbServerSettings{});
    EXPECT_FALSE(RgbServerSettings{}.enabled);
    EXPECT_EQ(RgbServerSettings{}.address, "127.0.0.1");

    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << R"({"CloseWindow": "quit", "RgbServer": {"Enabled": true, "Port": 7000}})";
    RgbServerSettings settings = ReadRgbServerSettings(file);
    EXPECT_TRUE(settings.enabled);
    EXPECT_EQ(settings.port, 7000);
    settings.enabled = false;
    ASSERT_TRUE(WriteRgbServerSettings(file, settings));
    EXPECT_EQ(ReadRgbServerSettings(file), settings);
    const Json::Value document = ReadJsonFile(file);
    EXPECT_EQ(document["CloseWindow"].asString(), "quit");
    EXPECT_FALSE(document["RgbServer"].isMember("Address")) << "the default address is not written";

    settings.address = "0.0.0.0";  // named by the user for another machine
    ASSERT_TRUE(WriteRgbServerSettings(file, settings));
    EXPECT_EQ(ReadRgbServerSettings(file).address, "0.0.0.0");
}

TEST(RgbServerSettings, AnythingElseReadsAsTheDefault) {
    TempDir dir;
    const auto file = dir / "settings.json";
    for (const char* text : {R"({"RgbServer": {"Enabled": "yes", "Port": 0}})",
                             R"({"RgbServer": {"Enabled": 1, "Port": 70000}})", R"({"RgbServer": [true]})",
                             R"({"RgbServer": {"Port": "6743", "Address": 5}})", "[]", "{"}) {
        std::ofstream(file) << text;
        EXPECT_EQ(ReadRgbServerSettings(file), RgbServerSettings{}) << text;
    }
    std::ofstream(file) << "[1]";
    EXPECT_FALSE(WriteRgbServerSettings(file, RgbServerSettings{true}));
    EXPECT_EQ(readAll(file), "[1]");
}

}  // namespace
}  // namespace halvern
