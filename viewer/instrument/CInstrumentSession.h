#pragma once
// One conversation with the instrument for one user action: opens the port, wakes the
// instrument, runs the request/reply exchanges, closes the port, and on failure keeps the
// string-table id of the message to show.

#include "res/Prompt.h"
#include "res/StringIds.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vexlan {

struct SessionTiming {
    uint32_t wakeWaitMs = 2000;     // after the wake-up bytes, before the port is closed
    int32_t replyTimeoutMs = 5000;  // each exchange, after the request was acknowledged
    int32_t sendTimeoutMs = 5000;   // each request, until the instrument has acknowledged it
    // A block read names no block, so a failed one cannot be asked again: the file is read
    // once more from its first byte, at most this many times in all.
    int fileAttempts = 3;
    // A listing or download still running after this long ends with its message.
    uint32_t operationLimitMs = 300000;
};

// No correlation file comes near this: a peer whose blocks never end the file is cut off here.
constexpr uint64_t kMaxDownloadBytes = 1 << 20;

// What a listing or download is doing, for a progress display.
enum class SessionStage {
    Waking,    // the wake-up bytes went out; the instrument is given its time
    Listing,   // asking for the names of the files
    Reading,   // the file is open; blocks follow (onBlock)
    Retrying,  // a failed exchange: the file is read again from its start (onRetry)
};

class CInstrumentSession {
public:
    explicit CInstrumentSession(SessionTiming timing = {});
    virtual ~CInstrumentSession();

    // Appends the names of the instrument's correlation files (ending in "KED").
    bool ListFiles(const std::string& port, std::vector<std::string>& list);
    // Copies one file of the instrument to path. The file appears under path only when the
    // whole of it has arrived.
    bool DownloadFile(const std::string& port, const std::string& name, const std::string& path);
    bool RestartInstrument(const std::string& port);
    bool TestPort(const std::string& port);
    void ShowLastError(IPrompt& prompt) const;

    // Called after each block written during a download: block number from 1, bytes so far.
    std::function<void(int block, uint64_t bytes)> onBlock;
    // Called before a download starts reading the file again: attempt number from 2.
    std::function<void(int attempt, int attempts)> onRetry;
    // Called as each stage begins.
    std::function<void(SessionStage stage)> onStage;
    // Asked about every 50 ms while the session waits; true ends the operation at once with
    // the port closed, no partial file and no message (cancelled() then says so).
    std::function<bool()> cancelRequested;
    bool cancelled() const { return cancelled_; }
    // The user already agreed to replace the local file: a read-only one is replaced too.
    bool replaceReadOnly = false;

    uint32_t lastErrorId = string_id::kNoSpecificError;

private:
    bool OpenAndWake(const std::string& port);
    bool WakeInstrument();
    bool ReadFileList(std::vector<std::string>& list);
    bool OpenRemoteFile(const std::string& name);
    bool ReadRemoteFile(const std::string& path);
    bool ReopenForRetry(const std::string& port, const std::string& name);
    bool Expired() const;
    void Enter(SessionStage stage);
    bool WaitMs(uint32_t milliseconds);
    static bool Idle(void* session);
    bool CloseRemoteFile();
    bool RunProgram();
    bool PortIsOpen();
    bool Exchange(const void* request, size_t requestLength, void* reply, size_t replyLength);

    SessionTiming timing_;
    uint64_t startMs_ = 0;
    bool exchangeFailed_ = false;
    bool cancelled_ = false;  // the last failure was an exchange, which a new attempt may cure
};

// Each runs one operation in a session of its own and shows its message on failure.
bool SessionListFiles(IPrompt& prompt, const std::string& port, std::vector<std::string>& list);
bool SessionDownloadFile(IPrompt& prompt, const std::string& port, const std::string& name, const std::string& path);
bool SessionRestart(IPrompt& prompt, const std::string& port);
bool SessionTestPort(IPrompt& prompt, const std::string& port);

}  // namespace vexlan
