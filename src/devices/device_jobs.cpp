#include "devices/device_jobs.h"

#include "input/event_image.h"

namespace halvern::jobs {
namespace {

constexpr size_t kKeyEntrySize = 3;
constexpr size_t kMacroMemoryUnit = 128;

// The first failure of a step and the End that must follow it.
DeviceResult firstFailure(DeviceResult first, DeviceResult then) {
    return first.ok() ? then : first;
}

// Connected, and with `askLink` the link behind the receiver answers.
DeviceResult linkFor(CommandChannel& channel, bool askLink) {
    if (askLink) return CheckLink(channel);
    return channel.connected() ? DeviceResult{} : DeviceResult::Failure(result::kNoReply, DeviceStep::Link);
}

}  // namespace

DeviceResult CheckLink(CommandChannel& channel) {
    if (!channel.connected()) return DeviceResult::Failure(result::kNoReply, DeviceStep::Link);
    if (!channel.receiverMode()) return {};
    return channel.QueryLink() == result::kSuccess
               ? DeviceResult{}
               : DeviceResult::Failure(result::kReceiverUnreachable, DeviceStep::Link);
}

DeviceResult InSequence(CommandChannel& channel, DeviceStep step, const std::function<DeviceResult()>& body) {
    const DeviceResult begun = DeviceResult::FromCode(channel.Begin(), step);
    if (!begun) return begun;
    const DeviceResult done = body();
    return firstFailure(done, DeviceResult::FromCode(channel.End(), step));
}

DeviceResult ReadTables(CommandChannel& channel, bool withLeds, Tables& out, bool askLink) {
    if (const DeviceResult link = linkFor(channel, askLink); !link) return link;
    return InSequence(channel, DeviceStep::Information, [&]() -> DeviceResult {
        if (const int r = channel.ReadInfo(out.info); r != result::kSuccess) {
            return DeviceResult::Failure(r, DeviceStep::Information);
        }
        const auto size = static_cast<uint16_t>(out.info[5] * kKeyEntrySize);
        if (channel.SetBlockSize(size) != 1) return DeviceResult::Refused(DeviceStep::KeyTable);
        std::vector<uint8_t> table(size);
        if (const int r = channel.ReadBlock(table); r != result::kSuccess) {
            return DeviceResult::Failure(r, DeviceStep::KeyTable);
        }
        out.keyTable = std::move(table);
        if (withLeds) {
            std::vector<uint8_t> leds(out.info[5], 0xFF);
            if (const int r = channel.ReadThirdBlock(leds); r != result::kSuccess) {
                return DeviceResult::Failure(r, DeviceStep::LedTable);
            }
            out.leds = std::move(leds);
        }
        return {};
    });
}

DeviceResult ReadInformation(CommandChannel& channel, Info& out) {
    if (const DeviceResult link = CheckLink(channel); !link) return link;
    return InSequence(channel, DeviceStep::Information, [&]() -> DeviceResult {
        const int r = channel.ReadInfo(out);
        return r == result::kSuccess ? DeviceResult{} : DeviceResult::Failure(r, DeviceStep::Information);
    });
}

DeviceResult ReadActiveRecord(CommandChannel& channel, std::span<uint8_t> record, uint16_t stride,
                              bool askLink) {
    if (const DeviceResult link = linkFor(channel, askLink); !link)
        return DeviceResult::Failure(link.code(), DeviceStep::State);
    uint8_t active = 0;
    if (const int r = channel.ReadAt(std::span(&active, 1), 0); r != result::kSuccess) {
        return DeviceResult::Failure(r, DeviceStep::State);
    }
    if (const int r = channel.ReadAt(record, static_cast<uint16_t>(active * stride)); r != result::kSuccess) {
        return DeviceResult::Failure(r, DeviceStep::State);
    }
    if (!record.empty()) record[0] = active;
    return {};
}

DeviceResult InCheckedSequence(CommandChannel& channel, DeviceStep step, bool linkEachStep,
                               const std::function<DeviceResult()>& body) {
    const auto link = [&]() -> DeviceResult {
        if (!channel.connected()) return DeviceResult::Failure(result::kNoReply, step);
        if (!linkEachStep) return {};
        const DeviceResult r = CheckLink(channel);
        return r ? r : DeviceResult::Failure(r.code(), step);
    };
    if (const DeviceResult r = link(); !r) return r;
    const DeviceResult begun = DeviceResult::FromCode(channel.Begin(), step);
    if (!begun) return begun;
    DeviceResult done = link();
    if (done) done = body();
    // The End goes out whatever the body did: the device must not be left inside a transaction.
    DeviceResult ended = link();
    if (ended) ended = DeviceResult::FromCode(channel.End(), step);
    return firstFailure(done, ended);
}

DeviceResult WriteRecord(CommandChannel& channel, std::span<const uint8_t> record, uint16_t offset,
                         bool linkEachStep) {
    return InCheckedSequence(channel, DeviceStep::Settings, linkEachStep, [&] {
        return DeviceResult::FromCode(channel.WriteAt(record, offset), DeviceStep::Settings);
    });
}

DeviceResult WriteKeys(CommandChannel& channel, const KeyWrite& write, Info& info) {
    const auto link = [&](DeviceStep step) -> DeviceResult {
        if (!channel.connected()) return DeviceResult::Failure(0, step);
        if (!write.linkChecks) return {};
        const DeviceResult r = CheckLink(channel);
        return r ? r : DeviceResult::Failure(r.code(), step);
    };
    const auto readInfo = [&](DeviceStep step) {
        return DeviceResult::FromCode(channel.ReadInfo(info), step);
    };
    if (!write.table.empty()) {
        if (const DeviceResult r = link(DeviceStep::KeyTable); !r) return r;
        if (const DeviceResult r = readInfo(DeviceStep::KeyTable); !r) return r;
        if (write.macros) {
            // Refused before the key table names a macro that the memory could not hold.
            const size_t limit = static_cast<size_t>(info[6]) * kMacroMemoryUnit;
            if (const int over = MacroOverflowCount(write.macros->size, limit); over > 0) {
                return DeviceResult::Overflow(over);
            }
        }
        if (channel.SetBlockSize(static_cast<uint16_t>(std::min<size_t>(write.table.size(), 0xFFFF))) != 1) {
            return DeviceResult::Refused(DeviceStep::KeyTable);
        }
        const DeviceResult written = InSequence(channel, DeviceStep::KeyTable, [&] {
            return DeviceResult::FromCode(channel.WriteBlock(write.table, 0), DeviceStep::KeyTable);
        });
        if (!written) return written;
    }
    if (!write.macroStep) return {};
    if (const DeviceResult r = link(DeviceStep::Macros); !r) return r;
    if (const DeviceResult r = readInfo(DeviceStep::Macros); !r) return r;
    if (!write.macros) return {};  // no macros in the list: nothing to write
    const size_t limit = static_cast<size_t>(info[6]) * kMacroMemoryUnit;
    if (const int over = MacroOverflowCount(write.macros->size, limit); over > 0)
        return DeviceResult::Overflow(over);
    if (write.macros->bytes.empty()) return DeviceResult::Refused(DeviceStep::Macros);
    // As the key table: the link was asked before the information read, the writes follow at once.
    return InSequence(channel, DeviceStep::Macros, [&] {
        return DeviceResult::FromCode(channel.WriteData15(write.macros->bytes), DeviceStep::Macros);
    });
}

DeviceResult WriteRecoil(CommandChannel& channel, std::span<const uint8_t> image, Info& info) {
    if (const DeviceResult r = CheckLink(channel); !r)
        return DeviceResult::Failure(r.code(), DeviceStep::Recoil);
    if (const int r = channel.ReadInfo(info); r != result::kSuccess)
        return DeviceResult::Failure(r, DeviceStep::Recoil);
    if (image.empty()) return DeviceResult::Refused(DeviceStep::Recoil);
    return InSequence(channel, DeviceStep::Recoil,
                      [&] { return DeviceResult::FromCode(channel.WriteData17(image), DeviceStep::Recoil); });
}

DeviceResult ReadPower(CommandChannel& channel, std::array<uint8_t, 6>& status) {
    if (const DeviceResult r = CheckLink(channel); !r)
        return DeviceResult::Failure(r.code(), DeviceStep::Power);
    return DeviceResult::FromCode(channel.ReadOnce(status, 0), DeviceStep::Power);
}

}  // namespace halvern::jobs
