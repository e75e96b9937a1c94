// Answers of an update server: any bytes, read as the check reads them, in both number bases.

#include <cstddef>
#include <cstdint>
#include <span>

#include "update/update_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const char> answer(reinterpret_cast<const char*>(data), size);
    const halvern::UpdateInfo hex = halvern::ParseUpdateAnswer(answer, 0x0103, true);
    const halvern::UpdateInfo dec = halvern::ParseUpdateAnswer(answer, 1027, false);
    return 0;
}
