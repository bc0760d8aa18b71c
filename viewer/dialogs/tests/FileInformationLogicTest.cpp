#include <gtest/gtest.h>

#include <cstring>

#include "dialogs/FileInformationLogic.h"

using namespace vexlan;

namespace {

const std::string kE = "\xC3\xA9";             // é, two bytes
const std::string kEuro = "\xE2\x82\xAC";      // €, three bytes
const std::string kClef = "\xF0\x9D\x84\x9E";  // four bytes

std::string Repeat(const std::string& s, int n) {
    std::string r;
    for (int i = 0; i < n; ++i) r += s;
    return r;
}

TEST(Utf8, LengthPrefixAndValidity) {
    EXPECT_EQ(Utf8Length("abc" + kE + kEuro + kClef), 6u);
    EXPECT_TRUE(IsValidUtf8("abc" + kE + kClef));
    EXPECT_FALSE(IsValidUtf8("caf\xE9"));                    // Latin-1
    EXPECT_FALSE(IsValidUtf8("\xE2\x82"));                   // cut sequence
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));                   // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));               // surrogate
    EXPECT_EQ(Utf8Prefix("ab" + kEuro + "c", 10, 4), "ab");  // the euro sign does not fit whole
    EXPECT_EQ(Utf8Prefix("ab" + kEuro + "c", 10, 5), "ab" + kEuro);
    EXPECT_EQ(Utf8Prefix(Repeat(kE, 5), 3, 100), Repeat(kE, 3));
}

TEST(RecordField, NeverOverrunsAndAlwaysTerminates) {
    char field[20];
    std::memset(field, 'x', sizeof field);
    TextToField(Repeat(kEuro, 10), field, sizeof field);
    EXPECT_EQ(std::string(field), Repeat(kEuro, 6));  // 18 bytes; a seventh would need 21
    EXPECT_EQ(field[18], 0);
    EXPECT_EQ(field[19], 0);
    TextToField("short", field, sizeof field);
    EXPECT_EQ(std::string(field), "short");
    for (int i = 5; i < 20; ++i) EXPECT_EQ(field[i], 0) << i;
}

TEST(RecordField, UnterminatedAndLatin1FieldsRead) {
    char field[13];
    std::memset(field, 'A', sizeof field);
    EXPECT_EQ(FieldToText(field, sizeof field), std::string(13, 'A'));
    std::strcpy(field, "Caf\xE9");
    EXPECT_EQ(FieldToText(field, sizeof field), "Caf" + kE);
}

TEST(EditLimit, TypingAndPastingStopAtTheLimit) {
    // Typing one more character into a full box is refused.
    EXPECT_EQ(FitEdit("abcdefghijkl", "abcdefghijklm", 12, 59), "abcdefghijkl");
    // A paste in the middle keeps the part that fits, whole characters only.
    EXPECT_EQ(FitEdit("abcd", "ab" + Repeat(kE, 20) + "cd", 12, 59), "ab" + Repeat(kE, 8) + "cd");
    EXPECT_EQ(FitEdit("", Repeat(kEuro, 30), 59, 59), Repeat(kEuro, 19));  // 57 of 59 bytes
    EXPECT_EQ(FitEdit(Repeat(kE, 3), Repeat(kE, 3) + kClef, 19, 9), Repeat(kE, 3));
    // Replacing a selection with longer text: the replaced part is gone, the rest fits.
    EXPECT_EQ(FitEdit("abcdefghijkl", "abXYZdefghijkl", 12, 59), "abXdefghijkl");
    // An over-long text from a record can be shortened one character at a time.
    std::string longTitle = "A title of twenty ch";
    EXPECT_EQ(FitEdit(longTitle, longTitle.substr(0, 19), 12, 59), longTitle.substr(0, 19));
    EXPECT_EQ(FitEdit(longTitle, longTitle + "x", 12, 59), longTitle);
}

CorrelationRecord SampleRecord() {
    CorrelationRecord r;
    std::strcpy(r.createdDate, "08/12/26");
    std::strcpy(r.createdTime, "14:05:33");
    std::strcpy(r.title, "Main St");
    std::strcpy(r.comment1, "Hydrant 4 to valve 9");
    std::strcpy(r.userReference, "JB-17");
    r.title[40] = 'q';  // a byte behind the terminator
    return r;
}

TEST(FileInformation, LoadsTheDateIntoTheTimeBoxAsTheInstrumentStoresIt) {
    FileInformationLogic logic;
    logic.LoadFromRecord(SampleRecord());
    EXPECT_EQ(logic.Text(InfoField::CreatedDate), "08/12/26");
    EXPECT_EQ(FieldSpec(InfoField::CreatedDate).controlId, 1168);  // under "Time Created"
    EXPECT_EQ(FieldSpec(InfoField::CreatedTime).controlId, 1043);  // under "Date Created"
    EXPECT_EQ(logic.Text(InfoField::Comment1), "Hydrant 4 to valve 9");
}

TEST(FileInformation, OkWithoutChangesRewritesTheSameBytes) {
    CorrelationRecord r = SampleRecord();
    std::strcpy(r.comment2, "Caf\xE9 corner");  // not UTF-8: kept byte for byte
    FileInformationLogic logic;
    logic.LoadFromRecord(r);
    CorrelationRecord out = r;
    EXPECT_FALSE(logic.StoreToRecord(out));
    EXPECT_EQ(std::memcmp(&out, &r, sizeof r), 0);
}

TEST(FileInformation, EditedTextsAreStoredBoundedAndTerminated) {
    CorrelationRecord r = SampleRecord();
    FileInformationLogic logic;
    logic.LoadFromRecord(r);
    logic.Text(InfoField::Title) = "Elm Road";
    logic.Text(InfoField::Comment3) = std::string(59, 'c');
    InfoField field;
    std::string message;
    EXPECT_FALSE(logic.FindTooLong(field, message));
    EXPECT_TRUE(logic.StoreToRecord(r));
    EXPECT_STREQ(r.title, "Elm Road");
    EXPECT_EQ(r.title[40], 0);  // nothing stale behind an edited text
    EXPECT_EQ(std::string(r.comment3), std::string(59, 'c'));
    EXPECT_EQ(r.comment3[59], 0);
    EXPECT_STREQ(r.createdDate, "08/12/26");
}

TEST(FileInformation, TooLongTextsAreRefusedOnOk) {
    CorrelationRecord r = SampleRecord();
    std::strcpy(r.title, "A title of twenty ch");
    FileInformationLogic logic;
    logic.LoadFromRecord(r);
    EXPECT_EQ(logic.Text(InfoField::Title), "A title of twenty ch");  // shown whole
    InfoField field = InfoField::CreatedTime;
    std::string message;
    ASSERT_TRUE(logic.FindTooLong(field, message));
    EXPECT_EQ(field, InfoField::Title);
    EXPECT_NE(message.find("12"), std::string::npos);
    logic.Text(InfoField::Title) = "A title of t";
    EXPECT_FALSE(logic.FindTooLong(field, message));
    // 19 characters that need 38 bytes do not fit the 20-byte user reference.
    logic.Text(InfoField::UserReference) = Repeat(kE, 19);
    ASSERT_TRUE(logic.FindTooLong(field, message));
    EXPECT_EQ(field, InfoField::UserReference);
    // Stored anyway (a caller that skipped the check): cut on a character boundary.
    logic.StoreToRecord(r);
    EXPECT_EQ(std::string(r.userReference), Repeat(kE, 9));
}

}  // namespace
