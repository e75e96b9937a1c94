#pragma once

#include <atomic>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace halvern {

struct CurlLibrary;

/// The response buffer every caller hands to HttpClient::HttpRequest.
inline constexpr size_t kHttpBufferSize = 102400;

/// The text written at the start of the buffer when no request could be sent.
inline constexpr std::string_view kNoLinkServer = "NO_LINK_SERVER";

/// Last-error codes of bad arguments (the others are libcurl's result codes).
inline constexpr int kHttpErrorBadUrl = 3;
inline constexpr int kHttpErrorBadMethod = 87;

/// A small synchronous HTTP client: one GET or POST with a form-encoded body, whose response body is copied
/// into the caller's buffer whatever the status. Certificates are always verified, only http and https are
/// spoken (redirects included, at most kMaxRedirects of them, never from https down to http), and a body
/// longer than the buffer is cut at its end and reported by responseCut(). One object per thread.
class HttpClient {
public:
    static constexpr long kMaxRedirects = 5;

    /// Time-outs in milliseconds; 0 means no limit. Sending and receiving are bounded by "no progress for
    /// that long", which is what a per-operation time-out amounts to on a stream.
    struct Settings {
        std::string userAgent = "WinHTTP Client/1.0";  // servers may know the client by it
        long resolveTimeoutMs = 0;
        long connectTimeoutMs = 60000;
        long sendTimeoutMs = 30000;
        long receiveTimeoutMs = 30000;
        /// A file of trusted certificate authorities instead of the system's (empty: the system's).
        std::string caFile;
    };

    HttpClient();
    /// A client that makes its requests through these calls instead of the loaded libcurl (tests).
    explicit HttpClient(const CurlLibrary& library) : m_library(&library) {}

    /// Resets the settings (the CA file is kept) and the last error.
    void HttpInit();

    /// Sends one request. `method` is "GET" or "POST" in any case; `url` an http or https address. Returns
    /// the number of body bytes copied into `buffer` (0 when nothing could be sent; the buffer then starts
    /// with kNoLinkServer), or -1 for bad arguments (last error kHttpErrorBadUrl or kHttpErrorBadMethod)
    /// and when libcurl is missing or refused one of the request's options (last error: libcurl's code).
    /// `useProxy` asks for a named proxy of the settings; none is ever configured, so the system's proxy
    /// variables apply either way.
    [[nodiscard]] long HttpRequest(std::string_view method, std::string_view url, std::span<const char> body,
                                   std::span<char> buffer, bool useProxy);

    [[nodiscard]] int HttpLastError() const { return m_lastError; }
    /// Whether the last response was longer than the buffer (and so was cut).
    [[nodiscard]] bool responseCut() const { return m_cut; }
    /// The HTTP status of the last response, 0 when none came.
    [[nodiscard]] long responseStatus() const { return m_status; }

    [[nodiscard]] Settings& settings() { return m_settings; }

    /// Makes a running request give up at its next progress report, and every later one at once (from any
    /// thread; a cancelled client stays cancelled).
    void cancel() { m_cancelled.store(true); }

private:
    const CurlLibrary* m_library = nullptr;  ///< null: the loaded libcurl
    Settings m_settings;
    int m_lastError = 0;
    bool m_cut = false;
    long m_status = 0;
    std::atomic<bool> m_cancelled{false};
};

/// Whether `url` starts with http:// or https:// (in any case) and names a host.
[[nodiscard]] bool IsHttpUrl(std::string_view url);

}  // namespace halvern
