// Invariants of the product tables and report descriptors.
#include "emulator/product_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "device/report_descriptor.h"
#include "emulator/memory_image.h"

namespace halvern::emu {
namespace {

bool contains(std::span<const KeyCode> table, KeyCode code) {
    return std::find(table.begin(), table.end(), code) != table.end();
}

TEST(ProductTables, MouseHoldsEachDefaultButtonOnceInAShuffledOrder) {
    const KeyCode defaults[] = {{0x10, 0x01, 0x00}, {0x10, 0x02, 0x00}, {0x10, 0x04, 0x00},
                                {0x10, 0x10, 0x00}, {0x10, 0x08, 0x00}, {0x13, 0x01, 0x00},
                                {0x13, 0x02, 0x00}, {0x13, 0x03, 0x00}, {0xA0, 0x1B, 0x00},
                                {0x16, 0x90, 0x01}, {0x14, 0x78, 0x02}};
    const auto keys = mouseModel().factoryKeys;
    size_t atOwnIndex = 0;
    for (size_t j = 0; j < std::size(defaults); ++j) {
        EXPECT_EQ(std::count(keys.begin(), keys.end(), defaults[j]), 1) << "button " << j;
        if (j < keys.size() && keys[j] == defaults[j]) ++atOwnIndex;
    }
    EXPECT_LT(atOwnIndex, std::size(defaults) / 2) << "the factory order should not follow the button order";
}

TEST(ProductTables, KeyboardHoldsEveryDistinctDefaultCodeWithSeveralEmptySlots) {
    const auto keys = keyboardModel().factoryKeys;
    ASSERT_LE(keys.size(), 170u);  // three bytes per slot within one 512-byte block
    const std::set<std::tuple<int, int, int>> distinct = [&] {
        std::set<std::tuple<int, int, int>> s;
        for (const KeyCode& k : keys) s.insert({k.type, k.data1, k.data2});
        return s;
    }();
    EXPECT_EQ(distinct.size(), 123u);
    EXPECT_GE(std::count(keys.begin(), keys.end(), KeyCode{0x20, 0x00, 0x00}), 2);
    for (const KeyCode code :
         {KeyCode{0x20, 0x00, 0x29}, KeyCode{0xA0, 0x1B, 0x00}, KeyCode{0xA0, 0x01, 0x00},
          KeyCode{0xD0, 0xA2, 0x05}, KeyCode{0x20, 0x80, 0x00}, KeyCode{0x20, 0x00, 0x85}}) {
        EXPECT_TRUE(contains(keys, code))
            << int(code.type) << " " << int(code.data1) << " " << int(code.data2);
    }
    EXPECT_NE(keys.front(), (KeyCode{0x20, 0x00, 0x29}));  // Esc, logical key 0, is not in slot 0

    const auto leds = keyboardModel().factoryLeds;
    ASSERT_EQ(leds.size(), keys.size());
    EXPECT_EQ(std::set<uint8_t>(leds.begin(), leds.end()).size(), leds.size());
    EXPECT_LT(*std::max_element(leds.begin(), leds.end()), 171);
}

TEST(ProductTables, FactoryMemoryFitsEveryRecordAndConfiguredSizes) {
    for (Product product : {Product::Mouse, Product::Keyboard, Product::MousePad, Product::Headset}) {
        const ProductModel& model = modelFor(product);
        const MemoryImage image = MemoryImage::factory(model, {});
        EXPECT_EQ(image[Region::Info].size(), kInfoSize);
        EXPECT_EQ(image[Region::KeyTable].size(), model.factoryKeys.size() * 3);
        EXPECT_EQ(image[Region::Macro].size(), model.info.macroUnits * kMacroUnit);
        EXPECT_GE(model.settingsSize, model.recordStride * 15 + model.factoryRecord.size())
            << "records 0-15 are readable for " << productName(product);
    }
    const MemoryImage small = MemoryImage::factory(keyboardModel(), {.keySlots = 104, .macroUnits = 2});
    EXPECT_EQ(small[Region::KeyTable].size(), 312u);
    EXPECT_EQ(small[Region::LedTable].size(), 104u);
    EXPECT_EQ(small[Region::Macro].size(), 256u);
    const MemoryImage wide = MemoryImage::factory(mouseModel(), {.keySlots = 14});
    EXPECT_EQ(wide[Region::LedTable][13], 0xFF);  // slots beyond the factory table have no LED
}

TEST(ProductTables, DeviceNamesRoundTrip) {
    EXPECT_EQ(deviceName(Product::Keyboard, Attachment::Receiver), "keyboard-receiver");
    const auto id = parseDeviceName("mouse-receiver");
    ASSERT_TRUE(id);
    EXPECT_EQ(id->product, Product::Mouse);
    EXPECT_EQ(id->attachment, Attachment::Receiver);
    EXPECT_EQ(parseDeviceName("mousepad")->product, Product::MousePad);
    EXPECT_FALSE(parseDeviceName("headset-receiver"));  // the headset has no receiver
    EXPECT_FALSE(parseDeviceName("trackball"));
}

TEST(ReportDescriptors, VendorInterfaceHasConsumerThirdAndCommandFourth) {
    const auto collections = parseReportDescriptor(mouseModel().commandDescriptor);
    ASSERT_TRUE(collections);
    ASSERT_EQ(collections->size(), 4u);
    const auto& consumer = (*collections)[2];
    EXPECT_EQ(consumer.usagePage, 0x000C);
    EXPECT_EQ(consumer.usage, 0x0001);
    EXPECT_EQ(consumer.inputReportIds, std::vector<uint8_t>{3});
    EXPECT_EQ(consumer.inputReportLength, 3);
    const auto& command = (*collections)[3];
    EXPECT_EQ(command.usagePage, 0xFF1C);
    EXPECT_EQ(command.usage, 0x0092);
    EXPECT_EQ(command.inputReportIds, std::vector<uint8_t>{4});
    EXPECT_EQ(command.outputReportIds, std::vector<uint8_t>{4});
    EXPECT_EQ(command.inputReportLength, 64);
    EXPECT_EQ(command.outputReportLength, 64);
}

TEST(ReportDescriptors, HeadsetHasOneConsumerCollectionForEverything) {
    const auto collections = parseReportDescriptor(headsetModel().commandDescriptor);
    ASSERT_TRUE(collections);
    ASSERT_EQ(collections->size(), 1u);
    const auto& only = collections->front();
    EXPECT_EQ(only.usagePage, 0x000C);
    EXPECT_EQ(only.usage, 0x0001);
    EXPECT_EQ(only.inputReportIds, (std::vector<uint8_t>{3, 4}));
    EXPECT_EQ(only.outputReportIds, (std::vector<uint8_t>{4, 0xFF}));
    EXPECT_EQ(only.outputReportLength, 64);
}

TEST(ReportDescriptors, BootInterfacesUseNoReportIds) {
    for (const auto descriptor : {mouseModel().bootDescriptor, keyboardModel().bootDescriptor}) {
        const auto collections = parseReportDescriptor(descriptor);
        ASSERT_TRUE(collections);
        ASSERT_EQ(collections->size(), 1u);
        EXPECT_EQ(collections->front().inputReportIds, std::vector<uint8_t>{0});
    }
}

}  // namespace
}  // namespace halvern::emu
