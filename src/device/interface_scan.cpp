#include "device/interface_scan.h"

#include <cerrno>

namespace halvern {

std::optional<std::vector<ClaimedInterface>> claimNewInterfaces(HidInterface& probe, DeviceSlotList& slots,
                                                                int* unopened,
                                                                std::vector<std::string>* denied) {
    if (unopened) *unopened = 0;
    if (!probe.Enumerate()) return std::nullopt;
    std::vector<ClaimedInterface> claimed;
    while (const HidEnumEntry* entry = probe.NextPath()) {
        const InterfaceIdentity listed{entry->attributes.vendorId, entry->attributes.productId,
                                       entry->interfaceNumber, entry->collection};
        if (!preOpenMatch(slots, listed)) continue;
        if (!probe.Open(entry->path, true, false, true, false)) {
            if (unopened) ++*unopened;
            const int why = lastOpenError();
            if (denied && (why == EACCES || why == EPERM)) denied->push_back(entry->path);
            continue;
        }
        // The opened device's own attributes and capabilities decide, not what the listing said.
        const InterfaceIdentity opened{probe.attributes().vendorId, probe.attributes().productId,
                                       entry->interfaceNumber, entry->collection};
        const Claim claim = postOpenClaim(slots, opened, probe.capabilities().usagePage,
                                          probe.capabilities().usage, entry->path);
        if (claim.slot >= 0) {
            claimed.push_back({claim.slot, claim.typeCode, claim.role, entry->path, probe.attributes(),
                               entry->interfaceNumber, entry->collection});
        }
        probe.Close();
    }
    probe.FreePathList();
    return claimed;
}

}  // namespace halvern
