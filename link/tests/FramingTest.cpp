// Wire format, fragmenting, rings, acknowledgement, retransmission and polling of the link,
// byte for byte against an in-memory line.

#include "link/tests/FakeLine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <numeric>

using vexlan::test::FakeLine;
using vexlan::test::Frame;
using vexlan::test::ParseFrames;
using Bytes = std::vector<uint8_t>;

namespace {

class FramingTest : public ::testing::Test {
protected:
    void SetUp() override { line = &vexlan::test::Install(); }
    void TearDown() override { vexlan::test::Uninstall(); }

    // Opens the fake port and lets the peer acknowledge the link reset request.
    void OpenLinked() {
        ASSERT_EQ(comm_open_str("/dev/fake", 115200), 0);
        Feed(Frame(0x1F));
        line->TakeWritten();
    }
    void Feed(const Bytes& bytes) {
        line->Receive(bytes);
        ASSERT_EQ(read_buffer(), -1);
    }
    void Tick(int seconds) {
        line->now += seconds;
        link_timer();
    }
    LinkStatistics Stats() {
        LinkStatistics s;
        get_statistics(&s);
        return s;
    }
    static Bytes Pattern(size_t n, uint8_t seed = 1) {
        Bytes b(n);
        for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(seed + i * 7);
        return b;
    }

    FakeLine* line = nullptr;
};

TEST_F(FramingTest, ResetRequestAndItsAnswerOnTheWire) {
    ASSERT_EQ(comm_open_str("/dev/fake", 115200), 0);
    EXPECT_EQ(line->TakeWritten(), (Bytes{0x24, 0x02, 0xBF, 0x41}));
    EXPECT_EQ(get_status() & STATUS_TX_PENDING, STATUS_TX_PENDING);
    Feed({0x24, 0x02, 0x1F, 0xE1});  // the peer's ACK 31 takes the request off the queue
    EXPECT_EQ(get_status(), 0);

    // The peer resets the link: we answer ACK 31 and expect its frames from sequence 0 on.
    Feed({0x24, 0x02, 0xBF, 0x41});
    EXPECT_EQ(line->TakeWritten(), (Bytes{0x24, 0x02, 0x1F, 0xE1}));
    Feed(Frame(0xC0, {0x42}));
    EXPECT_EQ(line->TakeWritten(), Frame(0x00));
    uint8_t out[4];
    EXPECT_EQ(get_message(out, sizeof out), 1);
    EXPECT_EQ(out[0], 0x42);
}

TEST_F(FramingTest, UntilTheResetIsAnsweredThePeersFramesAreOld) {
    ASSERT_EQ(comm_open_str("/dev/fake", 115200), 0);
    const uint8_t request = 2;
    ASSERT_EQ(put_message(&request, 1), 0);
    line->TakeWritten();
    // The peer never saw the reset: it acknowledges with its old numbers and sends old frames.
    Feed(Frame(0x06));
    Feed(Frame(0xC0, {0x99}));
    Feed(Frame(0x00, {0x98}));
    EXPECT_TRUE(line->TakeWritten().empty());
    EXPECT_EQ(get_message_size(), 0xFFFF);
    Tick(2);  // both frames again
    Bytes again{0x24, 0x02, 0xBF, 0x41};
    const Bytes data = Frame(0xC0, {2});
    again.insert(again.end(), data.begin(), data.end());
    EXPECT_EQ(line->TakeWritten(), again);
    // The answer releases the reset request alone; then the new numbering holds.
    Feed(Frame(0x1F));
    EXPECT_EQ(get_status() & STATUS_TX_PENDING, STATUS_TX_PENDING);
    Feed(Frame(0x00));
    EXPECT_EQ(get_status() & STATUS_TX_PENDING, 0);
    Feed(Frame(0xC0, {0x77}));
    EXPECT_EQ(line->TakeWritten(), Frame(0x00));
    uint8_t out[2];
    EXPECT_EQ(get_message(out, 2), 1);
    EXPECT_EQ(out[0], 0x77);
}

TEST_F(FramingTest, MessagesAreCutInto252ByteFrames) {
    OpenLinked();
    EXPECT_EQ(put_message(nullptr, 0), 0);
    EXPECT_TRUE(line->TakeWritten().empty());

    struct Case {
        size_t length;
        std::vector<std::pair<uint8_t, size_t>> frames;  // type, data bytes
    } cases[] = {
        {1, {{FRAME_DATA_LAST, 1}}},
        {252, {{FRAME_DATA_LAST, 252}}},
        {253, {{FRAME_DATA_MORE, 252}, {FRAME_DATA_LAST, 1}}},
        {504, {{FRAME_DATA_MORE, 252}, {FRAME_DATA_LAST, 252}}},
    };
    uint8_t sequence = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        const Bytes message = Pattern(c.length);
        ASSERT_EQ(put_message(message.data(), static_cast<uint32_t>(message.size())), 0);
        const auto frames = ParseFrames(line->TakeWritten());
        ASSERT_EQ(frames.size(), c.frames.size());
        Bytes joined;
        for (size_t i = 0; i < frames.size(); ++i) {
            const Bytes& f = frames[i];
            EXPECT_EQ(f[0], c.frames[i].second + 2);
            EXPECT_EQ(f[1], c.frames[i].first * 32 + sequence);
            EXPECT_EQ(std::accumulate(f.begin() + 1, f.end(), 0) & 0xFF, 0);
            joined.insert(joined.end(), f.begin() + 2, f.end() - 1);
            sequence = (sequence + 1) & 31;
        }
        EXPECT_EQ(joined, message);
        Feed(Frame(static_cast<uint8_t>((sequence - 1) & 31)));  // acknowledge all of it
        EXPECT_EQ(get_status() & STATUS_TX_PENDING, 0);
    }
}

