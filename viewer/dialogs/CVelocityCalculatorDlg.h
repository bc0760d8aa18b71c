#pragma once
// The Velocity Calculator: the speed of sound of the selected segment from its wall (material,
// outside diameter, wall thickness or SDR). The working is VelocityCalculatorLogic's; this class
// lays out the controls (object names "IDC_<id>") and refuses OK while the entries give no velocity.

#include <QDialog>

#include "res/Prompt.h"
#include "dialogs/VelocityCalculatorLogic.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace vexlan {

class CVexlanDoc;

namespace velocity_calculator_id {
constexpr int kMaterial = 1301, kDiameter = 1302, kWallRadio = 1303, kWall = 1304, kSdrRadio = 1305, kSdr = 1306;
constexpr int kVelocity = 1307, kModulus = 1308;
}  // namespace velocity_calculator_id

class CVelocityCalculatorDlg : public QDialog {
    Q_OBJECT
public:
    CVelocityCalculatorDlg(VelocityCalculatorLogic logic, IPrompt& prompt, QWidget* parent = nullptr);

    const VelocityCalculatorLogic& logic() const { return logic_; }
    double velocity() const { return velocity_; }  // m/s, once accepted

    void accept() override;

private:
    void CreateControls();
    void ReadControls();
    void ShowResult();

    VelocityCalculatorLogic logic_;
    IPrompt& prompt_;
    double velocity_ = 0;
    QComboBox* material_ = nullptr;
    QLineEdit* diameter_ = nullptr;
    QRadioButton* wallRadio_ = nullptr;
    QLineEdit* wall_ = nullptr;
    QLineEdit* sdr_ = nullptr;
    QLineEdit* result_ = nullptr;
    QLabel* modulus_ = nullptr;
};

// Opens the calculator on a segment of the document. Returns true on OK with the velocity in m/s;
// the caller stores it as the Velocity box would.
bool RunVelocityCalculatorDialog(QWidget* parent, const CVexlanDoc& doc, int segment, IPrompt& prompt, int lengthUnit,
                                 int timeUnit, float& metresPerSecond);

}  // namespace vexlan
