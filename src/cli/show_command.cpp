#include "cli/show_command.h"

#include <array>
#include <string_view>

#include "cli/cli_support.h"
#include "cli/command_checks.h"
#include "cli/keyboard_command.h"
#include "cli/light_record_session.h"
#include "cli/mouse_command.h"

namespace halvern::cli {
namespace {

struct ShowKind {
    std::string_view name;
    int (*show)(const CommandContext&, const CommandArgs&);  ///< gets the words after the kind
};

constexpr std::array<ShowKind, 4> kShowKinds{{
    {"mouse", runShowMouse},
    {"keyboard", runShowKeyboard},
    {"mousepad", runShowMousePad},
    {"headset", runShowHeadset},
}};

}  // namespace

int runShowCommand(const CommandContext& context, const CommandArgs& args) {
    const ShowKind* kind = nullptr;
    for (const ShowKind& k : kShowKinds) {
        if (!args.empty() && k.name == args[0]) kind = &k;
    }
    if (!kind) {
        return usageError(
            context, "show",
            args.empty() ? std::string("a device kind is needed") : "unknown device kind '" + args[0] + "'");
    }
    return kind->show(context, CommandArgs(args.begin() + 1, args.end()));
}

}  // namespace halvern::cli
