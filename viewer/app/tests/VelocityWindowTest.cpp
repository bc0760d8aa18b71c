// The velocity commands in the real main window, headless, on a generated recording stored with a
// velocity 20 % too high: Measure Velocity puts it right, the calculator sets the segment's
// velocity, refused entries change nothing, and the leak interval brackets the slider.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "app/CMainFrame.h"
#include "res/StringIds.h"
#include "dialogs/CMeasureVelocityDlg.h"
#include "dialogs/CVelocityCalculatorDlg.h"
#include "testsupport/generator/KedGenerator.h"
#include "app/tests/support/OffscreenQtEnvironment.h"
#include "view/ScaleBarRaster.h"
#include "app/VelocityCommands.h"

using namespace vexlan;

namespace {

const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new vexlan::test::OffscreenQtEnvironment("velocity_window_tests"));

class MemorySettings : public ISettingsStore {
public:
    std::optional<std::string> Read(const std::string& key) const override {
        return key == setting::kComPort ? std::optional<std::string>("COM1") : std::nullopt;
    }
    bool Write(const std::string&, const std::string&) override { return true; }
};

template <class W>
W* Find(QWidget* parent, int id) {
    return parent->findChild<W*>(QStringLiteral("IDC_%1").arg(id));
}

void WhenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] { act(QApplication::activeModalWidget()); });
}

void Type(QWidget* dialog, int id, const char* text) {
    QLineEdit* edit = Find<QLineEdit>(dialog, id);
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

void Click(QWidget* dialog, int id) { QTest::mouseClick(Find<QAbstractButton>(dialog, id), Qt::LeftButton); }

// With VEXLAN_SCREENSHOT_DIR set, a picture of the widget for a look by eye.
void Grab(QWidget* widget, const char* name) {
    const QByteArray dir = qgetenv("VEXLAN_SCREENSHOT_DIR");
    if (!dir.isEmpty()) widget->grab().save(QString::fromLocal8Bit(dir) + "/" + name + ".png");
}

constexpr float kMadeWith = 1300;  // m/s; the noise is 40 m from sensor 1 on 180 m of steel

class VelocityWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        kedgen::GeneratorSettings s;
        s.segments = {{10, 180, 100, kMadeWith}};
        s.leakDistance = 40;
        s.snrDb = 20;
        auto record = std::make_unique<CorrelationRecord>();
        std::string error;
        ASSERT_TRUE(kedgen::GenerateRecord(s, *record, error)) << error;
        record->segments[0].velocity *= 1.2f;
        const std::string path = dir.filePath("wrong-velocity.ked").toStdString();
        ASSERT_TRUE(kedgen::WriteKedFile(path, *record, error)) << error;
        doc = std::make_unique<CVexlanDoc>(prompt);
        frame = std::make_unique<CMainFrame>(*doc, prompt, settings);
        InstallVelocityCommands(*frame);
        frame->SetFileChooser([path](CMainFrame::FileDialog) { return path; });
        ASSERT_TRUE(doc->OnNewDocument());
        frame->InitialUpdate();
        frame->show();
        frame->action(cmd::kOpen)->trigger();
        ASSERT_TRUE(doc->fileLoaded());
        prompt.Clear();
    }
    float Velocity() const { return doc->record().segments[0].velocity; }
    float VelocityBox() const { return Find<QLineEdit>(&frame->view(), idc::kVelocity)->text().toFloat(); }

    QTemporaryDir dir;
    ScriptedPrompt prompt;
    MemorySettings settings;
    std::unique_ptr<CVexlanDoc> doc;
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(VelocityWindowTest, MeasureVelocityFromAKnownSourceRestoresTheVelocityTheFileWasMadeWith) {
    using namespace measure_velocity_id;
    WhenModal([](QWidget* dialog) {
        ASSERT_NE(dialog, nullptr);
        // The peak lies toward sensor 1: a noise beyond sensor 2 cannot have made it.
        Click(dialog, kBeyond2);
        Click(dialog, 1);
        EXPECT_TRUE(dialog->isVisible());
        Click(dialog, kAtDistance);
        Type(dialog, kDistance, "40");
        Grab(dialog, "measure-velocity");
        Click(dialog, 1);
    });
    frame->action(cmd::kMeasureVelocity)->trigger();
    ASSERT_EQ(prompt.asked().size(), 1u);
    EXPECT_EQ(prompt.asked()[0].text, LoadString(string_id::kMsgWrongSign));
    EXPECT_NEAR(Velocity(), kMadeWith, kMadeWith / 100);
    EXPECT_NEAR(VelocityBox(), Velocity(), 0.5);
    EXPECT_TRUE(doc->IsModified());
    // Recomputed with the measured velocity, the noise is found where it was made.
    EXPECT_NEAR(doc->distanceFromSensor1(), 40, 2);
}