TEST_F(FramingTest, TransmitQueueRoomFigures) {
    OpenLinked();
    const Bytes big = Pattern(8063);
    auto put = [&](size_t n) { return put_message(big.data(), static_cast<uint32_t>(n)); };
    auto ackAll = [&] {
        // Acknowledging every number in turn, twice round, releases any queue of 32 frames.
        for (int n = 0; n < 64; ++n) Feed(Frame(static_cast<uint8_t>(n & 31)));
        ASSERT_EQ(get_status() & STATUS_TX_PENDING, 0);
    };

    EXPECT_EQ(put(8064), TARVIK_NO_ROOM);  // needs 8192 of 8191
    EXPECT_TRUE(line->TakeWritten().empty());
    EXPECT_EQ(put(8063), 0);  // needs exactly 8191
    ackAll();

    // A queued frame takes 3 bytes beyond its data (the start byte is not stored), while the
    // room asked for is 4 per frame: the figures below build exact amounts of free space.
    EXPECT_EQ(put(7812), 0);              // 31 full frames: asks 7936 of 8191, takes 7905
    EXPECT_EQ(put(27), 0);                // takes 30: 256 left
    EXPECT_EQ(put(253), TARVIK_NO_ROOM);  // asks 261
    EXPECT_EQ(put(252), 0);               // asks 256
    ackAll();

    EXPECT_EQ(put(7812), 0);
    EXPECT_EQ(put(22), 0);  // takes 25: 261 left
    EXPECT_EQ(put(254), TARVIK_NO_ROOM);
    EXPECT_EQ(put(253), 0);
    ackAll();

    EXPECT_EQ(put(8063), 0);            // takes 8159: 32 left
    EXPECT_EQ(put(24), 0);              // 5 left
    EXPECT_EQ(put(2), TARVIK_NO_ROOM);  // asks 6
    EXPECT_EQ(put(1), 0);               // asks 5
    EXPECT_EQ(put(0), 0);               // an empty message needs no room
    EXPECT_EQ(put(1), TARVIK_NO_ROOM);
}

