// halvernctl doctor: one line per supported node with its fix, and the session checks on staged sessions.

#include <gtest/gtest.h>
#include <json/json.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <set>

#include "cli/doctor_command.h"
#include "ctl_fixture.h"
#include "device/udev_rules.h"

namespace halvern::cli {
namespace {

const CtlCommands kCommands{{"doctor", runDoctorCommand}};

class DoctorTest : public CtlFixture {
protected:
    DoctorTest() : CtlFixture(kCommands) {
        probes.rulesFolders = {data.path() / "rules"};
        probes.session.env = [this](const char* name) -> std::optional<std::string> {
            const auto value = env.find(name);
            return value == env.end() ? std::nullopt : std::optional(value->second);
        };
        probes.session.x11SocketFolder = data.path() / "x11";
        probes.session.inputFolder = data.path() / "input";
        probes.diagnoseNode = [this](std::string_view node) {
            asked.insert(std::string(node));
            AccessDiagnosis verdict{NodeAccess::Ok, true, "opens for reading and writing", ""};
            if (refused.count(std::string(node))) {
                verdict = {NodeAccess::RulesMissing, false, "permission denied",
                           std::string(kInstallRulesCommand)};
            }
            return verdict;
        };
    }

    CtlRun doctor(const std::vector<std::string>& args = {}, bool json = false) {
        std::ostringstream out, err;
        const CommandContext context{emulator, json, out, err};
        CtlRun r;
        r.code = runDoctor(context, args, probes);
        r.out = out.str();
        r.err = err.str();
        return r;
    }

    static std::vector<std::string> linesAbout(const std::string& text, std::string_view topic) {
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            if (line.find(std::string(topic) + ": ") == 6) lines.push_back(line);
        }
        return lines;
    }

