// The instrument session against the simulated instrument over a pseudo-terminal, with both
// ends on the test's idle clock: time-outs and stalls run out without real waiting.

#include "instrument/CInstrumentSession.h"
#include "testsupport/simulator/IdleClock.h"
#include "testsupport/simulator/LinkFrames.h"
#include "testsupport/simulator/SimulatedInstrument.h"
#include "res/StringIds.h"
#include "res/StringTable.h"
#include "link/TarvikTesting.h"
#include "instrument/TransClient.h"
#include "link/tarvik.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using vexlan::CInstrumentSession;
namespace string_id = vexlan::string_id;
using vexlan::test::IdleClock;
using vexlan::test::ReadWholeFile;
using vexlan::test::SimulatedInstrument;
using Bytes = std::vector<uint8_t>;

// The wake-up wait only has to let the simulator read the low-speed bytes.
vexlan::SessionTiming FastTiming() {
    vexlan::SessionTiming t;
    t.wakeWaitMs = 150;
    return t;
}

class InstrumentSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim.SetExtraOptions(clock.Options());
        tarvik::SetClock(IdleClock::Seconds);
        vexlan::SetTransClock(IdleClock::Milliseconds);
    }
    void TearDown() override {
        comm_close();
        vexlan::SetTransClock(nullptr);
        tarvik::SetClock(nullptr);
    }
    std::string Out(const std::string& name) const { return sim.outFolder() + "/" + name; }
    IdleClock clock{vexlan::test::LinkFrames};
    SimulatedInstrument sim;
    CInstrumentSession session{FastTiming()};
};

TEST_F(InstrumentSessionTest, ListingWakesAtLowSpeedAndKeepsNamesEndingInKED) {
    for (const char* name : {"A.KED", "b.ked", "NOTES.TXT", "KED", "ED", "XKED", "C.KEDX"}) sim.AddFile(name, 10);
    ASSERT_TRUE(sim.Start());
    std::vector<std::string> list{"kept"};
    ASSERT_TRUE(session.ListFiles(sim.device(), list)) << session.lastErrorId;
    EXPECT_EQ(list, (std::vector<std::string>{"kept", "A.KED", "KED", "XKED"}));
    EXPECT_EQ(comm_is_open(), 0);
    // At 57600 baud the instrument sees the link reset request of the open, then "$$".
    EXPECT_EQ(sim.BytesReceivedAt(57600), "24 02 BF 41 24 24");
}

TEST_F(InstrumentSessionTest, ListingAsksTwiceEvenWhenTheFirstReplyEndsIt) {
    ASSERT_TRUE(sim.Start());
    std::vector<std::string> list;
    ASSERT_TRUE(session.ListFiles(sim.device(), list));
    EXPECT_TRUE(list.empty());
    const auto requests = sim.LogLines("type 9: list value");
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_NE(requests[1].find("list value 0:"), std::string::npos);  // bytes 2..3 are 0
}

TEST_F(InstrumentSessionTest, DownloadIsByteIdentical) {
    const Bytes served = sim.AddFile("RESULT.KED", 20402);
    ASSERT_TRUE(sim.Start());
    std::vector<std::pair<int, uint64_t>> progress;
    session.onBlock = [&](int block, uint64_t bytes) { progress.emplace_back(block, bytes); };
    ASSERT_TRUE(session.DownloadFile(sim.device(), "RESULT.KED", Out("r.ked"))) << session.lastErrorId;
    bool exists = false;
    EXPECT_EQ(ReadWholeFile(Out("r.ked"), &exists), served);
    EXPECT_FALSE(ReadWholeFile(Out("r.ked.part"), &exists).size() > 0 || exists);
    EXPECT_EQ(comm_is_open(), 0);
    ASSERT_EQ(progress.size(), 6u);  // 4 full blocks, 4018 bytes, end
    EXPECT_EQ(progress.back(), (std::pair<int, uint64_t>{6, 20402}));
    // After the link reset the close request is the first frame of sequence 0.
    EXPECT_EQ(sim.LogLines("rx frame: 24 03 C0 02 3E").size(), 1u);
    EXPECT_EQ(sim.LogLines("type 2: close").size(), 1u);
}

