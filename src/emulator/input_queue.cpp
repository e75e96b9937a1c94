#include "emulator/input_queue.h"

#include <algorithm>

#include "device/debug_sink.h"

namespace halvern::emu {

bool InputQueue::push(std::span<const uint8_t> report, Clock::time_point readyAt) {
    if (m_reports.size() >= kCapacity) {
        debugLog("emulator: input buffer full, report dropped");
        return false;
    }
    m_reports.push_back({{report.begin(), report.end()}, readyAt});
    return true;
}

bool InputQueue::hasReady(Clock::time_point now) const {
    return !m_reports.empty() && m_reports.front().readyAt <= now;
}

std::optional<Clock::time_point> InputQueue::nextDue() const {
    if (m_reports.empty()) return {};
    return m_reports.front().readyAt;
}

size_t InputQueue::take(std::span<uint8_t> out) {
    const std::vector<uint8_t>& bytes = m_reports.front().bytes;
    const size_t length = std::min(bytes.size(), out.size());
    std::copy_n(bytes.begin(), length, out.begin());
    m_reports.pop_front();
    return length;
}

}  // namespace halvern::emu
