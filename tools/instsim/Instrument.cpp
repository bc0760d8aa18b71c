#include "tools/instsim/Instrument.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace instsim {
namespace {

constexpr uint8_t kOpenFile = 1, kCloseFile = 2, kReadBlock = 3, kRunProgram = 5, kListFiles = 9;
constexpr size_t kListNameBytes = 18;
constexpr size_t kBlockBytes = 4096;
constexpr size_t kOpenNameBytes = 80;

// Zero-terminated text of at most size bytes.
std::string TextAt(const uint8_t* bytes, size_t size) {
    size_t n = 0;
    while (n < size && bytes[n] != 0) ++n;
    return std::string(reinterpret_cast<const char*>(bytes), n);
}

}  // namespace

Instrument::Instrument(std::string folder, std::vector<std::string> refused)
    : folder_(std::move(folder)), refused_(std::move(refused)) {}

Instrument::~Instrument() {
    if (file_) std::fclose(file_);
}

std::vector<std::string> Instrument::Names() const {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder_.c_str());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.empty() || name[0] == '.' || name.size() >= kListNameBytes) continue;
        struct stat info;
        if (::stat((folder_ + "/" + name).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<uint8_t> Instrument::Handle(const uint8_t* message, size_t length, std::string* event) {
    if (length == 0) {
        *event = "empty message ignored";
        return {};
    }
    switch (message[0]) {
    case kListFiles: return List(message, length, event);
    case kOpenFile: return OpenFile(message, length, event);
    case kReadBlock: return ReadBlock(event);
    case kCloseFile: return CloseFile(event);
    case kRunProgram: return RunProgram(message, length, event);
    default: *event = "unknown request type " + std::to_string(message[0]) + " ignored"; return {};
    }
}

// A request whose value (bytes 2..3) is 0 starts a listing and is answered with an empty entry;
// every other request gets the next name. more = 1 while names remain.
std::vector<uint8_t> Instrument::List(const uint8_t* message, size_t length, std::string* event) {
    const unsigned value = length >= 4 ? message[2] | (message[3] << 8) : 0;
    std::vector<uint8_t> reply(2 + kListNameBytes, 0);
    reply[0] = kListFiles;
    std::string name;
    if (value == 0) {
        listing_ = Names();
        listed_ = 0;
    } else if (listed_ < listing_.size()) {
        name = listing_[listed_++];
    }
    reply[1] = listed_ < listing_.size() ? 1 : 0;
    std::memcpy(reply.data() + 2, name.data(), name.size());
    *event = "list value " + std::to_string(value) + ": \"" + name + "\" more " + std::to_string(reply[1]);
    return reply;
}

bool Instrument::IsRefused(const std::string& name) const {
    return std::find_if(refused_.begin(), refused_.end(),
                        [&](const std::string& r) { return r == "*" || r == name; }) != refused_.end();
}

std::vector<uint8_t> Instrument::OpenFile(const uint8_t* message, size_t length, std::string* event) {
    const std::string name = length > 2 ? TextAt(message + 2, std::min(length - 2, kOpenNameBytes)) : "";
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    const std::vector<std::string> names = Names();
    const bool known = std::find(names.begin(), names.end(), name) != names.end();
    if (known && !IsRefused(name)) file_ = std::fopen((folder_ + "/" + name).c_str(), "rb");
    *event = "open \"" + name + "\": " + (file_ ? "open" : known ? "refused" : "no such file");
    return {kOpenFile, static_cast<uint8_t>(file_ ? 0 : 1)};
}

std::vector<uint8_t> Instrument::ReadBlock(std::string* event) {
    std::vector<uint8_t> reply(4 + kBlockBytes, 0);
    reply[0] = kReadBlock;
    size_t count = 0;
    if (file_) count = std::fread(reply.data() + 4, 1, kBlockBytes, file_);
    reply[2] = static_cast<uint8_t>(count & 0xFF);
    reply[3] = static_cast<uint8_t>(count >> 8);
    *event = "read block: " + std::to_string(count) + " bytes";
    return reply;
}

std::vector<uint8_t> Instrument::CloseFile(std::string* event) {
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    *event = "close";
    return {kCloseFile, 0};
}

std::vector<uint8_t> Instrument::RunProgram(const uint8_t* message, size_t length, std::string* event) {
    const std::string program = length > 1 ? TextAt(message + 1, std::min<size_t>(length - 1, 80)) : "";
    const bool known = program == "Qvrn.exe";
    *event = (known ? "started \"" : "no such program \"") + program + "\"";
    return {kRunProgram, static_cast<uint8_t>(known ? 0 : 1)};
}

}  // namespace instsim
