// Device memory kept in a state folder, and the traffic capture file.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "device/debug_sink.h"
#include "emulator/capturing_backend.h"
#include "emulator/emulator.h"
#include "emulator/traffic_capture.h"
#include "test_reports.h"

namespace halvern::emu {
namespace {

using test::request;
using test::transact;

class TemporaryFolder {
public:
    TemporaryFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "halvern-emu-XXXXXX").string();
        if (::mkdtemp(pattern.data())) m_path = pattern;
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    [[nodiscard]] const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

class DebugLines {
public:
    DebugLines() : m_previous(setDebugCapture([this](std::string_view line) { m_lines += line; })) {}
    ~DebugLines() { setDebugCapture(m_previous); }
    [[nodiscard]] const std::string& text() const { return m_lines; }

private:
    std::string m_lines;
    DebugCapture m_previous;
};

// One run of a program: an emulator on the folder, a mouse attached, its command node open.
struct Session {
    explicit Session(const std::filesystem::path& folder, DeviceConfig config = {})
        : emulator(EmulatorOptions{.stateDirectory = folder}) {
        emulator.attach(Product::Mouse, Attachment::Cable, config);
        node = emulator.openNode("emu:mouse/1#4", true);
    }
    Emulator emulator;
    std::unique_ptr<HidNode> node;
};

TEST(EmulatorState, SuccessiveRunsSeeTheSameMemory) {
    TemporaryFolder folder;
    {
        Session first(folder.path());
        ASSERT_TRUE(first.emulator.setupError().empty());
        ASSERT_TRUE(transact(*first.node, request(0x06, 2, 128 + 2, {0x01, 0x04})));
        ASSERT_TRUE(transact(*first.node, request(0x09, 3, 0, {0x70, 0x00, 0x00})));
        ASSERT_TRUE(transact(*first.node, request(0x02)));
    }
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "mouse.state"));
    Session second(folder.path());
    const auto record = transact(*second.node, request(0x05, 2, 128 + 2));
    EXPECT_EQ((*record)[8], 0x01);
    EXPECT_EQ((*record)[9], 0x04);
    EXPECT_EQ((*transact(*second.node, request(0x07, 3, 0)))[8], 0x70);
}

// A node still open when the emulator goes keeps its firmware: letting go of it later does not write the
// state file a second time (another run may be using that file by then).
TEST(EmulatorState, AFirmwareOutlivingItsEmulatorDoesNotSaveAgain) {
    TemporaryFolder folder;
    const auto file = folder.path() / "mouse.state";
    std::unique_ptr<HidNode> unchanged;
    {
        Session session(folder.path());
        ASSERT_TRUE(transact(*session.node, request(0x06, 2, 128 + 2, {0x01, 0x04})));
        unchanged = std::move(session.node);
    }
    ASSERT_TRUE(std::filesystem::remove(file));
    unchanged.reset();
    EXPECT_FALSE(std::filesystem::exists(file));  // nothing changed after the emulator's save
}

TEST(EmulatorState, UnusableStateFilesFallBackToTheFactoryMemory) {
    TemporaryFolder folder;
    const auto file = folder.path() / "mouse.state";
    {
        Session writer(folder.path());
        ASSERT_TRUE(transact(*writer.node, request(0x06, 1, 130, {0x99})));
    }
    std::string valid;
    {
        std::ifstream in(file, std::ios::binary);
        valid.assign(std::istreambuf_iterator<char>(in), {});
    }
    ASSERT_GT(valid.size(), 100u);
    std::string flipped = valid;
    flipped[valid.size() / 2] ^= 0x40;

    struct Case {
        const char* what;
        std::string contents;
        DeviceConfig config;
    };
    const Case cases[] = {
        {"garbage", "not a state file", {}},
        {"empty", "", {}},
        {"cut short", valid.substr(0, valid.size() - 7), {}},
        {"one byte changed", flipped, {}},
        {"made for another key-slot count", valid, {.keySlots = 4}},
    };
    for (const Case& c : cases) {
        {
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            out << c.contents;
        }
        DebugLines debug;
        Emulator emulator(EmulatorOptions{.stateDirectory = folder.path()});
        auto device = emulator.attach(Product::Mouse, Attachment::Cable, c.config);
        EXPECT_EQ(device->firmware().region(Region::Settings)[130], 0x04) << c.what;  // factory brightness
        EXPECT_NE(debug.text().find("factory state"), std::string::npos) << c.what;
    }
}

TEST(EmulatorState, AnUnusableFolderIsReportedAndMemoryStaysInProcess) {
    TemporaryFolder folder;
    const auto notAFolder = folder.path() / "plain-file";
    std::ofstream(notAFolder) << "x";
    Emulator emulator(EmulatorOptions{.stateDirectory = notAFolder});
    EXPECT_NE(emulator.setupError().find("state folder"), std::string::npos);
    ASSERT_TRUE(emulator.attach(Product::Keyboard));
    EXPECT_FALSE(emulator.saveState());
}

TEST(TrafficCaptureFile, OneLinePerReportInBothDirections) {
    TemporaryFolder folder;
    const auto path = folder.path() / "traffic.txt";
    {
        Emulator emulator(EmulatorOptions{.captureFile = path});
        auto device = emulator.attach(Product::Mouse, Attachment::Receiver);
        auto node = emulator.openNode("emu:mouse-receiver/1#4", true);
        ASSERT_TRUE(transact(*node, request(0x01)));
        ASSERT_TRUE(device->emitNotification(0x0401));
    }
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 3u);
    const std::string zeros = [] {
        std::string s;
        for (int i = 0; i < 60; ++i) s += " 00";
        return s;
    }();
    EXPECT_EQ(lines[0], "OUT mouse-receiver 04 01 00 01" + zeros);
    EXPECT_EQ(lines[1], "IN mouse-receiver 04 01 00 01" + zeros);
    EXPECT_EQ(lines[2], "IN mouse-receiver 03 01 04");
    EXPECT_EQ(formatCaptureLine("OUT", "headset", std::array<uint8_t, 2>{0xff, 0x0a}), "OUT headset ff 0a");
}

// Any backend (the system's hidraw nodes in the application) writes the same lines, under the node's path.
TEST(TrafficCaptureFile, AWrappedBackendCapturesUnderTheNodesPath) {
    TemporaryFolder folder;
    const auto path = folder.path() / "traffic.txt";
    {
        auto emulator = std::make_unique<Emulator>(EmulatorOptions{});
        ASSERT_TRUE(emulator->attach(Product::Mouse, Attachment::Cable));
        CapturingBackend backend(std::move(emulator), std::make_shared<TrafficCapture>(path));
        std::vector<HidEnumEntry> entries;
        ASSERT_TRUE(backend.enumerate(entries));
        EXPECT_FALSE(backend.openNode("emu:nothing/1", true))
            << "what the backend cannot open stays unopened";
        auto node = backend.openNode("emu:mouse/1#4", true);
        ASSERT_TRUE(node);
        ASSERT_TRUE(transact(*node, request(0x01)));
    }
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("OUT emu:mouse/1 04 01 00 01", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1].rfind("IN emu:mouse/1 04 01 00 01", 0), 0u) << lines[1];
}

TEST(TrafficCaptureFile, AnUnwritablePathIsReported) {
    Emulator emulator(EmulatorOptions{.captureFile = "/nonexistent-folder/traffic.txt"});
    EXPECT_NE(emulator.setupError().find("capture file"), std::string::npos);
    ASSERT_TRUE(emulator.attach(Product::Mouse));
}

}  // namespace
}  // namespace halvern::emu
