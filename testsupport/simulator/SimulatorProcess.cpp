#include "testsupport/simulator/SimulatorProcess.h"

#include <csignal>
#include <cstdio>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vexlan::test {

std::string SimulatorBinary() { return INSTSIM_BINARY; }

SimulatorProcess::SimulatorProcess(const std::string& binary, const std::vector<std::string>& options) {
    int out[2];
    if (::pipe(out) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(binary.c_str()));
        for (const std::string& o : options) argv.push_back(const_cast<char*>(o.c_str()));
        argv.push_back(nullptr);
        ::execv(binary.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    // The first line is the device path.
    std::string line;
    struct pollfd p = {out[0], POLLIN, 0};
    while (::poll(&p, 1, 5000) > 0) {
        char c;
        if (::read(out[0], &c, 1) != 1 || c == '\n') break;
        line += c;
    }
    ::close(out[0]);
    device_ = line;
}

SimulatorProcess::~SimulatorProcess() { Stop(); }

void SimulatorProcess::Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
}

}  // namespace vexlan::test
