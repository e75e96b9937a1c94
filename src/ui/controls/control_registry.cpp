#include "ui/controls/control_registry.h"

#include "ui/controls/audio_record.h"
#include "ui/controls/chart_view.h"
#include "ui/controls/circle_progress.h"
#include "ui/controls/cloud_share_list_item.h"
#include "ui/controls/colour_palette.h"
#include "ui/controls/combo_edit_container_element.h"
#include "ui/controls/device_key_button.h"
#include "ui/controls/device_profile_control.h"
#include "ui/controls/hand_img_button.h"
#include "ui/controls/hand_img_select_button.h"
#include "ui/controls/key_set_control.h"
#include "ui/controls/light_control.h"
#include "ui/controls/macro_control.h"
#include "ui/controls/magic_control.h"
#include "ui/controls/redio_macro_button.h"
#include "ui/controls/select_panel.h"
#include "ui/controls/shoot_control.h"
#include "ui/controls/voice6533_control.h"
#include "ui/controls/wnd_host.h"
#include "ui/toolkit/layout_loader.h"

namespace halvern::ui {
namespace {

template <typename Control>
void add(LayoutLoader& loader) {
    static_assert(std::string_view(Control::kClassName).size() > 0);
    loader.registerControl(QString::fromLatin1(Control::kClassName),
                           [](QWidget* parent) -> QWidget* { return new Control(parent); });
}

}  // namespace

void registerCustomControls(LayoutLoader& loader) {
    add<DeviceKeyButton>(loader);
    add<SelectPanel>(loader);
    add<CircleProgress>(loader);
    add<HandImgButton>(loader);
    add<HandImgSelectButton>(loader);
    add<RedioMacroButton>(loader);
    add<AudioRecord>(loader);
    add<ChartView>(loader);
    add<WndHost>(loader);
    add<CloudShareListItem>(loader);
    add<ColourPalette>(loader);
    add<CMacroControlUI>(loader);
    add<CShootControlUI>(loader);
    const LayoutLoader* rows = &loader;
    loader.registerControl(
        QString::fromLatin1(ComboEditContainerElement::kClassName),
        [rows](QWidget* parent) -> QWidget* { return new ComboEditContainerElement(rows, parent); });
    loader.registerControl(
        QString::fromLatin1(CDeviceProfileUI::kClassName),
        [rows](QWidget* parent) -> QWidget* { return new CDeviceProfileUI(rows, parent); });
    loader.registerControl(
        QString::fromLatin1(CKeySetControlUI::kClassName),
        [rows](QWidget* parent) -> QWidget* { return new CKeySetControlUI(rows, parent); });
    loader.registerControl(QString::fromLatin1(CLightControlUI::kClassName),
                           [rows](QWidget* parent) -> QWidget* { return new CLightControlUI(rows, parent); });
    loader.registerControl(
        QString::fromLatin1(CVoice6533ControlUI::kClassName),
        [rows](QWidget* parent) -> QWidget* { return new CVoice6533ControlUI(rows, parent); });
    loader.registerControl(QString::fromLatin1(CMagicControlUI::kClassName),
                           [rows](QWidget* parent) -> QWidget* { return new CMagicControlUI(rows, parent); });
}

}  // namespace halvern::ui
