#pragma once
// What the Download command needs from the instrument: one call per conversation, each showing
// its own message when it fails. The viewer runs them through the instrument session; tests may
// stand in for the instrument.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vexlan {

class IInstrumentLink {
public:
    virtual ~IInstrumentLink() = default;
    // Port names are the menu's "COM1" … "COM4"; an empty name is no port and fails to open.
    virtual bool ListFiles(const std::string& port, std::vector<std::string>& list) = 0;
    // bytesSoFar is called after every block that has arrived.
    virtual bool DownloadFile(const std::string& port, const std::string& name, const std::string& path,
                              const std::function<void(uint64_t bytesSoFar)>& bytesSoFar) = 0;
    virtual bool Restart(const std::string& port) = 0;
    virtual bool TestPort(const std::string& port) = 0;
};

}  // namespace vexlan
