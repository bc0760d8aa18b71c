#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <cstring>

#include "dialogs/CFileInformationDlg.h"
#include "res/StringIds.h"
#include "dialogs/CFilterSettingsDlg.h"
#include "correlation/analysis/CorrelationAnalysis.h"
#include "dialogs/tests/GuiTestSupport.h"
#include "view/tests/TextsFitCheck.h"
#include "dialogs/SpectrumRaster.h"
#include "res/StringTable.h"

using namespace vexlan;
using namespace vexlan::test;

namespace {

class FilterDialog : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        ASSERT_TRUE(sample.ok());
        dialog = std::make_unique<CFilterSettingsDlg>(prompt);
        const CVexlanDoc& doc = *sample.doc;
        dialog->Initialise(doc.GetFilterSettings(), doc.spectrum1Db(), doc.spectrum2Db(), doc.GetSensorPair());
        dialog->show();
    }

    template <class W>
    W* Control(int id) {
        W* w = Find<W>(dialog.get(), id);
        EXPECT_NE(w, nullptr) << id;
        return w;
    }
    void Slide(int position) { Control<QSlider>(1112)->setValue(position); }
    void Click(int id) { QTest::mouseClick(Control<QPushButton>(id), Qt::LeftButton); }
    QString Text(int id) { return Control<QLabel>(id)->text(); }
    std::string LastMessage() const { return prompt.asked().empty() ? "" : prompt.asked().back().text; }

    SampleDocument sample;
    ScriptedPrompt prompt;
    std::unique_ptr<CFilterSettingsDlg> dialog;
};

TEST_F(FilterDialog, OpensWithOpenCutoffsAndDisabledNotchControls) {
    EXPECT_EQ(Text(1133), "OPEN");
    EXPECT_EQ(Text(1132), "OPEN");
    EXPECT_EQ(Text(1134), "NOT SET");
    EXPECT_EQ(Text(1138), "NOT SET");
    for (int id = 1143; id <= 1147; ++id) EXPECT_FALSE(Control<QRadioButton>(id)->isEnabled()) << id;
    EXPECT_FALSE(Control<QPushButton>(1089)->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(1091)->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(1150)->isEnabled());
    EXPECT_TRUE(Control<QPushButton>(1149)->isEnabled());
    EXPECT_FALSE(Control<QCheckBox>(1148)->isEnabled());
    EXPECT_EQ(Control<QSlider>(1112)->maximum(), 504);
    EXPECT_EQ(dialog->upperGraphImage().size(), QSize(504, 157));
    EXPECT_EQ(dialog->lowerGraphImage().size(), QSize(504, 157));
}

TEST_F(FilterDialog, SliderSetButtonsAndGreyBandsFollowTheControls) {
    Slide(504);
    EXPECT_EQ(Control<QLineEdit>(1093)->text(), "1220.0");
    Slide(413);  // 999.7 Hz
    Click(1074);
    EXPECT_EQ(Text(1132), "999.7");
    Slide(41);  // 99.2 Hz
    Click(1077);
    EXPECT_EQ(Text(1133), "99.2");
    EXPECT_TRUE(prompt.asked().empty());

    const QImage upper = dialog->upperGraphImage();
    auto columnHas = [&](int x, QRgb colour) {
        for (int y = 0; y < upper.height(); ++y)
            if ((upper.pixel(x, y) & 0xFFFFFF) == colour) return true;
        return false;
    };
    const QRgb grey = kRemovedGrey & 0xFFFFFF, blue = 0x0000FF;  // sensorPair 6: upper trace blue
    EXPECT_TRUE(columnHas(20, grey));
    EXPECT_FALSE(columnHas(20, blue));
    EXPECT_TRUE(columnHas(200, blue));
    EXPECT_FALSE(columnHas(200, grey));
    EXPECT_TRUE(columnHas(450, grey));
    EXPECT_FALSE(columnHas(450, blue));

    // A low cut-off above the high one is refused and changes nothing.
    Slide(450);
    Click(1077);
    EXPECT_EQ(LastMessage(), LoadString(string_id::kMsgLowAboveHigh));
    EXPECT_EQ(Text(1133), "99.2");
    EXPECT_EQ(dialog->upperGraphImage(), upper);
}

