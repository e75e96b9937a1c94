#include "cli/mouse_session.h"

namespace halvern::cli {

std::optional<MouseSession> openMouse(const CommandContext& context) {
    return openPageSession<CMerivexMouseDevice>(context, "mouse");
}

int changeMouseSettings(const CommandContext& context, CMerivexMouseDevice& device,
                        const std::function<void(MouseSettings&)>& change, const ScreenSize& screen) {
    return reportRefusal(context, "mouse", "settings", device.Await([&](CMerivexUSBDevice::Done done) {
        device.ChangeSettings(change, screen.width, screen.height, std::move(done));
    }));
}

std::string stageLine(const DpiStage& stage, size_t index, int activeStage, const DpiScale& scale) {
    std::string line = "stage " + std::to_string(index + 1) + ": " + (stage.active ? "on" : "off");
    if (static_cast<int>(index) == activeStage) line += ", active";
    const auto value = [&](uint16_t position) {
        return std::to_string(scale.dpi(position)) + " DPI (slider " + std::to_string(position) + ")";
    };
    line += stage.xy ? ", X " + value(stage.dpiX) + " Y " + value(stage.dpiY) : ", " + value(stage.dpiX);
    return line + ", colour " + hexTriple(stage.red, stage.green, stage.blue);
}

Json::Value stageJson(const DpiStage& stage, size_t index, const DpiScale& scale) {
    Json::Value row(Json::objectValue);
    row["stage"] = static_cast<int>(index) + 1;
    row["enabled"] = stage.active != 0;
    row["separateXY"] = stage.xy != 0;
    row["sliderX"] = stage.dpiX;
    row["dpiX"] = scale.dpi(stage.dpiX);
    row["sliderY"] = stage.dpiY;
    row["dpiY"] = scale.dpi(stage.dpiY);
    row["color"] = hexTriple(stage.red, stage.green, stage.blue);
    return row;
}

}  // namespace halvern::cli
