#include "app/SessionInstrumentLink.h"

namespace vexlan {

SessionInstrumentLink::SessionInstrumentLink(IPrompt& prompt, const ComPortDevices& devices, SessionTiming timing)
    : prompt_(prompt), devices_(devices), timing_(timing) {}

namespace {

LinkStage ToLinkStage(SessionStage stage) {
    switch (stage) {
    case SessionStage::Waking: return LinkStage::Waking;
    case SessionStage::Listing: return LinkStage::Listing;
    case SessionStage::Reading: return LinkStage::Reading;
    case SessionStage::Retrying: break;
    }
    return LinkStage::Retrying;
}

}  // namespace

template <typename Operation>
bool SessionInstrumentLink::Run(Operation operation) {
    CInstrumentSession session(timing_);
    if (progress_.stage) {
        session.onStage = [this](SessionStage stage) {
            if (stage != SessionStage::Retrying) progress_.stage(ToLinkStage(stage), 0, 0);
        };
        session.onRetry = [this](int attempt, int attempts) {
            progress_.stage(LinkStage::Retrying, attempt, attempts);
        };
    }
    session.cancelRequested = progress_.cancelRequested;
    session.replaceReadOnly = true;  // the Download command asked before replacing any file
    if (beginBusy) beginBusy();
    const bool ok = operation(session);
    if (endBusy) endBusy();
    if (!ok && !session.cancelled()) session.ShowLastError(prompt_);
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
