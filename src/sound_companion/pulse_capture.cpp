#include "sound_companion/pulse_capture.h"

#include <pulse/error.h>
#include <pulse/simple.h>

namespace halvern::sound {

struct PulseCapture::Stream {
    pa_simple* handle = nullptr;
    ~Stream() {
        if (handle != nullptr) pa_simple_free(handle);
    }
};

PulseCapture::PulseCapture(Key /*only open() builds one*/, std::unique_ptr<Stream> stream)
    : m_stream(std::move(stream)) {}
PulseCapture::~PulseCapture() = default;

std::unique_ptr<PulseCapture> PulseCapture::open(std::size_t fragmentFrames, std::string& error) {
    const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, kSampleRate, 1};
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<uint32_t>(-1);
    attributes.fragsize = static_cast<uint32_t>(fragmentFrames * sizeof(float));
    int code = 0;
    auto stream = std::make_unique<Stream>();
    stream->handle = pa_simple_new(nullptr, "Halvern", PA_STREAM_RECORD, "@DEFAULT_MONITOR@", "music light",
                                   &format, nullptr, &attributes, &code);
    if (stream->handle == nullptr) {
        error = std::string("cannot record the sound being played: ") + pa_strerror(code);
        return nullptr;
    }
    return std::make_unique<PulseCapture>(Key{}, std::move(stream));
}

bool PulseCapture::read(std::span<float> samples, std::string& error) {
    int code = 0;
    if (pa_simple_read(m_stream->handle, samples.data(), samples.size_bytes(), &code) < 0) {
        error = std::string("recording stopped: ") + pa_strerror(code);
        return false;
    }
    return true;
}

}  // namespace halvern::sound
