// Arbitrary notification types and sender names: routing must never crash, and whatever it routes must
// name a real operation with an index that came from the name.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/routing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace halvern::app;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\0');
    const std::string_view type =
        split == std::string_view::npos ? std::string_view("click") : input.substr(0, split);
    const std::string_view sender = split == std::string_view::npos ? input : input.substr(split + 1);
    const auto route = routeNotification(type, sender);
    if (!route) return 0;
    if (static_cast<size_t>(route->operation) >= kOperationCount) std::abort();
    // A prefix route's index is the decimal number after the sender's last "_".
    if (route->index >= 0 && sender.rfind('_') == std::string_view::npos) std::abort();
    return 0;
}
