#pragma once
// The one form of the main window. It lays out the controls of the form template, forwards every
// event to FormViewLogic and then shows what the logic says the controls hold. Control widgets
// carry the object name ControlObjectName(id), e.g. "IDC_1015".

#include <QWidget>
#include <functional>
#include <map>

#include "view/FormViewLogic.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;

namespace vexlan {

class CVexlanView : public QWidget {
    Q_OBJECT
public:
    CVexlanView(IViewDocument& document, IPrompt& prompt, QWidget* parent = nullptr);

    // The frame's EnableFileCommands, called when the view loads a file named on the command line.
    void SetEnableFileCommands(std::function<void()> hook) { enableFileCommands_ = std::move(hook); }
    // The Modify button opens the Filter Settings dialog, which belongs to the document.
    void SetModifyHandler(std::function<void()> hook) { modify_ = std::move(hook); }
    // The button beside the Velocity box opens the velocity calculator, which SetSegmentVelocity answers.
    void SetVelocityCalculatorHandler(std::function<void()> hook) { velocityCalculator_ = std::move(hook); }
    void SetSegmentVelocity(float metresPerSecond);

    void OnInitialUpdate(int storedLengthUnit, int storedTimeUnit);
    void ResetForNewFile();
    void EnablePipeControls(bool enable);
    void ShowFileInfo();
    void RefreshAll();
    void MoveCursorTo(int column);
    void OnUpdate(int hint);

    int lengthUnit() const { return logic_.Fields().lengthUnit; }
    int timeUnit() const { return logic_.Fields().timeUnit; }
    // What every control shows now (the report uses these texts).
    const FormControlsState& controlTexts() const { return logic_.Controls(); }
    // The graph picture as it is on screen (Copy Graph).
    QImage graphImage() const;
    QWidget* control(int id) const;
    FormViewLogic& logic() { return logic_; }

    static QSize FormSize();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    QWidget* CreateControl(const struct ControlTemplate& t);
    void ConnectControls();
    void FitControlsToTexts();
    void ValueBoxDone(ValueBox box);
    void Sync();
    void SyncPictures();
    void KeepFocusNear(QWidget* focused);

    FormViewLogic logic_;
    std::function<void()> enableFileCommands_;
    std::function<void()> modify_;
    std::function<void()> velocityCalculator_;
    std::map<int, QWidget*> controls_;
    QLabel* graph_ = nullptr;
    QLabel* scaleBar_ = nullptr;
    QLabel* key_ = nullptr;
    QLabel* sensor1_ = nullptr;
    QLabel* sensor2_ = nullptr;
    QLineEdit* length_ = nullptr;
    QLineEdit* diameter_ = nullptr;
    QLineEdit* velocity_ = nullptr;
    QComboBox* segment_ = nullptr;
    QComboBox* material_ = nullptr;
    QSlider* slider_ = nullptr;
    QPushButton* setStartPoint_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* modifyButton_ = nullptr;
    QPushButton* velocityCalculatorButton_ = nullptr;
    QButtonGroup* lengthGroup_ = nullptr;
    QButtonGroup* timeGroup_ = nullptr;
    bool syncing_ = false;
};

}  // namespace vexlan
