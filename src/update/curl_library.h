#pragma once

#include <curl/curl.h>

namespace halvern {

/// libcurl's calls, loaded when the first request is made rather than at start-up: libcurl brings some
/// twenty libraries in (TLS, Kerberos, LDAP, SSH, ...), about 5 MB resident and part of the start-up
/// time, for a check the user may never run.
struct CurlLibrary {
    decltype(&curl_global_init) global_init = nullptr;
    decltype(&curl_global_cleanup) global_cleanup = nullptr;
    decltype(&curl_easy_init) easy_init = nullptr;
    decltype(&curl_easy_setopt) easy_setopt = nullptr;
    decltype(&curl_easy_perform) easy_perform = nullptr;
    decltype(&curl_easy_getinfo) easy_getinfo = nullptr;
    decltype(&curl_easy_cleanup) easy_cleanup = nullptr;
    decltype(&curl_slist_append) slist_append = nullptr;
    decltype(&curl_slist_free_all) slist_free_all = nullptr;
};

/// The library, loaded and initialised once (thread-safe); null when libcurl cannot be loaded or lacks a
/// call. It stays loaded until the program ends.
[[nodiscard]] const CurlLibrary* Curl();

}  // namespace halvern
