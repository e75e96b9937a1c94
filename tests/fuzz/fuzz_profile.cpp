// Arbitrary bytes as a profile document, a light configuration, an effect file, the light-mode defaults and
// a profile list, read through the JSON reader and every getter. Nothing may crash, hang or read out of
// bounds. Everything stays in memory: the file side (atomic writes, fsync) has its own tests, and leaving
// it out lets the fuzzer try thousands of documents a second instead of tens.
#include <cstdint>
#include <string>

#include "profile/hs6533_profiledata.h"
#include "profile/json_file.h"
#include "profile/keyboard_profiledata.h"
#include "profile/light_mode_lists.h"
#include "profile/mouse_profiledata.h"
#include "profile/profile_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace halvern;
    const Json::Value document = ParseJsonText(std::string(reinterpret_cast<const char*>(data), size));

    CMouseProfiledata mouse;
    mouse.UseDeviceRecord(document);
    mouse.GetLightInfo();
    mouse.GetAudioLightInfo();
    mouse.GetLightList();
    mouse.GetKeyList();
    mouse.GetDpiStages();
    mouse.GetMouseSystem();
    mouse.GetCorrectInfo();
    (void)CBasicProfiledata::EffectFramesOf(document);

    CKeyboardProfiledata keyboard;
    keyboard.UseDeviceRecord(document);
    keyboard.GetKeyboardSystem();
    keyboard.GetCustomGroupIndex();
    keyboard.GetCustomLightColors(static_cast<int>(size % 8), 170);

    CHs6533Profiledata headset;
    headset.UseDeviceRecord(document);
    headset.GetHeadsetSystem();
    for (int type = 0; type <= 14; ++type) headset.GetEqValues(type);
    headset.GetCustomEqNames();
    headset.GetCustomEqValues(0);

    LightModeLists lists;
    FillLightModeLists(static_cast<int>(size % 5), document, document, lists);

    (void)ProfileList::EntriesOf(document);
    return 0;
}
