#include "instrument/CInstrumentSession.h"
#include "res/StringIds.h"

#include "instrument/InstrumentMessages.h"
#include "storage/SafeFileWriter.h"
#include "res/StringTable.h"
#include "instrument/TransClient.h"
#include "link/tarvik.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <thread>

namespace vexlan {
namespace {

// An instrument that never stops saying "more" must not keep the listing going for ever.
constexpr int kMaxListRequests = 4096;

std::string TextAt(const uint8_t* bytes, size_t size) {
    size_t n = 0;
    while (n < size && bytes[n] != 0) ++n;
    return std::string(reinterpret_cast<const char*>(bytes), n);
}

bool IsCorrelationFileName(const std::string& name) {
    return name.size() >= 3 && name.compare(name.size() - 3, 3, "KED") == 0;
}

// Closes the open port on every way out of a step. A step that completes closes it with
// Finish(), through the transport, which also clears the transport's last error; any other way
// out closes the link directly and leaves that error for the message.
class PortCloser {
public:
    PortCloser() = default;
    PortCloser(const PortCloser&) = delete;
    PortCloser& operator=(const PortCloser&) = delete;
    ~PortCloser() {
        if (open_) comm_close();
    }
    void Finish() {
        open_ = false;
        trans_close();
    }

private:
    bool open_ = true;
};

}  // namespace

CInstrumentSession::CInstrumentSession(SessionTiming timing) : timing_(timing) {
    SetTransIdleHook(&CInstrumentSession::Idle, this);
}

CInstrumentSession::~CInstrumentSession() { SetTransIdleHook(nullptr, nullptr); }

bool CInstrumentSession::Idle(void* session) {
    auto* self = static_cast<CInstrumentSession*>(session);
    if (!self->cancelled_ && self->cancelRequested && self->cancelRequested()) self->cancelled_ = true;
    return !self->cancelled_;
}

void CInstrumentSession::Enter(SessionStage stage) {
    if (onStage) onStage(stage);
}

// The wake-up wait, in steps short enough for a Cancel to be seen.
bool CInstrumentSession::WaitMs(uint32_t milliseconds) {
    const uint64_t end = trans_now_ms() + milliseconds;
    while (trans_now_ms() < end) {
        if (!Idle(this)) return false;
        std::this_thread::sleep_for(
            std::chrono::milliseconds(std::min<uint64_t>(kTransIdleIntervalMs, end - trans_now_ms())));
    }
    return true;
}

bool CInstrumentSession::ListFiles(const std::string& port, std::vector<std::string>& list) {
    lastErrorId = string_id::kNoSpecificError;
    startMs_ = trans_now_ms();
    if (!OpenAndWake(port)) return false;
    PortCloser closer;
    if (!ReadFileList(list)) return false;
    closer.Finish();
    return true;
}

bool CInstrumentSession::DownloadFile(const std::string& port, const std::string& name, const std::string& path) {
    lastErrorId = string_id::kNoSpecificError;
    startMs_ = trans_now_ms();
    if (!OpenAndWake(port)) return false;
    PortCloser closer;
    exchangeFailed_ = false;
    bool complete = OpenRemoteFile(name) && ReadRemoteFile(path);
    // Only a failed exchange is worth another attempt: a refused open, a local file that cannot
    // be written or a file too long to be a result fail the same way every time.
    for (int attempt = 2; !complete && exchangeFailed_ && !cancelled_ && attempt <= timing_.fileAttempts && !Expired();
         ++attempt) {
        exchangeFailed_ = false;
        Enter(SessionStage::Retrying);
        if (onRetry) onRetry(attempt, timing_.fileAttempts);
        complete = ReopenForRetry(port, name) && ReadRemoteFile(path);
    }
    if (!complete) return false;
    // Replies still queued go with the link reset. The file is complete and in place: a close
    // the instrument does not answer no longer makes the download a failure.
    comm_reset();
    CloseRemoteFile();
    closer.Finish();
    lastErrorId = string_id::kNoSpecificError;
    return true;
}

// Whether the instrument moved on after the failed exchange is unknown, so the link starts
// afresh and the file is opened again at its first byte. A link that does not come back is
// woken as at the start of the download.
bool CInstrumentSession::ReopenForRetry(const std::string& port, const std::string& name) {
    comm_reset();
    if (!CloseRemoteFile()) {
        trans_close();
        exchangeFailed_ = false;  // from here on only what the new link does counts
        if (!OpenAndWake(port)) return false;
    }
    return OpenRemoteFile(name);
}

bool CInstrumentSession::Expired() const { return trans_now_ms() - startMs_ > timing_.operationLimitMs; }

bool CInstrumentSession::RestartInstrument(const std::string& port) {
    lastErrorId = string_id::kNoSpecificError;
    if (!trans_open(port.c_str(), kExchangeBaud)) {
        lastErrorId = string_id::kMsgCannotCommunicate;
        return false;
    }
    PortCloser closer;
    if (!RunProgram()) return false;
    closer.Finish();
    return true;
}

bool CInstrumentSession::TestPort(const std::string& port) {
    lastErrorId = string_id::kNoSpecificError;
    if (comm_is_open()) comm_close();
    // The port is closed again whatever the open returned.
    const PortCloser closer;
    const int16_t status = comm_open_str(port.c_str(), kWakeBaud);
    if (status <= -1 && status >= -6) lastErrorId = static_cast<uint32_t>(string_id::kMsgPortOutOfRange - 1 - status);
    return status == 0;
}

void CInstrumentSession::ShowLastError(IPrompt& prompt) const {
    AskString(prompt, static_cast<int>(lastErrorId), PromptIcon::Warning, PromptButtons::Ok);
}

// Wakes the instrument at the low speed and opens the port again for the exchanges.
bool CInstrumentSession::OpenAndWake(const std::string& port) {
    if (!trans_open(port.c_str(), kWakeBaud)) {
        lastErrorId = string_id::kMsgCannotCommunicate;
        return false;
    }
    {
        PortCloser closer;
        if (!WakeInstrument()) return false;
        closer.Finish();
    }
    if (!trans_open(port.c_str(), kExchangeBaud)) {
        lastErrorId = string_id::kMsgCannotCommunicate;
        return false;
    }
    return true;
}

bool CInstrumentSession::PortIsOpen() {
    lastErrorId = string_id::kNoSpecificError;
    if (comm_is_open()) return true;
    lastErrorId = string_id::kMsgPortClosed;
    return false;
}

bool CInstrumentSession::Exchange(const void* request, size_t requestLength, void* reply, size_t replyLength) {
    if (trans_exchange(request, static_cast<uint32_t>(requestLength), reply, static_cast<uint32_t>(replyLength),
                       timing_.replyTimeoutMs, timing_.sendTimeoutMs)) {
        return true;
    }
    lastErrorId = string_id::kMsgCannotTransmit;
    exchangeFailed_ = true;
    return false;
}

// The instrument sees the link reset request of the open, then "$$"; nothing is awaited.
bool CInstrumentSession::WakeInstrument() {
    if (!PortIsOpen()) return false;
    put_raw_string("$$");
    Enter(SessionStage::Waking);
    return WaitMs(timing_.wakeWaitMs);
}

bool CInstrumentSession::ReadFileList(std::vector<std::string>& list) {
    if (!PortIsOpen()) return false;
    Enter(SessionStage::Listing);
    // One buffer holds each request and then its reply: from the third request on, the bytes
    // sent are the previous reply's first four.
    uint8_t buffer[kListReplySize] = {MSG_LIST_FILES, 0, 0, 0};
    auto take = [&] {
        const std::string name = TextAt(buffer + kListNameOffset, kListNameSize);
        if (IsCorrelationFileName(name)) list.push_back(name);
    };
    if (!Exchange(buffer, kListRequestSize, buffer, kListReplySize)) return false;
    take();
    buffer[kListPositionOffset] = buffer[kListMoreOffset];
    buffer[kListPositionOffset + 1] = 0;
    for (int request = 2; request <= kMaxListRequests; ++request) {
        if (Expired()) {
            lastErrorId = string_id::kMsgCannotTransmit;
            return false;
        }
        if (!Exchange(buffer, kListRequestSize, buffer, kListReplySize)) return false;
        take();
        if (buffer[kListMoreOffset] != kListAskAgain) break;
    }
    return true;
}

bool CInstrumentSession::OpenRemoteFile(const std::string& name) {
    if (!PortIsOpen()) return false;
    if (name.size() >= kOpenFileNameSize || name.find('\0') != std::string::npos) {
        lastErrorId = string_id::kMsgRemoteFileNotOpened;  // no instrument file can have such a name
        return false;
    }
    uint8_t request[kOpenFileRequestSize] = {MSG_OPEN_FILE, 0};
    std::memcpy(request + kOpenFileNameOffset, name.data(), name.size());
    uint8_t reply[kShortReplySize];
    if (!Exchange(request, sizeof request, reply, sizeof reply)) return false;
    if (reply[kReplyStatusOffset] != 0) {
        lastErrorId = string_id::kMsgRemoteFileNotOpened;
        return false;
    }
    return true;
}

// The bytes go to a temporary file beside path that takes the final name only once the block
// that ends the file is in: a failed or interrupted download leaves whatever was at path
// untouched. A path that is a link is written through; a device or folder is refused.
bool CInstrumentSession::ReadRemoteFile(const std::string& path) {
    if (!PortIsOpen()) return false;
    uint32_t failure = 0;
    auto produce = [&](const OutputSink& sink) {
        Enter(SessionStage::Reading);
        const uint8_t request[1] = {MSG_READ_BLOCK};
        uint8_t reply[kReadBlockReplySize];
        int block = 0;
        uint64_t total = 0;
        for (;;) {
            if (!PortIsOpen()) {
                failure = string_id::kMsgPortClosed;
                return false;
            }
            // A request names no block: after any failed exchange the instrument may already
            // have moved on, so the caller starts the file again instead of asking once more.
            if (Expired() || !Exchange(request, sizeof request, reply, sizeof reply)) {
                failure = string_id::kMsgCannotTransmit;
                return false;
            }
            const size_t count = reply[kBlockCountOffset] | (reply[kBlockCountOffset + 1] << 8);
            total += count;
            if (count > kBlockDataSize) exchangeFailed_ = true;  // garbled: another attempt may do
            if (count > kBlockDataSize || total > kMaxDownloadBytes) {
                failure = string_id::kMsgCannotTransmit;
                return false;
            }
            if (!sink(reply + kBlockDataOffset, count)) {
                failure = string_id::kMsgLocalFileNotWritten;
                return false;
            }
            if (onBlock) onBlock(++block, total);
            if (count == 0) return true;
        }
    };
    SafeWriteOptions options;
    options.replaceReadOnly = replaceReadOnly;
    const int written = WriteFileSafely(path, produce, options);
    if (written == 0) return true;
    if (failure != 0) {
        lastErrorId = failure;
    } else if (written == string_id::kMsgOutputNotRegular) {
        lastErrorId = string_id::kMsgOutputNotRegular;
    } else if (written == string_id::kMsgOutputReadOnly) {
        lastErrorId = string_id::kMsgOutputReadOnlyKept;
    } else {
        lastErrorId = string_id::kMsgLocalFileNotWritten;
    }
    return false;
}

bool CInstrumentSession::CloseRemoteFile() {
    if (!PortIsOpen()) return false;
    const uint8_t request[1] = {MSG_CLOSE_FILE};
    uint8_t reply[kShortReplySize];
    return Exchange(request, sizeof request, reply, sizeof reply);
}

bool CInstrumentSession::RunProgram() {
    if (!PortIsOpen()) return false;
    uint8_t request[kRunProgramRequestSize] = {MSG_RUN_PROGRAM};
    std::memcpy(request + kProgramNameOffset, kInstrumentProgram, std::strlen(kInstrumentProgram));
    uint8_t reply[kShortReplySize];
    return Exchange(request, sizeof request, reply, sizeof reply);
}

namespace {

template <typename Operation>
bool RunSession(IPrompt& prompt, Operation operation) {
    CInstrumentSession session;
    const bool ok = operation(session);
    if (!ok && !session.cancelled()) session.ShowLastError(prompt);
    return ok;
}

}  // namespace

bool SessionListFiles(IPrompt& prompt, const std::string& port, std::vector<std::string>& list) {
    return RunSession(prompt, [&](CInstrumentSession& s) { return s.ListFiles(port, list); });
}

bool SessionDownloadFile(IPrompt& prompt, const std::string& port, const std::string& name, const std::string& path) {
    return RunSession(prompt, [&](CInstrumentSession& s) { return s.DownloadFile(port, name, path); });
}

bool SessionRestart(IPrompt& prompt, const std::string& port) {
    return RunSession(prompt, [&](CInstrumentSession& s) { return s.RestartInstrument(port); });
}

bool SessionTestPort(IPrompt& prompt, const std::string& port) {
    return RunSession(prompt, [&](CInstrumentSession& s) { return s.TestPort(port); });
}

}  // namespace vexlan