TEST_F(FramingTest, EscapingOfStartAndEscapeBytesAndChecksums) {
    OpenLinked();
    const Bytes message{0x24, 0xAA, 0x01};
    ASSERT_EQ(put_message(message.data(), 3), 0);
    // control C0 + 24 + AA + 01 = 0x18F: checksum 0x71
    EXPECT_EQ(line->TakeWritten(), (Bytes{0x24, 0x05, 0xC0, 0xAA, 0xFE, 0xAA, 0x22, 0x01, 0x71}));

    // DATA_LAST 1 carrying 0x95 has the checksum 0xAA.
    Feed(Frame(0x00));
    const uint8_t one = 0x95;
    ASSERT_EQ(put_message(&one, 1), 0);
    EXPECT_EQ(line->TakeWritten(), (Bytes{0x24, 0x03, 0xC1, 0x95, 0xAA, 0x22}));

    // Received: escaped bytes are translated back, the checksum included.
    Feed({0x24, 0x05, 0xC0, 0xAA, 0xFE, 0xAA, 0x22, 0x01, 0x71});
    Feed({0x24, 0x03, 0xC1, 0x1B, 0xAA, 0xFE});  // C1 + 1B = DC: the checksum is 0x24
    EXPECT_EQ(line->TakeWritten(), (Bytes{0x24, 0x02, 0x00, 0x00, 0x24, 0x02, 0x01, 0xFF}));
    uint8_t out[8];
    ASSERT_EQ(get_message(out, sizeof out), 3);
    EXPECT_EQ(Bytes(out, out + 3), message);
    ASSERT_EQ(get_message(out, sizeof out), 1);
    EXPECT_EQ(out[0], 0x1B);
}

TEST_F(FramingTest, UnescapedStartByteAbandonsTheFrame) {
    OpenLinked();
    // A frame announced with 5 bytes is cut short by a new start byte.
    Bytes wire{0x24, 0x05, 0xC0, 0x11};
    const Bytes good = Frame(0xC0, {0x33, 0x44});
    wire.insert(wire.end(), good.begin(), good.end());
    Feed(wire);
    uint8_t out[8];
    ASSERT_EQ(get_message(out, sizeof out), 2);
    EXPECT_EQ(out[0], 0x33);
    EXPECT_EQ(out[1], 0x44);
    EXPECT_EQ(get_message(out, sizeof out), 0);
    EXPECT_EQ(Stats().errors, 0u);
}

TEST_F(FramingTest, LengthBytesOutsideTheRangeAreDroppedSilently) {
    OpenLinked();
    const LinkStatistics before = Stats();
    Feed({0x24, 0x01, 0xC0, 0x40});
    Feed({0x24, 0xFF, 0xC0, 0x40});
    Feed({0x24, 0x00});
    EXPECT_TRUE(line->TakeWritten().empty());
    EXPECT_EQ(Stats().framesReceived, before.framesReceived);
    EXPECT_EQ(Stats().errors, before.errors);
    // The builder is ready for the next frame.
    Feed(Frame(0xC0, {7}));
    EXPECT_EQ(line->TakeWritten(), Frame(0x00));
}

TEST_F(FramingTest, MessageSizeWhileA4100ByteMessageArrives) {
    OpenLinked();
    const Bytes message = Pattern(4100, 3);
    uint8_t out[4200];
    size_t sent = 0;
    uint8_t sequence = 0;
    while (sent < message.size()) {
        const size_t chunk = std::min<size_t>(252, message.size() - sent);
        const bool last = sent + chunk == message.size();
        Feed(Frame(static_cast<uint8_t>((last ? 0xC0 : 0x80) + sequence),
                   Bytes(message.begin() + sent, message.begin() + sent + chunk)));
        EXPECT_EQ(line->TakeWritten(), Frame(sequence));
        sent += chunk;
        sequence = (sequence + 1) & 31;
        if (!last) {
            EXPECT_EQ(get_message_size(), 0x8000 + sent);
            EXPECT_EQ(get_message(out, sizeof out), 0);
            EXPECT_EQ(get_status() & STATUS_RX_WAITING, STATUS_RX_WAITING);
        }
    }
    EXPECT_EQ(get_message_size(), 4100);
    ASSERT_EQ(get_message(out, sizeof out), 4100);
    EXPECT_EQ(Bytes(out, out + 4100), message);
    EXPECT_EQ(get_message_size(), 0xFFFF);
    EXPECT_EQ(get_status() & STATUS_RX_WAITING, 0);
}

