// halvernctl update-check against the reference update server, on emulated devices.

#include <gtest/gtest.h>

#include <fstream>

#include "cli/update_command.h"
#include "ctl_fixture.h"
#include "local_server.h"
#include "profile/json_file.h"
#include "update/update_settings.h"

namespace halvern::cli {
namespace {

const CtlCommands kCommands{{"update-check", runUpdateCheckCommand}};

class UpdateCheckCommandTest : public CtlFixture {
protected:
    UpdateCheckCommandTest() : CtlFixture(kCommands) {
        std::filesystem::create_directories(answers);
        // The emulated mouse has firmware 0x0105.
        std::ofstream(answers / "ZANTOR_1_QD44M2_MS_1.json")
            << R"({"name":"MS","version":"0106","version_name":"V1.0.6","path":"https://d.example/ms-0106.bin"})";
    }
    std::filesystem::path answers = data.path() / "answers";
    test::ScopedEnv noServer{"HALVERN_UPDATE_URL", ""};
};

TEST_F(UpdateCheckCommandTest, ListsTheOffersOfTheServer) {
    ASSERT_TRUE(emulator.attach(emu::Product::Mouse, emu::Attachment::Cable));
    test::LocalServer server({HALVERN_UPDATE_SERVER, "--answers", answers.string(), "--port", "0"});
    const CtlRun r = run({"update-check", "--server", server.url()});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_NE(r.out.find("MS    V0105       V0106       update-available  https://d.example/ms-0106.bin"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("AP    V" + std::string(ApplicationVersionText())), std::string::npos) << r.out;
    EXPECT_EQ(lineCount(r.out), 2U);  // the keyboard and the third row are not attached
    EXPECT_EQ(ReadJsonFile(LastCheckFile())["updatelasttime"]["value"].asString(), TodayText());

    const Json::Value json = runJson({"update-check", "--server", server.url()});
    EXPECT_TRUE(json["updates"].asBool());
    EXPECT_EQ(json["items"][0]["state"].asInt(), 1);
}

TEST_F(UpdateCheckCommandTest, SaysWhenNoServerIsConfiguredOrReached) {
    const CtlRun unset = run({"update-check"});
    EXPECT_EQ(unset.code, kExitDeviceError);
    EXPECT_NE(unset.err.find("no update server is configured"), std::string::npos);
    EXPECT_EQ(run({"update-check", "--server", "ftp://x"}).code, kExitUsage);

    std::string gone;
    {
        test::LocalServer server({HALVERN_UPDATE_SERVER, "--answers", answers.string(), "--port", "0"});
        gone = server.url();
    }
    const CtlRun unreachable = run({"update-check", "--server", gone});
    EXPECT_EQ(unreachable.code, kExitDeviceError);
    EXPECT_NE(unreachable.err.find("could not be reached"), std::string::npos);
    EXPECT_EQ(unreachable.out.find("up-to-date"), std::string::npos) << unreachable.out;
    EXPECT_NE(unreachable.out.find("no-answer"), std::string::npos) << unreachable.out;
}

}  // namespace
}  // namespace halvern::cli
