#include "update/http_client.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "device/debug_sink.h"
#include "update/curl_library.h"

namespace halvern {
namespace {

struct CurlDeleter {
    const CurlLibrary* curl;
    void operator()(CURL* handle) const { curl->easy_cleanup(handle); }
};
struct HeaderListDeleter {
    const CurlLibrary* curl;
    void operator()(curl_slist* list) const { curl->slist_free_all(list); }
};
using CurlHandle = std::unique_ptr<CURL, CurlDeleter>;
using HeaderList = std::unique_ptr<curl_slist, HeaderListDeleter>;

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

/// Where the response body goes: into the caller's buffer, never past it.
struct BodySink {
    std::span<char> buffer;
    size_t used = 0;
    bool cut = false;
};

size_t writeBody(char* data, size_t size, size_t count, void* user) {
    auto& sink = *static_cast<BodySink*>(user);
    const size_t length = size * count;
    const size_t room = sink.buffer.size() - sink.used;
    const size_t taken = std::min(length, room);
    std::memcpy(sink.buffer.data() + sink.used, data, taken);
    sink.used += taken;
    if (taken < length) {
        sink.cut = true;
        return 0;  // the rest would not fit: stop receiving
    }
    return length;
}

int progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<std::atomic<bool>*>(user)->load() ? 1 : 0;
}

/// Sets options one after another until one is refused; the first refusal is kept with the option's
/// number, so a request never goes out with part of its options.
class Options {
public:
    Options(const CurlLibrary& library, CURL* curl) : m_library(library), m_curl(curl) {}
    template <typename Value>
    void set(CURLoption option, Value value) {
        if (m_result != CURLE_OK) return;
        m_result = m_library.easy_setopt(m_curl, option, value);
        if (m_result != CURLE_OK) m_refused = option;
    }
    /// The allowed protocols by name (libcurl 7.85 and later), or by bit mask where an older libcurl does not
    /// know the option by name.
    void setProtocols(CURLoption byName, CURLoption byMask, const char* names, long mask) {
        if (m_result != CURLE_OK) return;
        m_result = m_library.easy_setopt(m_curl, byName, names);
        if (m_result == CURLE_UNKNOWN_OPTION || m_result == CURLE_NOT_BUILT_IN) {
            m_result = CURLE_OK;
            set(byMask, mask);
        } else if (m_result != CURLE_OK) {
            m_refused = byName;
        }
    }
    [[nodiscard]] CURLcode result() const { return m_result; }
    [[nodiscard]] CURLoption refused() const { return m_refused; }

private:
    const CurlLibrary& m_library;
    CURL* m_curl;
    CURLcode m_result = CURLE_OK;
    CURLoption m_refused{};
};

// The bit-mask forms of the protocol options, which libcurl 7.85 marked deprecated: named by number so
// that building against a newer libcurl does not warn. Their values are fixed by libcurl's ABI.
constexpr auto kProtocolsByMask = static_cast<CURLoption>(CURLOPTTYPE_LONG + 181);
constexpr auto kRedirectProtocolsByMask = static_cast<CURLoption>(CURLOPTTYPE_LONG + 182);

void setTimeouts(Options& options, const HttpClient::Settings& s) {
    // Name resolution is part of connecting for libcurl, so its bound is the connect time-out.
    const long connect = s.resolveTimeoutMs > 0 && s.connectTimeoutMs > 0
                             ? std::min(s.resolveTimeoutMs, s.connectTimeoutMs)
                             : std::max(s.resolveTimeoutMs, s.connectTimeoutMs);
    options.set(CURLOPT_CONNECTTIMEOUT_MS, connect);
    const long stalled = std::max(s.sendTimeoutMs, s.receiveTimeoutMs);
    if (stalled > 0) {
        options.set(CURLOPT_LOW_SPEED_LIMIT, 1L);
        options.set(CURLOPT_LOW_SPEED_TIME, std::max(1L, stalled / 1000));
    }
}

}  // namespace

bool IsHttpUrl(std::string_view url) {
    size_t hostStart = 0;
    if (startsWithNoCase(url, "https://")) {
        hostStart = 8;
    } else if (startsWithNoCase(url, "http://")) {
        hostStart = 7;
    } else {
        return false;
    }
    return hostStart < url.size() && url[hostStart] != '/' && url[hostStart] != '?' && url[hostStart] != '#';
}

HttpClient::HttpClient() = default;

void HttpClient::HttpInit() {
    Settings fresh;
    fresh.caFile = std::move(m_settings.caFile);
    m_settings = std::move(fresh);
    m_lastError = 0;
}