TEST_F(FramingTest, BufferOneByteTooSmallKeepsTheMessage) {
    OpenLinked();
    const Bytes message = Pattern(300);
    Feed(Frame(0x80, Bytes(message.begin(), message.begin() + 252)));
    Feed(Frame(0xC1, Bytes(message.begin() + 252, message.end())));
    Feed(Frame(0xC2, {9}));
    Bytes out(400);
    EXPECT_EQ(get_message(out.data(), 299), TARVIK_NO_ROOM);
    EXPECT_EQ(get_message_size(), 300);
    ASSERT_EQ(get_message(out.data(), 300), 300);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 300), message);
    ASSERT_EQ(get_message(out.data(), 1), 1);
    EXPECT_EQ(out[0], 9);
}

TEST_F(FramingTest, LinkFailedAtTheThirdPassUntilReset) {
    OpenLinked();
    const Bytes message = Pattern(10);
    ASSERT_EQ(put_message(message.data(), 10), 0);
    const Bytes firstSend = line->TakeWritten();

    Tick(1);
    EXPECT_TRUE(line->TakeWritten().empty());
    for (int pass = 1; pass <= 3; ++pass) {
        SCOPED_TRACE(pass);
        Tick(1);
        EXPECT_EQ(line->TakeWritten(), firstSend);  // every 2 s the same frame again
        EXPECT_EQ(Stats().retransmissions, static_cast<uint32_t>(pass));
        EXPECT_EQ((get_status() & STATUS_LINK_FAILED) != 0, pass == 3);
        if (pass < 3) Tick(1);
    }
    // Passes go on while failed, and an acknowledgement does not clear the flag.
    Tick(2);
    EXPECT_EQ(line->TakeWritten(), firstSend);
    Feed(Frame(0x00));
    EXPECT_EQ(get_status() & (STATUS_TX_PENDING | STATUS_LINK_FAILED), STATUS_LINK_FAILED);
    comm_reset();
    EXPECT_EQ(get_status() & STATUS_LINK_FAILED, 0);
    EXPECT_EQ(line->TakeWritten(), (Bytes{0x24, 0x02, 0xBF, 0x41}));
}

TEST_F(FramingTest, AcknowledgementBetweenPassesRestartsTheCount) {
    OpenLinked();
    const uint8_t bytes[2] = {1, 2};
    ASSERT_EQ(put_message(bytes, 2), 0);
    Tick(2);
    Tick(2);
    EXPECT_EQ(Stats().retransmissions, 2u);
    ASSERT_EQ(put_message(bytes, 2), 0);
    Feed(Frame(0x00));  // the first message is through; the second still waits
    Tick(2);
    Tick(2);
    EXPECT_EQ(Stats().retransmissions, 4u);
    EXPECT_EQ(get_status() & STATUS_LINK_FAILED, 0);
}

TEST_F(FramingTest, PollAfterThreeSecondsOfSilence) {
    OpenLinked();
    Tick(2);
    EXPECT_TRUE(line->TakeWritten().empty());
    Tick(1);
    EXPECT_EQ(line->TakeWritten(), Frame(0xE0));
    // An outstanding poll is not a pending transmission.
    EXPECT_EQ(get_status() & STATUS_TX_PENDING, 0);
    Feed(Frame(0x00));
    Tick(3);
    EXPECT_EQ(line->TakeWritten(), Frame(0xE1));
    // Unanswered, the poll is sent again like any frame.
    Tick(2);
    EXPECT_EQ(line->TakeWritten(), Frame(0xE1));
    // A message after it makes the queue pending again; both go in the next pass.
    const uint8_t b = 5;
    ASSERT_EQ(put_message(&b, 1), 0);
    EXPECT_EQ(get_status() & STATUS_TX_PENDING, STATUS_TX_PENDING);
    line->TakeWritten();
    Tick(2);
    Bytes both = Frame(0xE1);
    const Bytes data = Frame(0xC2, {5});
    both.insert(both.end(), data.begin(), data.end());
    EXPECT_EQ(line->TakeWritten(), both);
}

TEST_F(FramingTest, PeerPollIsAcknowledged) {
    OpenLinked();
    Feed(Frame(0xE0));
    EXPECT_EQ(line->TakeWritten(), Frame(0x00));
    Feed(Frame(0xC1, {1}));  // the poll used sequence 0
    EXPECT_EQ(line->TakeWritten(), Frame(0x01));
}

