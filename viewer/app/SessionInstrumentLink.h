#pragma once
// The instrument as the Download, Restart and port commands reach it: one instrument session per
// call over the device behind the port name, its message shown when the call fails. Qt-free.

#include <functional>

#include "instrument/CInstrumentSession.h"
#include "app/ComPortDevices.h"
#include "dialogs/DownloadLink.h"
#include "res/Prompt.h"

namespace vexlan {

class SessionInstrumentLink : public IInstrumentLink {
public:
    SessionInstrumentLink(IPrompt& prompt, const ComPortDevices& devices, SessionTiming timing = {});

    bool ListFiles(const std::string& port, std::vector<std::string>& list) override;
    bool DownloadFile(const std::string& port, const std::string& name, const std::string& path,
                      const std::function<void(uint64_t)>& bytesSoFar) override;
    bool Restart(const std::string& port) override;
    bool TestPort(const std::string& port) override;
    void SetProgress(LinkProgress progress) override { progress_ = std::move(progress); }

    // Around every conversation (the busy cursor); the failure message comes after endBusy.
    std::function<void()> beginBusy, endBusy;

private:
    template <typename Operation>
    bool Run(Operation operation);

    IPrompt& prompt_;
    const ComPortDevices& devices_;
    SessionTiming timing_;
    LinkProgress progress_;
};

}  // namespace vexlan
