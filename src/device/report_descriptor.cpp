#include "device/report_descriptor.h"

#include <algorithm>
#include <array>
#include <map>

namespace halvern {
namespace {

// Item tags (prefix byte >> 4), by item type.
enum MainTag : uint8_t {
    kInput = 0x8,
    kOutput = 0x9,
    kCollection = 0xA,
    kFeature = 0xB,
    kEndCollection = 0xC
};
enum GlobalTag : uint8_t {
    kUsagePage = 0x0,
    kLogicalMin = 0x1,
    kLogicalMax = 0x2,
    kPhysicalMin = 0x3,
    kPhysicalMax = 0x4,
    kReportSize = 0x7,
    kReportId = 0x8,
    kReportCount = 0x9,
    kPush = 0xA,
    kPop = 0xB,
};
enum LocalTag : uint8_t { kUsage = 0x0, kUsageMin = 0x1, kUsageMax = 0x2 };
enum ItemType : uint8_t { kMain = 0, kGlobal = 1, kLocal = 2 };

// Limits that no real device comes near; a descriptor beyond them is treated as malformed.
constexpr size_t kMaxDescriptor = 4096;  // the kernel's HID_MAX_DESCRIPTOR_SIZE
constexpr int kMaxDepth = 32;
constexpr uint32_t kMaxReportSize = 256;    // bits of one field
constexpr uint32_t kMaxReportCount = 4096;  // fields of one item
constexpr uint32_t kMaxReportBits = 8 * 8192;
constexpr size_t kMaxUsages = 1024;
constexpr size_t kMaxGlobalStack = 16;

struct Globals {
    uint16_t usagePage = 0;
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
    int32_t physicalMin = 0;
    int32_t physicalMax = 0;
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint8_t reportId = 0;
};

struct Locals {
    std::vector<uint64_t> usages;  // page in bits 16-31, or kNoPage when the item gave none
    std::optional<uint64_t> usageMin;
    std::optional<uint64_t> usageMax;
    void clear() { *this = Locals{}; }
};

uint32_t unsignedData(const uint8_t* p, unsigned size) {
    uint32_t v = 0;
    for (unsigned i = 0; i < size; ++i) v |= static_cast<uint32_t>(p[i]) << (8 * i);
    return v;
}

int32_t signedData(const uint8_t* p, unsigned size) {
    const uint32_t v = unsignedData(p, size);
    switch (size) {
        case 1:
            return static_cast<int8_t>(v);
        case 2:
            return static_cast<int16_t>(v);
        case 4:
            return static_cast<int32_t>(v);
        default:
            return 0;
    }
}

// Bits accumulated per report ID and report type, across the whole descriptor.
struct ReportBits {
    std::map<uint8_t, uint32_t> input, output, feature;
};

uint16_t reportLength(const std::map<uint8_t, uint32_t>& bits, const std::vector<uint8_t>& ids) {
    uint32_t longest = 0;
    for (uint8_t id : ids) {
        auto it = bits.find(id);
        if (it == bits.end()) continue;
        longest = std::max(longest, (it->second + 7) / 8 + (id != 0 ? 1u : 0u));
    }
    return static_cast<uint16_t>(longest);
}

void addId(std::vector<uint8_t>& ids, uint8_t id) {
    if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
}

class Parser {
public:
    std::optional<std::vector<HidCollectionInfo>> run(std::span<const uint8_t> d) {
        if (d.size() > kMaxDescriptor) return std::nullopt;
        size_t pos = 0;
        while (pos < d.size()) {
            const uint8_t prefix = d[pos];
            if (prefix == 0xFE) {  // long item: skipped, no defined long items exist
                if (pos + 1 >= d.size()) return std::nullopt;
                const size_t len = d[pos + 1];
                if (pos + 3 + len > d.size()) return std::nullopt;
                pos += 3 + len;
                continue;
            }
            static constexpr std::array<unsigned, 4> kSizes{0, 1, 2, 4};
            const unsigned size = kSizes[prefix & 0x3];
            if (pos + 1 + size > d.size()) return std::nullopt;
            const uint8_t* data = d.data() + pos + 1;
            pos += 1 + size;
            const auto type = static_cast<uint8_t>((prefix >> 2) & 0x3);
            const auto tag = static_cast<uint8_t>(prefix >> 4);
            bool ok = true;
            if (type == kMain)
                ok = main(tag, data, size);
            else if (type == kGlobal)
                ok = global(tag, data, size);
            else if (type == kLocal)
                ok = local(tag, data, size);
            if (!ok) return std::nullopt;
        }
        if (m_depth != 0) return std::nullopt;
        for (auto& c : m_collections) {
            c.inputReportLength = reportLength(m_bits.input, c.inputReportIds);
            c.outputReportLength = reportLength(m_bits.output, c.outputReportIds);
            c.featureReportLength = reportLength(m_bits.feature, c.featureReportIds);
        }
        return std::move(m_collections);
    }

private:
    bool global(uint8_t tag, const uint8_t* data, unsigned size) {
        switch (tag) {
            case kUsagePage:
                m_globals.usagePage = static_cast<uint16_t>(unsignedData(data, size));
                break;
            case kLogicalMin:
                m_globals.logicalMin = signedData(data, size);
                break;
            case kLogicalMax:
                m_globals.logicalMax = signedData(data, size);
                break;
            case kPhysicalMin:
                m_globals.physicalMin = signedData(data, size);
                break;
            case kPhysicalMax:
                m_globals.physicalMax = signedData(data, size);
                break;
            case kReportSize:
                m_globals.reportSize = unsignedData(data, size);
                if (m_globals.reportSize > kMaxReportSize) return false;
                break;
            case kReportCount:
                m_globals.reportCount = unsignedData(data, size);
                if (m_globals.reportCount > kMaxReportCount) return false;
                break;
            case kReportId: {
                const uint32_t id = unsignedData(data, size);
                if (id == 0 || id > 255) return false;
                m_globals.reportId = static_cast<uint8_t>(id);
                break;
            }
            case kPush:
                if (m_stack.size() >= kMaxGlobalStack) return false;
                m_stack.push_back(m_globals);
                break;
            case kPop:
                if (m_stack.empty()) return false;
                m_globals = m_stack.back();
                m_stack.pop_back();
                break;
            default:
                break;
        }
        return true;
    }

