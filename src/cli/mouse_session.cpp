#include "cli/mouse_session.h"

#include "cli/cli_support.h"

namespace halvern::cli {
namespace {

constexpr int kMouseKindId = 1;
constexpr int kMouseLedCount = 6;

}  // namespace

std::optional<MouseSession> openMouse(const CommandContext& context) {
    const KindChoice* kind = findKindChoice("mouse");
    if (!kind) return std::nullopt;
    MouseSession session{std::make_unique<CMerivexMouseDevice>(context.backend), {}};
    auto found = openKindInto(context.backend, *kind, session.device->commandChannel(), context.err);
    if (!found) return std::nullopt;
    session.found = std::move(*found);
    CMerivexMouseDevice& device = *session.device;
    device.SetIdentity(session.found.row());
    device.SetKindName(std::string(kind->name));
    device.SetKindId(kMouseKindId);
    device.SetLedCount(kMouseLedCount);
    device.ActivatePage();
    return session;
}

int changeMouseSettings(const CommandContext& context, CMerivexMouseDevice& device,
                        const std::function<void(MouseSettings&)>& change, const ScreenSize& screen) {
    const int result = device.ChangeSettings(change, screen.width, screen.height);
    if (result == 1) return kExitOk;
    context.err << "halvernctl: the mouse refused the settings (" << describeResult(result) << ")\n";
    return kExitDeviceError;
}

int reportMacroWrite(const CommandContext& context, int result) {
    if (result == 0) return kExitOk;
    if (result > 0) {
        context.err << "halvernctl: the macros do not fit the mouse's memory: remove " << result
                    << (result == 1 ? " event\n" : " events\n");
    } else {
        context.err << "halvernctl: the macros could not be written to the mouse (" << describeResult(result)
                    << ")\n";
    }
    return kExitDeviceError;
}

std::string stageLine(const DpiStage& stage, size_t index, int activeStage, const DpiScale& scale) {
    std::string line = "stage " + std::to_string(index) + ": " + (stage.active ? "on" : "off");
    if (static_cast<int>(index) == activeStage) line += ", active";
    const auto value = [&](uint16_t position) {
        return std::to_string(scale.dpi(position)) + " DPI (slider " + std::to_string(position) + ")";
    };
    line += stage.xy ? ", X " + value(stage.dpiX) + " Y " + value(stage.dpiY) : ", " + value(stage.dpiX);
    return line + ", colour " + hexTriple(stage.red, stage.green, stage.blue);
}

int usageError(const CommandContext& context, std::string_view command, std::string_view problem,
               std::string_view usage) {
    context.err << "halvernctl " << command << ": " << problem << "; usage: " << usage << '\n';
    return kExitUsage;
}

}  // namespace halvern::cli
