#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>

#include "correlation/CVexlanDoc.h"
#include "res/StringIds.h"
#include "testsupport/DocTestSupport.h"
#ifndef _WIN32
#include "testsupport/FileSizeLimit.h"
#endif
#include "storage/SafeFileWriter.h"

namespace vexlan {
namespace {

using namespace test;

CorrelationRecord SampleRecord(const char* title, float firstLength) {
    CorrelationRecord r;
    std::strcpy(r.title, title);
    std::strcpy(r.createdDate, "08/12/26");
    r.segments[0] = {10, firstLength, 100, 1300, 1};
    r.segments[1] = {3, 25, 90, 330, 1};
    r.sampleCount = 4096;
    r.zeroLagIndex = 2048;
    r.blockCount = 1;
    r.sampleRate = 4096;
    r.sensorPair = 6;
    return r;
}

class DocumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = ScratchDirectory(::testing::UnitTest::GetInstance()->current_test_info()->name());
        CopyShippedSources(dir);
        first = dir + "first.ked";
        second = dir + "second.ked";
        WriteKed(first, SampleRecord("First", 100));
        WriteKed(second, SampleRecord("Second", 200));
    }
    std::string dir, first, second;
    ScriptedPrompt prompt;
};

TEST_F(DocumentTest, OpenLoadsRecordPathAndTexts) {
    CVexlanDoc doc(prompt, dir);
    EXPECT_FALSE(doc.fileLoaded());
    ASSERT_TRUE(doc.OpenCorrelationFile(first));
    EXPECT_TRUE(doc.fileLoaded());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.pathName(), first);
    EXPECT_EQ(doc.dataDirectory(), dir);
    EXPECT_EQ(doc.record().segments[0].length, 100);
    EXPECT_EQ(doc.GetSensorPair(), 6);
    const DocFileTexts texts = doc.GetFileTexts();
    EXPECT_EQ(texts.fileName, "first.ked");
    EXPECT_EQ(texts.title, "First");
    EXPECT_EQ(texts.createdDate, "08/12/26");
    EXPECT_TRUE(prompt.asked().empty());
}

TEST_F(DocumentTest, OpenWhileModifiedHonoursTheAnswer) {
    CVexlanDoc doc(prompt, dir);
    ASSERT_TRUE(doc.OpenCorrelationFile(first));
    doc.SetSegmentLength(0, 123);

    prompt.Queue(PromptAnswer::Cancel);
    EXPECT_FALSE(doc.OpenCorrelationFile(second));
    EXPECT_EQ(doc.pathName(), first);
    EXPECT_EQ(doc.record().segments[0].length, 123);
    EXPECT_TRUE(doc.IsModified());
    ASSERT_EQ(prompt.asked().size(), 1u);
    EXPECT_EQ(prompt.asked()[0].text, LoadString(string_id::kMsgSaveCurrentFile));
    EXPECT_EQ(prompt.asked()[0].buttons, PromptButtons::YesNoCancel);

    prompt.Queue(PromptAnswer::No);
    EXPECT_TRUE(doc.OpenCorrelationFile(second));
    EXPECT_EQ(doc.pathName(), second);
    EXPECT_EQ(doc.record().segments[0].length, 200);
    EXPECT_FALSE(doc.IsModified());
    CCorrelationFile reader;
    CorrelationRecord onDisk;
    ASSERT_TRUE(reader.ReadCorrelationFile(first, onDisk));
    EXPECT_EQ(onDisk.segments[0].length, 100);  // No: the edit was discarded

    doc.SetSegmentLength(0, 321);
    prompt.Queue(PromptAnswer::Yes);
    EXPECT_TRUE(doc.OpenCorrelationFile(first));
    ASSERT_TRUE(reader.ReadCorrelationFile(second, onDisk));
    EXPECT_EQ(onDisk.segments[0].length, 321);  // Yes: saved before the switch
}

TEST_F(DocumentTest, FailedSaveBeforeOpenKeepsTheEdits) {
    CVexlanDoc doc(prompt, dir);
    ASSERT_TRUE(doc.OpenCorrelationFile(first));
    doc.SetSegmentLength(0, 55);
    std::filesystem::remove(first);  // Save never creates the file
    prompt.Queue(PromptAnswer::Yes);
    EXPECT_FALSE(doc.OpenCorrelationFile(second));
    EXPECT_EQ(doc.pathName(), first);
    EXPECT_TRUE(doc.fileLoaded());
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.record().segments[0].length, 55);
    EXPECT_EQ(CountAsked(prompt, string_id::kMsgFileNotOpened), 1u);
}