long HttpClient::HttpRequest(std::string_view method, std::string_view url, std::span<const char> body,
                             std::span<char> buffer, [[maybe_unused]] bool useProxy) {
    // No named proxy exists; the environment's proxy settings serve every request.
    m_cut = false;
    m_status = 0;
    if (url.empty()) {
        m_lastError = kHttpErrorBadUrl;
        return -1;
    }
    const bool post = equalsNoCase(method, "POST");
    if (!post && !equalsNoCase(method, "GET")) {
        m_lastError = kHttpErrorBadMethod;
        return -1;
    }
    if (!IsHttpUrl(url)) {
        m_lastError = kHttpErrorBadUrl;
        return -1;
    }
    const CurlLibrary* library = m_library ? m_library : Curl();
    if (!library) {
        m_lastError = CURLE_FAILED_INIT;
        return -1;
    }
    CurlHandle curl(library->easy_init(), CurlDeleter{library});
    if (!curl) {
        m_lastError = CURLE_FAILED_INIT;
        return -1;
    }
    const std::string address(url);
    const bool secure = startsWithNoCase(url, "https://");
    BodySink sink{buffer};
    CURL* c = curl.get();
    Options options(*library, c);
    options.set(CURLOPT_URL, address.c_str());
    options.setProtocols(CURLOPT_PROTOCOLS_STR, kProtocolsByMask, "http,https",
                         CURLPROTO_HTTP | CURLPROTO_HTTPS);
    options.setProtocols(CURLOPT_REDIR_PROTOCOLS_STR, kRedirectProtocolsByMask,
                         secure ? "https" : "http,https",
                         secure ? CURLPROTO_HTTPS : CURLPROTO_HTTP | CURLPROTO_HTTPS);
    options.set(CURLOPT_FOLLOWLOCATION, 1L);
    options.set(CURLOPT_MAXREDIRS, kMaxRedirects);
    options.set(CURLOPT_USERAGENT, m_settings.userAgent.c_str());
    options.set(CURLOPT_SSL_VERIFYPEER, 1L);
    options.set(CURLOPT_SSL_VERIFYHOST, 2L);
    if (!m_settings.caFile.empty()) options.set(CURLOPT_CAINFO, m_settings.caFile.c_str());
    options.set(CURLOPT_NOSIGNAL, 1L);
    options.set(CURLOPT_WRITEFUNCTION, writeBody);
    options.set(CURLOPT_WRITEDATA, &sink);
    options.set(CURLOPT_NOPROGRESS, 0L);
    options.set(CURLOPT_XFERINFOFUNCTION, progress);
    options.set(CURLOPT_XFERINFODATA, &m_cancelled);
    setTimeouts(options, m_settings);

    // The verb and the body go as given; a GET carries its body too, as the same headers announce it.
    options.set(CURLOPT_POSTFIELDS, body.data());
    options.set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    options.set(CURLOPT_CUSTOMREQUEST, post ? "POST" : "GET");

    const std::string length = "Content-Length: " + std::to_string(body.size());
    HeaderList headers(nullptr, HeaderListDeleter{library});
    for (const char* line : {length.c_str(), "Content-Type: application/x-www-form-urlencoded",
                             "Accept:application/prs.Zantor.v1+json", "Expect:"}) {
        curl_slist* grown = library->slist_append(headers.get(), line);
        if (!grown) {
            m_lastError = CURLE_OUT_OF_MEMORY;
            return -1;
        }
        // The list grew in place (or began): the handle keeps owning it.
        if (!headers) headers.reset(grown);
    }
    options.set(CURLOPT_HTTPHEADER, headers.get());
    if (options.result() != CURLE_OK) {
        // A request without all of its options (no body, no protocol limit, no time-out) is never sent.
        debugLog("update: libcurl refused option " + std::to_string(static_cast<int>(options.refused())) +
                 ": " + std::to_string(static_cast<int>(options.result())));
        m_lastError = static_cast<int>(options.result());
        return -1;
    }

    const CURLcode result = m_cancelled.load() ? CURLE_ABORTED_BY_CALLBACK : library->easy_perform(c);
    if (library->easy_getinfo(c, CURLINFO_RESPONSE_CODE, &m_status) != CURLE_OK) m_status = 0;
    m_cut = sink.cut;
    if (result == CURLE_OK || (sink.cut && result == CURLE_WRITE_ERROR)) return static_cast<long>(sink.used);
    m_lastError = static_cast<int>(result);
    if (m_status != 0 || sink.used > 0) return static_cast<long>(sink.used);  // failed after an answer began
    std::fill(buffer.begin(), buffer.end(), '\0');
    std::copy_n(kNoLinkServer.begin(), std::min(kNoLinkServer.size(), buffer.size()), buffer.begin());
    return 0;
}

}  // namespace halvern
