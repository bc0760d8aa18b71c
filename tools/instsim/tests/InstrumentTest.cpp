// The simulated instrument's answers to the file requests.

#include "tools/instsim/Instrument.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Bytes = std::vector<uint8_t>;
using instsim::Instrument;

class InstrumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        char templ[] = "/tmp/instsim-XXXXXX";
        ASSERT_NE(::mkdtemp(templ), nullptr);
        folder = templ;
    }
    void TearDown() override { std::system(("rm -rf " + folder).c_str()); }
    void Put(const std::string& name, size_t size) {
        FILE* f = std::fopen((folder + "/" + name).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        for (size_t i = 0; i < size; ++i) std::fputc(static_cast<int>((i * 31 + 7) & 0xFF), f);
        std::fclose(f);
    }
    Bytes Ask(Instrument& instrument, const Bytes& request) {
        std::string event;
        return instrument.Handle(request.data(), request.size(), &event);
    }
    static Bytes OpenRequest(const std::string& name) {
        Bytes r(82, 0);
        r[0] = 1;
        std::copy(name.begin(), name.end(), r.begin() + 2);
        return r;
    }
    static std::string NameOf(const Bytes& reply) {
        return std::string(reinterpret_cast<const char*>(reply.data() + 2));
    }

    std::string folder;
};

TEST_F(InstrumentTest, ListingStartsAtZeroAndEndsWithMoreZero) {
    Put("B.KED", 1);
    Put("A.KED", 1);
    Put("notes.txt", 1);
    Put("much-too-long-name.KED", 1);  // does not fit an entry of 17 characters
    ::mkdir((folder + "/DIR.KED").c_str(), 0755);
    Instrument instrument(folder, {});

    Bytes reply = Ask(instrument, {9, 0, 0, 0});
    ASSERT_EQ(reply.size(), 20u);
    EXPECT_EQ(reply[0], 9);
    EXPECT_EQ(reply[1], 1);
    EXPECT_EQ(NameOf(reply), "");
    std::vector<std::string> names;
    Bytes request{9, 0, 1, 0};
    for (int guard = 0; guard < 10; ++guard) {
        reply = Ask(instrument, request);
        names.push_back(NameOf(reply));
        if (reply[1] != 1) break;
        request = Bytes(reply.begin(), reply.begin() + 4);  // as the host sends it
    }
    EXPECT_EQ(names, (std::vector<std::string>{"A.KED", "B.KED", "notes.txt"}));
    EXPECT_EQ(reply[1], 0);
    // A new listing starts over.
    EXPECT_EQ(Ask(instrument, {9, 0, 0, 0})[1], 1);
    EXPECT_EQ(NameOf(Ask(instrument, {9, 0, 1, 0})), "A.KED");
}

TEST_F(InstrumentTest, EmptyFolderEndsAtOnce) {
    Instrument instrument(folder, {});
    for (int i = 0; i < 2; ++i) {
        const Bytes reply = Ask(instrument, {9, 0, 0, 0});
        EXPECT_EQ(reply[1], 0);
        EXPECT_EQ(NameOf(reply), "");
    }
}

TEST_F(InstrumentTest, FileIsReadInBlocksUntilCountZero) {
    Put("BIG.KED", 4097);
    Instrument instrument(folder, {});
    EXPECT_EQ(Ask(instrument, OpenRequest("BIG.KED")), (Bytes{1, 0}));
    std::vector<unsigned> counts;
    for (int i = 0; i < 4; ++i) {
        const Bytes reply = Ask(instrument, {3});
        ASSERT_EQ(reply.size(), 4100u);
        EXPECT_EQ(reply[0], 3);
        counts.push_back(reply[2] | (reply[3] << 8));
        if (i == 1) {
            EXPECT_EQ(reply[4], static_cast<uint8_t>((4096 * 31 + 7) & 0xFF));
        }
    }
    EXPECT_EQ(counts, (std::vector<unsigned>{4096, 1, 0, 0}));
    EXPECT_EQ(Ask(instrument, {2}), (Bytes{2, 0}));
    // Closed: a block read gives nothing.
    const Bytes after = Ask(instrument, {3});
    EXPECT_EQ(after[2] | (after[3] << 8), 0);
}

TEST_F(InstrumentTest, OpenRefusals) {
    Put("A.KED", 10);
    Put("B.KED", 10);
    Instrument some(folder, {"B.KED"});
    EXPECT_EQ(Ask(some, OpenRequest("A.KED"))[1], 0);
    EXPECT_EQ(Ask(some, OpenRequest("B.KED"))[1], 1);
    EXPECT_EQ(Ask(some, OpenRequest("C.KED"))[1], 1);
    EXPECT_EQ(Ask(some, OpenRequest("../A.KED"))[1], 1);  // only what the folder lists
    Instrument none(folder, {"*"});
    EXPECT_EQ(Ask(none, OpenRequest("A.KED"))[1], 1);
}

TEST_F(InstrumentTest, RunProgramAndUnknownRequests) {
    Instrument instrument(folder, {});
    Bytes run(721, 0);
    run[0] = 5;
    const std::string program = "Qvrn.exe";
    std::copy(program.begin(), program.end(), run.begin() + 1);
    std::string event;
    EXPECT_EQ(instrument.Handle(run.data(), run.size(), &event), (Bytes{5, 0}));
    EXPECT_NE(event.find("started \"Qvrn.exe\""), std::string::npos);
    run[1] = 'X';
    EXPECT_EQ(Ask(instrument, run), (Bytes{5, 1}));
    EXPECT_TRUE(Ask(instrument, {42, 1, 2}).empty());
    EXPECT_TRUE(Ask(instrument, {}).empty());
}

}  // namespace