TEST_F(DocumentTest, UnreadableFileLeavesTheCurrentOneInPlace) {
    CVexlanDoc doc(prompt, dir);
    ASSERT_TRUE(doc.OpenCorrelationFile(first));
    WriteBytes(dir + "bad.ked", {3, 0, 1, 2, 3});
    EXPECT_FALSE(doc.OpenCorrelationFile(dir + "bad.ked"));
    EXPECT_EQ(CountAsked(prompt, string_id::kMsgIncompatibleFile), 1u);
    EXPECT_FALSE(doc.OpenCorrelationFile(dir + "missing.ked"));
    EXPECT_EQ(CountAsked(prompt, string_id::kMsgFileNotOpened), 1u);
    EXPECT_TRUE(doc.fileLoaded());
    EXPECT_EQ(doc.pathName(), first);
    EXPECT_STREQ(doc.record().title, "First");

    // A version word alone is a valid, empty result.
    WriteBytes(dir + "empty.ked", {2, 0});
    EXPECT_TRUE(doc.OpenCorrelationFile(dir + "empty.ked"));
    EXPECT_EQ(doc.record().sampleCount, 0);
    EXPECT_STREQ(doc.record().title, "");
}

TEST_F(DocumentTest, FailedSaveKeepsModifiedAndPath) {
    CVexlanDoc doc(prompt, dir);
    ASSERT_TRUE(doc.OpenCorrelationFile(first));
    doc.SetSegmentVelocity(1, 400);
    std::filesystem::remove(first);
    EXPECT_FALSE(doc.SaveCorrelationFile());
    EXPECT_TRUE(doc.IsModified());
    EXPECT_FALSE(std::filesystem::exists(first));

    // A failed Save As still moves the document to the new path, so the next Save cannot write
    // over the file the user chose to leave alone.
    const std::string nowhere = dir + "no-such-folder/x.ked";
    EXPECT_FALSE(doc.SaveCorrelationFileAs(nowhere));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.pathName(), nowhere);
    EXPECT_EQ(CountAsked(prompt, string_id::kMsgFileNotOpened), 2u);
    WriteKed(first, SampleRecord("First", 100));
    EXPECT_FALSE(doc.SaveCorrelationFile());
    EXPECT_EQ(CountAsked(prompt, string_id::kMsgFileNotOpened), 3u);
    CorrelationRecord untouched;
    ASSERT_TRUE(CCorrelationFile().ReadCorrelationFile(first, untouched));
    EXPECT_EQ(untouched.segments[1].velocity, 330);

    const std::string copy = dir + "copy.ked";
    EXPECT_TRUE(doc.SaveCorrelationFileAs(copy));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.pathName(), copy);
    EXPECT_EQ(doc.GetFileTexts().fileName, "copy.ked");
    doc.SetSegmentVelocity(1, 410);
    EXPECT_TRUE(doc.SaveCorrelationFile());
    EXPECT_FALSE(doc.IsModified());
    CorrelationRecord onDisk;
    CCorrelationFile reader;
    ASSERT_TRUE(reader.ReadCorrelationFile(copy, onDisk));
    EXPECT_EQ(onDisk.segments[1].velocity, 410);
}

TEST_F(DocumentTest, OpenSaveRoundTripIsByteIdentical) {
    std::vector<std::uint8_t> image = FileImage(SampleRecord("Bytes", 7));
    for (std::size_t i = 2 + record_offset::spectrum1Block; i < image.size(); ++i) image[i] = std::uint8_t(i * 131u);
    image[2 + record_offset::title + 10] = 'x';  // bytes behind a terminator travel unchanged
    WriteBytes(first, image);
    CVexlanDoc doc(prompt, dir);
    ASSERT_TRUE(doc.OpenCorrelationFile(first));
    const std::string copy = dir + "copy.ked";
    ASSERT_TRUE(doc.SaveCorrelationFileAs(copy));
    EXPECT_EQ(ReadBytes(copy), image);
}

#ifndef _WIN32
// On a full disk the old file stays whole (with its bytes beyond the record) and no new one appears.
TEST_F(DocumentTest, FailedSavesLeaveNoHalfWrittenFile) {
    std::vector<std::uint8_t> original = ReadBytes(first);
    original.insert(original.end(), 10, 0xAB);
    WriteBytes(first, original);
    CVexlanDoc doc(prompt, dir);
    ASSERT_TRUE(doc.OpenCorrelationFile(first));
    doc.SetText(DocText::Title, "changed");
    EXPECT_EQ(RunWithFileSizeLimit(4096, [&] { return doc.SaveCorrelationFile(); }), 1);
    EXPECT_EQ(ReadBytes(first), original);
    EXPECT_EQ(RunWithFileSizeLimit(4096, [&] { return doc.SaveCorrelationFileAs(dir + "new.ked"); }), 1);
    EXPECT_FALSE(std::filesystem::exists(dir + "new.ked"));
    ASSERT_TRUE(doc.SaveCorrelationFileAs(first));
    const std::vector<std::uint8_t> saved = ReadBytes(first);
    EXPECT_EQ(saved.size(), original.size());
    EXPECT_EQ(saved.back(), 0xAB);
}

