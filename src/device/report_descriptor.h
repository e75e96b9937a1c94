#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "device/hid_backend.h"

namespace halvern {

/// A button (array or bitmap of usages) or value field of an input report.
struct HidField {
    uint8_t reportId = 0;
    bool isButton = false;
    uint16_t usagePage = 0;
    uint16_t usageMin = 0;  ///< for a value field covering one usage, min == max
    uint16_t usageMax = 0;
    uint32_t bitOffset = 0;  ///< from the start of the report data (after the report ID byte)
    uint8_t bitSize = 0;
    uint16_t count = 0;
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
    int32_t physicalMin = 0;
    int32_t physicalMax = 0;
    bool isArray = false;  ///< button array: each slot holds a usage index rather than a bit per usage
};

/// One top-level collection and the reports that belong to it.
struct HidCollectionInfo {
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    std::vector<uint8_t> inputReportIds;  ///< 0 alone when the descriptor uses no report IDs
    std::vector<uint8_t> outputReportIds;
    std::vector<uint8_t> featureReportIds;
    uint16_t inputReportLength = 0;  ///< longest input report, including the report-ID byte
    uint16_t outputReportLength = 0;
    uint16_t featureReportLength = 0;
    std::vector<HidField> inputFields;
};

/// Parses a HID report descriptor into its top-level collections. Returns nothing when the descriptor is
/// malformed (truncated items, unbalanced collections, absurd sizes); never reads outside `descriptor`.
[[nodiscard]] std::optional<std::vector<HidCollectionInfo>> parseReportDescriptor(
    std::span<const uint8_t> descriptor);

/// The enumeration entries of one node: one per top-level collection, numbered 1, 2, ... when there are
/// several and 0 when there is only one (the collection number the supported-device table expects).
[[nodiscard]] std::vector<HidEnumEntry> entriesForNode(std::string_view node, const HidAttributes& attributes,
                                                       uint16_t interfaceNumber,
                                                       std::span<const uint8_t> descriptor);

}  // namespace halvern
