// libFuzzer target: arbitrary bytes as a profile file, a light configuration, an effect file and a
// profile list, read through every getter. Nothing may crash, hang or read out of bounds.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "profile/hs6533_profiledata.h"
#include "profile/json_file.h"
#include "profile/keyboard_profiledata.h"
#include "profile/light_mode_lists.h"
#include "profile/mouse_profiledata.h"
#include "profile/profile_list.h"

namespace {

std::filesystem::path workFolder() {
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() / ("halvern-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

void put(const std::filesystem::path& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace halvern;
    const auto folder = workFolder();
    const auto profilePath = folder / "p.Json";
    for (const char* name : {"p.Json", "zantor_light.config", "fx.light", "ProfileList.ini"}) {
        put(folder / name, data, size);
    }
    (void)ParseJsonText(std::string(reinterpret_cast<const char*>(data), size));

    CMouseProfiledata mouse;
    mouse.SetDefaultPath(folder / "none.Json");
    mouse.LoadDeviceRecord(profilePath);
    put(profilePath, data, size);  // the load may have rewritten it
    mouse.LoadDeviceRecord(profilePath);
    mouse.GetLightInfo();
    mouse.GetAudioLightInfo();
    mouse.GetLightList();
    mouse.GetKeyList();
    mouse.GetDpiStages();
    mouse.GetMouseSystem();
    mouse.GetCorrectInfo();
    mouse.SetLightConfigPath(folder / "zantor_light.config");
    mouse.LoadLightConfig(folder / "zantor_light.config");
    mouse.GetLightEffectFrames();

    CKeyboardProfiledata keyboard;
    keyboard.LoadDeviceRecord(profilePath);
    keyboard.GetKeyboardSystem();
    keyboard.GetCustomGroupIndex();
    keyboard.GetCustomLightColors(size % 8, 170);

    CHs6533Profiledata headset;
    headset.LoadDeviceRecord(profilePath);
    headset.GetHeadsetSystem();
    for (int type = 0; type <= 14; ++type) headset.GetEqValues(type);
    headset.GetCustomEqNames();
    headset.GetCustomEqValues(0);

    LightModeLists lists;
    LoadLightModeLists(static_cast<int>(size % 5), folder, folder / "zantor_light.config", lists);

    ProfileList list;
    list.SetPaths(folder, folder / "none.Json");
    list.Init();
    return 0;
}
