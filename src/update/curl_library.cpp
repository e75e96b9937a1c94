#include "update/curl_library.h"

#include <dlfcn.h>

#include <optional>
#include <string>

#include "device/debug_sink.h"

namespace halvern {
namespace {

template <typename Function>
bool resolve(void* handle, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(handle, name));
    return function != nullptr;
}

std::optional<CurlLibrary> load() {
    void* handle = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        debugLog(std::string("libcurl could not be loaded: ") + (why ? why : "unknown reason"));
        return std::nullopt;
    }
    CurlLibrary curl;
    const bool complete = resolve(handle, "curl_global_init", curl.global_init) &&
                          resolve(handle, "curl_global_cleanup", curl.global_cleanup) &&
                          resolve(handle, "curl_easy_init", curl.easy_init) &&
                          resolve(handle, "curl_easy_setopt", curl.easy_setopt) &&
                          resolve(handle, "curl_easy_perform", curl.easy_perform) &&
                          resolve(handle, "curl_easy_getinfo", curl.easy_getinfo) &&
                          resolve(handle, "curl_easy_cleanup", curl.easy_cleanup) &&
                          resolve(handle, "curl_slist_append", curl.slist_append) &&
                          resolve(handle, "curl_slist_free_all", curl.slist_free_all);
    if (!complete) {
        debugLog("libcurl lacks a call this program uses");
        dlclose(handle);
        return std::nullopt;
    }
    // Done once before any handle exists: curl would otherwise initialise itself on the first handle,
    // which is not safe between threads.
    if (curl.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        curl.global_cleanup();
        debugLog("libcurl could not be initialised");
        return std::nullopt;
    }
    return curl;  // the handle stays open: the calls are used until the program ends
}

}  // namespace

const CurlLibrary* Curl() {
    static const std::optional<CurlLibrary> library = load();
    return library ? &*library : nullptr;
}

}  // namespace halvern
