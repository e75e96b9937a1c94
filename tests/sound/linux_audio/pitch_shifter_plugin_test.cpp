// Rubber Band's LADSPA pitch shifter, the voice changer's middle, run in this process: how long it holds
// the sound back, which is most of the voice changer's delay through the sound server.

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <ladspa.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <string_view>
#include <vector>

#include "devices/linux_audio/ladspa_folders.h"

namespace halvern::audio {
namespace {

constexpr unsigned long kRate = 48000;
constexpr unsigned long kBlock = 256;  // what a sound server hands a filter at a time, about

struct LibraryCloser {
    void operator()(void* library) const { ::dlclose(library); }
};

struct Shift {
    const char* name;
    float semitones;
    float octaves;
};
// The voice changer's four voices (formant keeping does not change the delay).
constexpr std::array<Shift, 4> kShifts{
    {{"deep", -5, 0}, {"monster", 0, -1}, {"higher", 4, 0}, {"chipmunk", 0, 1}}};

TEST(PitchShifterPluginTest, HoldsTheSoundBackForTheLatencyItReports) {
    const auto path = findLadspaLibrary("ladspa-rubberband.so");
    if (!path) GTEST_SKIP() << "Rubber Band's LADSPA plugin is not installed (rubberband-ladspa)";
    const std::unique_ptr<void, LibraryCloser> library(::dlopen(path->c_str(), RTLD_NOW | RTLD_LOCAL));
    ASSERT_TRUE(library) << ::dlerror();
    const auto describe =
        reinterpret_cast<LADSPA_Descriptor_Function>(::dlsym(library.get(), "ladspa_descriptor"));
    ASSERT_NE(describe, nullptr);
    const LADSPA_Descriptor* plugin = nullptr;
    for (unsigned long i = 0; const LADSPA_Descriptor* d = describe(i); ++i) {
        if (std::string_view(d->Label) == "rubberband-pitchshifter-mono") plugin = d;
    }
    ASSERT_NE(plugin, nullptr) << "the mono pitch shifter is not in " << *path;

    for (const Shift& shift : kShifts) {
        const auto cleanup = [plugin](LADSPA_Handle h) {
            if (plugin->deactivate != nullptr) plugin->deactivate(h);
            plugin->cleanup(h);
        };
        const std::unique_ptr<void, decltype(cleanup)> instance(plugin->instantiate(plugin, kRate), cleanup);
        ASSERT_TRUE(instance);
        std::vector<LADSPA_Data> controls(plugin->PortCount, 0.0f);
        std::array<LADSPA_Data, kBlock> in{};
        std::array<LADSPA_Data, kBlock> out{};
        float* latency = nullptr;
        for (unsigned long port = 0; port < plugin->PortCount; ++port) {
            const LADSPA_PortDescriptor kind = plugin->PortDescriptors[port];
            const std::string_view name = plugin->PortNames[port];
            if (LADSPA_IS_PORT_AUDIO(kind)) {
                plugin->connect_port(instance.get(), port,
                                     LADSPA_IS_PORT_INPUT(kind) ? in.data() : out.data());
                continue;
            }
            // The voice changer's settings: crispness 3, the shifted sound only.
            controls[port] = name == "Semitones"   ? shift.semitones
                             : name == "Octaves"   ? shift.octaves
                             : name == "Crispness" ? 3.0f
                                                   : 0.0f;
            if (name == "latency") latency = &controls[port];
            plugin->connect_port(instance.get(), port, &controls[port]);
        }
        ASSERT_NE(latency, nullptr) << "the plugin reports no latency";
        if (plugin->activate != nullptr) plugin->activate(instance.get());
        // A steady 300 Hz tone from the first sample; where its shifted sound first reaches a quarter of it.
        std::optional<unsigned long> onset;
        for (unsigned long at = 0; at < kRate && !onset; at += kBlock) {
            for (unsigned long i = 0; i < kBlock; ++i)
                in[i] = 0.3f *
                        static_cast<float>(std::sin(2 * std::numbers::pi * 300.0 * double(at + i) / kRate));
            plugin->run(instance.get(), kBlock);
            for (unsigned long i = 0; i < kBlock && !onset; ++i)
                if (std::abs(out[i]) >= 0.075f) onset = at + i;
        }
        ASSERT_TRUE(onset) << shift.name << ": nothing came out within a second";
        const double reportedMs = 1000.0 * *latency / kRate;
        const double heardMs = 1000.0 * double(*onset) / kRate;
        std::printf("pitch shifter, %s: reports %.0f samples (%.1f ms), first heard after %.1f ms\n",
                    shift.name, double(*latency), reportedMs, heardMs);
        // The reported figure is the plugin's buffering, the sound fading in around it: it is the delay.
        EXPECT_NEAR(heardMs, reportedMs, 30.0) << shift.name;
    }
}

}  // namespace
}  // namespace halvern::audio