    DoctorProbes probes;
    std::map<std::string, std::string, std::less<>> env;
    std::set<std::string> asked, refused;
};

TEST_F(DoctorTest, OneLinePerSupportedNodeWithTheFixOfARefusedOne) {
    (void)emulator.attach(emu::Product::Mouse, emu::Attachment::Cable);
    (void)emulator.attach(emu::Product::Keyboard, emu::Attachment::Receiver);
    const CtlRun first = doctor();
    ASSERT_TRUE(first.err.empty()) << first.err;
    for (const std::string& line : linesAbout(first.out, "device"))
        EXPECT_TRUE(line.starts_with("ok")) << line;
    // The command and notification collections share one node: one line, not two. Interface 0 (the boot
    // mouse or keyboard) is no node of ours and is not looked at.
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(linesAbout(first.out, "device").size(), 2u);
    for (const std::string& node : asked) EXPECT_EQ(node.find('#'), std::string::npos) << node;

    refused.insert(*asked.begin());
    const CtlRun second = doctor();
    EXPECT_EQ(second.code, kExitDeviceError);
    const auto devices = linesAbout(second.out, "device");
    ASSERT_EQ(devices.size(), 2u);
    const auto refusedLine = std::find_if(devices.begin(), devices.end(),
                                          [](const std::string& l) { return l.starts_with("FIX"); });
    ASSERT_NE(refusedLine, devices.end());
    EXPECT_NE(refusedLine->find(*asked.begin()), std::string::npos);
    EXPECT_NE(refusedLine->find("; fix: " + std::string(kInstallRulesCommand)), std::string::npos);

    // The same findings as JSON.
    const CtlRun json = doctor({}, true);
    Json::Value root;
    ASSERT_TRUE(Json::Reader().parse(json.out, root));
    const Json::Value& rows = root["checks"];
    ASSERT_EQ(rows.size(), 5u);  // two devices, rules, sound, display
    int failed = 0;
    for (const auto& row : rows) failed += row["topic"] == "device" && !row["ok"].asBool();
    EXPECT_EQ(failed, 1);
}

TEST_F(DoctorTest, WithoutDevicesSaysSoAndChecksTheRulesFile) {
    CtlRun r = doctor();
    EXPECT_EQ(r.code, kExitDeviceError);  // the rules are missing: a fix is printed
    EXPECT_TRUE(asked.empty());
    ASSERT_EQ(linesAbout(r.out, "device").size(), 1u);
    EXPECT_NE(linesAbout(r.out, "device")[0].find("no supported device"), std::string::npos);
    ASSERT_EQ(linesAbout(r.out, "udev rules").size(), 1u);
    EXPECT_NE(linesAbout(r.out, "udev rules")[0].find("not installed"), std::string::npos);

    std::filesystem::create_directories(data.path() / "rules");
    const auto rules = data.path() / "rules" / std::string(kUdevRulesFileName);
    test::writeBytes(rules, "KERNEL==\"hidraw*\", TAG+=\"uaccess\"\n");  // an old or edited copy
    r = doctor();
    EXPECT_NE(linesAbout(r.out, "udev rules")[0].find("not the rules of this version"), std::string::npos);
    test::writeBytes(rules, makeUdevRules());
    r = doctor();
    EXPECT_TRUE(linesAbout(r.out, "udev rules")[0].starts_with("ok"));
}

TEST_F(DoctorTest, PrintsTheRulesAndRefusesOtherArguments) {
    CtlRun r = doctor({"--udev-rules"});
    EXPECT_EQ(r.code, kExitOk);
    EXPECT_EQ(r.out, makeUdevRules());
    r = doctor({"--fix"});
    EXPECT_EQ(r.code, kExitUsage);
    EXPECT_TRUE(r.out.empty());
}

// A Unix socket at `path`; listening, or left behind by a server that is gone.
class StagedSocket {
public:
    StagedSocket(const std::filesystem::path& path, bool listening)
        : m_fd(::socket(AF_UNIX, SOCK_STREAM, 0)) {
        std::filesystem::create_directories(path.parent_path());
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        EXPECT_EQ(::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << path;
        if (listening) {
            EXPECT_EQ(::listen(m_fd, 4), 0);
        } else {
            ::close(std::exchange(m_fd, -1));
        }
    }
    ~StagedSocket() {
        if (m_fd >= 0) ::close(m_fd);
    }
    StagedSocket(const StagedSocket&) = delete;
    StagedSocket& operator=(const StagedSocket&) = delete;

private:
    int m_fd;
};

TEST_F(DoctorTest, SoundServerIsFoundByItsSocketsAndMustAnswer) {
    EXPECT_NE(checkSoundServer(probes.session).reason.find("not set"), std::string::npos);
    const auto runtime = data.path() / "run";
    env["XDG_RUNTIME_DIR"] = runtime.string();
    std::filesystem::create_directories(runtime);

    DoctorLine line = checkSoundServer(probes.session);
    EXPECT_FALSE(line.ok);
    EXPECT_NE(line.fix.find("pipewire-pulse"), std::string::npos);

    test::writeBytes(runtime / "pipewire-0", "");
    line = checkSoundServer(probes.session);
    EXPECT_FALSE(line.ok);
    EXPECT_NE(line.reason.find("without its PulseAudio layer"), std::string::npos);
    {
        const StagedSocket stale(runtime / "pulse" / "native", false);
        EXPECT_FALSE(checkSoundServer(probes.session).ok);
    }
    std::filesystem::remove(runtime / "pulse" / "native");
    const StagedSocket server(runtime / "pulse" / "native", true);
    line = checkSoundServer(probes.session);
    EXPECT_TRUE(line.ok);
    EXPECT_NE(line.reason.find("PipeWire"), std::string::npos);
    std::filesystem::remove(runtime / "pipewire-0");
    EXPECT_EQ(checkSoundServer(probes.session).reason, "PulseAudio answers");

    env["PULSE_SERVER"] = "unix:" + (runtime / "elsewhere").string();
    EXPECT_FALSE(checkSoundServer(probes.session).ok);
    env["PULSE_SERVER"] = "unix:" + (runtime / "pulse" / "native").string();
    EXPECT_TRUE(checkSoundServer(probes.session).ok);
}

TEST_F(DoctorTest, ExitsOneExactlyWhenItPrintsAFix) {
    // A session where everything is in order: rules installed, a sound server that answers, an X display.
    (void)emulator.attach(emu::Product::Mouse, emu::Attachment::Cable);
    std::filesystem::create_directories(data.path() / "rules");
    test::writeBytes(data.path() / "rules" / std::string(kUdevRulesFileName), makeUdevRules());
    const auto runtime = data.path() / "run";
    env["XDG_RUNTIME_DIR"] = runtime.string();
    const StagedSocket server(runtime / "pulse" / "native", true);
    env["DISPLAY"] = ":7";
    std::filesystem::create_directories(data.path() / "x11");
    test::writeBytes(data.path() / "x11" / "X7", "");

    CtlRun r = doctor();
    EXPECT_EQ(r.code, kExitOk) << r.out;
    EXPECT_EQ(r.out.find("FIX"), std::string::npos) << r.out;

    // Each finding with a fix alone makes it 1: the sound server gone, then a device this user cannot open.
    env.erase("XDG_RUNTIME_DIR");
    r = doctor();
    EXPECT_EQ(r.code, kExitDeviceError);
    EXPECT_EQ(linesAbout(r.out, "sound").at(0).rfind("FIX", 0), 0u) << r.out;
    env["XDG_RUNTIME_DIR"] = runtime.string();
    ASSERT_EQ(doctor().code, kExitOk);
    refused.insert(*asked.begin());
    r = doctor();
    EXPECT_EQ(r.code, kExitDeviceError);
    EXPECT_EQ(doctor({}, true).code, kExitDeviceError);  // the same with --json
}

TEST_F(DoctorTest, RecorderBackendFollowsTheSessionType) {
    DoctorLine line = checkRecorderBackend(probes.session);
    EXPECT_FALSE(line.ok);
    EXPECT_EQ(line.subject, "no display");

    env["DISPLAY"] = ":7.0";
    line = checkRecorderBackend(probes.session);
    EXPECT_FALSE(line.ok);
    EXPECT_NE(line.reason.find("no X server"), std::string::npos);
    std::filesystem::create_directories(data.path() / "x11");
    test::writeBytes(data.path() / "x11" / "X7", "");
    line = checkRecorderBackend(probes.session);
    EXPECT_TRUE(line.ok);
    EXPECT_NE(line.reason.find("XRecord"), std::string::npos);

    // A Wayland session wins over its XWayland display: the recorder reads the input devices.
    env["WAYLAND_DISPLAY"] = "wayland-0";
    std::filesystem::create_directories(data.path() / "input");
    test::writeBytes(data.path() / "input" / "mouse0", "");
    line = checkRecorderBackend(probes.session);
    EXPECT_FALSE(line.ok);
    EXPECT_NE(line.fix.find("input"), std::string::npos);
    test::writeBytes(data.path() / "input" / "event3", "");
    line = checkRecorderBackend(probes.session);
    EXPECT_TRUE(line.ok);
    EXPECT_NE(line.reason.find("evdev; 1 of 1"), std::string::npos);
}

}  // namespace
}  // namespace halvern::cli
