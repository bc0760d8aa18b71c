#pragma once
// Measure Velocity: the user says where a known noise was made, and the delay of the peak at the
// cursor gives the velocity that puts it there. The working is MeasureVelocityLogic's; this class
// lays out the controls (object names "IDC_<id>") and refuses OK while the answer is unsound.

#include <QDialog>

#include "dialogs/MeasureVelocityLogic.h"
#include "res/Prompt.h"

class QLabel;
class QLineEdit;
class QRadioButton;

namespace vexlan {

class CVexlanDoc;

namespace measure_velocity_id {
constexpr int kAtDistance = 1311, kDistance = 1312, kBeyond1 = 1313, kBeyond2 = 1314;
constexpr int kDelay = 1315, kVelocity = 1316, kFactor = 1317;
}  // namespace measure_velocity_id

class CMeasureVelocityDlg : public QDialog {
    Q_OBJECT
public:
    CMeasureVelocityDlg(MeasureVelocityLogic logic, IPrompt& prompt, QWidget* parent = nullptr);

    double factor() const { return factor_; }  // new over stored, once accepted

    void accept() override;

private:
    void CreateControls();
    void ReadControls();
    void ShowResult();

    MeasureVelocityLogic logic_;
    IPrompt& prompt_;
    double factor_ = 1;
    QRadioButton* atDistance_ = nullptr;
    QRadioButton* beyond1_ = nullptr;
    QLineEdit* distance_ = nullptr;
    QLineEdit* velocity_ = nullptr;
    QLabel* factorText_ = nullptr;
};

// Measures the delay of the peak at the document's cursor and runs the dialog. On OK every used
// segment's velocity takes the factor and the document is marked modified; returns whether it was.
bool RunMeasureVelocityDialog(QWidget* parent, CVexlanDoc& doc, IPrompt& prompt, int lengthUnit, int timeUnit);

}  // namespace vexlan
