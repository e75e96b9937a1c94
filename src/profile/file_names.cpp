#include "profile/file_names.h"

namespace halvern {

bool IsSafeFileStem(std::string_view id) {
    if (id.empty() || id.size() > 200 || id == "." || id == "..") return false;
    for (char c : id) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || u < 0x20 || u == 0x7F) return false;
    }
    return true;
}

}  // namespace halvern
