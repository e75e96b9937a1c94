#include "profile/json_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

#include "profile/keyboard_profiledata.h"
#include "test_support.h"

namespace halvern {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

Json::Value sampleDocument() {
    Json::Value doc(Json::objectValue);
    doc["profilename"] = "Game \xE6\xB8\xB8\xE6\x88\x8F";  // UTF-8 text survives unchanged
    doc["profileUUID"] = "2024_05_17_13_45_09_123";
    Json::Value& record = doc["Device"][0];
    record["LightInfo"]["Red"] = 255;
    record["LightInfo"]["MultiColor"] = 1;
    record["KeyList"][0]["Assignment"] = 65793;
    record["KeyList"][1]["Assignment"] = -5;
    return doc;
}

TEST(JsonFile, WrittenDocumentReadsBackIdentical) {
    TempDir dir;
    const auto path = dir / "p.Json";
    ASSERT_TRUE(WriteJsonFile(path, sampleDocument()));
    EXPECT_EQ(ReadJsonFile(path), sampleDocument());
    // No temporary file is left behind by a successful write.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(JsonFile, OutputIsStyledWithSortedKeysAndOneNewline) {
    Json::Value doc(Json::objectValue);
    doc["Green"] = 2;
    doc["nested"]["a"] = "x";
    doc["Fx"] = 1;
    doc["list"].append(1);
    doc["list"].append(2);
    doc["CustomGroup"] = 0;
    doc["Blue"] = 3;
    const std::string expected =
        "{\n"
        "   \"Blue\" : 3,\n"
        "   \"CustomGroup\" : 0,\n"
        "   \"Fx\" : 1,\n"
        "   \"Green\" : 2,\n"
        "   \"list\" : [ 1, 2 ],\n"
        "   \"nested\" : {\n"
        "      \"a\" : \"x\"\n"
        "   }\n"
        "}\n";
    EXPECT_EQ(FormatJson(doc), expected);

    TempDir dir;
    ASSERT_TRUE(WriteJsonFile(dir / "f.json", doc));
    EXPECT_EQ(readBytes(dir / "f.json"), expected);
}

TEST(JsonFile, ReadsCrLfByteOrderMarkAndComments) {
    EXPECT_EQ(test::parse("\xEF\xBB\xBF{\r\n  // note\r\n  \"a\" : 1 /* b */\r\n}\r\n")["a"].asInt(), 1);
    EXPECT_EQ(test::parse("{\"a\":[1,2]}\n// trailing comment\n")["a"].size(), 2u);
}

TEST(JsonFile, UnusableTextGivesNull) {
    const std::string cases[] = {
        "",
        "\xEF\xBB\xBF",
        "{\"a\": 1",                        // truncated
        "{\"a\": 1} garbage",               // something after the document
        std::string("\0\x01\xFF\xFE{", 5),  // binary
        std::string(100000, '['),           // nesting far beyond the limit
        "{\"a\": tru}",
    };
    for (const std::string& text : cases) EXPECT_TRUE(test::parse(text).isNull()) << text.substr(0, 20);
}

TEST(JsonFile, MissingUnreadableAndHugeFilesReadAsNothing) {
    TempDir dir;
    EXPECT_EQ(ReadFileText(dir / "missing"), "");
    EXPECT_TRUE(ReadJsonFile(dir / "missing").isNull());
    EXPECT_TRUE(ReadJsonFile(dir.path()).isNull());  // a folder
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_TRUE(ReadJsonFile(dir / "fifo").isNull());  // neither blocks nor reads

    const auto huge = dir / "huge.Json";
    { std::ofstream out(huge, std::ios::binary); }
    std::filesystem::resize_file(huge, 100u * 1024u * 1024u);  // 100 MB of zero bytes
    EXPECT_EQ(ReadFileText(huge), "");
    EXPECT_TRUE(ReadJsonFile(huge).isNull());

    const auto small = dir / "small.Json";
    writeBytes(small, "{ \"a\" : 1 }");
    EXPECT_EQ(ReadFileText(small), "{ \"a\" : 1 }");
}

TEST(JsonFile, FailedWriteKeepsTheOldFileAndReportsFailure) {
    TempDir dir;
    const auto path = dir / "p.Json";
    ASSERT_TRUE(WriteJsonFile(path, sampleDocument()));
    const std::string before = readBytes(path);

    // A folder that does not exist: nothing can be created.
    EXPECT_FALSE(WriteJsonFile(dir / "no-such-folder" / "p.Json", sampleDocument()));

    // A full disk, simulated with a file-size limit in a child process.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        Json::Value big = sampleDocument();
        big["padding"] = std::string(4096, 'x');
        _exit(WriteJsonFile(path, big) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the write into a full disk was reported as success";
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "temporary file left";
}

TEST(JsonFile, WriteKeepsTheFilePermissions) {
    TempDir dir;
    const auto path = dir / "p.Json";
    ASSERT_TRUE(WriteJsonFile(path, sampleDocument()));
    std::filesystem::permissions(path,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    ASSERT_TRUE(WriteJsonFile(path, sampleDocument()));
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

// A process killed at any moment of a loop of saves never leaves a profile that fails to parse.
TEST(JsonFile, KilledSaveLoopNeverLeavesABrokenProfile) {
    TempDir dir;
    const auto path = dir / "profile.Json";
    ASSERT_TRUE(std::filesystem::copy_file(test::shippedData() / "keyboard.Json", path));
    std::mt19937 random(12345);

    for (int round = 0; round < 30; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            CKeyboardProfiledata profile;
            profile.SetProfilePath(path);
            EXPECT_TRUE(profile.LoadDeviceRecord(path));
            for (int i = 0;; ++i) {
                profile.SetCustomGroupIndex(i);
                profile.SetCustomLightColors(std::vector<LightColor>(170, LightColor{1, 2, 3, 4}), i % 8);
                (void)profile.Save();
            }
        }
        ::usleep(std::uniform_int_distribution<useconds_t>(1000, 30000)(random));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        const Json::Value document = ReadJsonFile(path);
        ASSERT_TRUE(document.isObject()) << "round " << round;
        ASSERT_TRUE(document["Device"][0].isObject()) << "round " << round;
    }
}

}  // namespace
}  // namespace halvern
