#include "cli/info_command.h"

#include <json/json.h>

#include <array>
#include <cstdio>
#include <memory>
#include <optional>

#include "cli/cli_support.h"
#include "cli/command_checks.h"
#include "cli/device_session.h"
#include "cli/headset_session.h"
#include "cli/json_output.h"
#include "cli/page_session.h"

namespace halvern::cli {
namespace {

uint16_t le16(std::span<const uint8_t> b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

// Information block fields, by byte position.
struct InfoField {
    const char* key;
    const char* label;
    size_t offset;
    size_t width;  // 1 or 2 bytes, little-endian
    bool hex;
};
constexpr std::array<InfoField, 7> kInfoFields{{
    {"keySlots", "key slots", 5, 1, false},
    {"macroUnits", "macro memory (128-byte units)", 6, 1, false},
    {"sensorCode", "sensor code", 9, 2, true},
    {"dpiStep", "DPI step", 11, 1, false},
    {"highestSliderPosition", "highest DPI slider position", 12, 2, false},
    {"lowestDpi", "lowest DPI", 14, 2, false},
    {"tailValue", "value at bytes 32-33", 32, 2, true},
}};

struct InfoRead {
    FoundDevice found;
    std::array<uint8_t, CommandChannel::kInfoSize> info{};
    const char* step = "QueryLink";  ///< the exchange that failed, when one did
    int code = 0;
};

/// QueryLink, then the information block inside Begin … End.
void exchange(CommandChannel& channel, InfoRead& read) {
    read.code = channel.QueryLink();
    if (read.code == result::kSuccess) {
        read.step = "Begin";
        read.code = channel.Begin();
    }
    if (read.code == result::kSuccess) {
        read.step = "ReadInfo";
        read.code = channel.ReadInfo(read.info);
    }
    if (read.code == result::kSuccess) {
        read.step = "End";
        read.code = channel.End();
    }
}

/// Reads the kind's information block on a channel of its own, or, when the application carries the
/// command out, as one job on its device's queue (between the window's own exchanges). Nothing, with one
/// line on `context.err`, when the device cannot be reached at all.
std::optional<InfoRead> readInfoBlock(const CommandContext& context, const DeviceKindInfo& kind) {
    if (!context.attached) {
        auto session = DeviceSession::open(context.backend, kind, context.locks, context.err);
        if (!session) return std::nullopt;
        InfoRead read{session->found(), {}, "QueryLink", 0};
        exchange(session->channel(), read);
        return read;
    }
    auto read = std::make_shared<InfoRead>();  // a job that outlives a given-up wait writes here
    CMerivexUSBDevice* device = lendPageDevice(context, kind.name, read->found);
    if (!device) return std::nullopt;
    const DeviceResult waited = device->Await([device, read](CMerivexUSBDevice::Done done) {
        device->queue().submit(
            [read](CommandChannel& channel) {
                exchange(channel, *read);
                return DeviceResult{};
            },
            std::move(done));
    });
    if (!waited) {
        context.err << "halvernctl: " << kind.name << ": " << describe(waited) << '\n';
        return std::nullopt;
    }
    return *read;
}

}  // namespace

int runInfoCommand(const CommandContext& context, const CommandArgs& args) {
    const DeviceKindInfo* kind = args.size() == 1 ? findKindByName(args[0]) : nullptr;
    if (!kind) {
        return usageError(context, "info",
                          args.empty()               ? std::string("a device kind is needed")
                          : args.size() > 1          ? "takes one device kind, not '" + args[1] + "' too"
                          : args[0].starts_with("-") ? "unknown option " + args[0]
                                                     : "unknown device kind '" + args[0] + "'");
    }
    if (kind->name == "headset") return runHeadsetInfo(context);
    const auto read = readInfoBlock(context, *kind);
    if (!read) return kExitDeviceError;
    const auto& [found, info, step, code] = *read;
    if (code != result::kSuccess) {
        const std::string why = std::string_view(step) == "QueryLink" && code == 0
                                    ? "the device behind the receiver does not answer (is it switched on?)"
                                    : describeResult(code);
        context.err << "halvernctl: " << kind->name << ": " << step << " failed: " << why << '\n';
        return kExitDeviceError;
    }

    const uint16_t version = found.command.attributes.versionNumber;
    if (context.json) {
        Json::Value root(Json::objectValue);
        root["device"] = std::string(kind->name);
        root["receiver"] = found.viaReceiver;
        root["path"] = found.command.path;
        root["firmwareVersion"] = firmwareVersionText(version);
        Json::Value bytes(Json::arrayValue);
        for (uint8_t b : info) bytes.append(b);
        root["info"] = bytes;
        for (const auto& f : kInfoFields) root[f.key] = f.width == 2 ? le16(info, f.offset) : info[f.offset];
        printJson(context.out, root);
        return kExitOk;
    }
    char line[96];
    context.out << kind->name << ' ' << found.describe() << '\n';
    context.out << "firmware version: " << firmwareVersionText(version) << '\n'
                << "info: " << hexBytes(info) << '\n';
    for (const auto& f : kInfoFields) {
        const unsigned value = f.width == 2 ? le16(info, f.offset) : info[f.offset];
        std::snprintf(line, sizeof line, f.hex ? "%s: 0x%04x\n" : "%s: %u\n", f.label, value);
        context.out << line;
    }
    return kExitOk;
}

}  // namespace halvern::cli