    bool local(uint8_t tag, const uint8_t* data, unsigned size) {
        const uint64_t value = unsignedData(data, size);
        switch (tag) {
            case kUsage:
                if (m_locals.usages.size() >= kMaxUsages) return false;
                m_locals.usages.push_back(size == 4 ? value : (value | kNoPage));
                break;
            case kUsageMin:
                m_locals.usageMin = size == 4 ? value : (value | kNoPage);
                break;
            case kUsageMax:
                m_locals.usageMax = size == 4 ? value : (value | kNoPage);
                break;
            default:
                break;
        }
        return true;
    }

    bool main(uint8_t tag, const uint8_t* data, unsigned size) {
        const uint32_t flags = unsignedData(data, size);
        switch (tag) {
            case kCollection:
                if (m_depth >= kMaxDepth) return false;
                if (m_depth == 0) {
                    HidCollectionInfo c;
                    const uint64_t usage = firstUsage();
                    c.usagePage = pageOf(usage);
                    c.usage = static_cast<uint16_t>(usage & 0xFFFF);
                    m_collections.push_back(std::move(c));
                }
                ++m_depth;
                break;
            case kEndCollection:
                if (m_depth == 0) return false;
                --m_depth;
                break;
            case kInput:
            case kOutput:
            case kFeature:
                if (!report(tag, flags)) return false;
                break;
            default:
                break;
        }
        m_locals.clear();
        return true;
    }

    bool report(uint8_t tag, uint32_t flags) {
        const uint32_t bits = m_globals.reportSize * m_globals.reportCount;
        auto& table = tag == kInput ? m_bits.input : tag == kOutput ? m_bits.output : m_bits.feature;
        uint32_t& used = table[m_globals.reportId];
        const uint32_t offset = used;
        if (used + bits > kMaxReportBits) return false;
        used += bits;
        if (m_collections.empty() || m_depth == 0) return true;  // an item outside any collection
        HidCollectionInfo& c = m_collections.back();
        addId(tag == kInput    ? c.inputReportIds
              : tag == kOutput ? c.outputReportIds
                               : c.featureReportIds,
              m_globals.reportId);
        const bool constant = flags & 0x1;
        if (tag != kInput || constant || bits == 0) return true;
        addInputFields(c, offset, (flags & 0x2) == 0);
        return true;
    }

