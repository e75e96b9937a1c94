#include "lighting/steady_clock.h"

#include <chrono>

namespace halvern {

Millis steadyMillis() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace halvern
