#include "profile/skin_file.h"

#include <gtest/gtest.h>

#include <fstream>

#include "profile/json_file.h"
#include "temp_env.h"

namespace halvern {
namespace {

TEST(SkinFile, KeepsEveryKindOfChoiceAndTheFilesOtherLines) {
    test::TempDir folder;
    const auto file = folder / "main.ini";
    EXPECT_EQ(ReadSkinFile(file), SkinChoice{});  // no file: the default picture

    std::ofstream(file) << "[OTHER]\nA=1\n[SKINIMAGE]\nFLAGS=1\nIMAGE=skins/aurora.svg\n[LAST]\nB=2\n";
    EXPECT_EQ(ReadSkinFile(file), (SkinChoice{SkinKind::OfferedImage, "skins/aurora.svg", 0}));

    const SkinChoice colour{SkinKind::Colour, "", 0xFF101828};
    ASSERT_TRUE(WriteSkinFile(file, colour));
    EXPECT_EQ(ReadSkinFile(file), colour);
    const std::string text = ReadFileText(file);
    EXPECT_NE(text.find("COLOR=FF101828"), std::string::npos);
    EXPECT_NE(text.find("[OTHER]\nA=1\n"), std::string::npos);
    EXPECT_NE(text.find("[LAST]\nB=2\n"), std::string::npos);

    const SkinChoice own{SkinKind::OwnPicture, "/home/u/pictures/sky.png", 0};
    ASSERT_TRUE(WriteSkinFile(file, own));
    EXPECT_EQ(ReadSkinFile(file), own);

    ASSERT_TRUE(WriteSkinFile(file, SkinChoice{}));  // the reset
    EXPECT_NE(ReadFileText(file).find("FLAGS=0\nIMAGE=common/background.png\n"), std::string::npos);
}

TEST(SkinFile, ValuesThatDoNotFitTheirKindReadAsTheDefault) {
    test::TempDir folder;
    const auto file = folder / "main.ini";
    for (const char* section :
         {"FLAGS=1\nIMAGE=../../etc/passwd", "FLAGS=1\nIMAGE=/etc/passwd", "FLAGS=2\nCOLOR=12",
          "FLAGS=2\nCOLOR=GG000000", "FLAGS=3\nIMAGE=relative.png", "FLAGS=9\nIMAGE=x.png"}) {
        std::ofstream(file) << "[SKINIMAGE]\n" << section << "\n";
        EXPECT_EQ(ReadSkinFile(file), SkinChoice{}) << section;
    }
}

}  // namespace
}  // namespace halvern
