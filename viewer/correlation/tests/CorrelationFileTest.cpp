#include "correlation/CCorrelationFile.h"
#include "res/StringIds.h"
#include "storage/SafeFileWriter.h"
#include "testsupport/TestFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

using namespace vexlan;

namespace {
std::string TempPath(const char* name) { return ::testing::TempDir() + name; }
using test::ReadBytes;
using test::WriteBytes;
}  // namespace

TEST(CorrelationFile, RejectsWrongVersionAndMissingFileLeavingRecord) {
    CCorrelationFile f;
    CorrelationRecord r;
    r.sampleCount = 99;
    WriteBytes(TempPath("v3.ked"), {3, 0, 1, 2});
    EXPECT_FALSE(f.ReadCorrelationFile(TempPath("v3.ked"), r));
    EXPECT_EQ(f.lastError(), string_id::kMsgIncompatibleFile);
    EXPECT_EQ(r.sampleCount, 99);
    EXPECT_FALSE(f.ReadCorrelationFile(TempPath("missing.ked"), r));
    EXPECT_EQ(f.lastError(), string_id::kMsgFileNotOpened);
    EXPECT_FALSE(f.WriteCorrelationFile(TempPath("missing.ked"), r));
    EXPECT_EQ(f.lastError(), string_id::kMsgFileNotOpened);
}

TEST(CorrelationFile, SaveAsThenReadRoundTripsAndKeepsLongerTail) {
    const std::string p = TempPath("long.ked");
    std::vector<std::uint8_t> longer(kFileSize + 10, 0xAB);
    WriteBytes(p, longer);
    CorrelationRecord r;
    r.sampleCount = 2048;
    r.title[0] = 'T';
    CCorrelationFile f;
    std::string out;
    ASSERT_TRUE(f.WriteCorrelationFileAs(p, r, out));
    EXPECT_EQ(out, p);
    const auto bytes = ReadBytes(p);
    ASSERT_EQ(bytes.size(), kFileSize + 10);
    EXPECT_EQ(bytes[kFileSize + 9], 0xAB);
    CorrelationRecord back;
    ASSERT_TRUE(f.ReadCorrelationFile(p, back));
    EXPECT_EQ(back.sampleCount, 2048);
    EXPECT_EQ(back.title[0], 'T');
    ASSERT_TRUE(f.WriteCorrelationFile(p, back));
    EXPECT_EQ(ReadBytes(p), bytes);
}

TEST(CorrelationFile, VersionWordAloneIsAnEmptyResultAndOneByteIsNot) {
    CCorrelationFile f;
    CorrelationRecord r;
    r.sampleCount = 99;
    WriteBytes(TempPath("one.ked"), {2});
    EXPECT_FALSE(f.ReadCorrelationFile(TempPath("one.ked"), r));
    EXPECT_EQ(f.lastError(), string_id::kMsgIncompatibleFile);
    WriteBytes(TempPath("empty.ked"), {});
    EXPECT_FALSE(f.ReadCorrelationFile(TempPath("empty.ked"), r));
    EXPECT_EQ(f.lastError(), string_id::kMsgIncompatibleFile);
    WriteBytes(TempPath("word.ked"), {2, 0});
    EXPECT_TRUE(f.ReadCorrelationFile(TempPath("word.ked"), r));
    EXPECT_EQ(r.sampleCount, 99);  // nothing behind the word: the record keeps its values
    // A short body fills only the fields it covers.
    WriteBytes(TempPath("short.ked"), {2, 0, 'A', 'B', 0});
    EXPECT_TRUE(f.ReadCorrelationFile(TempPath("short.ked"), r));
    EXPECT_STREQ(r.createdDate, "AB");
    EXPECT_EQ(r.sampleCount, 99);
}

TEST(CorrelationFile, SaveAsCreatesAndSaveDoesNot) {
    const std::string p = TempPath("created.ked");
    std::remove(p.c_str());
    CorrelationRecord r;
    r.sampleRate = 4096;
    CCorrelationFile f;
    EXPECT_FALSE(f.WriteCorrelationFile(p, r));
    EXPECT_EQ(f.lastError(), string_id::kMsgFileNotOpened);
    std::string out;
    ASSERT_TRUE(f.WriteCorrelationFileAs(p, r, out));
    const auto bytes = ReadBytes(p);
    ASSERT_EQ(bytes.size(), kFileSize);
    EXPECT_EQ(bytes[0], 2);
    EXPECT_EQ(bytes[1], 0);
    std::string failed;
    EXPECT_FALSE(f.WriteCorrelationFileAs(TempPath("no-such-dir/x.ked"), r, failed));
    EXPECT_EQ(failed, TempPath("no-such-dir/x.ked"));
    EXPECT_EQ(f.lastError(), string_id::kMsgFileNotOpened);
}

// Both failures need the POSIX file system: a folder that opens as a file, and /dev/full.
#ifndef _WIN32
TEST(CorrelationFile, ReadAndWriteFailuresAfterTheOpenGetTheirOwnMessages) {
    CCorrelationFile f;
    CorrelationRecord r;
    r.sampleCount = 77;
    // A folder, a device and a FIFO are refused without blocking, reading or writing.
    EXPECT_FALSE(f.ReadCorrelationFile(::testing::TempDir(), r));
    EXPECT_EQ(f.lastError(), string_id::kMsgOutputNotRegular);
    EXPECT_EQ(r.sampleCount, 77);
    const std::string fifo = TempPath("pipe.ked");
    std::remove(fifo.c_str());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(f.ReadCorrelationFile(fifo, r));
    EXPECT_EQ(f.lastError(), string_id::kMsgOutputNotRegular);
    std::string out;
    EXPECT_FALSE(f.WriteCorrelationFileAs(fifo, r, out));
    EXPECT_EQ(f.lastError(), string_id::kMsgOutputNotRegular);
    std::remove(fifo.c_str());
    if (std::FILE* full = std::fopen("/dev/full", "r+b")) {
        std::fclose(full);
        EXPECT_FALSE(f.WriteCorrelationFile("/dev/full", r));
        EXPECT_EQ(f.lastError(), string_id::kMsgOutputNotRegular);
    }
}
#endif
