// The link client's blocking steps and error codes, against the simulator in echo mode, with
// both ends on the test's idle clock.

#include "testsupport/simulator/IdleClock.h"
#include "testsupport/simulator/LinkFrames.h"
#include "testsupport/simulator/SimulatedInstrument.h"
#include "link/TarvikTesting.h"
#include "instrument/TransClient.h"
#include "link/tarvik.h"

#include <gtest/gtest.h>

namespace {

using namespace vexlan;
using Bytes = std::vector<uint8_t>;

uint64_t fakeNow = 0;
uint64_t StepClock() { return fakeNow += 1; }  // one millisecond per look at the clock

class TransClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim.SetExtraOptions(clock.Options());
        tarvik::SetClock(vexlan::test::IdleClock::Seconds);
        SetTransClock(vexlan::test::IdleClock::Milliseconds);
    }
    void TearDown() override {
        trans_close();
        SetTransClock(nullptr);
        tarvik::SetClock(nullptr);
    }
    void StartEcho(const std::vector<std::string>& extra = {}) {
        std::vector<std::string> options{"--echo"};
        options.insert(options.end(), extra.begin(), extra.end());
        ASSERT_TRUE(sim.Start(options));
        ASSERT_TRUE(trans_open(sim.device().c_str(), 115200));
        EXPECT_EQ(trans_error(), 0);
    }
    static Bytes Message(uint8_t type, size_t size) {
        Bytes m(size);
        for (size_t i = 0; i < size; ++i) m[i] = static_cast<uint8_t>(i * 3 + 1);
        m[0] = type;
        return m;
    }
    vexlan::test::IdleClock clock{vexlan::test::LinkFrames};
    vexlan::test::SimulatedInstrument sim;
};

TEST_F(TransClientTest, ExchangeTakesAMultiFrameReplyWhole) {
    StartEcho();
    const Bytes request = Message(3, 4100);
    Bytes reply(4100);
    ASSERT_TRUE(trans_exchange(request.data(), 4100, reply.data(), 4100, 5000)) << trans_error_text();
    EXPECT_EQ(reply, request);
    EXPECT_EQ(trans_error(), 0);
    EXPECT_STREQ(trans_error_text(), "No error encountered.");
    // Request and reply in one buffer.
    Bytes shared = Message(9, 20);
    const Bytes sent = shared;
    ASSERT_TRUE(trans_exchange(shared.data(), 20, shared.data(), 20, 5000));
    EXPECT_EQ(shared, sent);
}

TEST_F(TransClientTest, ReplyOneByteLongerOrShorter) {
    StartEcho();
    const Bytes longer = Message(3, 101);
    Bytes reply(200);
    EXPECT_FALSE(trans_exchange(longer.data(), 101, reply.data(), 100, 5000));
    EXPECT_EQ(trans_error(), kTransNoRoom);
    EXPECT_EQ(get_message_size(), 0xFFFF);  // the reply was taken out of the queue

    const Bytes shorter = Message(3, 99);
    EXPECT_FALSE(trans_exchange(shorter.data(), 99, reply.data(), 100, 5000));
    EXPECT_EQ(trans_error(), kTransWrongSize);
    EXPECT_STREQ(trans_error_text(), "Size of reply is not what was expected.");
}

TEST_F(TransClientTest, ReplyOfAnotherTypeIsRefused) {
    StartEcho();
    // An earlier message's echo is still queued when the exchange runs.
    const Bytes earlier = Message(7, 10);
    ASSERT_TRUE(trans_send(earlier.data(), 10));
    const Bytes request = Message(9, 10);
    Bytes reply(10);
    EXPECT_FALSE(trans_exchange(request.data(), 10, reply.data(), 10, 5000));
    EXPECT_EQ(trans_error(), kTransWrongType);
    EXPECT_STREQ(trans_error_text(), "Invlaid message received from remote system.");
}

TEST_F(TransClientTest, TimeOutOnlyAfterMoreThanItsMilliseconds) {
    StartEcho({"--never-answer"});
    fakeNow = 0;
    SetTransClock(StepClock);
    Bytes buffer(10);
    uint16_t length = 0;
    EXPECT_FALSE(trans_receive(buffer.data(), 10, &length, 5000));
    EXPECT_EQ(trans_error(), kTransTimeout);
    // The start reading, then one reading per step: the failing one is the first past 5000.
    EXPECT_EQ(fakeNow, 5002u);
    EXPECT_EQ(length, 0xFFFF);
}

TEST_F(TransClientTest, LinkFailureEndsTheWaitBeforeTheTimeOut) {
    StartEcho({"--stall-after", "1"});
    const Bytes first = Message(1, 5);
    ASSERT_TRUE(trans_send(first.data(), 5));  // acknowledged; the peer then falls silent
    Bytes buffer(10);
    uint16_t length = 0;
    // Drain the echo that may have left before the stall.
    const uint64_t start = clock.NowMs();
    bool failed = false;
    for (int i = 0; i < 2 && !failed; ++i) failed = !trans_receive(buffer.data(), 10, &length, 60000);
    EXPECT_TRUE(failed);
    EXPECT_EQ(trans_error(), kTransNoHeartbeat);
    EXPECT_LT(clock.NowMs() - start, 20000u);  // link time
    // Failed stays failed until a reset.
    EXPECT_FALSE(trans_send(first.data(), 5));
    EXPECT_EQ(trans_error(), kTransNoAcknowledgement);
    EXPECT_STREQ(trans_error_text(), "No acknowledgement received from remote device.");
}

TEST_F(TransClientTest, BadCallsAndTheirCodes) {
    EXPECT_TRUE(trans_close());  // no port open
    EXPECT_EQ(trans_error(), 0);
    EXPECT_FALSE(trans_open(nullptr, 115200));
    EXPECT_EQ(trans_error(), kTransBadParameter);
    EXPECT_STREQ(trans_error_text(), "A bad parameter was sent to a trans function.");
    EXPECT_FALSE(trans_open("/nonexistent/tty", 115200));
    EXPECT_EQ(trans_error(), kTransOpenFailed);
    EXPECT_STREQ(trans_error_text(), "Could not open comms session.");

    StartEcho();
    uint8_t b[4] = {1};
    uint16_t length;
    EXPECT_FALSE(trans_send(nullptr, 3));
    EXPECT_EQ(trans_error(), kTransBadParameter);
    EXPECT_FALSE(trans_receive(nullptr, 3, &length, 100));
    EXPECT_FALSE(trans_exchange(b, 1, nullptr, 1, 100));
    EXPECT_FALSE(trans_exchange(nullptr, 1, b, 1, 100));
    EXPECT_EQ(trans_error(), kTransBadParameter);
    const Bytes tooBig(8064, 1);
    EXPECT_FALSE(trans_send(tooBig.data(), 8064));
    EXPECT_EQ(trans_error(), kTransNoRoom);
    EXPECT_NE(std::string(trans_error_text()).find("not enough space"), std::string::npos);
}

}  // namespace
