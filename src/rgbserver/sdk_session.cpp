#include "rgbserver/sdk_session.h"

#include <algorithm>
#include <cstring>

namespace halvern::rgb {
namespace {

/// Most colours one mode carries. The devices' modes take one or two.
constexpr size_t kMaxModeColors = 64;

bool isControllerPacket(uint32_t id) {
    return id >= static_cast<uint32_t>(PacketId::ResizeZone);
}

}  // namespace

bool SdkSession::close(std::string_view reason) {
    closeReason_ = reason;
    input_.clear();
    return false;
}

bool SdkSession::receive(std::span<const uint8_t> bytes) {
    if (!closeReason_.empty()) return false;
    input_.insert(input_.end(), bytes.begin(), bytes.end());
    size_t used = 0;
    while (input_.size() - used >= kHeaderSize) {
        const std::span<const uint8_t> rest(input_.data() + used, input_.size() - used);
        if (std::memcmp(rest.data(), kMagic, sizeof kMagic) != 0) return close("not an SDK packet");
        ByteReader in(rest.subspan(sizeof kMagic, kHeaderSize - sizeof kMagic));
        Header header;
        header.device = in.u32();
        header.id = in.u32();
        header.size = in.u32();
        if (header.size > kMaxPacketSize) return close("packet too large");
        if (rest.size() - kHeaderSize < header.size) break;  // the rest of the packet is still on its way
        if (!handle(header, rest.subspan(kHeaderSize, header.size))) return false;
        used += kHeaderSize + header.size;
    }
    input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(used));
    if (outputOverflowing()) return close("client does not read its answers");
    return true;
}

void SdkSession::deviceListUpdated() {
    answer(PacketId::DeviceListUpdated, 0, {});
}

void SdkSession::answer(PacketId id, uint32_t device, std::span<const uint8_t> payload) {
    ByteWriter out(output_);
    out.bytes(std::span(reinterpret_cast<const uint8_t*>(kMagic), sizeof kMagic));
    out.u32(device);
    out.u32(static_cast<uint32_t>(id));
    out.u32(static_cast<uint32_t>(payload.size()));
    out.bytes(payload);
}

void SdkSession::answerControllerData(uint32_t index, uint32_t protocol) {
    const RgbController* controller = source_.controller(index);
    if (!controller) return;  // gone since the client counted; the device-list notice follows
    scratch_.clear();
    ByteWriter out(scratch_);
    writeControllerData(*controller, protocol, out);
    answer(PacketId::RequestControllerData, index, scratch_);
}

void SdkSession::answerProfileList() {
    const std::vector<std::string> names = source_.profileNames();
    scratch_.clear();
    ByteWriter out(scratch_);
    out.u32(0);
    const auto count = static_cast<uint16_t>(std::min<size_t>(names.size(), UINT16_MAX));
    out.u16(count);
    for (uint16_t i = 0; i < count; ++i) out.text(names[i]);
    out.patchU32(0, static_cast<uint32_t>(scratch_.size()));
    answer(PacketId::RequestProfileList, 0, scratch_);
}

void SdkSession::answerEmptyPluginList() {
    scratch_.clear();
    ByteWriter out(scratch_);
    out.u32(6);  // the block's size: itself and the count
    out.u16(0);
    answer(PacketId::RequestPluginList, 0, scratch_);
}

