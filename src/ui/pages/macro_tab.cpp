#include "ui/pages/macro_tab.h"

#include "device/debug_sink.h"
#include "devices/key_table.h"
#include "input/macro_store.h"
#include "ui/controls/macro_control.h"
#include "ui/pages/device_page.h"
#include "ui/toolkit/control_lookup.h"

namespace halvern::ui {
namespace {

/// Deletes macro `k` with its assignments; false, with the profile as it was, when nothing was deleted.
bool deleteMacro(DevicePage& page, CMerivexKeyedDevice& device, CBasicProfiledata& profile, int k) {
    const std::vector<KeyListEntry> before = device.keyList();
    std::vector<KeyListEntry> keys = before;
    const bool changed = key_table::DropMacro(keys, static_cast<uint8_t>(k));
    const auto refuse = [&page] {
        if (page.host()) page.host()->showFailure(DeviceResult::FileError());
        return false;
    };
    if (changed) {
        profile.SetKeyList(keys);
        if (!device.SaveProfile()) {
            profile.SetKeyList(before);
            return refuse();
        }
    }
    if (MacroStore(device.UserFolder()).DeleteMacro(k) != k) {
        if (changed) {
            profile.SetKeyList(before);
            if (!device.SaveProfile())
                debugLog("the profile could not be written back after a failed delete");
        }
        return refuse();
    }
    if (!device.LoadProfile()) return refuse();
    if (changed) device.WriteKeysAndMacros(page.track());
    return true;
}

}  // namespace

CMacroControlUI* BindMacroTab(DevicePage& page, CMerivexKeyedDevice& device, CBasicProfiledata& profile,
                              const LanguageTexts* texts) {
    auto* editor = findControl<CMacroControlUI>(&page, QStringLiteral("MacroControlItem"));
    if (!editor) return nullptr;
    MacroEditorHooks hooks;
    hooks.confirm = [&page](const QString& textId) {
        return !page.host() || page.host()->showMessage(textId, true, 1) == 1;
    };
    hooks.message = [&page](const QString& textId) {
        if (page.host()) page.host()->showMessage(textId);
    };
    hooks.macroInUse = [&device](int k) {
        return key_table::PlaysMacro(device.keyList(), static_cast<uint8_t>(k));
    };
    hooks.deleteMacro = [&page, &device, &profile](int k) { return deleteMacro(page, device, profile, k); };
    hooks.namesChanged = [&device] { device.ShowSettings(); };
    // While a recording runs the device and the profile stay as they are.
    hooks.recordingChanged = [&page](bool recording) {
        for (const char* name : {"device_select_layout", "device_select_prev", "device_select_next"}) {
            if (auto* w = page.window()->findChild<QWidget*>(QLatin1String(name))) w->setEnabled(!recording);
        }
        if (auto* profileArea = findControl(&page, QStringLiteral("DeviceProfileItem")))
            profileArea->setEnabled(!recording);
    };
    editor->SetHooks(std::move(hooks));
    editor->SetTexts(texts);
    editor->SetFolder(device.UserFolder());
    return editor;
}

}  // namespace halvern::ui
