#include "sound_companion/pulse_capture.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>
#include <pulse/stream.h>
#include <pulse/subscribe.h>

namespace halvern::sound {

namespace {

void release(pa_operation* operation) {
    if (operation != nullptr) pa_operation_unref(operation);
}

}  // namespace

/// The server connection, the recording and the event loop that serves both and the watched file.
struct PulseCapture::Loop {
    pa_mainloop* mainloop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    pa_io_event* watched = nullptr;
    std::function<bool()> readable;
    SamplesHandler samples;
    std::string error;
    bool playing = true;  // until the server's list of playback streams says otherwise
    bool mayRest = false;
    bool corked = false;
    int playingCount = 0;  // counted while a list of playback streams arrives

    ~Loop() {
        if (watched != nullptr) pa_mainloop_get_api(mainloop)->io_free(watched);
        if (stream != nullptr) {
            pa_stream_disconnect(stream);
            pa_stream_unref(stream);
        }
        if (context != nullptr) {
            pa_context_disconnect(context);
            pa_context_unref(context);
        }
        if (mainloop != nullptr) pa_mainloop_free(mainloop);
    }

    void fail(const std::string& what) {
        if (error.empty()) error = what + ": " + pa_strerror(pa_context_errno(context));
        pa_mainloop_quit(mainloop, 1);
    }

    /// Pauses the recording while nothing plays and the consumer may rest; resumes it when something plays.
    void cork(bool on) {
        if (on == corked || stream == nullptr) return;
        corked = on;
        release(pa_stream_cork(stream, on ? 1 : 0, nullptr, nullptr));
    }
    void decide() { cork(!playing && mayRest); }

    void countPlaying() {
        playingCount = 0;
        release(pa_context_get_sink_input_info_list(
            context,
            [](pa_context*, const pa_sink_input_info* info, int eol, void* self) {
                auto* loop = static_cast<Loop*>(self);
                if (eol != 0) {
                    loop->playing = loop->playingCount > 0;
                    if (loop->playing) loop->mayRest = false;
                    loop->decide();
                    return;
                }
                if (info != nullptr && info->corked == 0) ++loop->playingCount;
            },
            this));
    }

    void take() {
        const void* data = nullptr;
        std::size_t bytes = 0;
        while (pa_stream_readable_size(stream) > 0) {
            if (pa_stream_peek(stream, &data, &bytes) < 0) {
                fail("recording stopped");
                return;
            }
            if (bytes == 0) return;
            Next next = Next::More;
            if (data != nullptr) {  // null: a hole in the recording, nothing to analyse
                next =
                    samples(std::span<const float>(static_cast<const float*>(data), bytes / sizeof(float)));
            }
            pa_stream_drop(stream);
            if (next == Next::Stop) {
                pa_mainloop_quit(mainloop, 0);
                return;
            }
            mayRest = next == Next::Rest;
            decide();
        }
    }

    /// Runs the loop until `done` holds; false when the server failed first.
    template <typename Done>
    bool iterateUntil(Done done) {
        while (!done()) {
            if (!error.empty() || pa_mainloop_iterate(mainloop, 1, nullptr) < 0) return false;
        }
        return true;
    }
};

PulseCapture::PulseCapture(Key /*only open() builds one*/, std::unique_ptr<Loop> loop)
    : m_loop(std::move(loop)) {}
PulseCapture::~PulseCapture() = default;

std::unique_ptr<PulseCapture> PulseCapture::open(std::size_t fragmentFrames, std::string& error) {
    auto loop = std::make_unique<Loop>();
    loop->mainloop = pa_mainloop_new();
    if (loop->mainloop == nullptr) {
        error = "cannot make the sound event loop";
        return nullptr;
    }
    loop->context = pa_context_new(pa_mainloop_get_api(loop->mainloop), "Halvern");
    if (loop->context == nullptr ||
        pa_context_connect(loop->context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        error = "cannot record the sound being played: no sound server";
        return nullptr;
    }
    Loop* raw = loop.get();
    const auto contextIs = [raw](pa_context_state_t wanted) {
        const pa_context_state_t state = pa_context_get_state(raw->context);
        if (!PA_CONTEXT_IS_GOOD(state)) raw->fail("cannot record the sound being played");
        return state == wanted;
    };
    if (!loop->iterateUntil([&] { return contextIs(PA_CONTEXT_READY); })) {
        error = loop->error;
        return nullptr;
    }
    pa_context_set_state_callback(
        loop->context,
        [](pa_context* context, void* self) {
            if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context)))
                static_cast<Loop*>(self)->fail("the sound server went away");
        },
        raw);

    const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, kSampleRate, 1};
    loop->stream = pa_stream_new(loop->context, "music light", &format, nullptr);
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<uint32_t>(-1);
    attributes.fragsize = static_cast<uint32_t>(fragmentFrames * sizeof(float));
    if (loop->stream == nullptr || pa_stream_connect_record(loop->stream, "@DEFAULT_MONITOR@", &attributes,
                                                            PA_STREAM_ADJUST_LATENCY) < 0) {
        loop->fail("cannot record the sound being played");
        error = loop->error;
        return nullptr;
    }
    const auto streamReady = [raw] {
        const pa_stream_state_t state = pa_stream_get_state(raw->stream);
        if (!PA_STREAM_IS_GOOD(state)) raw->fail("cannot record the sound being played");
        return state == PA_STREAM_READY;
    };
    if (!loop->iterateUntil(streamReady)) {
        error = loop->error;
        return nullptr;
    }
    pa_stream_set_read_callback(
        loop->stream, [](pa_stream*, std::size_t, void* self) { static_cast<Loop*>(self)->take(); }, raw);
    pa_stream_set_state_callback(
        loop->stream,
        [](pa_stream* stream, void* self) {
            if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream)))
                static_cast<Loop*>(self)->fail("recording stopped");
        },
        raw);

    // Whether anything plays follows the server's playback streams.
    pa_context_set_subscribe_callback(
        loop->context,
        [](pa_context*, pa_subscription_event_type_t, uint32_t, void* self) {
            static_cast<Loop*>(self)->countPlaying();
        },
        raw);
    release(pa_context_subscribe(loop->context, PA_SUBSCRIPTION_MASK_SINK_INPUT, nullptr, nullptr));
    loop->countPlaying();
    return std::make_unique<PulseCapture>(Key{}, std::move(loop));
}

void PulseCapture::watch(int fd, std::function<bool()> readable) {
    m_loop->readable = std::move(readable);
    const pa_mainloop_api* api = pa_mainloop_get_api(m_loop->mainloop);
    m_loop->watched = api->io_new(
        pa_mainloop_get_api(m_loop->mainloop), fd,
        static_cast<pa_io_event_flags_t>(PA_IO_EVENT_INPUT | PA_IO_EVENT_HANGUP | PA_IO_EVENT_ERROR),
        [](pa_mainloop_api*, pa_io_event*, int, pa_io_event_flags_t, void* self) {
            auto* loop = static_cast<Loop*>(self);
            if (!loop->readable()) pa_mainloop_quit(loop->mainloop, 0);
        },
        m_loop.get());
}

bool PulseCapture::run(SamplesHandler samples, std::string& error) {
    m_loop->samples = std::move(samples);
    int result = 0;
    if (pa_mainloop_run(m_loop->mainloop, &result) < 0 && m_loop->error.empty())
        m_loop->error = "the sound event loop failed";
    error = m_loop->error;
    return error.empty();
}

bool PulseCapture::resting() const {
    return m_loop->corked;
}

}  // namespace halvern::sound
