#pragma once

#include <QPointer>
#include <QVector>
#include <QWidget>
#include <functional>

#include "devices/usb_device.h"
#include "ui/pages/page_host.h"
#include "ui/toolkit/notification.h"

class QStackedWidget;

namespace halvern::ui {

class CDeviceProfileUI;
class DeviceKeyButton;
class LightPanel;
class SelectPanel;
class LayoutLoader;

/// The page that shows one device: its layout with the device picture, the key and light buttons bound
/// to the device's keys and LEDs, and the routing of its own controls' notifications. The device object
/// (core) does the work; the page shows it. Changes the page starts reach the device through the device's
/// queue: the page stays responsive, marks itself busy ("writing" property, busy cursor) while they are on
/// their way, and when the device refuses one it shows the device's settings again and the window says
/// what failed.
class DevicePage : public QWidget {
    Q_OBJECT
public:
    /// Builds the page from the device's page layout. A missing layout gives an empty page.
    DevicePage(CMerivexUSBDevice& device, const LayoutLoader& loader, QWidget* parent = nullptr);
    ~DevicePage() override;

    [[nodiscard]] CMerivexUSBDevice& device() { return m_device; }
    /// The window the page asks for messages and the colour picker (may stay unset in tests).
    void setHost(PageHost* host) { m_host = host; }
    [[nodiscard]] PageHost* host() const { return m_host; }

    /// Shows the device's settings on every control (the device asks for it after reading its state).
    virtual void ShowSettings() {}
    /// The page's Lighting tab; null when the page has none (yet).
    [[nodiscard]] virtual LightPanel* lightPanel() { return nullptr; }
    /// Whether changes the page started are still on their way to the device.
    [[nodiscard]] bool writing() const { return m_inFlight > 0; }

    /// A Done for an operation the page starts: the page is busy until it ends; on failure the page shows
    /// the device's settings again and the window shows the failure (or `failureTextId`); then `then` runs
    /// with the result either way.
    [[nodiscard]] CMerivexUSBDevice::Done track(std::function<void(DeviceResult)> then = {},
                                                const QString& failureTextId = {});
    [[nodiscard]] SelectPanel* selectionPanel() const { return m_panel; }
    [[nodiscard]] DeviceKeyButton* keyButton(int index) const;
    [[nodiscard]] DeviceKeyButton* lightButton(int index) const;
    /// Marks key `index` on the picture as the one the key editor has open, and unmarks the one marked
    /// before; -1 (the editor closed) marks none.
    void markEditedKey(int index);
    /// The key marked as edited, or -1.
    [[nodiscard]] int editedKey() const { return m_editedKey; }

    /// Finds the selection panel and binds key buttons by name ("key_" n) and light buttons by user data
    /// ("light_" n, in the dynamic property "userData"); lit white. Entries without a control stay null.
    virtual void BindPageControls();
    /// Binds the controls of the page's parts built so far. Parts of the layout marked "buildOnShow" are
    /// built when first shown; this runs again after each, so it binds what it finds and keeps what it
    /// bound before (nothing is connected twice).
    virtual void BindBuiltControls() {}
    /// What the window does with the controls of a part built later, once the page bound them (connect
    /// them to its notifications, give them the language's texts), before they show the settings.
    void setSectionHook(std::function<void(QWidget&)> hook) { m_sectionHook = std::move(hook); }
    /// Finds the page's profile list ("DeviceProfileItem"), points it at the device's folders, lists the
    /// profiles and makes the first the device's. Null when the page has none.
    CDeviceProfileUI* BindProfileControl();
    /// Builds every part of the page not built yet, as if each had been shown.
    void BuildAllSections();
    /// Builds the part that holds the control named `name` (found in the part's markup), when not built.
    void BuildSectionOf(const QString& name);

    /// Accepts a notification only when its sender is one of this page's own controls.
    [[nodiscard]] bool ownsSender(const Notification& notification) const;

    /// Hides the option tabs whose page is not built yet (it holds only the "page_pending_note" notice), and
    /// brings the first tab left forward when the one shown was hidden. Called once the page is bound.
    void HidePendingSections();
    /// Whether option tab `tab` was hidden as not built yet.
    [[nodiscard]] bool sectionPending(int tab) const;

    /// Selects the pages of the function switches for a function mode.
    void SetFunctionMode(int mode);
    /// Shows page `tab` of the function switch (the page's option tabs: light, keys, macros, system, ...)
    /// and hides the hint of the key page.
    void ShowFunctionTab(int tab);

    /// Shows the device's LED frame on the light buttons (the preview); repaints the picture when asked.
    /// True when a new frame was painted; false when the frame is the one shown last or nothing was
    /// painted (the lights then take the frame without a repaint, and the next painted tick shows it).
    bool showFrame(bool repaint);

signals:
    /// A part of the page was built and bound, and shows the device's settings.
    void sectionBuilt(QWidget* section);

private:
    void watchSections(const QWidget* root);
    void onSectionBuilt(QWidget* section);
    void showBusy();
    void showPictureForTab(int tab);

    CMerivexUSBDevice& m_device;
    PageHost* m_host = nullptr;
    int m_inFlight = 0;
    QWidget* m_content = nullptr;
    SelectPanel* m_panel = nullptr;
    QVector<QPointer<DeviceKeyButton>> m_keys;
    QVector<QPointer<DeviceKeyButton>> m_lights;
    QPointer<QStackedWidget> m_functionSwitch;
    QPointer<QStackedWidget> m_keyFunctionSwitch;
    std::vector<uint32_t> m_shownFrame;
    std::vector<uint32_t>
        m_nextFrame;  ///< read into on every tick, swapped with m_shownFrame when it differs
    std::vector<int> m_pendingTabs;
    int m_editedKey = -1;
    std::function<void(QWidget&)> m_sectionHook;
};

}  // namespace halvern::ui
