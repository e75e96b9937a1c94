#include "app/rgb/rgb_service.h"

#include <QTimer>

namespace halvern::app {

RgbService::RgbService(cli::AttachedDevices& devices, ScreenPixels screen, QObject* parent)
    : QObject(parent), m_controllers(devices, std::move(screen)), m_server(m_controllers) {
    m_controllers.driversChanged = [this] { emit driversChanged(); };
}

RgbService::~RgbService() {
    // The devices may be gone already (stop() gave them back their light): they are not touched now.
    m_controllers.driversChanged = {};
    m_controllers.forgetDevices();
    m_server.close();
}

void RgbService::stop() {
    m_server.close();
    m_controllers.waitForWrites(std::chrono::milliseconds(500));
}

bool RgbService::apply(const RgbServerSettings& settings, QString& problem) {
    if (!settings.enabled) {
        m_server.close();  // every program leaves: the devices take their own light back
        m_settings = settings;
        return true;
    }
    if (m_server.listening() && settings == m_settings) return true;
    m_settings = settings;
    (void)m_controllers.refresh();
    return m_server.listen(settings, problem);
}

QStringList RgbService::drivers() const {
    QStringList names;
    for (const std::string& name : m_controllers.drivers()) names << QString::fromStdString(name);
    return names;
}

void RgbService::devicesMayHaveChanged() {
    if (m_comparePending) return;
    m_comparePending = true;
    QTimer::singleShot(0, this, [this] {
        m_comparePending = false;
        if (m_controllers.refresh() && m_server.listening()) m_server.deviceListUpdated();
    });
}

}  // namespace halvern::app
