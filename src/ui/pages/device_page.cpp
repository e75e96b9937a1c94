#include "ui/pages/device_page.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPointer>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "ui/controls/device_key_button.h"
#include "ui/controls/device_profile_control.h"
#include "ui/controls/key_picture_layer.h"
#include "ui/controls/picture_cache.h"
#include "ui/controls/select_panel.h"
#include "ui/toolkit/control_lookup.h"
#include "ui/toolkit/deferred_section.h"
#include "ui/toolkit/layout_loader.h"
#include "ui/toolkit/name_split.h"

namespace halvern::ui {
namespace {

// The notice a layout puts on a section whose controls are not built yet.
constexpr char kPendingNoteId[] = "page_pending_note";

// Function switch and key function switch pages per function mode; -1 leaves a switch as it is.
struct FunctionPages {
    int function;
    int keyFunction;
};

FunctionPages functionPages(int mode, uint16_t typeCode) {
    switch (mode) {
        case 3:
        case 8:
            return {1, -1};
        case 5:
            return {2, -1};
        case 4:
            if (typeCode == type_code::kKeyboard || typeCode == type_code::kMouse) return {3, -1};
            return {0, 2};
        case 7:
            return {0, 2};
        case 2:
        case 6:
            return {0, 1};
        default:
            return {0, 0};
    }
}

void selectPage(QWidget* switcher, int page) {
    if (page < 0 || !switcher) return;
    if (auto* stack = qobject_cast<QStackedWidget*>(switcher)) {
        if (page < stack->count()) stack->setCurrentIndex(page);
    } else if (auto* tabs = qobject_cast<QTabWidget*>(switcher)) {
        if (page < tabs->count()) tabs->setCurrentIndex(page);
    }
}

}  // namespace

DevicePage::DevicePage(CMerivexUSBDevice& device, const LayoutLoader& loader, QWidget* parent)
    : QWidget(parent), m_device(device) {
    auto* layout = new QVBoxLayout(this);  // owned by the page
    layout->setContentsMargins(0, 0, 0, 0);
    if (!device.pageLayout().empty()) {
        m_content = loader.load(QString::fromStdString(device.pageLayout()), this);
        if (m_content) layout->addWidget(m_content);
    }
    watchSections(m_content);
}

void DevicePage::watchSections(const QWidget* root) {
    for (DeferredSection* part : DeferredSection::pendingUnder(root))
        connect(part, &DeferredSection::sectionBuilt, this, &DevicePage::onSectionBuilt,
                Qt::UniqueConnection);
}

// A part shown for the first time: its controls join the window, are bound, and show what the device holds
// now (whatever changed while the part did not exist).
void DevicePage::onSectionBuilt(QWidget* section) {
    watchSections(section);
    // In the order a page is made in: bound first (editors learn their language source), then the window
    // connects the controls and sets their texts.
    BindBuiltControls();
    if (m_sectionHook) m_sectionHook(*section);
    ShowSettings();
    emit sectionBuilt(section);
}

CDeviceProfileUI* DevicePage::BindProfileControl() {
    auto* profiles = findControl<CDeviceProfileUI>(this, QStringLiteral("DeviceProfileItem"));
    if (!profiles) return nullptr;
    profiles->SetDeviceType(m_device.typeCode());
    profiles->SetPaths(m_device.UserFolder(), m_device.DefaultDataFile());
    profiles->SetTabRoot(this);
    profiles->Init();
    profiles->SelectTab(0);
    m_device.SetProfileName(profiles->GetCurrentProfileId().toStdString());
    return profiles;
}

void DevicePage::BuildSectionOf(const QString& name) {
    if (findChild<QWidget*>(name)) return;
    for (DeferredSection* part : DeferredSection::pendingUnder(this)) {
        if (part->holds(name)) {
            part->build();
            return;
        }
    }
}

void DevicePage::BuildAllSections() {
    // A part may hold parts of its own: look again until none is left.
    for (auto pending = DeferredSection::pendingUnder(this); !pending.empty();
         pending = DeferredSection::pendingUnder(this)) {
        for (DeferredSection* part : pending) part->build();
    }
}

DevicePage::~DevicePage() = default;

DeviceKeyButton* DevicePage::keyButton(int index) const {
    return (index >= 0 && index < m_keys.size()) ? m_keys[index].data() : nullptr;
}

DeviceKeyButton* DevicePage::lightButton(int index) const {
    return (index >= 0 && index < m_lights.size()) ? m_lights[index].data() : nullptr;
}

void DevicePage::markEditedKey(int index) {
    if (DeviceKeyButton* before = keyButton(m_editedKey)) before->setEditing(false);
    m_editedKey = keyButton(index) ? index : -1;
    if (DeviceKeyButton* now = keyButton(m_editedKey)) now->setEditing(true);
}

void DevicePage::BindPageControls() {
    m_keys.fill(nullptr, m_content ? m_device.keyCount() : 0);
    m_lights.fill(nullptr, m_content ? m_device.ledCount() : 0);
    m_panel = m_content ? m_content->findChild<SelectPanel*>() : nullptr;
    if (!m_panel) return;
    if (!m_functionSwitch)
        m_functionSwitch = findControl<QStackedWidget>(m_content, "device_function_switch");
    if (m_functionSwitch) {
        connect(m_functionSwitch, &QStackedWidget::currentChanged, this, &DevicePage::showPictureForTab);
        showPictureForTab(m_functionSwitch->currentIndex());
    }
    // The device picture under the lights is rendered once per size, not on every repaint of a light.
    for (QObject* child : m_panel->children()) {
        if (auto* picture = qobject_cast<QLabel*>(child); picture && PictureCache::install(picture)) break;
    }
    for (QObject* child : m_panel->children()) {
        auto* button = qobject_cast<DeviceKeyButton*>(child);
        if (!button) continue;
        const auto name = splitName(button->objectName());
        if (name && name->prefix.compare(QLatin1String("key_"), Qt::CaseInsensitive) == 0 &&
            name->index < m_keys.size()) {
            m_keys[name->index] = button;
        }
        const auto userData = splitName(button->property("userData").toString());
        if (userData && userData->prefix == QLatin1String("light_") && userData->index < m_lights.size()) {
            m_lights[userData->index] = button;
            button->setLightColour(0xFFFFFF, 255, true);
        }
    }
}

// A tab whose editor does not work on the picture (the layout marks its page "hidesPicture") gives the
// picture's room to the editor.
void DevicePage::showPictureForTab(int tab) {
    QWidget* card = m_panel;
    while (card && card->parentWidget() != m_content) card = card->parentWidget();
    const QWidget* page = m_functionSwitch ? m_functionSwitch->widget(tab) : nullptr;
    if (card) card->setVisible(!(page && page->property("hidesPicture").toBool()));
}

bool DevicePage::sectionPending(int tab) const {
    return std::find(m_pendingTabs.begin(), m_pendingTabs.end(), tab) != m_pendingTabs.end();
}

void DevicePage::HidePendingSections() {
    if (!m_functionSwitch)
        m_functionSwitch = findControl<QStackedWidget>(m_content, "device_function_switch");
    if (!m_functionSwitch) return;
    // A section is pending when the notice is its own, not that of a page of a switch inside it (the keys
    // section's inner pages for other functions).
    const auto pending = [](QWidget* section) {
        for (const QLabel* label : section->findChildren<QLabel*>()) {
            if (label->property("textId").toString() != QLatin1String(kPendingNoteId)) continue;
            bool nested = false;
            for (QWidget* up = label->parentWidget(); up; up = up->parentWidget()) {
                nested = qobject_cast<QStackedWidget*>(up) != nullptr;  // the section may itself be a switch
                if (nested || up == section) break;
            }
            if (!nested) return true;
        }
        return false;
    };
    m_pendingTabs.clear();
    int firstReady = -1;
    for (int i = 0; i < m_functionSwitch->count() && i < CDeviceProfileUI::kTabCount; ++i) {
        auto* tab = findControl<QAbstractButton>(
            m_content, QString::fromLatin1(CDeviceProfileUI::kTabNames[static_cast<size_t>(i)]));
        if (!pending(m_functionSwitch->widget(i))) {
            if (firstReady < 0 && tab && !tab->isHidden()) firstReady = i;
            continue;
        }
        m_pendingTabs.push_back(i);
        if (tab) tab->hide();
    }
    if (firstReady < 0) {
        // Nothing on the page is built yet but the picture: no sections, and no defaults to restore.
        QWidget* holder = m_functionSwitch->parentWidget();
        const bool alone = holder && holder != m_content &&
                           holder->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size() == 1;
        (alone ? holder : static_cast<QWidget*>(m_functionSwitch))->hide();
        if (QWidget* restore = findControl(m_content, QStringLiteral("default_btn"))) restore->hide();
        return;
    }
    if (sectionPending(m_functionSwitch->currentIndex())) {
        auto* tab = findControl<QAbstractButton>(
            m_content, QString::fromLatin1(CDeviceProfileUI::kTabNames[static_cast<size_t>(firstReady)]));
        if (tab) tab->setChecked(true);
        ShowFunctionTab(firstReady);
    }
}

bool DevicePage::ownsSender(const Notification& notification) const {
    QWidget* control = notification.control.data();
    if (!control || !m_content) return false;
    return control == m_content || m_content->isAncestorOf(control);
}

void DevicePage::SetFunctionMode(int mode) {
    m_device.SetFunctionMode(mode);
    if (!m_functionSwitch)
        m_functionSwitch = findControl<QStackedWidget>(m_content, "device_function_switch");
    if (!m_keyFunctionSwitch) {
        m_keyFunctionSwitch = findControl<QStackedWidget>(m_content, "device_key_function_switch");
    }
    if (!m_functionSwitch || !m_keyFunctionSwitch) return;
    const FunctionPages pages = functionPages(mode, m_device.typeCode());
    selectPage(m_functionSwitch, pages.function);
    selectPage(m_keyFunctionSwitch, pages.keyFunction);
}

void DevicePage::ShowFunctionTab(int tab) {
    if (!m_functionSwitch)
        m_functionSwitch = findControl<QStackedWidget>(m_content, "device_function_switch");
    selectPage(m_functionSwitch, tab);
    // A hint above the tabs gives way to them; one inside a tab (the keyboard's Keys tab) belongs there.
    QWidget* hint = findControl(m_content, QStringLiteral("device_tishi_info"));
    if (hint && !(m_functionSwitch && m_functionSwitch->isAncestorOf(hint))) hint->hide();
}

CMerivexUSBDevice::Done DevicePage::track(std::function<void(DeviceResult)> then,
                                          const QString& failureTextId) {
    ++m_inFlight;
    showBusy();
    return [page = QPointer<DevicePage>(this), then = std::move(then), failureTextId](DeviceResult result) {
        if (!page) return;
        --page->m_inFlight;
        page->showBusy();
        if (!result) {
            page->ShowSettings();  // what the device holds, not what was asked for
            if (page->m_host) page->m_host->showFailure(result, failureTextId);
        }
        if (then) then(result);
    };
}

void DevicePage::showBusy() {
    const bool busy = m_inFlight > 0;
    if (property("writing").toBool() == busy) return;
    setProperty("writing", busy);
    if (busy) {
        setCursor(Qt::BusyCursor);
    } else {
        unsetCursor();
    }
}

bool DevicePage::showFrame(bool repaint) {
    if (!m_device.lightControl()) return false;
    std::vector<uint32_t>& frame = m_nextFrame;
    m_device.copyFrame(frame);
    if (frame == m_shownFrame) return false;  // nothing new to show
    // Only the lights whose colour changed are painted again (and the picture only under them), all of
    // them in one paint of the picture.
    KeyPictureLayer* shownBy = nullptr;
    // The lights of a page share one picture panel: its layer is looked up once, not for every light.
    const QWidget* panelOfLayer = nullptr;
    KeyPictureLayer* layer = nullptr;
    for (int i = 0; i < m_lights.size() && i < static_cast<int>(frame.size()); ++i) {
        DeviceKeyButton* button = m_lights[i];
        if (!button || !button->isVisible()) continue;
        const uint32_t v = frame[static_cast<size_t>(i)];
        const bool changed =
            static_cast<size_t>(i) >= m_shownFrame.size() || m_shownFrame[static_cast<size_t>(i)] != v;
        if (!changed) continue;
        button->setLightColour(v & 0xFFFFFF, static_cast<int>(v >> 24), true);
        if (!repaint) continue;
        if (button->parentWidget() != panelOfLayer) {
            panelOfLayer = button->parentWidget();
            layer = SelectPanel::pictureLayerOf(*button);
        }
        if (layer) {
            layer->lightChanged(*button);
            shownBy = layer;
        } else {
            button->update();
        }
    }
    if (shownBy) shownBy->showChangedLights();
    m_shownFrame.swap(frame);
    if (!repaint) m_shownFrame.clear();  // not painted: the next visible tick paints every light
    return repaint;
}

}  // namespace halvern::ui
