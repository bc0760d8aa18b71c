// libFuzzer target: arbitrary line input through the frame builder and handler, with messages
// taken out as they complete and link ticks in between.

#include "link/tests/FakeLine.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static vexlan::test::FakeLine& line = vexlan::test::Install();
    if (!comm_is_open()) comm_open_str("/dev/fake", 115200);
    comm_reset();
    const std::vector<uint8_t> answer = vexlan::test::Frame(0x1F);  // the peer answers the reset
    line.incoming.assign(answer.begin(), answer.end());
    line.incoming.insert(line.incoming.end(), data, data + size);
    uint8_t out[TARVIK_MAX_RECEIVE];
    while (!line.incoming.empty()) {
        read_buffer();
        while (get_message(out, sizeof out) != 0 && get_message_size() != 0xFFFF) {}
        line.now += 1;
        link_timer();
        line.written.clear();
    }
    return 0;
}
