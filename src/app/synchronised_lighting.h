#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <vector>

#include "devices/usb_device.h"
#include "lighting/shared_effect.h"

namespace halvern::app {

/// Synchronised lighting: one shared animation written into the LED frames of every device whose
/// light-sync flag is set (the list entries' light ticks show and send those frames). It runs on the
/// interface thread and sleeps until the animation's next step is due; with no device taking part, an
/// effect that no longer changes, or nobody to see it (the window off the screen and no device showing
/// its frames), nothing runs at all.
class SynchronisedLighting final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SynchronisedLighting)
public:
    /// The connected devices, in the order the shared colour is written (mice, keyboards, mouse pads,
    /// headsets).
    using Devices = std::function<std::vector<CMerivexUSBDevice*>()>;
    /// Whether a device's LEDs show the colours written into its frame (the program streams its frames),
    /// rather than its own effect with the frame as the window's preview.
    using ShowsFrames = std::function<bool(const CMerivexUSBDevice&)>;
    explicit SynchronisedLighting(Devices devices, ShowsFrames showsFrames = {}, QObject* parent = nullptr);

    /// Starts `settings` over the devices whose flag is set now.
    void start(const SharedEffectSettings& settings);
    /// The set of taking part changed: runs when someone takes part, rests otherwise.
    void wake();
    /// The window went off the screen (hidden, minimised) or came back. While it is off, the animation
    /// rests unless a device taking part shows its frames; back on screen it catches up at once.
    void setWindowHidden(bool hidden);
    [[nodiscard]] bool active() const { return m_timer.isActive(); }
    [[nodiscard]] const SharedAnimation& animation() const { return m_animation; }

    /// The shortest wait between two hand-overs of the shared colour: the fastest a device takes frames.
    static constexpr Millis kMinHandOverMs = 10;

private:
    void run();
    void paint(const std::vector<CMerivexUSBDevice*>& devices) const;
    [[nodiscard]] std::vector<CMerivexUSBDevice*> takingPart() const;
    /// Whether anybody sees the shared colour: the window's previews, or a device showing its frames.
    [[nodiscard]] bool seen(const std::vector<CMerivexUSBDevice*>& devices) const;

    Devices m_devices;
    ShowsFrames m_showsFrames;
    bool m_windowHidden = false;
    SharedAnimation m_animation;
    QTimer m_timer;
};

}  // namespace halvern::app
