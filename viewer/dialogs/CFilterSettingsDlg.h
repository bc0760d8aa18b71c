#pragma once
// Dialog 148 "Filter Settings": two spectrum graphs over a frequency slider, the cut-off and notch
// displays and their Set buttons. All rules live in FilterSettingsLogic; this class lays out the
// controls (object names "IDC_<id>"), forwards their events and shows what the logic holds.

#include <QDialog>
#include <functional>
#include <utility>

#include "dialogs/FilterSettingsLogic.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;

namespace vexlan {

class CVexlanDoc;

class CFilterSettingsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CFilterSettingsDlg(IPrompt& prompt, QWidget* parent = nullptr);

    // Before the dialog is shown: the record's filter block, both display spectra and sensorPair.
    void Initialise(const FilterSettings& filter, const std::int16_t* spectrum1Db, const std::int16_t* spectrum2Db,
                    int sensorPair);
    void ReadBack(FilterSettings& out) const { logic_.ReadBack(out); }
    // What the Suggest button puts into the cut-offs: low and high in Hz, high <= low for none.
    void SetSuggestion(std::function<std::pair<float, float>()> suggest) { suggest_ = std::move(suggest); }
    const FilterSettingsLogic& logic() const { return logic_; }

    // The pictures the two graph controls show now.
    QImage upperGraphImage() const;
    QImage lowerGraphImage() const;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void Run(void (FilterSettingsLogic::*handler)());
    void ApplyTypedFrequency();
    void Sync();
    void RedrawGraphs();

    FilterSettingsLogic logic_;
    bool initialised_ = false;
    bool applyingEntry_ = false;
    unsigned shownGeneration_ = ~0u;
    QLabel* upperGraph_ = nullptr;
    QLabel* lowerGraph_ = nullptr;
    QSlider* slider_ = nullptr;
    QLineEdit* cursor_ = nullptr;
    QLabel* lowCutoff_ = nullptr;
    QLabel* highCutoff_ = nullptr;
    QLabel* notchLow_ = nullptr;
    QLabel* notchHigh_ = nullptr;
    QRadioButton* radios_[kNotchCount] = {};
    QButtonGroup* radioGroup_ = nullptr;
    QPushButton* setNotchLow_ = nullptr;
    QPushButton* setNotchHigh_ = nullptr;
    QPushButton* delete_ = nullptr;
    QCheckBox* autoFilter_ = nullptr;
    std::function<std::pair<float, float>()> suggest_;
};

// The document's Modify handler: runs the dialog on the record's filter block and, on OK only,
// copies the block back and marks the document modified. Returns true on OK; the caller then
// refreshes its views as for hint 100.
bool RunFilterSettingsDialog(QWidget* parent, CVexlanDoc& doc, IPrompt& prompt);

}  // namespace vexlan
