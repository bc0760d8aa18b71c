#pragma once
// A full disk for any user, root included: body runs in a child whose files cannot grow past
// bytes (writes beyond fail with EFBIG; the signal is ignored). 0/1: body's true/false; -1: crashed.
#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vexlan::test {

inline int RunWithFileSizeLimit(rlim_t bytes, const std::function<bool()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, bytes};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(body() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace vexlan::test