    void addInputFields(HidCollectionInfo& c, uint32_t offset, bool isArray) {
        const Globals& g = m_globals;
        HidField base;
        base.reportId = g.reportId;
        base.bitSize = static_cast<uint8_t>(std::min<uint32_t>(g.reportSize, 255));
        base.logicalMin = g.logicalMin;
        base.logicalMax = g.logicalMax;
        base.physicalMin = g.physicalMin;
        base.physicalMax = g.physicalMax;
        const bool hasRange = m_locals.usageMin && m_locals.usageMax;
        const uint64_t first = hasRange ? *m_locals.usageMin : firstUsage();
        base.usagePage = pageOf(first);

        if (isArray || g.reportSize == 1) {  // one button field: an array, or a bitmap of usages
            HidField f = base;
            f.isButton = true;
            f.isArray = isArray;
            f.bitOffset = offset;
            f.count = static_cast<uint16_t>(g.reportCount);
            f.usageMin = static_cast<uint16_t>(first & 0xFFFF);
            f.usageMax = hasRange ? static_cast<uint16_t>(*m_locals.usageMax & 0xFFFF)
                                  : static_cast<uint16_t>(lastUsage() & 0xFFFF);
            if (f.usageMax < f.usageMin) std::swap(f.usageMin, f.usageMax);
            c.inputFields.push_back(f);
            return;
        }
        // Variable values: one field per report slot, each with its own usage.
        for (uint32_t i = 0; i < g.reportCount && c.inputFields.size() < kMaxUsages; ++i) {
            HidField f = base;
            uint64_t usage = first;
            if (hasRange) {
                usage = std::min<uint64_t>(*m_locals.usageMin + i, *m_locals.usageMax);
            } else if (!m_locals.usages.empty()) {
                usage = m_locals.usages[std::min<size_t>(i, m_locals.usages.size() - 1)];
            }
            f.usagePage = pageOf(usage);
            f.usageMin = f.usageMax = static_cast<uint16_t>(usage & 0xFFFF);
            f.bitOffset = offset + i * g.reportSize;
            f.count = 1;
            c.inputFields.push_back(f);
        }
    }

    // A usage given with one or two bytes takes the current usage page; kNoPage marks that.
    static constexpr uint64_t kNoPage = uint64_t{1} << 32;
    [[nodiscard]] uint16_t pageOf(uint64_t usage) const {
        return (usage & kNoPage) ? m_globals.usagePage : static_cast<uint16_t>((usage >> 16) & 0xFFFF);
    }
    [[nodiscard]] uint64_t firstUsage() const {
        if (!m_locals.usages.empty()) return m_locals.usages.front();
        if (m_locals.usageMin) return *m_locals.usageMin;
        return kNoPage;
    }
    [[nodiscard]] uint64_t lastUsage() const {
        if (!m_locals.usages.empty()) return m_locals.usages.back();
        return firstUsage();
    }

    Globals m_globals;
    Locals m_locals;
    std::vector<Globals> m_stack;
    std::vector<HidCollectionInfo> m_collections;
    ReportBits m_bits;
    int m_depth = 0;
};

}  // namespace

std::optional<std::vector<HidCollectionInfo>> parseReportDescriptor(std::span<const uint8_t> descriptor) {
    return Parser{}.run(descriptor);
}

std::vector<HidEnumEntry> entriesForNode(std::string_view node, const HidAttributes& attributes,
                                         uint16_t interfaceNumber, std::span<const uint8_t> descriptor) {
    std::vector<HidEnumEntry> entries;
    const auto collections = parseReportDescriptor(descriptor);
    if (!collections) return entries;
    const bool several = collections->size() > 1;
    for (size_t i = 0; i < collections->size(); ++i) {
        const auto number = static_cast<uint16_t>(several ? i + 1 : 0);
        HidEnumEntry e;
        e.path = makeCollectionPath(node, number);
        e.attributes = attributes;
        e.interfaceNumber = interfaceNumber;
        e.collection = number;
        e.usagePage = (*collections)[i].usagePage;
        e.usage = (*collections)[i].usage;
        entries.push_back(std::move(e));
    }
    return entries;
}

}  // namespace halvern