TEST_F(FramingTest, BadChecksumAheadAndRepeatedFrames) {
    OpenLinked();
    Feed(Frame(0xC0, {1}));
    Feed(Frame(0xC1, {2}));
    line->TakeWritten();
    const LinkStatistics before = Stats();

    // Bad checksum: REJECT with the last number taken.
    Bytes bad = Frame(0xC2, {3});
    bad.back() ^= 0x10;
    Feed(bad);
    EXPECT_EQ(line->TakeWritten(), Frame(0x61));
    EXPECT_EQ(Stats().errors, before.errors + 1);
    EXPECT_EQ(Stats().framesReceived, before.framesReceived);

    // Ahead of sequence: NAK with the last number taken.
    Feed(Frame(0xC4, {5}));
    EXPECT_EQ(line->TakeWritten(), Frame(0x41));
    EXPECT_EQ(Stats().errors, before.errors + 2);

    // A repeat of an old frame is acknowledged with the last number taken, which cannot
    // release a frame of the peer that has not arrived.
    Feed(Frame(0xC0, {1}));
    EXPECT_EQ(line->TakeWritten(), Frame(0x01));
    EXPECT_EQ(Stats().errors, before.errors + 2);

    uint8_t out[4];
    EXPECT_EQ(get_message(out, 4), 1);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(get_message(out, 4), 1);
    EXPECT_EQ(out[0], 2);
    EXPECT_EQ(get_message(out, 4), 0);
}

TEST_F(FramingTest, OneNakPerGapAndSecond) {
    OpenLinked();
    // Frame 0 is lost; the three behind it ask for one retransmission, not three.
    Feed(Frame(0xC1, {1}));
    Feed(Frame(0xC2, {2}));
    Feed(Frame(0xC3, {3}));
    EXPECT_EQ(line->TakeWritten(), Frame(0x5F));
    EXPECT_EQ(Stats().errors, 3u);
    line->now += 1;
    Feed(Frame(0xC1, {1}));
    EXPECT_EQ(line->TakeWritten(), Frame(0x5F));  // a second later the gap is reported again
    Feed(Frame(0xC0, {0}));
    EXPECT_EQ(line->TakeWritten(), Frame(0x00));
    Feed(Frame(0xC2, {2}));  // a new gap: frame 1 missing
    EXPECT_EQ(line->TakeWritten(), Frame(0x40));
    // The same holds for damaged frames.
    Bytes bad = Frame(0xC1, {1});
    bad.back() ^= 4;
    Feed(bad);
    Feed(bad);
    EXPECT_EQ(line->TakeWritten(), Frame(0x60));
}

TEST_F(FramingTest, NakAndRejectReleaseThenRetransmit) {
    OpenLinked();
    const uint8_t a = 0x11, b = 0x22, c = 0x33;
    put_message(&a, 1);
    put_message(&b, 1);
    put_message(&c, 1);
    line->TakeWritten();
    // NAK 0: the peer has frame 0 and wants 1 and 2. Frame 0 is not sent again: a peer that
    // answers a repeat with ACK of its expected number would release frame 1 unseen.
    Feed(Frame(0x40));
    Bytes expected = Frame(0xC1, {b});
    const Bytes third = Frame(0xC2, {c});
    expected.insert(expected.end(), third.begin(), third.end());
    EXPECT_EQ(line->TakeWritten(), expected);
    // The rest of a burst about the same gap starts no further pass.
    Feed(Frame(0x40));
    Feed(Frame(0x60));
    EXPECT_TRUE(line->TakeWritten().empty());
    Feed(Frame(0x61));  // REJECT 1: frames 0..1 taken, 2 again
    EXPECT_EQ(line->TakeWritten(), third);
    EXPECT_EQ(Stats().retransmissions, 2u);
    // Complaints show the peer is there: they never make the link fail.
    for (int i = 0; i < 6; ++i) {
        line->now += 1;
        Feed(Frame(0x61));
    }
    EXPECT_EQ(get_status() & STATUS_LINK_FAILED, 0);
}

