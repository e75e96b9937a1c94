#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "device/device_result.h"

namespace halvern {

/// Keeps a device's onboard settings record in step with the page. Every change is sent as the whole
/// record; changes made while a record is on its way go out together in one more record once it has been
/// acknowledged, so quick changes never queue up and the last one always wins. A refusal brings back the
/// settings the device acknowledged last. The profile file is written when the device holds what the page
/// shows, never before (record first, profile second). Used on the owner's thread only.
template <class Settings>
class SettingsCommit {
public:
    using Done = std::function<void(DeviceResult)>;

    struct Hooks {
        /// Sends the record of the current settings; calls its argument with the device's answer.
        std::function<void(Done)> send;
        /// Puts these settings back on the page and into the profile's working record.
        std::function<void(const Settings&)> restore;
        /// Writes the profile file: true when it was written.
        std::function<bool()> save;
        /// The device took a change from `before` to `after` (its effects, the lighting, follow now).
        std::function<void(const Settings& before, const Settings& after)> taken;
    };

    SettingsCommit(Settings& current, Hooks hooks) : m_current(current), m_hooks(std::move(hooks)) {}

    /// The current settings are what the device holds (loaded from the profile, read from the device).
    void reset() {
        if (!m_inFlight) m_acknowledged = m_current;
    }

    /// The current settings changed: send them. `done` gets the result of the record that carries this
    /// change (and a failure to save the profile file, after a record the device took).
    void commit(Done done) {
        m_waiting.push_back(std::move(done));
        if (m_inFlight) {
            m_again = true;
            return;
        }
        sendCurrent();
    }

    [[nodiscard]] bool inFlight() const { return m_inFlight; }
    [[nodiscard]] const Settings& acknowledged() const { return m_acknowledged; }

private:
    void sendCurrent() {
        m_inFlight = true;
        m_again = false;
        m_sent = m_current;
        m_hooks.send([this](DeviceResult r) { answered(r); });
    }

    void answered(DeviceResult r) {
        m_inFlight = false;
        if (r.ok()) {
            const Settings before = m_acknowledged;
            m_acknowledged = m_sent;
            if (m_again) {
                sendCurrent();
                return;
            }
            if (m_hooks.taken) m_hooks.taken(before, m_acknowledged);
            if (m_hooks.save && !m_hooks.save()) r = DeviceResult::FileError();
        } else {
            m_again = false;
            m_hooks.restore(m_acknowledged);
            if (m_hooks.save) (void)m_hooks.save();  // the file follows the device: what it held last
        }
        std::vector<Done> waiting;
        waiting.swap(m_waiting);
        for (const Done& done : waiting) {
            if (done) done(r);
        }
    }

    Settings& m_current;
    Hooks m_hooks;
    Settings m_acknowledged{};
    Settings m_sent{};
    std::vector<Done> m_waiting;
    bool m_inFlight = false;
    bool m_again = false;
};

}  // namespace halvern
