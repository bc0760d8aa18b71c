#include "dialogs/CMeasureVelocityDlg.h"
#include "res/StringIds.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cmath>
#include <memory>

#include "correlation/CVexlanDoc.h"
#include "dialogs/DialogControls.h"
#include "res/StringTable.h"

namespace vexlan {
namespace {

using namespace measure_velocity_id;

QString Q(const std::string& s) { return QString::fromStdString(s); }

QLineEdit* ReadOnlyBox(QLineEdit* edit) {
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);
    return edit;
}

}  // namespace

CMeasureVelocityDlg::CMeasureVelocityDlg(MeasureVelocityLogic logic, IPrompt& prompt, QWidget* parent)
    : QDialog(parent), logic_(std::move(logic)), prompt_(prompt) {
    setWindowTitle(TableText(string_id::kMeasureVelocityTitle));
    setObjectName(QStringLiteral("MeasureVelocity"));
    setFixedSize(DuToPixelsX(250), DuToPixelsY(148));
    CreateControls();
    ShowResult();
}

void CMeasureVelocityDlg::CreateControls() {
    PlaceDu(new QGroupBox(TableText(string_id::kSourcePlaceLabel), this), 0, 7, 5, 236, 66);
    atDistance_ = PlaceDu(new QRadioButton(TableText(string_id::kAtDistanceLabel), this), kAtDistance, 14, 20, 132, 10);
    distance_ = PlaceDu(new QLineEdit(Q(logic_.distanceText), this), kDistance, 150, 19, 56, 12);
    PlaceDu(new QLabel(Q(logic_.LengthUnitText()), this), 0, 210, 21, 24, 8);
    beyond1_ = PlaceDu(new QRadioButton(TableText(string_id::kBeyondSensor1Label), this), kBeyond1, 14, 37, 150, 10);
    auto* beyond2 =
        PlaceDu(new QRadioButton(TableText(string_id::kBeyondSensor2Label), this), kBeyond2, 14, 53, 150, 10);
    auto* group = new QButtonGroup(this);
    for (QRadioButton* r : {atDistance_, beyond1_, beyond2}) group->addButton(r);
    atDistance_->setChecked(true);

    PlaceDu(new QLabel(TableText(string_id::kDelayAtCursorLabel), this), 0, 7, 80, 150, 8);
    ReadOnlyBox(PlaceDu(new QLineEdit(Q(logic_.DelayText()), this), kDelay, 160, 78, 83, 12));
    PlaceDu(new QLabel(TableText(string_id::kNewVelocityLabel), this), 0, 7, 96, 150, 8);
    velocity_ = ReadOnlyBox(PlaceDu(new QLineEdit(this), kVelocity, 160, 94, 83, 12));
    factorText_ = PlaceDu(new QLabel(this), kFactor, 7, 110, 236, 8);

    auto* ok = PlaceDu(new QPushButton(TableText(string_id::kOk), this), 1, 137, 128, 50, 14);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CMeasureVelocityDlg::accept);
    auto* cancel = PlaceDu(new QPushButton(TableText(string_id::kCancel), this), 2, 193, 128, 50, 14);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto changed = [this] {
        ReadControls();
        ShowResult();
    };
    connect(distance_, &QLineEdit::textChanged, this, changed);
    connect(group, &QButtonGroup::buttonToggled, this, changed);
}

void CMeasureVelocityDlg::ReadControls() {
    logic_.distanceText = distance_->text().toStdString();
    logic_.place = atDistance_->isChecked() ? velocity::SourcePlace::AtDistance
                   : beyond1_->isChecked()  ? velocity::SourcePlace::BeyondSensor1
                                            : velocity::SourcePlace::BeyondSensor2;
}

void CMeasureVelocityDlg::ShowResult() {
    distance_->setEnabled(logic_.place == velocity::SourcePlace::AtDistance);
    velocity_->setText(Q(logic_.VelocityText()));
    factorText_->setText(Q(logic_.FactorText()));
}

void CMeasureVelocityDlg::accept() {
    ReadControls();
    std::string message;
    if (!logic_.Compute(factor_, message)) {
        prompt_.Ask(message, PromptIcon::Warning, PromptButtons::Ok);
        return;  // stays open until the place and the delay agree
    }
    QDialog::accept();
}

bool RunMeasureVelocityDialog(QWidget* parent, CVexlanDoc& doc, IPrompt& prompt, int lengthUnit, int timeUnit) {
    // The engine works on a record of its own, so measuring leaves the document's untouched.
    auto copy = std::make_unique<CorrelationRecord>(doc.record());
    const double delay = velocity::MeasureDelay(*copy, doc.cursorColumn());
    if (!std::isfinite(delay)) {
        AskString(prompt, string_id::kMsgNoDelay, PromptIcon::Warning, PromptButtons::Ok);
        return false;
    }
    MeasureVelocityLogic logic(velocity::PipeOf(doc.record()), delay, velocity::ColumnDelay(doc.record()), lengthUnit,
                               timeUnit);
    CMeasureVelocityDlg dialog(std::move(logic), prompt, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    velocity::ApplyFactor(doc.record(), dialog.factor());
    doc.SetModified(true);
    return true;
}

}  // namespace vexlan