TEST_F(DocumentTest, LinksAreWrittenThroughOtherFilesRefused) {
    std::filesystem::create_symlink("first.ked", dir + "link.ked");
    ASSERT_EQ(::mkfifo((dir + "pipe").c_str(), 0600), 0);
    CVexlanDoc doc(prompt, dir);
    ASSERT_TRUE(doc.OpenCorrelationFile(dir + "link.ked"));
    doc.SetText(DocText::Title, "through");
    ASSERT_TRUE(doc.SaveCorrelationFile());
    EXPECT_TRUE(std::filesystem::is_symlink(dir + "link.ked"));
    EXPECT_STREQ(reinterpret_cast<const char*>(ReadBytes(first).data() + 2 + record_offset::title), "through");
    EXPECT_FALSE(doc.SaveCorrelationFileAs(dir + "pipe"));
    EXPECT_EQ(CountAsked(prompt, string_id::kMsgOutputNotRegular), 1u);
}
#endif

TEST_F(DocumentTest, ReadOnlyFileIsReplacedOnlyWhenTheUserAgrees) {
    CVexlanDoc doc(prompt, dir);
    ASSERT_TRUE(doc.OpenCorrelationFile(first));
    std::filesystem::permissions(first, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                            std::filesystem::perms::others_read);
    const std::vector<std::uint8_t> before = ReadBytes(first);
    prompt.Queue(PromptAnswer::No);
    EXPECT_FALSE(doc.SaveCorrelationFileAs(first));
    EXPECT_EQ(ReadBytes(first), before);
    prompt.Queue(PromptAnswer::Yes);
    doc.SetText(DocText::Title, "agreed");
    EXPECT_TRUE(doc.SaveCorrelationFileAs(first));
    EXPECT_NE(ReadBytes(first), before);
    std::filesystem::permissions(first, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
}

TEST_F(DocumentTest, SegmentAccessors) {
    CVexlanDoc doc(prompt, dir);
    const DocSegment none = doc.GetSegment(3);
    EXPECT_EQ(none.length, 0);
    EXPECT_EQ(none.material, kNoMaterial);
    EXPECT_EQ(doc.TotalPipeLength(), 0.1f);

    ASSERT_TRUE(doc.OpenCorrelationFile(first));
    EXPECT_EQ(doc.CountSegmentsInUse(), 2);
    EXPECT_FLOAT_EQ(doc.TotalPipeLength(), 125);
    const DocSegment s = doc.GetSegment(1);
    EXPECT_EQ(s.length, 25);
    EXPECT_EQ(s.velocity, 330);
    EXPECT_EQ(s.diameter, 90);
    EXPECT_EQ(s.material, 3);
    EXPECT_EQ(doc.GetSegment(-1).material, kNoMaterial);
    EXPECT_EQ(doc.GetSegment(10).material, kNoMaterial);
    doc.SetSegmentLength(10, 5);  // out of range: ignored
    EXPECT_FALSE(doc.IsModified());
    doc.record().segments[0].length = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(doc.TotalPipeLength(), 0.1f);
}

TEST_F(DocumentTest, FilterAccessorsAndBlockCopy) {
    CVexlanDoc doc(prompt, dir);
    ASSERT_TRUE(doc.OpenCorrelationFile(first));
    FilterSettings f = doc.GetFilterSettings();
    f.lowCutoff = 30;
    f.highCutoff = 700;
    f.notches[0] = {100, 110};
    f.notches[3] = {200, 220};
    f.reserved[2] = 7;
    doc.SetFilterSettings(f);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.CountNotchesInUse(), 2);
    EXPECT_EQ(doc.GetNotch(3).notchEnd, 220);
    EXPECT_EQ(doc.GetNotch(5).notchStart, 0);
    EXPECT_EQ(doc.record().filter.reserved[2], 7);
    const DocFilterSummary summary = doc.GetFilterSummary();
    EXPECT_EQ(summary.lowCutoff, 30);
    EXPECT_EQ(summary.highCutoff, 700);
    EXPECT_FALSE(summary.autoFilter);
    doc.SetModified(false);
    doc.SetAutoFilter(1);
    EXPECT_TRUE(doc.GetFilterSummary().autoFilter);
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(DocumentTest, TextsAreBoundedAndMarkModifiedOnlyWhenChanged) {
    CVexlanDoc doc(prompt, dir);
    ASSERT_TRUE(doc.OpenCorrelationFile(first));
    FileInformationTexts t = doc.GetFileInformation();
    EXPECT_EQ(t.title, "First");
    doc.SetFileInformation(t);
    EXPECT_FALSE(doc.IsModified());

    t.comment1 = std::string(59, 'c');
    t.userReference = std::string(40, 'u');
    doc.SetFileInformation(t);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetText(DocText::Comment1), std::string(59, 'c'));
    EXPECT_EQ(doc.GetText(DocText::UserReference), std::string(19, 'u'));
    EXPECT_EQ(doc.record().userReference[19], 0);
    EXPECT_EQ(doc.GetText(DocText::CreatedDate), "08/12/26");

    // A field filled to its last byte by the instrument is read whole and written back untouched.
    std::memset(doc.record().createdTime, '9', sizeof doc.record().createdTime);
    doc.SetModified(false);
    const std::string full = doc.GetText(DocText::CreatedTime);
    EXPECT_EQ(full.size(), 13u);
    doc.SetText(DocText::CreatedTime, full);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.record().createdTime[12], '9');
}

