// The whole chain on both sound servers: halvernctl's headset commands over the emulated HID headset,
// with HALVERN_SOUND=server, act on the server's headset sink and source as they would on a real one.

#include <string>

#include "cli/shared_commands.h"
#include "ctl_fixture.h"
#include "private_sound_server.h"
#include "temp_env.h"

namespace halvern::cli {
namespace {

using test::commandOutput;
using test::PrivateSoundServer;

const CtlCommands kCommands{{"headset", runHeadsetCommand}};

class EmulatedHeadsetChainTest : public CtlFixture,
                                 public ::testing::WithParamInterface<test::SoundServerKind> {
protected:
    EmulatedHeadsetChainTest() : CtlFixture(kCommands) {}
    void SetUp() override {
        server = &PrivateSoundServer::shared(GetParam());
        if (!server->running()) GTEST_SKIP() << server->whyNot();
        ASSERT_TRUE(emulator.attach(emu::Product::Headset));
    }
    // The server is shared with the other tests: what this one loaded goes.
    void TearDown() override {
        if (server == nullptr || !server->running()) return;
        commandOutput(
            "pactl unload-module module-ladspa-sink; pactl unload-module module-loopback; "
            "pactl set-source-mute headset_mic 0; pactl set-default-sink speakers");
    }
    static int modulesNamed(const std::string& module) {
        const std::string list = commandOutput("pactl list short modules");
        int count = 0;
        for (size_t at = 0; (at = list.find(module + "\t", at)) != std::string::npos; ++at) ++count;
        return count;
    }

    test::ScopedEnv sound{"HALVERN_SOUND", "server"};
    PrivateSoundServer* server = nullptr;
};

TEST_P(EmulatedHeadsetChainTest, HalvernctlRunsTheHeadsetsSoundThroughTheServer) {
    CtlRun r = run({"headset", "eq", "6"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(modulesNamed("module-ladspa-sink"), 1);
    EXPECT_NE(commandOutput("pactl list short modules").find("halvern.bands=7,14,-13,-6,-1,8,13,7,2,6'"),
              std::string::npos);

    r = run({"headset", "mic", "--on", "0", "--level", "40"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(commandOutput("pactl get-source-mute headset_mic"), "Mute: yes\n");
    EXPECT_NE(commandOutput("pactl get-source-volume headset_mic").find(" 40% "), std::string::npos);

    r = run({"headset", "monitor", "--on", "1", "--level", "30"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(modulesNamed("module-loopback"), 1);

    // Each run is a program of its own: this one takes over the filter the first left and changes one band.
    r = run({"headset", "band", "1", "3"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(modulesNamed("module-ladspa-sink"), 1);
    EXPECT_NE(commandOutput("pactl list short modules").find("halvern.bands=3,14,-13,-6,-1,8,13,7,2,6'"),
              std::string::npos);
    EXPECT_EQ(modulesNamed("module-loopback"), 1) << "the monitor stays as it was";
}

// A surround that is a process of the program that switched it on (PipeWire's) would end with halvernctl
// the moment it answered "on": alone, halvernctl refuses it and says why. PulseAudio's stays in the server.
TEST_P(EmulatedHeadsetChainTest, SurroundIsSwitchedOnAloneOnlyWhereItOutlivesHalvernctl) {
    const auto surroundSinks = [] {
        return commandOutput("pactl list short sinks").find("halvern_headset_surround") != std::string::npos;
    };
    CtlRun r = run({"headset", "surround", "--on", "1"});
    if (GetParam() == test::SoundServerKind::PipeWire) {
        EXPECT_EQ(r.code, kExitDeviceError);
        EXPECT_NE(r.err.find("lasts only while the program that switched it on runs"), std::string::npos)
            << r.err;
        EXPECT_FALSE(surroundSinks());
        r = run({"headset", "surround"});
        ASSERT_EQ(r.code, kExitOk) << r.err;
        EXPECT_EQ(r.out, "virtual surround: off\n");
        return;
    }
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(r.out, "virtual surround: on\n");
    EXPECT_TRUE(surroundSinks());
    r = run({"headset", "surround", "--on", "0"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_FALSE(surroundSinks());
}

INSTANTIATE_TEST_SUITE_P(Servers, EmulatedHeadsetChainTest, ::testing::ValuesIn(test::kSoundServerKinds),
                         test::SoundServerTestName());

}  // namespace
}  // namespace halvern::cli
