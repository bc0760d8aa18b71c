#pragma once
// Command line of the instrument simulator.

#include <cstdint>
#include <string>
#include <vector>

namespace instsim {

struct LineFaults {
    double dropRate = 0;       // share of frames lost, each direction
    double corruptRate = 0;    // share of frames with one bit flipped
    double duplicateRate = 0;  // share of frames delivered twice
    uint32_t seed = 1;
};

struct SimOptions {
    std::string folder = ".";  // the files the instrument holds
    LineFaults faults;
    uint32_t replyDelayMs = 0;     // each reply waits this long before it is sent
    int stallAfter = -1;           // after this many requests the instrument goes silent
    uint32_t stallMs = 0;          // for this long (0 = for good)
    bool neverAnswer = false;      // frames are acknowledged, requests never answered
    std::vector<int> lostReplies;  // these replies (counted from 1) are made but never sent
    uint32_t resetEveryMs = 0;     // a hostile peer: sends only a link RESET, this often
    bool echo = false;
    // The link as the instrument runs it, weaknesses included; false = our careful variant.
    bool strict = true;                // link test mode: every message is sent back unchanged
    std::vector<std::string> refused;  // files whose open is refused (result 1); "*" = all
    uint32_t paceBaud = 0;             // bytes leave at this line rate (8N1), 0 = as fast as possible
    std::string logPath;               // every frame and message, one line each
    // The time comes from a clock file a test keeps and moves on (see SharedClock); empty = the
    // system's clock.
    std::string clockPath;
};

// Parses argv; false with a message in *error for bad usage.
bool ParseOptions(const std::vector<std::string>& args, SimOptions* options, std::string* error);
const char* Usage();

}  // namespace instsim
