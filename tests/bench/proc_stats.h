#pragma once
// What /proc says about this process: CPU time per thread name, resident memory, thread count.

#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

namespace halvern::bench {

/// User + system CPU seconds of the whole process.
inline double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

/// User + system CPU seconds of the process's live threads, summed by thread name.
inline std::map<std::string, double> threadCpuSecondsByName() {
    const double tick = static_cast<double>(sysconf(_SC_CLK_TCK));
    std::map<std::string, double> byName;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", error)) {
        std::ifstream commFile(task.path() / "comm");
        std::string comm;
        std::getline(commFile, comm);
        std::ifstream statFile(task.path() / "stat");
        const std::string stat((std::istreambuf_iterator<char>(statFile)), std::istreambuf_iterator<char>());
        const size_t close = stat.rfind(')');
        if (close == std::string::npos || close + 2 >= stat.size()) continue;
        std::istringstream fields(stat.substr(close + 2));
        std::string field;
        double utime = 0;
        double stime = 0;
        for (int i = 3; fields >> field; ++i) {  // field 3 is the state; utime is 14, stime 15
            if (i == 14) utime = std::stod(field);
            if (i == 15) {
                stime = std::stod(field);
                break;
            }
        }
        byName[comm] += (utime + stime) / tick;
    }
    return byName;
}

/// User + system CPU seconds of the process's threads called `name`.
inline double threadCpuSeconds(const std::string& name) {
    const auto byName = threadCpuSecondsByName();
    const auto found = byName.find(name);
    return found == byName.end() ? 0.0 : found->second;
}

/// A field of /proc/self/status in its unit (kB for memory), 0 when absent.
inline long statusField(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
    }
    return 0;
}

}  // namespace halvern::bench
