#pragma once

namespace halvern::service {

/// The application's name on the session bus, and its manager object.
inline constexpr const char* kBusName = "org.halvern.Halvern1";
inline constexpr const char* kManagerPath = "/org/halvern/Halvern1";
inline constexpr const char* kManagerInterface = "org.halvern.Halvern1.Manager";
inline constexpr const char* kDeviceInterface = "org.halvern.Halvern1.Device";
inline constexpr const char* kLightingInterface = "org.halvern.Halvern1.Lighting";
inline constexpr const char* kMouseInterface = "org.halvern.Halvern1.Mouse";
inline constexpr const char* kKeyboardInterface = "org.halvern.Halvern1.Keyboard";
inline constexpr const char* kHeadsetInterface = "org.halvern.Halvern1.Headset";
inline constexpr const char* kErrorPrefix = "org.halvern.Halvern1.Error.";
/// The interface's version: raised when a member changes its meaning or goes.
inline constexpr unsigned kApiVersion = 1;

}  // namespace halvern::service
