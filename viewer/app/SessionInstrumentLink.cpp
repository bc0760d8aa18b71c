#include "SessionInstrumentLink.h"

namespace vexlan {

SessionInstrumentLink::SessionInstrumentLink(IPrompt& prompt, const ComPortDevices& devices, SessionTiming timing)
    : prompt_(prompt), devices_(devices), timing_(timing) {}

template <typename Operation>
bool SessionInstrumentLink::Run(Operation operation) {
    CInstrumentSession session(timing_);
    if (beginBusy) beginBusy();
    const bool ok = operation(session);
    if (endBusy) endBusy();
    if (!ok) session.ShowLastError(prompt_);
    return ok;
}

bool SessionInstrumentLink::ListFiles(const std::string& port, std::vector<std::string>& list) {
    return Run([&](CInstrumentSession& s) { return s.ListFiles(devices_.OpenName(port), list); });
}

bool SessionInstrumentLink::DownloadFile(const std::string& port, const std::string& name, const std::string& path,
                                         const std::function<void(uint64_t)>& bytesSoFar) {
    return Run([&](CInstrumentSession& s) {
        if (bytesSoFar) s.onBlock = [&](int, uint64_t bytes) { bytesSoFar(bytes); };
        return s.DownloadFile(devices_.OpenName(port), name, path);
    });
}

bool SessionInstrumentLink::Restart(const std::string& port) {
    return Run([&](CInstrumentSession& s) { return s.RestartInstrument(devices_.OpenName(port)); });
}

bool SessionInstrumentLink::TestPort(const std::string& port) {
    return Run([&](CInstrumentSession& s) { return s.TestPort(devices_.OpenName(port)); });
}

}  // namespace vexlan