TEST_F(FilterDialog, TypedFrequencyMovesTheSliderAndLettersAreRefused) {
    QLineEdit* cursor = Control<QLineEdit>(1093);
    cursor->setFocus();
    cursor->clear();
    QTest::keyClicks(cursor, "500");
    QTest::keyClick(cursor, Qt::Key_Return);
    EXPECT_EQ(Control<QSlider>(1112)->value(), 207);  // 500 / 2.420635 = 206.6
    EXPECT_TRUE(dialog->isVisible());                 // Enter in the field does not close the dialog
    cursor->selectAll();
    QTest::keyClicks(cursor, "abc");
    QTest::keyClick(cursor, Qt::Key_Return);
    EXPECT_EQ(LastMessage(), LoadString(string_id::kMsgFrequencyEntry));
    EXPECT_EQ(Control<QSlider>(1112)->value(), 207);
    cursor->selectAll();
    QTest::keyClicks(cursor, "-5");
    QTest::keyClick(cursor, Qt::Key_Return);
    EXPECT_EQ(prompt.asked().size(), 2u);
    EXPECT_EQ(Control<QSlider>(1112)->value(), 207);
}

TEST_F(FilterDialog, NotchNeedsItsHighEdgeFirstAndDeleteDisablesItsRadio) {
    Click(1149);
    EXPECT_TRUE(Control<QRadioButton>(1143)->isChecked());
    EXPECT_TRUE(Control<QPushButton>(1150)->isEnabled());
    Slide(100);
    Click(1089);  // low edge before the high edge
    EXPECT_EQ(LastMessage(), LoadString(string_id::kMsgLowAboveHigh));
    Click(1149);  // the first notch is not complete
    EXPECT_EQ(LastMessage(), LoadString(string_id::kMsgSetPreviousNotch));
    Slide(120);
    Click(1091);
    Slide(80);
    Click(1089);
    EXPECT_EQ(Text(1134), "193.7");
    EXPECT_EQ(Text(1138), "290.5");
    EXPECT_EQ(dialog->logic().NotchCount(), 1u);
    Click(1150);
    EXPECT_EQ(dialog->logic().NotchCount(), 0u);
    EXPECT_FALSE(Control<QRadioButton>(1143)->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(1150)->isEnabled());
    EXPECT_EQ(Text(1134), "NOT SET");
}

TEST(FilterDialogRun, OkWritesTheBlockBackAndANotchOverThePeakChangesTheTrace) {
    App();
    SampleDocument sample;
    ASSERT_TRUE(sample.ok());
    CVexlanDoc& doc = *sample.doc;
    doc.record().filter.filterSpare1 = 0x11223344;
    doc.record().filter.filterSpare2 = 0x55667788;  // autoFilter stays 0: with it on, notches do not filter
    const FilterSettings before = doc.GetFilterSettings();
    std::uint8_t traceBefore[kGraphWidth];
    std::memcpy(traceBefore, doc.displayTrace(), sizeof traceBefore);

    // The strongest column of spectrum 1 is where the noise source's band lies.
    const std::int16_t* s = doc.spectrum1Db();
    int peak = 1;
    for (int x = 1; x < kSpectrumGraphWidth; ++x)
        if (std::max(s[2 * x], s[2 * x + 1]) > std::max(s[2 * peak], s[2 * peak + 1])) peak = x;

    ScriptedPrompt prompt;
    WhenModal([&](QWidget* dlg) {
        ASSERT_NE(dlg, nullptr);
        QTest::mouseClick(Find<QPushButton>(dlg, 1149), Qt::LeftButton);
        Find<QSlider>(dlg, 1112)->setValue(std::min(peak + 40, 504));
        QTest::mouseClick(Find<QPushButton>(dlg, 1091), Qt::LeftButton);
        Find<QSlider>(dlg, 1112)->setValue(std::max(peak - 40, 1));
        QTest::mouseClick(Find<QPushButton>(dlg, 1089), Qt::LeftButton);
        QTest::mouseClick(Find<QPushButton>(dlg, 1), Qt::LeftButton);
    });
    ASSERT_TRUE(RunFilterSettingsDialog(nullptr, doc, prompt));
    EXPECT_TRUE(prompt.asked().empty());
    EXPECT_TRUE(doc.IsModified());
    const FilterSettings& after = doc.GetFilterSettings();
    EXPECT_EQ(doc.CountNotchesInUse(), 1);
    EXPECT_GT(after.notches[0].notchEnd, after.notches[0].notchStart);
    EXPECT_EQ(after.filterSpare1, before.filterSpare1);
    EXPECT_EQ(after.filterSpare2, before.filterSpare2);
    EXPECT_EQ(after.autoFilter, before.autoFilter);
    EXPECT_EQ(after.lowCutoff, before.lowCutoff);

    ASSERT_TRUE(doc.RecomputeCorrelation());
    EXPECT_NE(std::memcmp(traceBefore, doc.displayTrace(), sizeof traceBefore), 0);
}