// Ductile iron 6 in class 52 (OD 6.90 in, wall 0.31 in): 4315 ft/s in Moser, Buried Pipe Design, table 4.1.
TEST_F(VelocityWindowTest, CalculatorSetsTheSelectedSegmentAndRefusedEntriesChangeNothing) {
    using namespace velocity_calculator_id;
    QWidget* button = frame->view().control(idc::kVelocityCalculator);
    ASSERT_TRUE(button && button->isEnabled());
    const float stored = Velocity();
    WhenModal([](QWidget* dialog) {
        ASSERT_NE(dialog, nullptr);
        Type(dialog, kDiameter, "0");
        Type(dialog, kWall, "7");
        Click(dialog, 1);
        EXPECT_TRUE(dialog->isVisible());
        Click(dialog, 2);
    });
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(prompt.asked().size(), 1u);
    EXPECT_EQ(prompt.asked()[0].text, LoadString(string_id::kMsgBadDimensions));
    EXPECT_EQ(Velocity(), stored);
    EXPECT_FALSE(doc->IsModified());

    WhenModal([](QWidget* dialog) {
        auto* material = Find<QComboBox>(dialog, kMaterial);
        material->setCurrentIndex(material->findText("Ductile Iron"));
        Type(dialog, kDiameter, "175.26");
        Type(dialog, kWall, "7.874");
        Grab(dialog, "velocity-calculator");
        Click(dialog, 1);
    });
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_NEAR(Velocity(), 4315 * 0.3048, 0.005 * 1315);
    EXPECT_NEAR(VelocityBox(), Velocity(), 0.5);
    EXPECT_TRUE(doc->IsModified());
}

TEST_F(VelocityWindowTest, TheLeakIntervalBracketsTheSliderAndEachPeak) {
    const QImage bar = Find<QLabel>(&frame->view(), idc::kScaleBar)->pixmap().toImage();
    int first = -1, last = -1;
    for (int x = 0; x < bar.width(); ++x)
        if (bar.pixel(x, bar.height() / 2) == (0xFF000000u | kIntervalBracketColour)) (first < 0 ? first : last) = x;
    const int slider = Find<QSlider>(&frame->view(), idc::kSlider)->value();
    EXPECT_LT(first, slider);
    EXPECT_GT(last, slider);
    Grab(&frame->view(), "form-with-interval");

    frame->action(cmd::kPeaks)->trigger();
    auto* peaks = frame->findChild<QListWidget*>("PeakList");
    ASSERT_TRUE(peaks && peaks->count() > 0);
    Grab(peaks->window(), "peaks-with-interval");
    // The best peak's interval holds the position the form shows for it.
    const std::string row = peaks->item(0)->text().toStdString();
    float from = 0, to = 0;
    ASSERT_EQ(std::sscanf(row.substr(row.rfind("within")).c_str(), "within %f - %f", &from, &to), 2) << row;
    EXPECT_LT(from, doc->distanceFromSensor1());
    EXPECT_GT(to, doc->distanceFromSensor1());
}

}  // namespace
