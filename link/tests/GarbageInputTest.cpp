// Random and mutated line input never crashes the link, writes outside its rings or delivers a
// message that was not sent. Run under AddressSanitizer in CI.

#include "link/tests/FakeLine.h"

#include <gtest/gtest.h>

#include <random>

using Bytes = std::vector<uint8_t>;

namespace {

class GarbageInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        line = &vexlan::test::Install();
        ASSERT_EQ(comm_open_str("/dev/fake", 115200), 0);
        line->Receive(vexlan::test::Frame(0x1F));  // the peer answers the reset
        read_buffer();
    }
    void TearDown() override { vexlan::test::Uninstall(); }

    // Takes every complete message out into a buffer of exactly its size.
    size_t Drain() {
        size_t messages = 0;
        for (;;) {
            const uint16_t size = get_message_size();
            if (size == 0xFFFF || (size & 0x8000)) return messages;
            EXPECT_LE(size, TARVIK_MAX_RECEIVE);
            Bytes exact(size ? size : 1);
            EXPECT_EQ(get_message(exact.data(), size), size);
            ++messages;
        }
    }

    vexlan::test::FakeLine* line = nullptr;
};

TEST_F(GarbageInputTest, RandomBytes) {
    std::mt19937 random(12345);
    for (int round = 0; round < 300; ++round) {
        Bytes noise(1024);
        for (auto& b : noise) b = static_cast<uint8_t>(random());
        // Start and escape bytes more often than chance, so more frames get far.
        for (int i = 0; i < 40; ++i) noise[random() % noise.size()] = (i & 1) ? 0x24 : 0xAA;
        line->Receive(noise);
        EXPECT_EQ(read_buffer(), -1);
        if (round % 7 == 0) Drain();
        line->now += random() % 3;
        link_timer();
        line->TakeWritten();
    }
    Drain();
}

TEST_F(GarbageInputTest, MutatedValidFrames) {
    std::mt19937 random(777);
    const Bytes original = [] {
        Bytes m(600);
        for (size_t i = 0; i < m.size(); ++i) m[i] = static_cast<uint8_t>(i * 13);
        return m;
    }();
    uint8_t sequence = 0;
    size_t delivered = 0;
    for (int round = 0; round < 400; ++round) {
        Bytes wire;
        for (int f = 0; f < 3; ++f) {
            const size_t begin = f * 252, end = std::min(original.size(), begin + 252);
            const Bytes frame = vexlan::test::Frame(static_cast<uint8_t>((f < 2 ? 0x80 : 0xC0) + sequence),
                                                    Bytes(original.begin() + begin, original.begin() + end));
            wire.insert(wire.end(), frame.begin(), frame.end());
            sequence = (sequence + 1) & 31;
        }
        // Each mutation flips, inserts or deletes a byte; many rounds stay intact.
        const int mutations = static_cast<int>(random() % 4);
        for (int m = 0; m < mutations; ++m) {
            const size_t at = random() % wire.size();
            switch (random() % 3) {
            case 0: wire[at] ^= static_cast<uint8_t>(1u << (random() % 8)); break;
            case 1: wire.insert(wire.begin() + at, static_cast<uint8_t>(random())); break;
            default: wire.erase(wire.begin() + at); break;
            }
        }
        line->Receive(wire);
        read_buffer();
        // Every complete message is either the original or a message the checksums could not
        // tell apart; the fragments of good frames only join in order.
        for (;;) {
            const uint16_t size = get_message_size();
            if (size == 0xFFFF || (size & 0x8000)) break;
            Bytes out(TARVIK_MAX_RECEIVE);
            ASSERT_EQ(get_message(out.data(), static_cast<uint32_t>(out.size())), size);
            if (mutations == 0 && size == original.size()) {
                EXPECT_EQ(Bytes(out.begin(), out.begin() + size), original);
            }
            ++delivered;
        }
        line->TakeWritten();
        // The peer's view: a fresh link each round, as after a reset request.
        const Bytes reset = vexlan::test::Frame(0xBF);
        line->Receive(reset);
        read_buffer();
        sequence = 0;
        line->TakeWritten();
    }
    EXPECT_GT(delivered, 50u);
}

}  // namespace
