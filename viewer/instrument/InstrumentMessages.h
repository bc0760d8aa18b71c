#pragma once
// The instrument's request and reply messages: each is one link message whose first byte is its
// type; multi-byte numbers are little-endian.

#include <cstddef>
#include <cstdint>

namespace vexlan {

constexpr uint8_t MSG_OPEN_FILE = 1;
constexpr uint8_t MSG_CLOSE_FILE = 2;
constexpr uint8_t MSG_READ_BLOCK = 3;
constexpr uint8_t MSG_RUN_PROGRAM = 5;
constexpr uint8_t MSG_LIST_FILES = 9;

constexpr size_t kOpenFileRequestSize = 82;
constexpr size_t kOpenFileNameOffset = 2;
constexpr size_t kOpenFileNameSize = 80;
constexpr size_t kShortReplySize = 2;     // open, close and run program
constexpr size_t kReplyStatusOffset = 1;  // 0 when an open succeeded
constexpr size_t kReadBlockReplySize = 4100;
constexpr size_t kBlockCountOffset = 2;
constexpr size_t kBlockDataOffset = 4;
constexpr size_t kBlockDataSize = 4096;
constexpr size_t kRunProgramRequestSize = 721;
constexpr size_t kProgramNameOffset = 1;
constexpr size_t kProgramNameSize = 80;
constexpr size_t kProgramArgumentSize = 128;
constexpr size_t kListRequestSize = 4;
constexpr size_t kListPositionOffset = 2;  // 16 bits: where the next request continues
constexpr size_t kListReplySize = 20;
constexpr size_t kListMoreOffset = 1;
constexpr uint8_t kListAskAgain = 1;  // the value of the more byte that asks for another request
constexpr size_t kListNameOffset = 2;
constexpr size_t kListNameSize = 18;

constexpr const char* kInstrumentProgram = "Qvrn.exe";

// Line speeds: the wake-up and the port test, and every request/reply exchange.
constexpr int32_t kWakeBaud = 57600;
constexpr int32_t kExchangeBaud = 115200;

}  // namespace vexlan