TEST_F(InstrumentSessionTest, EmptyAndOneBlockPlusOneFiles) {
    sim.AddFile("EMPTY.KED", 0);
    const Bytes served = sim.AddFile("ODD.KED", 4097);
    ASSERT_TRUE(sim.Start());
    ASSERT_TRUE(session.DownloadFile(sim.device(), "EMPTY.KED", Out("e.ked")));
    bool exists = false;
    EXPECT_TRUE(ReadWholeFile(Out("e.ked"), &exists).empty());
    EXPECT_TRUE(exists);
    EXPECT_EQ(sim.LogLines("read block").size(), 1u);

    ASSERT_TRUE(session.DownloadFile(sim.device(), "ODD.KED", Out("o.ked")));
    EXPECT_EQ(ReadWholeFile(Out("o.ked"), &exists), served);
    const auto reads = sim.LogLines("read block");
    ASSERT_EQ(reads.size(), 4u);  // one for the empty file, then 4096, 1, 0
    EXPECT_NE(reads[1].find("4096 bytes"), std::string::npos);
    EXPECT_NE(reads[2].find(": 1 bytes"), std::string::npos);
    EXPECT_NE(reads[3].find(": 0 bytes"), std::string::npos);
}

TEST_F(InstrumentSessionTest, DownloadSurvivesALossyLine) {
    const Bytes served = sim.AddFile("LOSSY.KED", 20402);
    size_t dropped = 0, corrupted = 0, duplicated = 0;
    for (const char* seed : {"3", "4", "5", "6"}) {
        SCOPED_TRACE(seed);
        ASSERT_TRUE(sim.Start({"--drop", "0.02", "--corrupt", "0.02", "--duplicate", "0.05", "--seed", seed}));
        const std::string path = Out(std::string("l") + seed + ".ked");
        ASSERT_TRUE(session.DownloadFile(sim.device(), "LOSSY.KED", path))
            << session.lastErrorId << ", link client code " << vexlan::trans_error();
        bool exists = false;
        EXPECT_EQ(ReadWholeFile(path, &exists), served);
        dropped += sim.LogLines("(dropped)").size();
        corrupted += sim.LogLines("(corrupted)").size();
        duplicated += sim.LogLines("(duplicated)").size();
        sim.Stop();
    }
    EXPECT_GT(dropped, 0u);
    EXPECT_GT(corrupted, 0u);
    EXPECT_GT(duplicated, 0u);
}

TEST_F(InstrumentSessionTest, RefusedOpenClosesThePort) {
    sim.AddFile("A.KED", 100);
    ASSERT_TRUE(sim.Start({"--refuse", "*"}));
    EXPECT_FALSE(session.DownloadFile(sim.device(), "A.KED", Out("a.ked")));
    EXPECT_EQ(session.lastErrorId, 62003u);
    EXPECT_EQ(comm_is_open(), 0);
    bool exists = true;
    ReadWholeFile(Out("a.ked"), &exists);
    EXPECT_FALSE(exists);
}

TEST_F(InstrumentSessionTest, StalledInstrumentEndsTheDownloadWithoutAFile) {
    sim.AddFile("BIG.KED", 20402);
    // The open and the first block read are answered; from the second block read on, silence.
    ASSERT_TRUE(sim.Start({"--stall-after", "3"}));
    vexlan::SessionTiming timing = FastTiming();
    timing.replyTimeoutMs = timing.sendTimeoutMs = 1000;
    CInstrumentSession quick(timing);
    const std::string path = Out("big.ked");
    EXPECT_FALSE(quick.DownloadFile(sim.device(), "BIG.KED", path));
    EXPECT_EQ(quick.lastErrorId, 62001u);
    EXPECT_EQ(comm_is_open(), 0);
    bool exists = true;
    ReadWholeFile(path, &exists);
    EXPECT_FALSE(exists);
    ReadWholeFile(path + ".part", &exists);
    EXPECT_FALSE(exists);
}

// A block request names no block: after a lost reply the instrument has moved on, and only
// reading the file again from its start gives the right bytes.
TEST_F(InstrumentSessionTest, ALostReplyAnywhereStartsTheFileAgain) {
    const Bytes served = sim.AddFile("RUN.KED", 20402);
    vexlan::SessionTiming timing = FastTiming();
    timing.replyTimeoutMs = 300;
    CInstrumentSession quick(timing);
    int retries = 0;
    quick.onRetry = [&](int, int) { ++retries; };
    // Replies: open, six block reads, close.
    for (int lost = 1; lost <= 8; ++lost) {
        SCOPED_TRACE(lost);
        ASSERT_TRUE(sim.Start({"--lose-reply", std::to_string(lost)}));
        retries = 0;
        const std::string path = Out("run" + std::to_string(lost) + ".ked");
        ASSERT_TRUE(quick.DownloadFile(sim.device(), "RUN.KED", path)) << quick.lastErrorId;
        bool exists = false;
        EXPECT_EQ(ReadWholeFile(path, &exists), served);
        EXPECT_EQ(retries, lost == 8 ? 0 : 1);  // an unanswered close does not spoil a whole file
        sim.Stop();
    }
    // One lost block reply in each of the three attempts: the download fails and keeps the old file.
    ASSERT_TRUE(sim.Start({"--lose-reply", "2", "--lose-reply", "5", "--lose-reply", "8"}));
    const std::string path = Out("kept.ked");
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fputs("old", f);
        std::fclose(f);
    }
    EXPECT_FALSE(quick.DownloadFile(sim.device(), "RUN.KED", path));
    EXPECT_EQ(quick.lastErrorId, 62001u);
    bool exists = false;
    const Bytes kept = ReadWholeFile(path, &exists);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "old");
    EXPECT_EQ(sim.LogLines("type 1: open").size(), 3u);
}

