#pragma once

#include <memory>

#include "devices/keyed_device.h"
#include "devices/light_record.h"
#include "devices/settings_commit.h"

namespace halvern {

/// The settings of a light-only device's page.
struct LightRecordSettings {
    LightSetting light;
    bool operator==(const LightRecordSettings&) const = default;
};

/// What the mouse pad and the headset share: lights only, kept in a 21-byte settings record. The page keeps
/// its own copy of the record: a device read replaces it (the effects running on the page stay as they
/// are), the profile's light replaces its light fields, and its direction byte only ever comes from the
/// device. Every write sends that copy to record 0.
class CMerivexLightRecordDevice : public CMerivexKeyedDevice {
public:
    CMerivexLightRecordDevice(HidBackend& backend, const Kind& kind,
                              std::unique_ptr<CBasicProfiledata> profile);
    ~CMerivexLightRecordDevice() override;

    /// Reads the information block, loads the profile, shows it and starts the threads.
    void ActivatePage(Done done = {}) override { activate(std::move(done)); }
    /// Takes the profile's light into the effects and into the stored record.
    int LoadLightSettings() override;

    /// Stores `light` in the page and the profile and sends the record; a refusal brings the light the
    /// device took last back (page, record and profile).
    void ChangeLight(const LightSetting& light, Done done);

    [[nodiscard]] const LightRecordSettings& settings() const { return m_settings; }
    [[nodiscard]] CBasicProfiledata& profile() { return *m_profile; }
    [[nodiscard]] const light_record::Record& storedRecord() const { return m_stored; }

protected:
    [[nodiscard]] CBasicProfiledata& basicProfile() override { return *m_profile; }
    void takeSettingsFromProfile() override;
    [[nodiscard]] LightSetting& pageLight() override { return m_settings.light; }
    [[nodiscard]] bool streamWanted(std::chrono::milliseconds& minPeriod) override;
    size_t buildStreamFrame(const LedFrame& frame, DeviceQueue::FrameBuffer& buffer) const override;
    [[nodiscard]] std::optional<Record> settingsRecord(int slot, int firstByte, int byte68, int width,
                                                       int height) override;
    [[nodiscard]] size_t stateRecordSize() const override { return light_record::kReadSize; }
    [[nodiscard]] uint16_t stateRecordStride() const override { return light_record::kReadStride; }
    void takeStateRecord(std::span<const uint8_t> record) override;
    [[nodiscard]] bool readsStateOnActivation() const override { return false; }

private:
    void takeLight(const LightSetting& light);

    std::unique_ptr<CBasicProfiledata> m_profile;
    LightRecordSettings m_settings;
    light_record::Record m_stored{};
    SettingsCommit<LightRecordSettings> m_commit;
};

/// The RGB mouse pad: 15 LEDs, its light record and effects.
class CMerivexMousePadDevice final : public CMerivexLightRecordDevice {
public:
    explicit CMerivexMousePadDevice(HidBackend& backend);
    ~CMerivexMousePadDevice() override;
};

/// The headset: 13 LEDs whose colours always come from the computer's frames, sent as 12 LED output
/// reports per frame, and its light record.
class CMerivexHS6533Device final : public CMerivexLightRecordDevice {
public:
    explicit CMerivexHS6533Device(HidBackend& backend);
    ~CMerivexHS6533Device() override;

protected:
    [[nodiscard]] bool streamWanted(std::chrono::milliseconds& minPeriod) override;
    size_t buildStreamFrame(const LedFrame& frame, DeviceQueue::FrameBuffer& buffer) const override;
    /// Sends the reports one by one; one that fails does not stop the others, and none is sent again.
    [[nodiscard]] int sendStreamFrame(CommandChannel& channel, std::span<const uint8_t> frame) override;
};

}  // namespace halvern
