// One client's connection, byte by byte: the answers a client reads, what its requests do to the
// devices, and the packets that end the connection.

#include "rgbserver/sdk_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace halvern::rgb {
namespace {

using Bytes = std::vector<uint8_t>;

RgbController tinyMouse() {
    RgbController c;
    c.type = DeviceType::Mouse;
    c.name = "M";
    c.vendor = "V";
    c.description = "D";
    c.version = "1";
    c.location = "L";
    RgbMode direct;
    direct.name = "Direct";
    direct.value = 0x10;
    direct.flags = mode_flag::kHasPerLedColor;
    direct.colorMode = ColorMode::PerLed;
    c.modes = {direct};
    c.zones = {RgbZone{"Z", ZoneType::Single, 0, 1, std::nullopt}};
    c.leds = {RgbLed{"Logo", 0}};
    c.colors = {RgbColor{1, 2, 3}};
    return c;
}

RgbController twoZoneKeyboard() {
    RgbController c;
    c.type = DeviceType::Keyboard;
    c.name = "K";
    RgbMode breathing;
    breathing.name = "Breathing";
    breathing.flags = mode_flag::kHasSpeed | mode_flag::kHasBrightness;
    breathing.speedMax = 4;
    breathing.brightnessMax = 4;
    c.modes = {RgbMode{}, breathing};
    c.zones = {RgbZone{"Keys", ZoneType::Matrix, 0, 3, MatrixMap{1, 3, {0, 1, 2}}},
               RgbZone{"Logo", ZoneType::Single, 3, 1, std::nullopt}};
    c.leds = {RgbLed{"A", 0}, RgbLed{"B", 1}, RgbLed{"C", 2}, RgbLed{"Logo", 3}};
    c.colors.resize(4);
    return c;
}

/// The application's side as the tests see it: fixed controllers, and a record of what clients did.
class RecordingSource final : public ControllerSource {
public:
    std::vector<RgbController> controllers{tinyMouse(), twoZoneKeyboard()};
    struct LedWrite {
        size_t index;
        std::vector<RgbColor> colors;
        std::string client;
    };
    std::vector<LedWrite> ledWrites;
    struct ModeWrite {
        size_t index;
        size_t mode;
        RgbMode settings;
        bool save;
    };
    std::vector<ModeWrite> modeWrites;
    std::vector<size_t> customModes;
    std::vector<std::string> loaded;

