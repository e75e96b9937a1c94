#pragma once

#include "devices/keyed_device.h"
#include "profile/basic_profiledata.h"

namespace halvern::ui {

class CMacroControlUI;
class DevicePage;
class LanguageTexts;

/// Binds the page's macro editor ("MacroControlItem") to the device: its data folder, its language, the
/// page's message boxes, and the deletion of a macro together with the keys that play it (keys of the
/// deleted macro back on their default, keys of later macros following their macro's new number, the
/// profile saved and the key table and macros written). The macro names shown by the key editor and the
/// page follow every change of the list. Null when the page has no macro editor.
CMacroControlUI* BindMacroTab(DevicePage& page, CMerivexKeyedDevice& device, CBasicProfiledata& profile,
                              const LanguageTexts* texts);

}  // namespace halvern::ui
