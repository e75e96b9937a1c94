#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace halvern::test {

/// A server program started for one test: python3 with the given script and arguments. The constructor
/// returns once the server has written its "listening on URL" line; the destructor ends it.
class LocalServer {
public:
    explicit LocalServer(std::vector<std::string> arguments) {
        int out[2];
        if (::pipe(out) != 0) throw std::runtime_error("pipe failed");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        arguments.insert(arguments.begin(), "python3");
        std::vector<char*> argv;
        argv.reserve(arguments.size() + 1);
        for (std::string& a : arguments) argv.push_back(a.data());
        argv.push_back(nullptr);
        const int spawned = ::posix_spawnp(&m_pid, "python3", &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        if (spawned != 0) {
            ::close(out[0]);
            throw std::runtime_error("cannot start python3");
        }
        // Blocks until the server says where it listens (or ends).
        FILE* stream = ::fdopen(out[0], "r");
        char line[256] = {};
        const bool ready = stream && std::fgets(line, sizeof line, stream);
        if (stream) std::fclose(stream);
        const std::string text = ready ? line : "";
        const std::string prefix = "listening on ";
        if (text.rfind(prefix, 0) != 0) {
            stop();
            throw std::runtime_error("server did not start: " + text);
        }
        m_url = text.substr(prefix.size());
        while (!m_url.empty() && (m_url.back() == '\n' || m_url.back() == '\r')) m_url.pop_back();
    }
    ~LocalServer() { stop(); }
    LocalServer(const LocalServer&) = delete;
    LocalServer& operator=(const LocalServer&) = delete;

    [[nodiscard]] const std::string& url() const { return m_url; }

private:
    void stop() {
        if (m_pid <= 0) return;
        if (::kill(m_pid, SIGTERM) != 0 && errno != ESRCH) return;
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
        m_pid = -1;
    }

    pid_t m_pid = -1;
    std::string m_url;
};

}  // namespace halvern::test
