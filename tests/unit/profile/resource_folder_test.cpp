#include <gtest/gtest.h>

#include "profile/data_folders.h"
#include "temp_env.h"

namespace halvern {
namespace {

TEST(ResourceFolder, InstalledCopyBesideBinThenSourceTreeThenConfiguredPrefix) {
    test::TempDir dir;
    const auto source = dir.path() / "src" / "resources";
    const auto configured = dir.path() / "usr" / "share" / "halvern";
    const auto installed = dir.path() / "opt" / "share" / "halvern";
    std::filesystem::create_directories(source);
    std::filesystem::create_directories(installed);
    const auto installedProgram = dir.path() / "opt" / "bin" / "halvern";
    const auto buildProgram = dir.path() / "build" / "src" / "app" / "halvern";

    // An installed copy finds its own share folder, even where the source tree is still around.
    EXPECT_EQ(ChooseResourceFolder(nullptr, installedProgram, source, configured), installed);
    // A run from the build tree uses the source tree's resources.
    EXPECT_EQ(ChooseResourceFolder(nullptr, buildProgram, source, configured), source);
    EXPECT_EQ(ChooseResourceFolder(nullptr, {}, source, configured), source);
    // A program in some bin folder without a share folder beside it, and no source tree.
    EXPECT_EQ(ChooseResourceFolder(nullptr, dir.path() / "bin" / "halvern", dir.path() / "gone", configured),
              configured);
    // The environment overrides everything; an empty value does not count.
    EXPECT_EQ(ChooseResourceFolder("/somewhere", installedProgram, source, configured), "/somewhere");
    EXPECT_EQ(ChooseResourceFolder("", installedProgram, source, configured), installed);
}

}  // namespace
}  // namespace halvern