TEST_F(InstrumentSessionTest, AnInstrumentBackAfterAPauseIsReadFromTheStart) {
    const Bytes served = sim.AddFile("RUN.KED", 20402);
    ASSERT_TRUE(sim.Start({"--stall-after", "3", "--stall-for", "1000"}));
    vexlan::SessionTiming timing = FastTiming();
    timing.replyTimeoutMs = 2000;
    CInstrumentSession quick(timing);
    ASSERT_TRUE(quick.DownloadFile(sim.device(), "RUN.KED", Out("r.ked"))) << quick.lastErrorId;
    bool exists = false;
    EXPECT_EQ(ReadWholeFile(Out("r.ked"), &exists), served);
}

// Each reset clears the link-failed state, so only the session's own limits end these waits.
TEST_F(InstrumentSessionTest, APeerThatKeepsResettingTheLinkEndsTheOperation) {
    sim.AddFile("A.KED", 100);
    ASSERT_TRUE(sim.Start({"--reset-every", "150"}));
    vexlan::SessionTiming timing = FastTiming();
    timing.replyTimeoutMs = timing.sendTimeoutMs = 400;
    CInstrumentSession quick(timing);
    std::vector<std::string> list;
    EXPECT_FALSE(quick.ListFiles(sim.device(), list));
    EXPECT_FALSE(quick.DownloadFile(sim.device(), "A.KED", Out("a.ked")));
    EXPECT_EQ(quick.lastErrorId, 62001u);
    EXPECT_EQ(comm_is_open(), 0);
}

TEST_F(InstrumentSessionTest, AFileLongerThanAnyResultIsCutOff) {
    sim.AddFile("HUGE.KED", vexlan::kMaxDownloadBytes + 1);
    ASSERT_TRUE(sim.Start());
    EXPECT_FALSE(session.DownloadFile(sim.device(), "HUGE.KED", Out("h.ked")));
    EXPECT_EQ(session.lastErrorId, 62001u);
    EXPECT_EQ(sim.LogLines("type 1: open").size(), 1u);  // not tried again
    bool exists = true;
    ReadWholeFile(Out("h.ked.part"), &exists);
    EXPECT_FALSE(exists);
}

TEST_F(InstrumentSessionTest, FailedDownloadKeepsTheOldLocalFile) {
    sim.AddFile("A.KED", 5000);
    ASSERT_TRUE(sim.Start({"--stall-after", "2"}));
    const std::string path = Out("a.ked");
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fputs("old", f);
        std::fclose(f);
    }
    vexlan::SessionTiming timing = FastTiming();
    timing.replyTimeoutMs = timing.sendTimeoutMs = 500;
    CInstrumentSession quick(timing);
    EXPECT_FALSE(quick.DownloadFile(sim.device(), "A.KED", path));
    bool exists = false;
    const Bytes kept = ReadWholeFile(path, &exists);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "old");
}

TEST_F(InstrumentSessionTest, LocalFileThatCannotBeCreated) {
    sim.AddFile("A.KED", 100);
    ASSERT_TRUE(sim.Start());
    EXPECT_FALSE(session.DownloadFile(sim.device(), "A.KED", sim.outFolder() + "/missing/a.ked"));
    EXPECT_EQ(session.lastErrorId, 62004u);
    EXPECT_EQ(comm_is_open(), 0);
    EXPECT_FALSE(std::string(vexlan::LoadString(string_id::kMsgLocalFileNotWritten)).empty());
}

