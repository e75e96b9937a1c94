#include "cli/run_locks.h"

#include <algorithm>
#include <string>

#include "device/kind_registry.h"

namespace halvern::cli {
namespace {

std::string byWhom(pid_t holder) {
    return holder > 0 ? "another program (pid " + std::to_string(holder) + ")" : "another program";
}

}  // namespace

bool RunLocks::hold(const HidBackend& backend, uint16_t typeCode, std::string_view kind, std::ostream& err) {
    const auto file = deviceLockFile(backend, typeCode);
    if (!file) return true;
    if (std::any_of(m_held.begin(), m_held.end(), [&](const DeviceLock& l) { return l.file() == *file; }))
        return true;
    const std::string name(kindDisplayText(kind));
    LockWait wait;
    wait.bound = m_bound;
    wait.waiting = [&err, &name](pid_t holder) {
        err << "halvernctl: waiting for " << byWhom(holder) << " that uses the " << name << "...\n";
        err.flush();
    };
    LockAttempt attempt = lockDevice(*file, wait);
    switch (attempt.outcome) {
        case LockOutcome::Taken:
            m_held.push_back(std::move(*attempt.lock));
            return true;
        case LockOutcome::Busy:
            err << "halvernctl: the " << name << " is still in use by " << byWhom(attempt.holder)
                << "; try again when it has finished\n";
            return false;
        case LockOutcome::Failed:
        case LockOutcome::Cancelled:
            break;
    }
    err << "halvernctl: cannot reserve the " << name << " for this run: " << attempt.problem << '\n';
    return false;
}

}  // namespace halvern::cli