bool SdkSession::handle(const Header& header, std::span<const uint8_t> payload) {
    ByteReader in(payload);
    if (isControllerPacket(header.id)) return handleControllerPacket(header, in);
    switch (static_cast<PacketId>(header.id)) {
        case PacketId::RequestControllerCount: {
            scratch_.clear();
            ByteWriter(scratch_).u32(static_cast<uint32_t>(source_.controllerCount()));
            answer(PacketId::RequestControllerCount, 0, scratch_);
            return true;
        }
        case PacketId::RequestControllerData: {
            // A client of version 1 or later names the version the block is written in.
            uint32_t protocol = 0;
            if (!payload.empty()) {
                protocol = std::min(in.u32(), kServerProtocolVersion);
                if (!in.ok()) return close("malformed controller request");
            }
            answerControllerData(header.device, protocol);
            return true;
        }
        case PacketId::RequestProtocolVersion: {
            const uint32_t client = in.u32();
            if (!in.ok()) return close("malformed version request");
            protocol_ = std::min(client, kServerProtocolVersion);
            scratch_.clear();
            ByteWriter(scratch_).u32(kServerProtocolVersion);
            answer(PacketId::RequestProtocolVersion, 0, scratch_);
            return true;
        }
        case PacketId::SetClientName: {
            std::string name = in.restAsText(kMaxClientText);
            if (!in.ok()) return close("client name too long");
            client_.name = std::move(name);
            return true;
        }
        case PacketId::RequestProfileList:
            answerProfileList();
            return true;
        case PacketId::RequestLoadProfile: {
            const std::string name = in.restAsText(kMaxClientText);
            if (!in.ok()) return close("profile name too long");
            source_.loadProfile(name, client_);
            return true;
        }
        case PacketId::RequestSaveProfile:
        case PacketId::RequestDeleteProfile:
            // Profiles belong to each device and are made in the window; a client may only choose one.
            // The protocol has no refusal before version 6, so the request is left unanswered.
            (void)in.restAsText(kMaxClientText);
            return in.ok() || close("profile name too long");
        case PacketId::RequestPluginList:
            answerEmptyPluginList();
            return true;
        case PacketId::PluginSpecific:
            return true;  // no plugins, so no plugin answers
        default:
            return close("unknown packet");
    }
}

bool SdkSession::handleControllerPacket(const Header& header, ByteReader& in) {
    const auto id = static_cast<PacketId>(header.id);
    switch (id) {
        case PacketId::ResizeZone:
        case PacketId::UpdateLeds:
        case PacketId::UpdateZoneLeds:
        case PacketId::UpdateSingleLed:
        case PacketId::SetCustomMode:
        case PacketId::UpdateMode:
        case PacketId::SaveMode:
            break;
        default:
            return close("unknown packet");
    }
    const RgbController* controller = source_.controller(header.device);
    if (!controller) return true;  // a controller that went away while the client spoke to it
    const size_t index = header.device;
    switch (id) {
        case PacketId::ResizeZone:
            (void)in.i32();
            (void)in.i32();
            return in.ok() || close("malformed zone resize");  // every zone has the size of its device
        case PacketId::SetCustomMode:
            source_.setCustomMode(index, client_);
            return true;
        case PacketId::UpdateMode:
        case PacketId::SaveMode: {
            (void)in.u32();  // the block's size; the packet's own is what bounds it
            const int32_t modeIndex = in.i32();
            const auto mode = readMode(in, protocol_, kMaxModeColors);
            if (!mode) return close("malformed mode");
            if (modeIndex >= 0 && static_cast<size_t>(modeIndex) < controller->modes.size())
                source_.updateMode(index, static_cast<size_t>(modeIndex), *mode, id == PacketId::SaveMode,
                                   client_);
            return true;
        }
        default:
            return handleLeds(id, index, *controller, in);
    }
}

bool SdkSession::handleLeds(PacketId id, size_t index, const RgbController& controller, ByteReader& in) {
    colors_.assign(controller.colors.begin(), controller.colors.end());
    colors_.resize(controller.leds.size());
    if (id == PacketId::UpdateSingleLed) {
        const int32_t led = in.i32();
        const RgbColor color = in.color();
        if (!in.ok()) return close("malformed LED update");
        if (led < 0 || static_cast<size_t>(led) >= colors_.size()) return true;  // no such LED: refused
        colors_[static_cast<size_t>(led)] = color;
        source_.setLeds(index, colors_, client_);
        return true;
    }
    (void)in.u32();  // the block's size
    size_t first = 0;
    size_t count = colors_.size();
    bool known = true;
    if (id == PacketId::UpdateZoneLeds) {
        const uint32_t zone = in.u32();
        known = zone < controller.zones.size() &&
                size_t{controller.zones[zone].start} + controller.zones[zone].ledCount <= colors_.size();
        if (known) {
            first = controller.zones[zone].start;
            count = controller.zones[zone].ledCount;
        }
    }
    const uint16_t sent = in.u16();
    if (!in.ok() || in.remaining() < size_t{sent} * 4) return close("malformed LED update");
    for (uint16_t i = 0; i < sent; ++i) {
        const RgbColor color = in.color();
        if (i < count) colors_[first + i] = color;
    }
    // A colour for every LED of the device or zone, as the protocol asks; anything else is refused.
    if (known && sent == count) source_.setLeds(index, colors_, client_);
    return true;
}

}  // namespace halvern::rgb