TEST(FilterDialogRun, CancelChangesNothing) {
    App();
    SampleDocument sample;
    ASSERT_TRUE(sample.ok());
    CVexlanDoc& doc = *sample.doc;
    const CorrelationRecord before = doc.record();
    ScriptedPrompt prompt;
    WhenModal([&](QWidget* dlg) {
        ASSERT_NE(dlg, nullptr);
        Find<QSlider>(dlg, 1112)->setValue(300);
        QTest::mouseClick(Find<QPushButton>(dlg, 1074), Qt::LeftButton);
        QTest::mouseClick(Find<QPushButton>(dlg, 1090), Qt::LeftButton);
        QTest::mouseClick(Find<QPushButton>(dlg, 2), Qt::LeftButton);
    });
    EXPECT_FALSE(RunFilterSettingsDialog(nullptr, doc, prompt));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(std::memcmp(&before, &doc.record(), sizeof before), 0);
}

TEST(FilterDialogRun, SuggestPutsTheAgreeingBandIntoTheCutoffsForOkToKeep) {
    App();
    SampleDocument sample;
    ASSERT_TRUE(sample.ok());
    CVexlanDoc& doc = *sample.doc;
    const analysis::FrequencyBand band =
        analysis::AnalyseCorrelation(doc.record(), analysis::CorrelationMethod::Phat).suggestedBand;
    ASSERT_TRUE(band.valid());
    ScriptedPrompt prompt;
    WhenModal([&](QWidget* dlg) {
        ASSERT_NE(dlg, nullptr);
        QTest::mouseClick(dlg->findChild<QPushButton*>("SuggestButton"), Qt::LeftButton);
        QTest::mouseClick(Find<QPushButton>(dlg, 1), Qt::LeftButton);
    });
    EXPECT_TRUE(RunFilterSettingsDialog(nullptr, doc, prompt));
    EXPECT_FLOAT_EQ(doc.GetFilterSettings().lowCutoff, float(band.low));
    EXPECT_FLOAT_EQ(doc.GetFilterSettings().highCutoff, float(band.high));
    EXPECT_TRUE(doc.IsModified());
}

}  // namespace

namespace {

// With VEXLAN_SCREENSHOT_DIR set, saves pictures of both dialogs there for a look by eye.
TEST(DialogPictures, SavedOnRequest) {
    const QByteArray dir = qgetenv("VEXLAN_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "VEXLAN_SCREENSHOT_DIR not set";
    App();
    SampleDocument sample;
    ASSERT_TRUE(sample.ok());
    ScriptedPrompt prompt;
    CFilterSettingsDlg filter(prompt);
    FilterSettings f{};
    f.lowCutoff = PositionFrequency(40);
    f.highCutoff = PositionFrequency(420);
    f.notches[0] = {PositionFrequency(150), PositionFrequency(170)};
    // Sensors red and yellow, the pale trace above.
    filter.Initialise(f, sample.doc->spectrum1Db(), sample.doc->spectrum2Db(), 10);
    filter.show();
    ExpectTextsFit(&filter);
    EXPECT_TRUE(filter.grab().save(QString::fromUtf8(dir) + "/filter-settings.png"));
    CFileInformationDlg info(prompt);
    CorrelationRecord record = sample.doc->record();
    std::snprintf(record.createdDate, sizeof record.createdDate, "%s", "08/12/2026");
    info.LoadFromRecord(record);
    info.show();
    ExpectTextsFit(&info);
    EXPECT_TRUE(info.grab().save(QString::fromUtf8(dir) + "/file-information.png"));
}

}  // namespace
