#pragma once
// The simulated instrument's side of the request messages: a folder of files listed by name,
// opened, read in blocks of 4096 bytes and closed, and a program that can be started.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace instsim {

class Instrument {
public:
    Instrument(std::string folder, std::vector<std::string> refused);
    ~Instrument();
    Instrument(const Instrument&) = delete;
    Instrument& operator=(const Instrument&) = delete;

    // The reply to one request message; empty when the request is not understood (the real
    // instrument stays silent then). *event describes what happened, for the log.
    std::vector<uint8_t> Handle(const uint8_t* message, size_t length, std::string* event);

    // Names the instrument lists: the regular files of the folder whose names fit the 17
    // characters of a listing entry, in name order.
    std::vector<std::string> Names() const;

private:
    std::vector<uint8_t> List(const uint8_t* message, size_t length, std::string* event);
    std::vector<uint8_t> OpenFile(const uint8_t* message, size_t length, std::string* event);
    std::vector<uint8_t> ReadBlock(std::string* event);
    std::vector<uint8_t> CloseFile(std::string* event);
    std::vector<uint8_t> RunProgram(const uint8_t* message, size_t length, std::string* event);
    bool IsRefused(const std::string& name) const;

    std::string folder_;
    std::vector<std::string> refused_;
    std::vector<std::string> listing_;  // snapshot taken by the first request of a listing
    size_t listed_ = 0;
    FILE* file_ = nullptr;
};

}  // namespace instsim