TEST_F(DocumentTest, RemovedRegionBounds) {
    CVexlanDoc doc(prompt, dir);
    ASSERT_TRUE(doc.OpenCorrelationFile(first));
    doc.RecomputeCorrelation();
    const int spc = doc.samplesPerColumn();
    const int centre = doc.windowCentre();
    ASSERT_GT(spc, 0);
    doc.SetRemoveStart(400, 10);
    EXPECT_EQ(doc.GetRemoveStart(), spc * 390 + centre);
    EXPECT_FALSE(doc.HasRemoveRegion());
    doc.SetRemoveEnd(200, 10);  // left of the start: swapped
    EXPECT_EQ(doc.GetRemoveStart(), spc * 190 + centre);
    EXPECT_EQ(doc.GetRemoveEnd(), spc * 390 + centre);
    EXPECT_TRUE(doc.HasRemoveRegion());
    doc.SetRemoveEnd(0, 10);  // x = 0 gives sample 0, which lies left of the start: swapped
    EXPECT_EQ(doc.GetRemoveStart(), 0);
    EXPECT_EQ(doc.GetRemoveEnd(), spc * 190 + centre);
    EXPECT_TRUE(doc.HasRemoveRegion());
    doc.SetRemoveStart(0, 10);  // the view clears the region with both points at x = 0
    doc.SetRemoveEnd(0, 10);
    EXPECT_EQ(doc.GetRemoveStart(), 0);
    EXPECT_FALSE(doc.HasRemoveRegion());
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(DocumentTest, ResetAndPendingOpen) {
    CVexlanDoc doc(prompt, dir);
    std::string path = "unchanged";
    EXPECT_FALSE(doc.GetPendingOpen(path));
    EXPECT_EQ(path, "unchanged");
    EXPECT_TRUE(doc.OnOpenDocument(second));
    EXPECT_TRUE(doc.GetPendingOpen(path));
    EXPECT_EQ(path, second);
    EXPECT_EQ(doc.dataDirectory(), dir);  // a given data folder is kept

    ASSERT_TRUE(doc.OpenCorrelationFile(first));
    doc.RecomputeCorrelation();
    doc.SetRemoveStart(300, 0);
    doc.SetRemoveEnd(320, 0);
    doc.SetSegmentLength(0, 1);
    doc.ResetRecord();
    EXPECT_FALSE(doc.fileLoaded());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_FALSE(doc.HasRemoveRegion());
    EXPECT_EQ(doc.GetRemoveStart(), 0);
    EXPECT_EQ(doc.record().sampleCount, 0);
    EXPECT_EQ(doc.totalTravelTime(), 0);
    EXPECT_EQ(doc.materials().materialFilterDefaults()[10].high, 0);
    EXPECT_TRUE(doc.GetPendingOpen(path));  // never cleared
}

TEST(DocumentDataDirectory, DefaultsToTheProgramFolder) {
    ScriptedPrompt prompt;
    CVexlanDoc doc(prompt);
    const std::string dir = ProgramDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
#ifdef _WIN32
    EXPECT_TRUE(std::filesystem::exists(dir + "document_tests.exe"));
#else
    EXPECT_TRUE(std::filesystem::exists(dir + "document_tests"));
#endif
    EXPECT_EQ(doc.dataDirectory(), dir);
    EXPECT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(doc.dataDirectory(), dir);
    EXPECT_TRUE(prompt.asked().empty());
}

}  // namespace
}  // namespace vexlan
