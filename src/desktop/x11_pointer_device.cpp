#include "desktop/x11_pointer_device.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <array>
#include <cstring>
#include <vector>

#include "device/debug_sink.h"

namespace halvern::desktop {
namespace {

struct DisplayCloser {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

struct DeviceInfoFree {
    void operator()(XIDeviceInfo* info) const { XIFreeDeviceInfo(info); }
};

struct XFreer {
    void operator()(unsigned char* data) const { XFree(data); }
};
using PropertyData = std::unique_ptr<unsigned char, XFreer>;

constexpr const char* kProductId = "Device Product ID";
constexpr const char* kAccelSpeed = "libinput Accel Speed";
constexpr const char* kProfilesAvailable = "libinput Accel Profiles Available";
constexpr const char* kProfileEnabled = "libinput Accel Profile Enabled";
// libinput's profile order: adaptive, flat (and custom on newer drivers).
constexpr std::size_t kAdaptive = 0;
constexpr std::size_t kFlat = 1;
constexpr unsigned long kMaxProfiles = 8;  // Xlib counts items in longs

/// A property's raw items, bounded; empty when the device lacks it or its format differs.
struct Property {
    Atom type = None;
    int format = 0;
    std::vector<unsigned char> bytes;  ///< format / 8 bytes per item
    [[nodiscard]] std::size_t items() const { return format > 0 ? bytes.size() / (format / 8) : 0; }
};

Property readProperty(Display* d, int device, Atom property, long length) {
    Property p;
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* raw = nullptr;
    if (XIGetProperty(d, device, property, 0, length, False, AnyPropertyType, &type, &format, &items, &after,
                      &raw) != Success) {
        return p;
    }
    const PropertyData data(raw);
    if (!data || (format != 8 && format != 32) || items == 0 || items > static_cast<unsigned long>(length))
        return p;
    p.type = type;
    p.format = format;
    // XI2 hands 32-bit items as 32 bits each (not as longs, as the core protocol's properties do).
    p.bytes.assign(data.get(), data.get() + items * static_cast<unsigned long>(format / 8));
    return p;
}

/// Errors of requests on a device that went away (BadDevice) must not end the program: they are ignored,
/// and each change is checked by reading the property back.
int ignoreError(Display*, XErrorEvent*) {
    return 0;
}

class ErrorTrap {
public:
    ErrorTrap() : m_previous(XSetErrorHandler(ignoreError)) {}
    ~ErrorTrap() { XSetErrorHandler(m_previous); }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

private:
    XErrorHandler m_previous;
};

struct Scan {
    std::vector<int> libinputDevices;  ///< the mouse's pointers that libinput drives
    bool mouseFound = false;           ///< some X device has the mouse's ids
};

Scan scanDevices(Display* d, UsbIds ids) {
    Scan scan;
    const Atom productId = XInternAtom(d, kProductId, True);
    const Atom speed = XInternAtom(d, kAccelSpeed, True);
    if (productId == None) return scan;
    int count = 0;
    const std::unique_ptr<XIDeviceInfo, DeviceInfoFree> devices(XIQueryDevice(d, XIAllDevices, &count));
    for (int i = 0; devices && i < count; ++i) {
        const XIDeviceInfo& info = devices.get()[i];
        if (info.use != XISlavePointer) continue;
        const Property idProperty = readProperty(d, info.deviceid, productId, 2);
        if (idProperty.format != 32 || idProperty.items() != 2) continue;
        std::array<uint32_t, 2> values{};
        std::memcpy(values.data(), idProperty.bytes.data(), sizeof(values));
        if (values[0] != ids.vid || values[1] != ids.pid) continue;
        scan.mouseFound = true;
        if (speed != None && readProperty(d, info.deviceid, speed, 1).format == 32)
            scan.libinputDevices.push_back(info.deviceid);
    }
    return scan;
}

DisplayPtr openDisplay(const std::string& name) {
    DisplayPtr d(XOpenDisplay(name.empty() ? nullptr : name.c_str()));
    if (!d) return d;
    int opcode = 0;
    int event = 0;
    int error = 0;
    int major = 2;
    int minor = 0;
    if (!XQueryExtension(d.get(), "XInputExtension", &opcode, &event, &error) ||
        XIQueryVersion(d.get(), &major, &minor) != Success) {
        return nullptr;
    }
    return d;
}

bool setSpeed(Display* d, int device, int value) {
    const Atom property = XInternAtom(d, kAccelSpeed, True);
    const Atom floatType = XInternAtom(d, "FLOAT", True);
    if (property == None || floatType == None) return false;
    const float speed = LibinputSpeed(value);
    std::array<unsigned char, sizeof(float)> bytes{};
    std::memcpy(bytes.data(), &speed, sizeof(float));
    XIChangeProperty(d, device, property, floatType, 32, XIPropModeReplace, bytes.data(), 1);
    XSync(d, False);
    const Property back = readProperty(d, device, property, 1);
    return back.format == 32 && back.bytes == std::vector<unsigned char>(bytes.begin(), bytes.end());
}

bool setProfile(Display* d, int device, bool adaptive) {
    const Atom available = XInternAtom(d, kProfilesAvailable, True);
    const Atom enabled = XInternAtom(d, kProfileEnabled, True);
    if (available == None || enabled == None) return false;
    const Property offered = readProperty(d, device, available, kMaxProfiles);
    const std::size_t wanted = adaptive ? kAdaptive : kFlat;
    if (offered.format != 8 || offered.items() <= wanted || offered.bytes[wanted] == 0) return false;
    std::vector<unsigned char> choice(offered.items(), 0);
    choice[wanted] = 1;
    XIChangeProperty(d, device, enabled, XA_INTEGER, 8, XIPropModeReplace, choice.data(),
                     static_cast<int>(choice.size()));
    XSync(d, False);
    return readProperty(d, device, enabled, kMaxProfiles).bytes == choice;
}

}  // namespace

X11PointerDevice::X11PointerDevice(std::string display) : m_display(std::move(display)) {}

Availability X11PointerDevice::availability(PointerSetting, UsbIds ids) const {
    const DisplayPtr d = openDisplay(m_display);
    if (!d) return {"pointer_reason_no_x", {}};
    const ErrorTrap trap;
    const Scan scan = scanDevices(d.get(), ids);
    if (!scan.libinputDevices.empty()) return {};
    return {scan.mouseFound ? "pointer_reason_not_libinput" : "pointer_reason_no_device", {}};
}

bool X11PointerDevice::apply(PointerSetting setting, int value, UsbIds ids) {
    const DisplayPtr d = openDisplay(m_display);
    if (!d) return false;
    const ErrorTrap trap;
    const Scan scan = scanDevices(d.get(), ids);
    bool ok = !scan.libinputDevices.empty();
    for (const int device : scan.libinputDevices) {
        if (setting == PointerSetting::Speed) {
            ok = setSpeed(d.get(), device, value) && ok;
        } else if (setting == PointerSetting::Precision) {
            ok = setProfile(d.get(), device, value != 0) && ok;
        } else {
            ok = false;
        }
    }
    if (!ok) debugLog("pointer setting not taken by the X input device");
    return ok;
}

}  // namespace halvern::desktop
