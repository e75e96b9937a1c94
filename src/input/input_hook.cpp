#include "input/input_hook.h"

#include <chrono>

namespace halvern {

uint32_t SteadyMilliseconds() {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace halvern