TEST_F(InstrumentSessionTest, ALinkIsWrittenThroughAndADeviceRefused) {
    const Bytes served = sim.AddFile("A.KED", 5000);
    ASSERT_TRUE(sim.Start());
    const std::string target = Out("target.ked"), link = Out("link.ked");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    ASSERT_TRUE(session.DownloadFile(sim.device(), "A.KED", link)) << session.lastErrorId;
    bool exists = false;
    EXPECT_EQ(ReadWholeFile(target, &exists), served);
    struct stat info;
    ASSERT_EQ(::lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_FALSE(session.DownloadFile(sim.device(), "A.KED", "/dev/null"));
    EXPECT_EQ(session.lastErrorId, 62192u);
    EXPECT_EQ(comm_is_open(), 0);
}

TEST_F(InstrumentSessionTest, RestartRunsTheProgramWithoutWakeUp) {
    ASSERT_TRUE(sim.Start());
    ASSERT_TRUE(session.RestartInstrument(sim.device()));
    EXPECT_EQ(sim.LogLines("started \"Qvrn.exe\"").size(), 1u);
    EXPECT_EQ(sim.LogLines("type 5").size(), 1u);
    EXPECT_EQ(sim.BytesReceivedAt(57600), "");
    EXPECT_EQ(comm_is_open(), 0);
}

TEST_F(InstrumentSessionTest, SilentInstrumentFailsEachOperation) {
    ASSERT_TRUE(sim.Start({"--never-answer"}));
    vexlan::SessionTiming timing = FastTiming();
    timing.replyTimeoutMs = 300;
    CInstrumentSession quick(timing);
    std::vector<std::string> list;
    EXPECT_FALSE(quick.ListFiles(sim.device(), list));
    EXPECT_EQ(quick.lastErrorId, 62001u);
    EXPECT_EQ(comm_is_open(), 0);
    EXPECT_FALSE(quick.RestartInstrument(sim.device()));
    EXPECT_EQ(quick.lastErrorId, 62001u);
    EXPECT_EQ(comm_is_open(), 0);
}

TEST_F(InstrumentSessionTest, PortThatDoesNotOpen) {
    std::vector<std::string> list;
    EXPECT_FALSE(session.ListFiles("/nonexistent/tty", list));
    EXPECT_EQ(session.lastErrorId, 62000u);
    EXPECT_FALSE(session.DownloadFile("/nonexistent/tty", "A.KED", Out("x")));
    EXPECT_EQ(session.lastErrorId, 62000u);
    EXPECT_FALSE(session.RestartInstrument("/nonexistent/tty"));
    EXPECT_EQ(session.lastErrorId, 62000u);
}

TEST_F(InstrumentSessionTest, PortTestResults) {
    EXPECT_FALSE(session.TestPort("/nonexistent/tty"));
    EXPECT_EQ(session.lastErrorId, 62006u);
    EXPECT_FALSE(session.TestPort("/dev/null"));
    EXPECT_EQ(session.lastErrorId, 62007u);

    vexlan::ScriptedPrompt prompt;
    EXPECT_FALSE(vexlan::SessionTestPort(prompt, "/nonexistent/tty"));
    ASSERT_EQ(prompt.asked().size(), 1u);
    EXPECT_EQ(prompt.asked()[0].text, vexlan::LoadString(string_id::kMsgPortNotOpened));
    EXPECT_EQ(prompt.asked()[0].icon, vexlan::PromptIcon::Warning);
    EXPECT_EQ(prompt.asked()[0].buttons, vexlan::PromptButtons::Ok);

    // A port another operation left open is closed first, then tested and closed.
    ASSERT_TRUE(sim.Start());
    ASSERT_EQ(comm_open_str(sim.device().c_str(), 115200), 0);
    EXPECT_TRUE(session.TestPort(sim.device()));
    EXPECT_EQ(session.lastErrorId, 62011u);
    EXPECT_EQ(comm_is_open(), 0);
    prompt.Clear();
    EXPECT_TRUE(vexlan::SessionTestPort(prompt, sim.device()));
    EXPECT_TRUE(prompt.asked().empty());
}

TEST_F(InstrumentSessionTest, FreeFunctionsShowTheirMessage) {
    sim.AddFile("A.KED", 10);
    ASSERT_TRUE(sim.Start({"--refuse", "A.KED"}));
    vexlan::ScriptedPrompt prompt;
    std::vector<std::string> list;
    // The free functions wait the full wake-up time.
    ASSERT_TRUE(vexlan::SessionListFiles(prompt, sim.device(), list));
    EXPECT_EQ(list, (std::vector<std::string>{"A.KED"}));
    EXPECT_FALSE(vexlan::SessionDownloadFile(prompt, sim.device(), "A.KED", Out("a.ked")));
    ASSERT_EQ(prompt.asked().size(), 1u);
    EXPECT_EQ(prompt.asked()[0].text, vexlan::LoadString(string_id::kMsgRemoteFileNotOpened));
    EXPECT_TRUE(vexlan::SessionRestart(prompt, sim.device()));
    EXPECT_EQ(prompt.asked().size(), 1u);
}

}  // namespace
