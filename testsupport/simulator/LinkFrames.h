#pragma once
// What the test's end of the line has done, for the idle clock: the link's frame counters change
// whenever it sends or takes in a frame. Header only: each test links its own variant of the
// link library.

#include "link/tarvik.h"

#include <cstdint>

namespace vexlan::test {

inline uint64_t LinkFrames() {
    LinkStatistics s;
    get_statistics(&s);
    return uint64_t{s.framesSent} + s.framesReceived + s.errors;
}

}  // namespace vexlan::test