    size_t controllerCount() const override { return controllers.size(); }
    const RgbController* controller(size_t index) const override {
        return index < controllers.size() ? &controllers[index] : nullptr;
    }
    void setLeds(size_t index, std::span<const RgbColor> colors, const RgbClient& client) override {
        ledWrites.push_back({index, {colors.begin(), colors.end()}, client.name});
    }
    void setCustomMode(size_t index, const RgbClient&) override { customModes.push_back(index); }
    void updateMode(size_t index, size_t mode, const RgbMode& settings, bool save,
                    const RgbClient&) override {
        modeWrites.push_back({index, mode, settings, save});
    }
    std::vector<std::string> profileNames() const override { return {"Default", "Game"}; }
    void loadProfile(std::string_view name, const RgbClient&) override { loaded.emplace_back(name); }
    void clientLeft(const RgbClient&) override {}
};

void put32(Bytes& b, uint32_t v) {
    for (int s = 0; s < 32; s += 8) b.push_back(static_cast<uint8_t>(v >> s));
}
void put16(Bytes& b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

Bytes packet(uint32_t device, PacketId id, const Bytes& payload = {}) {
    Bytes b{'O', 'R', 'G', 'B'};
    put32(b, device);
    put32(b, static_cast<uint32_t>(id));
    put32(b, static_cast<uint32_t>(payload.size()));
    b.insert(b.end(), payload.begin(), payload.end());
    return b;
}

Bytes u32Payload(uint32_t v) {
    Bytes b;
    put32(b, v);
    return b;
}

Bytes ledsPayload(const std::vector<RgbColor>& colors, std::optional<uint32_t> zone = std::nullopt) {
    Bytes b;
    put32(b, 0);
    if (zone) put32(b, *zone);
    put16(b, static_cast<uint16_t>(colors.size()));
    for (const RgbColor& c : colors) b.insert(b.end(), {c.red, c.green, c.blue, 0});
    return b;
}

struct Answer {
    uint32_t device;
    uint32_t id;
    Bytes payload;
};

/// Splits what the session sent into packets, checking every header.
std::vector<Answer> answers(SdkSession& session) {
    std::vector<Answer> list;
    Bytes& out = session.output();
    size_t at = 0;
    while (at + kHeaderSize <= out.size()) {
        EXPECT_EQ(std::string(out.begin() + static_cast<long>(at), out.begin() + static_cast<long>(at) + 4),
                  "ORGB");
        ByteReader in(std::span<const uint8_t>(out).subspan(at + 4, 12));
        Answer a{in.u32(), in.u32(), {}};
        const uint32_t size = in.u32();
        EXPECT_LE(at + kHeaderSize + size, out.size());
        a.payload.assign(out.begin() + static_cast<long>(at + kHeaderSize),
                         out.begin() + static_cast<long>(at + kHeaderSize + size));
        list.push_back(std::move(a));
        at += kHeaderSize + size;
    }
    EXPECT_EQ(at, out.size()) << "a cut answer";
    out.clear();
    return list;
}

class SdkSessionTest : public ::testing::Test {
protected:
    RecordingSource source;
    SdkSession session{source, 1};

    void send(const Bytes& bytes) { ASSERT_TRUE(session.receive(bytes)) << session.closeReason(); }
    Answer ask(const Bytes& bytes) {
        send(bytes);
        auto list = answers(session);
        EXPECT_EQ(list.size(), 1u);
        return list.empty() ? Answer{} : list.front();
    }
    void negotiate(uint32_t version) {
        const Answer a = ask(packet(0, PacketId::RequestProtocolVersion, u32Payload(version)));
        ASSERT_EQ(a.payload, u32Payload(kServerProtocolVersion));
    }
};

TEST_F(SdkSessionTest, HandshakeCountsControllersAndNegotiatesTheLowerVersion) {
    EXPECT_EQ(session.protocol(), 0u);
    negotiate(5);
    EXPECT_EQ(session.protocol(), 4u);
    negotiate(2);
    EXPECT_EQ(session.protocol(), 2u);
    send(packet(0, PacketId::SetClientName, Bytes{'t', 'o', 'o', 'l', '\t', 'x', 0}));
    EXPECT_EQ(session.client().name, "tool x");
    const Answer count = ask(packet(0, PacketId::RequestControllerCount));
    EXPECT_EQ(count.id, static_cast<uint32_t>(PacketId::RequestControllerCount));
    EXPECT_EQ(count.payload, u32Payload(2));
}

TEST_F(SdkSessionTest, ControllerDataInVersionZeroHasEveryFieldInItsPlace) {
    const Answer a = ask(packet(0, PacketId::RequestControllerData));
    EXPECT_EQ(a.device, 0u);
    // clang-format off
    const Bytes expected{
        123, 0, 0, 0,                 // block size, itself included
        6, 0, 0, 0,                   // mouse
        2, 0, 'M', 0,                 // name (no vendor before version 1)
        2, 0, 'D', 0,                 // description
        2, 0, '1', 0,                 // version
        1, 0, 0,                      // serial: empty
        2, 0, 'L', 0,                 // location
        1, 0,  0, 0, 0, 0,            // one mode, the first active
        7, 0, 'D', 'i', 'r', 'e', 'c', 't', 0,
        0x10, 0, 0, 0,  0x20, 0, 0, 0,  // value, flags: per-LED colour
        0, 0, 0, 0,  0, 0, 0, 0,        // speed range
        0, 0, 0, 0,  0, 0, 0, 0,        // colour count range
        0, 0, 0, 0,  0, 0, 0, 0,        // speed, direction
        1, 0, 0, 0,  0, 0,              // colour mode per LED, no mode colours
        1, 0,                           // one zone
        2, 0, 'Z', 0,  0, 0, 0, 0,      // single
        1, 0, 0, 0,  1, 0, 0, 0,  1, 0, 0, 0,  0, 0,  // one LED, no matrix
        1, 0,  5, 0, 'L', 'o', 'g', 'o', 0,  0, 0, 0, 0,  // one LED
        1, 0,  1, 2, 3, 0,              // its colour
    };
    // clang-format on
    EXPECT_EQ(a.payload, expected);
}

TEST_F(SdkSessionTest, LaterVersionsAddVendorBrightnessAndSegments) {
    const auto sizeIn = [&](uint32_t version) {
        const Answer a = ask(packet(0, PacketId::RequestControllerData, u32Payload(version)));
        ByteReader in(a.payload);
        const uint32_t declared = in.u32();
        EXPECT_EQ(declared, a.payload.size());
        return a.payload.size();
    };
    EXPECT_EQ(sizeIn(1), 123u + 4);           // vendor
    EXPECT_EQ(sizeIn(3), 123u + 4 + 12);      // and brightness range and value
    EXPECT_EQ(sizeIn(4), 123u + 4 + 12 + 2);  // and an empty segment list
    EXPECT_EQ(sizeIn(9), sizeIn(4)) << "a newer client gets the server's newest version";
}

TEST_F(SdkSessionTest, TheKeyboardMatrixIsDescribedWithItsLedIndexes) {
    const Answer a = ask(packet(1, PacketId::RequestControllerData, u32Payload(4)));
    // The matrix block: its length, height 1, width 3, the LEDs 0, 1, 2.
    Bytes matrix;
    put16(matrix, 8 + 12);
    for (uint32_t v : {1u, 3u, 0u, 1u, 2u}) put32(matrix, v);
    EXPECT_NE(std::search(a.payload.begin(), a.payload.end(), matrix.begin(), matrix.end()), a.payload.end());
}

TEST_F(SdkSessionTest, PacketsSplitAnywhereAreAnsweredAsWhole) {
    Bytes stream = packet(0, PacketId::RequestProtocolVersion, u32Payload(4));
    const Bytes data = packet(1, PacketId::RequestControllerData, u32Payload(4));
    stream.insert(stream.end(), data.begin(), data.end());
    for (const uint8_t byte : stream) send(Bytes{byte});
    const auto list = answers(session);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].device, 1u);
    EXPECT_EQ(list[1].id, static_cast<uint32_t>(PacketId::RequestControllerData));
}

