#include "lighting/device_model.h"

#include <array>

namespace halvern {

namespace {

constexpr std::array<const DeviceModel*, 4> kModels{&models::kMouse, &models::kKeyboard, &models::kMousePad,
                                                    &models::kHeadset};

}  // namespace

const DeviceModel& deviceModel(DeviceKind kind) {
    for (const DeviceModel* model : kModels) {
        if (model->kind == kind) return *model;
    }
    return models::kMouse;
}

const DeviceModel* findDeviceModel(std::string_view name) {
    for (const DeviceModel* model : kModels) {
        if (model->name == name) return model;
    }
    return nullptr;
}

}  // namespace halvern
