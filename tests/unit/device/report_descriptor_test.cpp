#include "device/report_descriptor.h"

#include <gtest/gtest.h>

#include "fake_hid.h"

namespace halvern {
namespace {

TEST(ReportDescriptor, ProductInterfaceHasFourCollectionsWithTheirReports) {
    const auto collections = parseReportDescriptor(test::productDescriptor());
    ASSERT_TRUE(collections);
    ASSERT_EQ(collections->size(), 4u);

    const auto& consumer = (*collections)[2];
    EXPECT_EQ(consumer.usagePage, 0x000C);
    EXPECT_EQ(consumer.usage, 0x0001);
    EXPECT_EQ(consumer.inputReportIds, std::vector<uint8_t>{3});
    EXPECT_EQ(consumer.inputReportLength, 3);  // ID + one 16-bit usage

    const auto& vendor = (*collections)[3];
    EXPECT_EQ(vendor.usagePage, 0xFF1C);
    EXPECT_EQ(vendor.usage, 0x0092);
    EXPECT_EQ(vendor.inputReportLength, 64);
    EXPECT_EQ(vendor.outputReportLength, 64);

    const auto& keyboard = (*collections)[0];
    ASSERT_EQ(keyboard.inputFields.size(), 2u);
    EXPECT_TRUE(keyboard.inputFields[0].isButton);
    EXPECT_FALSE(keyboard.inputFields[0].isArray);
    EXPECT_EQ(keyboard.inputFields[0].usageMin, 0xE0);
    EXPECT_TRUE(keyboard.inputFields[1].isArray);
    EXPECT_EQ(keyboard.inputFields[1].bitOffset, 8u);
    EXPECT_EQ(keyboard.inputFields[1].count, 6);
}

TEST(ReportDescriptor, EntriesNumberCollectionsFromOneOrZeroForASingleOne) {
    const auto entries =
        entriesForNode("/dev/hidraw3", {0x320F, 0x221C, 0x0102}, 1, test::productDescriptor());
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[3].collection, 4);
    EXPECT_EQ(entries[3].path, "/dev/hidraw3#4");
    EXPECT_EQ(entries[3].usagePage, 0xFF1C);
    EXPECT_EQ(entries[3].attributes.versionNumber, 0x0102);

    const std::vector<uint8_t> single = {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x04, 0x09,
                                         0x01, 0x75, 0x08, 0x95, 0x3F, 0x91, 0x02, 0xC0};
    const auto one = entriesForNode("/dev/hidraw9", {}, 3, single);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].collection, 0);
    EXPECT_EQ(one[0].path, "/dev/hidraw9");
    EXPECT_EQ(splitCollectionPath(one[0].path).collection, 0);
    EXPECT_EQ(splitCollectionPath("/dev/hidraw3#4").node, "/dev/hidraw3");
}

TEST(ReportDescriptor, ExtendedUsageCarriesItsOwnPage) {
    // Usage given with four bytes (page 0xFF1C, usage 0x92) under a different current page.
    const std::vector<uint8_t> d = {0x05, 0x01, 0x0B, 0x92, 0x00, 0x1C, 0xFF, 0xA1, 0x01, 0xC0};
    const auto c = parseReportDescriptor(d);
    ASSERT_TRUE(c);
    ASSERT_EQ(c->size(), 1u);
    EXPECT_EQ((*c)[0].usagePage, 0xFF1C);
    EXPECT_EQ((*c)[0].usage, 0x92);
}

TEST(ReportDescriptor, MalformedDescriptorsAreRefused) {
    const std::vector<std::vector<uint8_t>> bad = {
        {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01},  // collection never closed
        {0xC0},                                // end without a collection
        {0x05, 0x0C, 0x26, 0xFF},              // item cut short
        {0x85, 0x00},                          // report ID 0 is reserved
        {0xB4},                                // pop without push
        {0x76, 0x00, 0x02},                    // a 512-bit field: beyond any real device
        {0xFE, 0x05, 0x00, 0x01},              // long item longer than the descriptor
    };
    for (const auto& d : bad) EXPECT_FALSE(parseReportDescriptor(d)) << d.size();

    std::vector<uint8_t> deep;
    for (int i = 0; i < 40; ++i) deep.insert(deep.end(), {0xA1, 0x00});
    for (int i = 0; i < 40; ++i) deep.push_back(0xC0);
    EXPECT_FALSE(parseReportDescriptor(deep));
    EXPECT_TRUE(entriesForNode("/dev/x", {}, 0, deep).empty());
}

}  // namespace
}  // namespace halvern