TEST_F(SdkSessionTest, LedUpdatesReachTheDeviceOnlyWithAColourForEveryLed) {
    send(packet(0, PacketId::SetClientName, Bytes{'f', 'x', 0}));
    const RgbColor red{255, 0, 0};
    const RgbColor blue{0, 0, 255};
    send(packet(1, PacketId::UpdateLeds, ledsPayload({red, red, red, blue})));
    ASSERT_EQ(source.ledWrites.size(), 1u);
    EXPECT_EQ(source.ledWrites[0].index, 1u);
    EXPECT_EQ(source.ledWrites[0].colors, (std::vector<RgbColor>{red, red, red, blue}));
    EXPECT_EQ(source.ledWrites[0].client, "fx");

    // The zone and single-LED updates start from the controller's colours (all black here).
    send(packet(1, PacketId::UpdateZoneLeds, ledsPayload({blue}, 1)));
    Bytes single;
    put32(single, 1);
    single.insert(single.end(), {0, 255, 0, 0});
    send(packet(1, PacketId::UpdateSingleLed, single));
    ASSERT_EQ(source.ledWrites.size(), 3u);
    EXPECT_EQ(source.ledWrites[1].colors, (std::vector<RgbColor>{{}, {}, {}, blue}));
    EXPECT_EQ(source.ledWrites[2].colors, (std::vector<RgbColor>{{}, {0, 255, 0}, {}, {}}));

    // Refused, connection kept: too few colours, an unknown zone, an LED out of range, a controller that
    // is gone.
    send(packet(1, PacketId::UpdateLeds, ledsPayload({red})));
    send(packet(1, PacketId::UpdateZoneLeds, ledsPayload({red}, 7)));
    Bytes far;
    put32(far, 4);
    far.insert(far.end(), {1, 1, 1, 0});
    send(packet(1, PacketId::UpdateSingleLed, far));
    send(packet(9, PacketId::UpdateLeds, ledsPayload({red})));
    EXPECT_EQ(source.ledWrites.size(), 3u);
}

TEST_F(SdkSessionTest, ModeUpdatesCarryTheClientsSettingsAndSaveOnlyWhenAsked) {
    negotiate(3);
    Bytes mode;
    put32(mode, 0);  // block size
    put32(mode, 1);  // mode index
    put16(mode, 10);
    for (char ch : std::string("Breathing")) mode.push_back(static_cast<uint8_t>(ch));
    mode.push_back(0);
    for (uint32_t v : {0u, mode_flag::kHasSpeed | mode_flag::kHasBrightness, 0u, 4u, 0u, 4u, 1u, 1u, 3u, 2u,
                       0u, static_cast<uint32_t>(ColorMode::ModeSpecific)})
        put32(mode, v);  // value, flags, speed range, brightness range, colours range, speed, brightness,
                         // direction, colour mode
    put16(mode, 1);
    mode.insert(mode.end(), {9, 8, 7, 0});
    send(packet(1, PacketId::UpdateMode, mode));
    send(packet(1, PacketId::SaveMode, mode));
    ASSERT_EQ(source.modeWrites.size(), 2u);
    const auto& update = source.modeWrites[0];
    EXPECT_EQ(update.mode, 1u);
    EXPECT_EQ(update.settings.speed, 3u);
    EXPECT_EQ(update.settings.brightness, 2u);
    EXPECT_EQ(update.settings.colorMode, ColorMode::ModeSpecific);
    EXPECT_EQ(update.settings.colors, (std::vector<RgbColor>{{9, 8, 7}}));
    EXPECT_FALSE(update.save);
    EXPECT_TRUE(source.modeWrites[1].save);

    send(packet(1, PacketId::SetCustomMode));
    EXPECT_EQ(source.customModes, std::vector<size_t>{1});
}

