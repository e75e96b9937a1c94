#pragma once

#include <functional>
#include <iterator>
#include <utility>
#include <vector>

#include "device/device_result.h"

namespace halvern {

/// Keeps a device's onboard settings record in step with the page. Every change is sent as the whole
/// record; changes made while a record is on its way go out together in one more record once it has been
/// acknowledged, so quick changes never queue up and the last one always wins. A refusal brings back the
/// settings the device acknowledged last. The profile file is written when the device holds what the page
/// shows, never before (record first, profile second). Used on the owner's thread only.
///
/// The records sent back to back for a run of quick changes form one batch: `taken` hears of the batch
/// once, when it ends, as the change from what the device held before it to what it holds after it, so a
/// change carried by an early record of the batch is never lost to a later one.
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
    /// change (and a failure to save the profile file, after a record the device took). A change the
    /// device acknowledged stays taken when the record that follows it in the same batch is refused.
    /// Without `persist` the change is only shown by the device: the batch writes the profile file only
    /// when one of its changes persists.
    void commit(Done done, bool persist = true) {
        if (m_inFlight) {
            m_next.push_back(std::move(done));
            m_again = true;
            m_batchPersists = m_batchPersists || persist;
            return;
        }
        m_batchStart = m_acknowledged;
        m_batchTook = false;
        m_batchPersists = persist;
        m_waiting.push_back(std::move(done));
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
            m_acknowledged = m_sent;
            m_batchTook = true;
            // The changes this record carried are held by the device; the batch's outcome is theirs too.
            m_carried.insert(m_carried.end(), std::make_move_iterator(m_waiting.begin()),
                             std::make_move_iterator(m_waiting.end()));
            m_waiting.clear();
            if (m_again) {
                m_waiting.swap(m_next);
                sendCurrent();
                return;
            }
            const DeviceResult saved = finishBatch();
            finish(m_carried, saved);
            return;
        }
        // Refused: the device holds what it acknowledged last, which may be an earlier record of this
        // batch. Its changes stay and their effects follow; the changes of the refused record and those
        // that waited for the next one are undone.
        m_again = false;
        m_hooks.restore(m_acknowledged);
        const DeviceResult saved = finishBatch();
        std::vector<Done> refused;
        refused.swap(m_waiting);
        refused.insert(refused.end(), std::make_move_iterator(m_next.begin()),
                       std::make_move_iterator(m_next.end()));
        m_next.clear();
        finish(m_carried, saved);
        finish(refused, r);
    }

    // The device holds m_acknowledged: its effects follow and the profile file is written. The result
    // of the save, for the changes the device took.
    DeviceResult finishBatch() {
        if (m_batchTook && m_hooks.taken) m_hooks.taken(m_batchStart, m_acknowledged);
        DeviceResult saved;
        if (m_batchPersists && m_hooks.save && !m_hooks.save()) saved = DeviceResult::FileError();
        return saved;
    }

    static void finish(std::vector<Done>& callers, DeviceResult r) {
        std::vector<Done> waiting;
        waiting.swap(callers);
        for (const Done& done : waiting) {
            if (done) done(r);
        }
    }

    Settings& m_current;
    Hooks m_hooks;
    Settings m_acknowledged{};
    Settings m_sent{};
    Settings m_batchStart{};      ///< what the device held when the batch began
    bool m_batchTook = false;     ///< the device acknowledged a record of the batch
    bool m_batchPersists = true;  ///< a change of the batch is to be kept in the profile file
    std::vector<Done> m_waiting;  ///< changes carried by the record on its way
    std::vector<Done> m_next;     ///< changes that go out with the next record
    std::vector<Done> m_carried;  ///< changes of acknowledged records, waiting for the batch to end
    bool m_inFlight = false;
    bool m_again = false;
};

}  // namespace halvern
