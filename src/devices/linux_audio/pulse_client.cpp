#include "devices/linux_audio/pulse_client.h"

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>
#include <pulse/subscribe.h>
#include <pulse/volume.h>

#include <algorithm>
#include <array>
#include <climits>

namespace halvern::audio {

// The main loop runs only inside a call, on the caller's thread: no thread of libpulse's own.
struct PulseClient::Connection {
    pa_mainloop* loop = pa_mainloop_new();
    pa_context* context = nullptr;

    Connection() {
        if (loop != nullptr) context = pa_context_new(pa_mainloop_get_api(loop), "Halvern");
    }
    ~Connection() {
        if (context != nullptr) {
            pa_context_disconnect(context);
            pa_context_unref(context);
        }
        if (loop != nullptr) pa_mainloop_free(loop);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    [[nodiscard]] bool broken() const {
        const pa_context_state_t state = pa_context_get_state(context);
        return state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED;
    }
    [[nodiscard]] bool ready() const { return pa_context_get_state(context) == PA_CONTEXT_READY; }

    /// Runs the loop until `done` holds; false at the deadline or when the connection breaks.
    template <class Done>
    [[nodiscard]] bool runUntil(Done done, Deadline deadline) {
        while (!done()) {
            if (broken()) return false;
            const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
            if (left.count() <= 0) return false;
            const int timeout = static_cast<int>(std::min<int64_t>(left.count(), INT_MAX));
            if (pa_mainloop_prepare(loop, timeout) < 0 || pa_mainloop_poll(loop) < 0 ||
                pa_mainloop_dispatch(loop) < 0)
                return false;
        }
        return true;
    }
};

namespace {

template <class Result>
struct Call {
    bool done = false;
    bool ok = true;
    Result result{};
};

std::map<std::string, std::string> propertiesOf(const pa_proplist* list) {
    std::map<std::string, std::string> out;
    void* state = nullptr;
    constexpr size_t kMostProperties = 256;  // the server's lists are not trusted to be sane
    while (out.size() < kMostProperties) {
        const char* key = pa_proplist_iterate(list, &state);
        if (key == nullptr) break;
        const char* value = pa_proplist_gets(list, key);
        if (value != nullptr) out.emplace(key, value);
    }
    return out;
}

template <class Info>
PulseClient::Node nodeOf(const Info& info) {
    PulseClient::Node node;
    node.index = info.index;
    node.name = info.name != nullptr ? info.name : "";
    node.properties = propertiesOf(info.proplist);
    node.ownerModule = info.owner_module;
    node.channels = info.volume.channels;
    node.rate = info.sample_spec.rate;
    node.volume = pa_cvolume_avg(&info.volume);
    node.mute = info.mute != 0;
    return node;
}

template <class Info, class Item>
void collect(int eol, const Info* info, Call<std::vector<Item>>& call, Item (*convert)(const Info&)) {
    if (eol < 0) call.ok = false;
    if (eol != 0) {
        call.done = true;
        return;
    }
    constexpr size_t kMostItems = 1024;
    if (info != nullptr && call.result.size() < kMostItems) call.result.push_back(convert(*info));
}

PulseClient::Node sinkNode(const pa_sink_info& info) {
    return nodeOf(info);
}
PulseClient::Node sourceNode(const pa_source_info& info) {
    PulseClient::Node node = nodeOf(info);
    node.monitorOf = info.monitor_of_sink;
    return node;
}
PulseClient::Module moduleOf(const pa_module_info& info) {
    return {info.index, info.name != nullptr ? info.name : "", info.argument != nullptr ? info.argument : ""};
}
PulseClient::Stream streamOf(const pa_sink_input_info& info) {
    return {info.index,
            info.sink,
            info.owner_module,
            info.volume.channels,
            pa_cvolume_avg(&info.volume),
            info.proplist != nullptr && pa_proplist_contains(info.proplist, "halvern.role") == 1};
}

PulseClient::Recording recordingOf(const pa_source_output_info& info) {
    return {info.index, info.source, info.owner_module};
}

void onSuccess(pa_context* /*context*/, int success, void* data) {
    auto& call = *static_cast<Call<bool>*>(data);
    call.ok = success != 0;
    call.done = true;
}

pa_cvolume flatVolume(uint8_t channels, uint32_t volume) {
    pa_cvolume out;
    pa_cvolume_set(&out, std::clamp<uint8_t>(channels, 1, PA_CHANNELS_MAX),
                   std::min<uint32_t>(volume, PA_VOLUME_MAX));
    return out;
}

}  // namespace

PulseClient::PulseClient() = default;
PulseClient::~PulseClient() = default;

void PulseClient::drop(Deadline deadline) {
    m_connection.reset();
    if (Clock::now() >= deadline) m_restUntil = Clock::now() + kRest;
}

bool PulseClient::connect(Deadline deadline) {
    if (Clock::now() < m_restUntil) return false;
    if (m_connection) {
        // Takes in what happened since the last call, a hang-up of the server among it.
        for (int pass = 0; pass < 16 && pa_mainloop_iterate(m_connection->loop, 0, nullptr) > 0; ++pass) {
        }
        if (m_connection->ready()) return true;
    }
    m_connection = std::make_unique<Connection>();
    Connection& c = *m_connection;
    if (c.context == nullptr || pa_context_connect(c.context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 ||
        !c.runUntil([&c] { return c.ready(); }, deadline)) {
        drop(deadline);
        return false;
    }
    return true;
}

namespace {

// Starts one request with `start(context, &call)` and waits for its answer. A request that is not
// answered in time is cancelled and the connection dropped, so a late answer can find nothing of ours.
template <class Result, class Start>
std::optional<Result> request(PulseClient& client, PulseClient::Deadline deadline, Start start) {
    if (!client.connect(deadline)) return std::nullopt;
    PulseClient::Connection& connection = *client.connection();
    Call<Result> call;
    pa_operation* operation = start(connection.context, &call);
    if (operation == nullptr) return std::nullopt;
    const bool answered = connection.runUntil([&call] { return call.done; }, deadline);
    if (!answered) pa_operation_cancel(operation);
    pa_operation_unref(operation);
    if (!answered) {
        client.drop(deadline);
        return std::nullopt;
    }
    if (!call.ok) return std::nullopt;
    return std::move(call.result);
}

}  // namespace

std::optional<std::vector<PulseClient::Node>> PulseClient::sinks(Deadline deadline) {
    using Result = std::vector<Node>;
    return request<Result>(*this, deadline, [](pa_context* context, Call<Result>* call) {
        return pa_context_get_sink_info_list(
            context,
            [](pa_context*, const pa_sink_info* info, int eol, void* data) {
                collect(eol, info, *static_cast<Call<Result>*>(data), &sinkNode);
            },
            call);
    });
}

std::optional<std::vector<PulseClient::Node>> PulseClient::sources(Deadline deadline) {
    using Result = std::vector<Node>;
    return request<Result>(*this, deadline, [](pa_context* context, Call<Result>* call) {
        return pa_context_get_source_info_list(
            context,
            [](pa_context*, const pa_source_info* info, int eol, void* data) {
                collect(eol, info, *static_cast<Call<Result>*>(data), &sourceNode);
            },
            call);
    });
}

std::optional<PulseClient::Node> PulseClient::source(std::string_view name, Deadline deadline) {
    using Result = std::vector<Node>;
    const std::string wanted(name);
    auto found = request<Result>(*this, deadline, [&wanted](pa_context* context, Call<Result>* call) {
        return pa_context_get_source_info_by_name(
            context, wanted.c_str(),
            [](pa_context*, const pa_source_info* info, int eol, void* data) {
                collect(eol, info, *static_cast<Call<Result>*>(data), &sourceNode);
            },
            call);
    });
    if (!found || found->empty()) return std::nullopt;
    return std::move(found->front());
}

std::optional<std::vector<PulseClient::Module>> PulseClient::modules(Deadline deadline) {
    using Result = std::vector<Module>;
    return request<Result>(*this, deadline, [](pa_context* context, Call<Result>* call) {
        return pa_context_get_module_info_list(
            context,
            [](pa_context*, const pa_module_info* info, int eol, void* data) {
                collect(eol, info, *static_cast<Call<Result>*>(data), &moduleOf);
            },
            call);
    });
}

std::optional<std::vector<PulseClient::Stream>> PulseClient::streams(Deadline deadline) {
    using Result = std::vector<Stream>;
    return request<Result>(*this, deadline, [](pa_context* context, Call<Result>* call) {
        return pa_context_get_sink_input_info_list(
            context,
            [](pa_context*, const pa_sink_input_info* info, int eol, void* data) {
                collect(eol, info, *static_cast<Call<Result>*>(data), &streamOf);
            },
            call);
    });
}

std::optional<std::vector<PulseClient::Recording>> PulseClient::recordings(Deadline deadline) {
    using Result = std::vector<Recording>;
    return request<Result>(*this, deadline, [](pa_context* context, Call<Result>* call) {
        return pa_context_get_source_output_info_list(
            context,
            [](pa_context*, const pa_source_output_info* info, int eol, void* data) {
                collect(eol, info, *static_cast<Call<Result>*>(data), &recordingOf);
            },
            call);
    });
}

namespace {

struct ServerTexts {
    std::string sink, source, name;
};

std::optional<ServerTexts> serverTexts(PulseClient& client, PulseClient::Deadline deadline) {
    return request<ServerTexts>(client, deadline, [](pa_context* context, Call<ServerTexts>* call) {
        return pa_context_get_server_info(
            context,
            [](pa_context*, const pa_server_info* info, void* data) {
                auto& c = *static_cast<Call<ServerTexts>*>(data);
                if (info != nullptr) {
                    if (info->default_sink_name != nullptr) c.result.sink = info->default_sink_name;
                    if (info->default_source_name != nullptr) c.result.source = info->default_source_name;
                    if (info->server_name != nullptr) c.result.name = info->server_name;
                }
                c.done = true;
            },
            call);
    });
}

}  // namespace

std::optional<std::string> PulseClient::defaultSink(Deadline deadline) {
    auto texts = serverTexts(*this, deadline);
    return texts ? std::optional(std::move(texts->sink)) : std::nullopt;
}

std::optional<std::string> PulseClient::defaultSource(Deadline deadline) {
    auto texts = serverTexts(*this, deadline);
    return texts ? std::optional(std::move(texts->source)) : std::nullopt;
}

std::optional<std::string> PulseClient::serverName(Deadline deadline) {
    auto texts = serverTexts(*this, deadline);
    return texts ? std::optional(std::move(texts->name)) : std::nullopt;
}

bool PulseClient::awaitChange(Watched watched, const std::function<std::optional<bool>()>& reached,
                              Deadline deadline) {
    constexpr std::array<pa_subscription_mask_t, 4> kMasks{
        PA_SUBSCRIPTION_MASK_SINK, PA_SUBSCRIPTION_MASK_SOURCE, PA_SUBSCRIPTION_MASK_SINK_INPUT,
        PA_SUBSCRIPTION_MASK_SERVER};
    const pa_subscription_mask_t mask = kMasks[static_cast<size_t>(watched)];
    // Subscribed before the first look, so that no change between a look and the wait is missed.
    bool changed = false;
    const auto subscribed =
        request<bool>(*this, deadline, [&changed, mask](pa_context* context, Call<bool>* call) {
            pa_context_set_subscribe_callback(
                context,
                [](pa_context*, pa_subscription_event_type_t, uint32_t, void* data) {
                    *static_cast<bool*>(data) = true;
                },
                &changed);
            return pa_context_subscribe(context, mask, onSuccess, call);
        });
    Connection* const watching = subscribed ? m_connection.get() : nullptr;
    bool done = false;
    while (watching != nullptr && m_connection.get() == watching) {
        changed = false;
        const auto now = reached();
        if (!now || *now) {
            done = now.has_value();
            break;
        }
        if (m_connection.get() != watching || !watching->runUntil([&changed] { return changed; }, deadline))
            break;
    }
    // A connection a failed request dropped took the callback with it; a kept one is told to stop.
    if (watching != nullptr && m_connection.get() == watching) {
        pa_context_set_subscribe_callback(watching->context, nullptr, nullptr);
        const auto unsubscribed = request<bool>(*this, deadline, [](pa_context* context, Call<bool>* call) {
            return pa_context_subscribe(context, PA_SUBSCRIPTION_MASK_NULL, onSuccess, call);
        });
        if (!unsubscribed) drop(deadline);
    }
    return done;
}

// The calls that list, name the default of and set the default of the sinks or of the sources.
struct PulseClient::NodeCalls {
    Watched watched;
    std::optional<std::vector<Node>> (PulseClient::*list)(Deadline);
    std::optional<std::string> (PulseClient::*current)(Deadline);
    bool (PulseClient::*makeCurrent)(std::string_view, Deadline);
};
const PulseClient::NodeCalls PulseClient::kSinkCalls{Watched::Sinks, &PulseClient::sinks,
                                                     &PulseClient::defaultSink, &PulseClient::setDefaultSink};
const PulseClient::NodeCalls PulseClient::kSourceCalls{
    Watched::Sources, &PulseClient::sources, &PulseClient::defaultSource, &PulseClient::setDefaultSource};

bool PulseClient::awaitNode(const NodeCalls& calls, std::string_view name, bool present, Deadline deadline) {
    return awaitChange(
        calls.watched,
        [this, &calls, name, present, deadline]() -> std::optional<bool> {
            const auto list = (this->*calls.list)(deadline);
            if (!list) return std::nullopt;
            return std::any_of(list->begin(), list->end(),
                               [name](const Node& n) { return n.name == name; }) == present;
        },
        deadline);
}

bool PulseClient::makeDefault(const NodeCalls& calls, std::string_view name, Deadline deadline) {
    return awaitNode(calls, name, true, deadline) && (this->*calls.makeCurrent)(name, deadline) &&
           awaitChange(
               Watched::Server,
               [this, &calls, name, deadline]() -> std::optional<bool> {
                   const auto now = (this->*calls.current)(deadline);
                   if (!now) return std::nullopt;
                   return *now == name;
               },
               deadline);
}

bool PulseClient::awaitSink(std::string_view name, bool present, Deadline deadline) {
    return awaitNode(kSinkCalls, name, present, deadline);
}

bool PulseClient::awaitSource(std::string_view name, Deadline deadline) {
    return awaitNode(kSourceCalls, name, true, deadline);
}

bool PulseClient::makeDefaultSink(std::string_view name, Deadline deadline) {
    return makeDefault(kSinkCalls, name, deadline);
}

bool PulseClient::makeDefaultSource(std::string_view name, Deadline deadline) {
    return makeDefault(kSourceCalls, name, deadline);
}

std::optional<bool> PulseClient::moduleLoaded(uint32_t index, Deadline deadline) {
    const auto loaded = modules(deadline);
    if (!loaded) return std::nullopt;
    return std::any_of(loaded->begin(), loaded->end(), [index](const Module& m) { return m.index == index; });
}

std::optional<uint32_t> PulseClient::loadModule(std::string_view name, std::string_view argument,
                                                Deadline deadline) {
    const std::string module(name);
    const std::string arguments(argument);
    auto index =
        request<uint32_t>(*this, deadline, [&module, &arguments](pa_context* context, Call<uint32_t>* call) {
            return pa_context_load_module(
                context, module.c_str(), arguments.c_str(),
                [](pa_context*, uint32_t loaded, void* data) {
                    auto& c = *static_cast<Call<uint32_t>*>(data);
                    c.result = loaded;
                    c.ok = loaded != PA_INVALID_INDEX;
                    c.done = true;
                },
                call);
        });
    return index;
}

bool PulseClient::unloadModule(uint32_t index, Deadline deadline) {
    return request<bool>(*this, deadline,
                         [index](pa_context* context, Call<bool>* call) {
                             return pa_context_unload_module(context, index, onSuccess, call);
                         })
        .has_value();
}

bool PulseClient::setSourceVolume(std::string_view name, uint8_t channels, uint32_t volume,
                                  Deadline deadline) {
    const std::string source(name);
    const pa_cvolume levels = flatVolume(channels, volume);
    return request<bool>(*this, deadline,
                         [&source, &levels](pa_context* context, Call<bool>* call) {
                             return pa_context_set_source_volume_by_name(context, source.c_str(), &levels,
                                                                         onSuccess, call);
                         })
        .has_value();
}

bool PulseClient::setSourceMute(std::string_view name, bool mute, Deadline deadline) {
    const std::string source(name);
    return request<bool>(*this, deadline,
                         [&source, mute](pa_context* context, Call<bool>* call) {
                             return pa_context_set_source_mute_by_name(context, source.c_str(), mute ? 1 : 0,
                                                                       onSuccess, call);
                         })
        .has_value();
}

bool PulseClient::setStreamVolume(uint32_t index, uint8_t channels, uint32_t volume, Deadline deadline) {
    const pa_cvolume levels = flatVolume(channels, volume);
    return request<bool>(*this, deadline,
                         [index, &levels](pa_context* context, Call<bool>* call) {
                             return pa_context_set_sink_input_volume(context, index, &levels, onSuccess,
                                                                     call);
                         })
        .has_value();
}

bool PulseClient::moveStream(uint32_t index, std::string_view sink, Deadline deadline) {
    const std::string target(sink);
    return request<bool>(*this, deadline,
                         [index, &target](pa_context* context, Call<bool>* call) {
                             return pa_context_move_sink_input_by_name(context, index, target.c_str(),
                                                                       onSuccess, call);
                         })
        .has_value();
}

bool PulseClient::setDefaultSink(std::string_view name, Deadline deadline) {
    const std::string sink(name);
    return request<bool>(*this, deadline,
                         [&sink](pa_context* context, Call<bool>* call) {
                             return pa_context_set_default_sink(context, sink.c_str(), onSuccess, call);
                         })
        .has_value();
}

}  // namespace halvern::audio

namespace halvern::audio {

bool PulseClient::moveRecording(uint32_t index, std::string_view source, Deadline deadline) {
    const std::string target(source);
    return request<bool>(*this, deadline,
                         [index, &target](pa_context* context, Call<bool>* call) {
                             return pa_context_move_source_output_by_name(context, index, target.c_str(),
                                                                          onSuccess, call);
                         })
        .has_value();
}

bool PulseClient::setDefaultSource(std::string_view name, Deadline deadline) {
    const std::string source(name);
    return request<bool>(*this, deadline,
                         [&source](pa_context* context, Call<bool>* call) {
                             return pa_context_set_default_source(context, source.c_str(), onSuccess, call);
                         })
        .has_value();
}

}  // namespace halvern::audio