TEST_F(SdkSessionTest, ProfilesAreListedAndChosenButNeverMadeOrDeleted) {
    const Answer list = ask(packet(0, PacketId::RequestProfileList));
    Bytes expected;
    put32(expected, 4 + 2 + 10 + 7);
    put16(expected, 2);
    put16(expected, 8);
    for (char ch : std::string("Default")) expected.push_back(static_cast<uint8_t>(ch));
    expected.push_back(0);
    put16(expected, 5);
    for (char ch : std::string("Game")) expected.push_back(static_cast<uint8_t>(ch));
    expected.push_back(0);
    EXPECT_EQ(list.payload, expected);
    send(packet(0, PacketId::RequestLoadProfile, Bytes{'G', 'a', 'm', 'e', 0}));
    send(packet(0, PacketId::RequestDeleteProfile, Bytes{'G', 'a', 'm', 'e', 0}));
    send(packet(0, PacketId::RequestSaveProfile, Bytes{'N', 0}));
    EXPECT_EQ(source.loaded, std::vector<std::string>{"Game"});
    EXPECT_TRUE(answers(session).empty());
    const Answer plugins = ask(packet(0, PacketId::RequestPluginList));
    EXPECT_EQ(plugins.payload, (Bytes{6, 0, 0, 0, 0, 0}));
}

TEST_F(SdkSessionTest, HostilePacketsCloseTheConnectionBeforeReachingADevice) {
    const RgbColor red{255, 0, 0};
    Bytes manyColors = ledsPayload({red, red, red, red});
    manyColors[4] = 200;  // claims 200 colours, carries 4
    Bytes oversized = packet(0, PacketId::RequestControllerCount);
    oversized[12] = 0xff;
    oversized[13] = 0xff;
    oversized[14] = 0xff;
    const struct {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"not the magic", Bytes{'X', 'R', 'G', 'B', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"larger than any packet", oversized},
        {"an unknown packet", packet(0, static_cast<PacketId>(77))},
        {"a server's notice sent by a client", packet(0, PacketId::DeviceListUpdated)},
        {"an unknown controller packet", packet(0, static_cast<PacketId>(1003))},
        {"colours beyond the packet", packet(1, PacketId::UpdateLeds, manyColors)},
        {"a cut version request", packet(0, PacketId::RequestProtocolVersion, Bytes{1, 0})},
        {"a name longer than any", packet(0, PacketId::SetClientName, Bytes(kMaxClientText + 10, 'a'))},
        {"a cut mode", packet(1, PacketId::UpdateMode, Bytes{0, 0, 0, 0, 1, 0, 0, 0, 50, 0, 'x'})},
    };
    for (const auto& c : cases) {
        RecordingSource fresh;
        SdkSession s(fresh, 2);
        EXPECT_FALSE(s.receive(c.bytes)) << c.what;
        EXPECT_FALSE(s.closeReason().empty()) << c.what;
        EXPECT_TRUE(fresh.ledWrites.empty() && fresh.modeWrites.empty()) << c.what;
        EXPECT_FALSE(s.receive(packet(0, PacketId::RequestControllerCount))) << "stays closed: " << c.what;
    }
}

TEST_F(SdkSessionTest, AClientThatNeverReadsIsCutOff) {
    const Bytes request = packet(1, PacketId::RequestControllerData, u32Payload(4));
    bool open = true;
    for (int i = 0; i < 100000 && open; ++i) open = session.receive(request);
    EXPECT_FALSE(open);
    EXPECT_LE(session.output().size(), SdkSession::kMaxPendingOutput + kMaxPacketSize);
}

TEST_F(SdkSessionTest, DeviceListNoticeIsAnEmptyPacket) {
    session.deviceListUpdated();
    const auto list = answers(session);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].id, static_cast<uint32_t>(PacketId::DeviceListUpdated));
    EXPECT_TRUE(list[0].payload.empty());
}

}  // namespace
}  // namespace halvern::rgb
