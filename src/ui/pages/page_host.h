#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "device/device_result.h"

namespace halvern::ui {

/// What a device page asks of the window that shows it: message boxes, the one message that tells the user
/// what failed, and the colour picker.
class PageHost {
public:
    virtual ~PageHost() = default;

    /// Shows a message box with a language text id (or, with `isTextId` false, a text as it is). `mode` 1
    /// asks for confirmation. Returns 1 when the user confirmed.
    virtual int showMessage(const QString& text, bool isTextId = true, int mode = 0) = 0;
    /// Tells the user in one message what failed and what to do; the page is already back as it was. A
    /// macro image that does not fit says how many events to remove. `textId`, when given, is shown
    /// instead of the message made from the result (for failures the page describes better itself).
    virtual void showFailure(const DeviceResult& result, const QString& textId = {}) = 0;
    /// Opens the colour picker at `argb`. Nothing when the user cancelled.
    [[nodiscard]] virtual std::optional<uint32_t> pickColour(uint32_t argb) = 0;
};

}  // namespace halvern::ui
