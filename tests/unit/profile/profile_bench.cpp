// Load, change and save the keyboard profile, the largest of the four kinds.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>

#include "profile/keyboard_profiledata.h"

namespace {

void KeyboardLoadSetSave(benchmark::State& state) {
    std::string pattern = (std::filesystem::temp_directory_path() / "halvern-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        state.SkipWithError("mkdtemp failed");
        return;
    }
    const std::filesystem::path folder = pattern;
    const std::filesystem::path path = folder / "p.Json";
    std::filesystem::copy_file(
        std::filesystem::path(HALVERN_SOURCE_RESOURCES) / "DefaultData" / "keyboard.Json", path);

    uint16_t repeat = 0;
    for (auto _ : state) {
        halvern::CKeyboardProfiledata profile;  // a fresh object: the load parses the file
        profile.SetProfilePath(path);
        if (!profile.LoadDeviceRecord(path)) state.SkipWithError("the profile holds no device record");
        halvern::KeyboardSystem system = profile.GetKeyboardSystem();
        system.repeat = ++repeat;
        profile.SetKeyboardSystem(system);
        if (!profile.Save()) state.SkipWithError("save failed");
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(KeyboardLoadSetSave)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
