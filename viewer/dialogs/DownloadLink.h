#pragma once
// What the Download command needs from the instrument: one call per conversation, each showing
// its own message when it fails. The viewer runs them through the instrument session; tests may
// stand in for the instrument.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vexlan {

// What a listing or download is doing, for the progress window.
enum class LinkStage {
    Waking,    // the instrument is given its time after the wake-up
    Listing,   // asking for the names of the files
    Reading,   // blocks of the file are arriving
    Retrying,  // a failed exchange: the file is read again from its start
};

struct LinkProgress {
    // attempt and attempts only mean something for Retrying.
    std::function<void(LinkStage stage, int attempt, int attempts)> stage;
    // Asked while the link waits; true ends the conversation at once, without a message.
    std::function<bool()> cancelRequested;
};

class IInstrumentLink {
public:
    virtual ~IInstrumentLink() = default;
    // Progress and Cancel for the conversations that follow.
    virtual void SetProgress(LinkProgress progress) { (void)progress; }
    // Port names are the menu's "COM1" … "COM4"; an empty name is no port and fails to open.
    virtual bool ListFiles(const std::string& port, std::vector<std::string>& list) = 0;
    // bytesSoFar is called after every block that has arrived. A cancelled download fails
    // without a message.
    virtual bool DownloadFile(const std::string& port, const std::string& name, const std::string& path,
                              const std::function<void(uint64_t bytesSoFar)>& bytesSoFar) = 0;
    virtual bool Restart(const std::string& port) = 0;
    virtual bool TestPort(const std::string& port) = 0;
};

}  // namespace vexlan
