#include "profile/profile_naming.h"

#include "profile/text_utf8.h"

namespace halvern {

bool ContainsName(const std::vector<std::string>& names, std::string_view name, int except) {
    for (size_t i = 0; i < names.size(); ++i) {
        if (static_cast<int>(i) != except && EqualsIgnoreCase(names[i], name)) return true;
    }
    return false;
}

std::string NewProfileName(const std::vector<std::string>& names) {
    // Each candidate is tested against every entry, so at most names.size() + 1 candidates are formed.
    for (size_t n = 1;; ++n) {
        std::string candidate = "profile" + std::to_string(n);
        if (!ContainsName(names, candidate)) return candidate;
    }
}

std::string CopyProfileName(const std::vector<std::string>& names, std::string_view source) {
    std::string candidate = std::string(source) + " copy";
    while (ContainsName(names, candidate)) candidate += " copy";
    return candidate;
}

std::string ImportProfileName(const std::vector<std::string>& names, std::string_view base) {
    std::string candidate(base);
    for (int n = 1; ContainsName(names, candidate); ++n) {
        candidate += '(';
        candidate += std::to_string(n);
        candidate += ')';
    }
    return candidate;
}

}  // namespace halvern
