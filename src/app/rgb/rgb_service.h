#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>

#include "app/rgb/device_controllers.h"
#include "app/rgb/rgb_server.h"
#include "profile/rgb_server_settings.h"

namespace halvern::app {

/// RGB programs' way to the devices: the attached devices as controllers, served over the OpenRGB SDK
/// protocol while the user lets RGB programs control the lights. Lives on the interface thread.
class RgbService final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RgbService)
public:
    RgbService(cli::AttachedDevices& devices, ScreenPixels screen, QObject* parent = nullptr);
    ~RgbService() override;

    /// Serves as `settings` say: listens when enabled (again, at a changed address or port), closes every
    /// connection when not. False, with the reason in `problem`, when it cannot listen.
    [[nodiscard]] bool apply(const RgbServerSettings& settings, QString& problem);
    [[nodiscard]] bool listening() const { return m_server.listening(); }
    [[nodiscard]] quint16 port() const { return m_server.port(); }

    /// Closes every connection, gives the devices their own light back and waits (briefly) until they took
    /// it: before the devices close at the application's end.
    void stop();

    /// The attached devices may have changed: compared once the current event is handled, and the programs
    /// told when they did.
    void devicesMayHaveChanged();
    /// The names of the programs that drive lights now, each once.
    [[nodiscard]] QStringList drivers() const;

signals:
    /// A program started or stopped driving a device's lights.
    void driversChanged();

private:
    DeviceControllers m_controllers;
    RgbServer m_server;
    RgbServerSettings m_settings;
    bool m_comparePending = false;
};

}  // namespace halvern::app
