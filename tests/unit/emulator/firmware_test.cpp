// The firmware core driven by literal command reports, as the host's codec would send them.
#include "emulator/firmware.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "test_reports.h"

namespace halvern::emu {
namespace {

using test::request;

Report run(Firmware& firmware, const test::Bytes64& bytes) {
    return firmware.execute(bytes);
}

std::vector<uint8_t> data(const Report& reply, size_t length) {
    return {reply.begin() + 8, reply.begin() + 8 + static_cast<std::ptrdiff_t>(length)};
}

TEST(FirmwareProtocol, BeginIsAnsweredWithItsCodeAndSealedReply) {
    Firmware firmware(mouseModel(), {});
    // Begin with no payload: checksum 0x0001.
    const test::Bytes64 begin = {0x04, 0x01, 0x00, 0x01};
    const Report reply = run(firmware, begin);
    const Report expected = {0x04, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(reply, expected);
    EXPECT_EQ(firmware.commandCount(0x01), 1u);
}

TEST(FirmwareProtocol, ReadInfoInReceiverSizedChunksAssemblesTheInfoBlock) {
    Firmware firmware(mouseModel(), {.keySlots = 12, .macroUnits = 32, .sensorCode = 0x3325});
    const Report first = run(firmware, request(0x03, 24, 0));
    const Report second = run(firmware, request(0x03, 10, 24));
    EXPECT_EQ(first[4], 24);
    EXPECT_EQ(second[4], 10);
    EXPECT_EQ(second[5], 24);
    EXPECT_EQ(second[7], kStatusOk);
    std::vector<uint8_t> info = data(first, 24);
    const auto rest = data(second, 10);
    info.insert(info.end(), rest.begin(), rest.end());
    ASSERT_EQ(info.size(), 34u);
    EXPECT_EQ(info[5], 12);  // key slots
    EXPECT_EQ(info[6], 32);  // macro units
    EXPECT_EQ(info[9] | (info[10] << 8), 0x3325);
    EXPECT_EQ(info[11], 100);                    // DPI step
    EXPECT_EQ(info[12] | (info[13] << 8), 148);  // highest slider position
    EXPECT_EQ(info[14] | (info[15] << 8), 200);  // lowest DPI
    EXPECT_EQ(second[8 + 10], 0x00);             // nothing beyond the 34 bytes is sent
}

TEST(FirmwareProtocol, BadRequestsAreRefusedWithFFAndChangeNothing) {
    Firmware firmware(mouseModel(), {.macroUnits = 1});
    const auto before = firmware.region(Region::Settings);

    test::Bytes64 corrupted = request(0x06, 2, 0, {0x07, 0x07});
    corrupted[9] ^= 0x01;  // payload changed after the checksum was taken
    EXPECT_EQ(run(firmware, corrupted)[7], kStatusRefused);

    struct Case {
        const char* what;
        test::Bytes64 report;
    };
    const Case cases[] = {
        {"info read past its end", request(0x03, 10, 30)},
        {"chunk longer than 56", request(0x06, 57, 0)},
        {"offset far outside", request(0x05, 1, 0xFFFF)},
        {"macro write over the 128-byte limit", request(0x15, 8, 121)},
        {"key table read past the slots", request(0x07, 3, 12 * 3)},
        {"recoil write past the end", request(0x17, 1, 4096)},
    };
    for (const Case& c : cases) {
        const Report reply = run(firmware, c.report);
        EXPECT_EQ(reply[7], kStatusRefused) << c.what;
        EXPECT_EQ(reply[3], c.report[3]) << c.what;
    }
    EXPECT_EQ(run(firmware, request(0x15, 8, 120))[7], kStatusOk);  // the last 8 bytes fit
    EXPECT_EQ(firmware.region(Region::Settings), before);
    EXPECT_EQ(run(firmware, request(0x77))[7], kStatusUnsupported);
}

TEST(FirmwareProtocol, RefusalFaultKeepsTheCommandFromRunning) {
    Firmware firmware(keyboardModel(), {});
    const Report reply = firmware.execute(request(0x06, 1, 0, {0x05}), kStatusUnsupported);
    EXPECT_EQ(reply[7], kStatusUnsupported);
    EXPECT_EQ(firmware.region(Region::Settings)[0], 0x00);
}

TEST(FirmwareMouse, SettingsRecordWrittenIn75AndReadIn80Bytes) {
    Firmware firmware(mouseModel(), {});
    // Record 1 at offset 128: two chunks of the 75 bytes written by the host.
    std::vector<uint8_t> record(75);
    for (size_t i = 0; i < record.size(); ++i) record[i] = static_cast<uint8_t>(i + 1);
    const std::span<const uint8_t> bytes(record);
    EXPECT_EQ(run(firmware, request(0x06, 56, 128, bytes.first(56)))[7], kStatusOk);
    EXPECT_EQ(run(firmware, request(0x06, 19, 128 + 56, bytes.subspan(56)))[7], kStatusOk);

    EXPECT_EQ(run(firmware, request(0x05, 1, 0))[8], 0x00);  // active record index untouched
    const Report head = run(firmware, request(0x05, 56, 128));
    const Report tail = run(firmware, request(0x05, 24, 128 + 56));
    EXPECT_EQ(data(head, 56), std::vector<uint8_t>(record.begin(), record.begin() + 56));
    EXPECT_EQ(data(tail, 19), std::vector<uint8_t>(record.begin() + 56, record.end()));
    EXPECT_EQ(data(tail, 24)[23], 0x00);  // byte 79 keeps the factory value
}

TEST(FirmwareMouse, FactoryRecordHoldsSixDpiStagesAndTheScreen) {
    Firmware firmware(mouseModel(), {});
    const auto settings = firmware.region(Region::Settings);
    ASSERT_GE(settings.size(), 16u * 128);  // every record a 0x10xx notification can name
    EXPECT_EQ(settings[68], 1);
    EXPECT_EQ(settings[69] | (settings[70] << 8), 1920);
    for (size_t stage = 0; stage < 6; ++stage) EXPECT_EQ(settings[14 + 9 * stage], 1) << stage;
}

TEST(FirmwareKeyboard, RecordsSit25BytesApartAndCustomColoursPerGroup) {
    Firmware firmware(keyboardModel(), {});
    EXPECT_EQ(run(firmware, request(0x06, 2, 2 * 25 + 19, {0x02, 0x01}))[7], kStatusOk);
    const Report record = run(firmware, request(0x05, 27, 2 * 25));
    EXPECT_EQ(record[8 + 19], 0x02);
    EXPECT_EQ(record[8 + 20], 0x01);
    EXPECT_EQ(record[8 + 23], 0x03);  // polling rate of the factory record

    EXPECT_EQ(run(firmware, request(0x0B, 3, 3 * 512 + 6, {0x10, 0x20, 0x30}))[7], kStatusOk);
    const auto colours = firmware.region(Region::CustomColour);
    EXPECT_EQ(colours[3 * 512 + 6], 0x10);
    EXPECT_EQ(colours[3 * 512 + 8], 0x30);
    EXPECT_EQ(run(firmware, request(0x0B, 1, 8 * 512))[7], kStatusRefused);  // past the last group
}

TEST(FirmwareKeyboard, StreamedFramesAreCountedFromTheirFirstChunk) {
    Firmware firmware(keyboardModel(), {});
    for (int frame = 0; frame < 2; ++frame) {
        for (uint16_t offset = 0; offset < 378; offset += 56) {
            const auto length = static_cast<uint8_t>(std::min<int>(56, 378 - offset));
            ASSERT_EQ(run(firmware, request(0x12, length, offset, {static_cast<uint8_t>(frame + 1)}))[7],
                      kStatusOk);
        }
    }
    EXPECT_EQ(firmware.frameCount(), 2u);
    const auto frame = firmware.lastFrame();
    ASSERT_EQ(frame.size(), 378u);  // 126 slots x 3
    EXPECT_EQ(frame[0], 2);
    EXPECT_EQ(frame[336], 2);
}

TEST(FirmwarePower, ReadOnceReportsTheBatteryLevel) {
    Firmware firmware(mouseModel(), {.batteryLevel = 42});
    const Report reply = run(firmware, request(0x1A, 6, 0));
    EXPECT_EQ(reply[7], kStatusOk);
    EXPECT_EQ(reply[8], 42);
    EXPECT_EQ(run(firmware, request(0xAA))[8], 0xFF);  // the device itself always answers QueryLink
}

TEST(FirmwareHeadset, KeepsABoundedHistoryOfLedReports) {
    Firmware firmware(headsetModel(), {});
    for (unsigned i = 0; i < Firmware::kLedHistory + 3; ++i) {
        const std::array<uint8_t, 17> report = {0xFF, 0x22, 0xAA, 0x00, static_cast<uint8_t>(i)};
        firmware.takeLedReport(report);
    }
    firmware.takeLedReport(std::array<uint8_t, 40>{0xFF, 0x44, 0xAF});  // longer: cut to 17
    const auto reports = firmware.ledReports();
    EXPECT_EQ(firmware.ledReportCount(), Firmware::kLedHistory + 4);
    ASSERT_EQ(reports.size(), Firmware::kLedHistory);
    EXPECT_EQ(reports.back()[1], 0x44);
    EXPECT_EQ(reports.front()[4], 4);  // the oldest ones made room
}

TEST(FirmwareRobustness, ArbitraryWellSealedReportsNeverReachOutsideMemory) {
    // Every code the firmware knows, plus one it does not; lengths and offsets anywhere, mostly near the
    // region ends. Under the sanitizers an overrun fails the test; here the region sizes must hold.
    const uint8_t codes[] = {0x01, 0x02, 0x03, 0x05, 0x06, 0x07, 0x09, 0x0B,
                             0x12, 0x15, 0x17, 0x1A, 0x1B, 0x1C, 0xAA, 0x42};
    std::mt19937 random(7);
    for (Product product : {Product::Mouse, Product::Keyboard, Product::MousePad, Product::Headset}) {
        Firmware firmware(modelFor(product), {.keySlots = 5, .macroUnits = 1});
        std::vector<size_t> sizes;
        for (size_t r = 0; r < kRegionCount; ++r)
            sizes.push_back(firmware.region(static_cast<Region>(r)).size());
        for (int i = 0; i < 5000; ++i) {
            test::Bytes64 report{};
            for (auto& byte : report) byte = static_cast<uint8_t>(random());
            const uint8_t code = codes[random() % std::size(codes)];
            const uint16_t offset = static_cast<uint16_t>(i % 2 ? random() % 0x10000 : random() % 4200);
            report = request(code, static_cast<uint8_t>(random() % 64), offset,
                             std::span<const uint8_t>(report).subspan(8));
            const Report reply = firmware.execute(report);
            ASSERT_EQ(reply[3], code);
            const uint8_t status = reply[7];
            ASSERT_TRUE(status == kStatusOk || status == kStatusRefused || status == kStatusUnsupported);
        }
        for (size_t r = 0; r < kRegionCount; ++r) {
            EXPECT_EQ(firmware.region(static_cast<Region>(r)).size(), sizes[r])
                << productName(product) << " " << r;
        }
    }
}

}  // namespace
}  // namespace halvern::emu
