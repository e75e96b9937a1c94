// What an RGB program sends to the server: any bytes, in pieces of any size, against a mouse and a
// keyboard with a matrix zone.

#include <cstddef>
#include <cstdint>
#include <span>

#include "rgbserver/sdk_session.h"

namespace {

using namespace halvern::rgb;

class FixedSource final : public ControllerSource {
public:
    FixedSource() {
        RgbController mouse;
        mouse.modes.resize(3);
        mouse.zones = {RgbZone{"Logo", ZoneType::Single, 0, 2, std::nullopt}};
        mouse.leds.resize(2);
        mouse.colors.resize(2);
        RgbController keyboard;
        keyboard.type = DeviceType::Keyboard;
        keyboard.modes.resize(2);
        keyboard.zones = {RgbZone{"Keys", ZoneType::Matrix, 0, 4, MatrixMap{2, 2, {0, 1, 2, 3}}}};
        keyboard.leds.resize(4);
        keyboard.colors.resize(4);
        controllers_[0] = mouse;
        controllers_[1] = keyboard;
    }
    size_t controllerCount() const override { return 2; }
    const RgbController* controller(size_t index) const override {
        return index < 2 ? &controllers_[index] : nullptr;
    }
    void setLeds(size_t index, std::span<const RgbColor> colors, const RgbClient&) override {
        if (colors.size() != controllers_[index].leds.size()) __builtin_trap();
    }
    void setCustomMode(size_t, const RgbClient&) override {}
    void updateMode(size_t index, size_t mode, const RgbMode&, bool, const RgbClient&) override {
        if (mode >= controllers_[index].modes.size()) __builtin_trap();
    }
    std::vector<std::string> profileNames() const override { return {"Default"}; }
    void loadProfile(std::string_view, const RgbClient&) override {}
    void clientLeft(const RgbClient&) override {}

private:
    RgbController controllers_[2];
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FixedSource source;
    SdkSession session(source, 1);
    // The first byte chooses how the stream is cut into reads, as a socket may deliver it.
    const size_t piece = size > 0 ? 1 + data[0] % 64 : 1;
    std::span<const uint8_t> rest(data, size);
    while (!rest.empty()) {
        const size_t n = std::min(piece, rest.size());
        if (!session.receive(rest.first(n))) break;
        rest = rest.subspan(n);
        session.output().clear();
    }
    return 0;
}