TEST_F(FramingTest, RefusalsWithNothingQueuedAreNoRetransmission) {
    OpenLinked();
    for (int i = 0; i < 4; ++i) Feed(Frame(0x7F));  // REJECT 31, e.g. of a damaged ACK of ours
    Feed(Frame(0x5F));
    EXPECT_TRUE(line->TakeWritten().empty());
    EXPECT_EQ(Stats().retransmissions, 0u);
    EXPECT_EQ(get_status() & STATUS_LINK_FAILED, 0);
}

TEST_F(FramingTest, PeerResetMakesUsResetTheLink) {
    OpenLinked();
    const uint8_t a = 1;
    put_message(&a, 1);
    Feed(Frame(0xC0, {4}));
    line->TakeWritten();
    Feed(Frame(0x20));
    EXPECT_EQ(line->TakeWritten(), (Bytes{0x24, 0x02, 0xBF, 0x41}));
    uint8_t out[4];
    EXPECT_EQ(get_message(out, 4), 0);  // the queues were emptied
    EXPECT_EQ(get_message_size(), 0xFFFF);
}

TEST_F(FramingTest, AckWithDataIsDelivered) {
    OpenLinked();
    Feed(Frame(0x1F, {0xDE, 0xAD}));
    uint8_t out[4];
    ASSERT_EQ(get_message(out, 4), 2);
    EXPECT_EQ(out[0], 0xDE);
    EXPECT_TRUE(line->TakeWritten().empty());  // an ACK is never acknowledged
}

TEST_F(FramingTest, FullReceiveQueueRefusesWithoutLosingMessages) {
    OpenLinked();
    // 32 messages of 252 bytes take 32 * 254 = 8128 of 8191 bytes.
    const Bytes chunk = Pattern(252);
    for (uint8_t s = 0; s < 32; ++s) Feed(Frame(static_cast<uint8_t>(0xC0 + s), chunk));
    line->TakeWritten();
    const LinkStatistics before = Stats();
    Feed(Frame(0xC0, chunk));                  // sequence 0 again after the wrap: needs 254, 63 free
    EXPECT_TRUE(line->TakeWritten().empty());  // no ACK: the peer sends it again later
    EXPECT_EQ(Stats().errors, before.errors + 1);
    Bytes out(300);
    for (int i = 0; i < 32; ++i) ASSERT_EQ(get_message(out.data(), 300), 252) << i;
    Feed(Frame(0xC0, chunk));
    EXPECT_EQ(line->TakeWritten(), Frame(0x00));
    EXPECT_EQ(get_message(out.data(), 300), 252);
}

TEST_F(FramingTest, StatisticsCountEveryFrame) {
    ASSERT_EQ(comm_open_str("/dev/fake", 115200), 0);
    Feed(Frame(0x1F));
    Feed(Frame(0xC0, {1}));  // answered with ACK
    const Bytes big = Pattern(253);
    put_message(big.data(), 253);  // two frames
    Tick(2);                       // pass: both again
    Bytes bad = Frame(0xC1, {1});
    bad.back() ^= 1;
    Feed(bad);  // REJECT
    const LinkStatistics s = Stats();
    EXPECT_EQ(s.framesSent, 1u + 1u + 2u + 2u + 1u);
    EXPECT_EQ(s.retransmissions, 1u);
    EXPECT_EQ(s.framesReceived, 2u);
    EXPECT_EQ(s.errors, 1u);
    // An open starts the counters again.
    comm_close();
    ASSERT_EQ(comm_open_str("/dev/fake", 115200), 0);
    EXPECT_EQ(Stats().framesSent, 1u);
    EXPECT_EQ(Stats().errors, 0u);
}

TEST_F(FramingTest, StatusBitsWithThePortClosed) {
    EXPECT_EQ(get_status() & STATUS_CLOSED, STATUS_CLOSED);
    OpenLinked();
    Feed(Frame(0xC0, {1}));
    const uint8_t a = 1;
    put_message(&a, 1);
    comm_close();
    // The link state outlives the close; only the port bit changes.
    EXPECT_EQ(get_status(), STATUS_CLOSED | STATUS_RX_WAITING | STATUS_TX_PENDING);
    EXPECT_EQ(read_buffer(), -1);
}

TEST_F(FramingTest, FailedReadGivesItsErrorCode) {
    OpenLinked();
    line->readErrno = EIO;
    EXPECT_EQ(read_buffer(), EIO);
}

}  // namespace
