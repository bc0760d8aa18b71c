// The library against the simulated instrument over a real pseudo-terminal: messages both
// ways through a line that loses, damages and repeats frames, and a peer that stalls. Both ends
// run on the test's idle clock, so link timers run out without real waiting.

#include "testsupport/simulator/IdleClock.h"
#include "testsupport/simulator/LinkFrames.h"
#include "testsupport/simulator/SimulatorProcess.h"
#include "link/TarvikTesting.h"
#include "link/tarvik.h"

#include <gtest/gtest.h>

#include <random>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using vexlan::test::IdleClock;

// Services the link until done() holds or the seconds of link time are up.
template <typename Done>
bool ServiceUntil(Done done, int seconds) {
    const uint64_t end = IdleClock::Milliseconds() + seconds * 1000ull;
    while (IdleClock::Milliseconds() < end) {
        read_buffer();
        link_timer();
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    return false;
}

bool Send(const Bytes& message) {
    if (put_message(message.data(), static_cast<uint32_t>(message.size())) != 0) return false;
    return ServiceUntil([] { return (get_status() & STATUS_TX_PENDING) == 0; }, 60);
}

bool Receive(Bytes* message) {
    const bool complete = ServiceUntil(
        [] {
            const uint16_t size = get_message_size();
            return size != 0xFFFF && (size & 0x8000) == 0;
        },
        60);
    if (!complete) return false;
    message->assign(TARVIK_MAX_RECEIVE, 0);
    const uint16_t n = get_message(message->data(), static_cast<uint32_t>(message->size()));
    if (n == TARVIK_NO_ROOM) return false;
    message->resize(n);
    return true;
}

// A message that names its own number, so that a lost, repeated or reordered message shows.
Bytes Numbered(uint32_t number, size_t size, std::mt19937& random) {
    Bytes m(size);
    for (auto& b : m) b = static_cast<uint8_t>(random());
    for (size_t i = 0; i < 4 && i < size; ++i) m[i] = static_cast<uint8_t>(number >> (8 * i));
    return m;
}

class SimulatorLinkTest : public ::testing::Test {
protected:
    void TearDown() override {
        comm_close();
        tarvik::SetClock(nullptr);
    }

    void Start(std::vector<std::string> options) {
        for (const std::string& o : clock.Options()) options.push_back(o);
        sim = std::make_unique<vexlan::test::SimulatorProcess>(vexlan::test::SimulatorBinary(), options);
        ASSERT_TRUE(sim->started());
        tarvik::SetClock(IdleClock::Seconds);
        ASSERT_EQ(comm_open_str(sim->device().c_str(), 115200), 0);
    }
    // Every message comes back from the echoing peer intact and in order.
    void EchoAll(const std::vector<size_t>& sizes) {
        std::mt19937 random(99);
        for (uint32_t i = 0; i < sizes.size(); ++i) {
            SCOPED_TRACE(::testing::Message() << "message " << i << " of " << sizes[i] << " bytes");
            const Bytes m = Numbered(i, sizes[i], random);
            ASSERT_TRUE(Send(m));
            if (m.empty()) continue;  // nothing goes on the line
            Bytes back;
            ASSERT_TRUE(Receive(&back));
            ASSERT_EQ(back.size(), m.size());
            ASSERT_TRUE(back == m);
        }
        uint8_t extra[16];
        ServiceUntil([] { return false; }, 1);
        EXPECT_EQ(get_message(extra, sizeof extra), 0) << "a message was delivered twice";
    }

    // Echoes the edge sizes and then count random sizes below limit; returns the link's figures.
    LinkStatistics EchoEdgeAndRandomSizes(unsigned seed, int count, size_t limit) {
        std::vector<size_t> sizes = {0, 1, 2, 36, 170, 251, 252, 253, 503, 504, 505, 1000, 4100, 7812, 8063};
        std::mt19937 random(seed);
        for (int i = 0; i < count; ++i) sizes.push_back(random() % limit);
        EchoAll(sizes);
        LinkStatistics s;
        get_statistics(&s);
        return s;
    }

    IdleClock clock{vexlan::test::LinkFrames};
    std::unique_ptr<vexlan::test::SimulatorProcess> sim;
};

TEST_F(SimulatorLinkTest, CleanLineCarriesEverySize) {
    Start({"--echo"});
    EXPECT_EQ(EchoEdgeAndRandomSizes(5, 40, 8064).errors, 0u);
}

// Both ends careful: the instrument's own weaknesses (an acknowledgement of a frame it has not
// seen) can lose a message, which only the instrument session's whole-file retry makes good.
TEST_F(SimulatorLinkTest, LossyLineStillDeliversEachMessageOnce) {
    Start({"--echo", "--mended", "--drop", "0.05", "--corrupt", "0.05", "--duplicate", "0.05", "--seed", "17"});
    const LinkStatistics s = EchoEdgeAndRandomSizes(6, 25, 3000);
    EXPECT_GT(s.retransmissions, 0u);
    EXPECT_GT(s.errors, 0u);
}

TEST_F(SimulatorLinkTest, StalledPeerFailsTheLinkUntilReset) {
    Start({"--echo", "--stall-after", "1", "--stall-for", "9000"});
    const Bytes first(10, 1);
    ASSERT_TRUE(Send(first));  // acknowledged; the peer then goes silent
    const Bytes second(300, 2);
    ASSERT_EQ(put_message(second.data(), 300), 0);
    const uint64_t start = clock.NowMs();
    ASSERT_TRUE(ServiceUntil([] { return (get_status() & STATUS_LINK_FAILED) != 0; }, 12));
    const uint64_t took = clock.NowMs() - start;
    EXPECT_GE(took, 3000u);  // three passes 2 s apart on the link's whole-second clock
    EXPECT_LE(took, 8000u);
    // Still failed while the peer is silent, whatever the queue does.
    ServiceUntil([] { return false; }, 1);
    EXPECT_NE(get_status() & STATUS_LINK_FAILED, 0);

    // Once the peer speaks again a reset brings the link back.
    ServiceUntil([] { return false; }, 5);
    comm_reset();
    EXPECT_EQ(get_status() & STATUS_LINK_FAILED, 0);
    ASSERT_TRUE(ServiceUntil([] { return (get_status() & STATUS_TX_PENDING) == 0; }, 10));
    EchoAll({5, 600});
}

}  // namespace
