#include "dialogs/CVelocityCalculatorDlg.h"
#include "res/StringIds.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "correlation/CVexlanDoc.h"
#include "dialogs/DialogControls.h"
#include "res/StringTable.h"

namespace vexlan {
namespace {

using namespace velocity_calculator_id;

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

CVelocityCalculatorDlg::CVelocityCalculatorDlg(VelocityCalculatorLogic logic, IPrompt& prompt, QWidget* parent)
    : QDialog(parent), logic_(std::move(logic)), prompt_(prompt) {
    setWindowTitle(TableText(string_id::kVelocityCalculatorTitle));
    setObjectName(QStringLiteral("VelocityCalculator"));
    setFixedSize(DuToPixelsX(206), DuToPixelsY(132));
    CreateControls();
    ShowResult();
}

void CVelocityCalculatorDlg::CreateControls() {
    const QString mm = TableText(string_id::kMillimetre);
    PlaceDu(new QLabel(TableText(string_id::kWallMaterialLabel), this), 0, 10, 10, 70, 8);
    material_ = PlaceDu(new QComboBox(this), kMaterial, 84, 8, 80, 13);
    for (const std::string& name : logic_.MaterialNames()) material_->addItem(Q(name));
    material_->setCurrentIndex(logic_.material);

    PlaceDu(new QLabel(TableText(string_id::kOutsideDiameterLabel), this), 0, 10, 28, 70, 8);
    diameter_ = PlaceDu(new QLineEdit(Q(logic_.diameterText), this), kDiameter, 84, 26, 50, 12);
    PlaceDu(new QLabel(mm, this), 0, 138, 28, 20, 8);

    wallRadio_ = PlaceDu(new QRadioButton(TableText(string_id::kWallThicknessLabel), this), kWallRadio, 10, 44, 72, 10);
    wall_ = PlaceDu(new QLineEdit(Q(logic_.wallText), this), kWall, 84, 43, 50, 12);
    PlaceDu(new QLabel(mm, this), 0, 138, 45, 20, 8);
    auto* sdrRadio = PlaceDu(new QRadioButton(TableText(string_id::kSdrLabel), this), kSdrRadio, 10, 60, 72, 10);
    sdr_ = PlaceDu(new QLineEdit(Q(logic_.sdrText), this), kSdr, 84, 59, 50, 12);
    auto* group = new QButtonGroup(this);
    group->addButton(wallRadio_);
    group->addButton(sdrRadio);
    (logic_.wallEntry == WallEntry::Sdr ? sdrRadio : wallRadio_)->setChecked(true);

    PlaceDu(new QLabel(TableText(string_id::kCalculatedVelocityLabel), this), 0, 10, 79, 70, 8);
    result_ = PlaceDu(new QLineEdit(this), kVelocity, 84, 77, 50, 12);
    result_->setReadOnly(true);
    result_->setFocusPolicy(Qt::NoFocus);
    PlaceDu(new QLabel(Q(logic_.VelocityUnitText()), this), 0, 138, 79, 30, 8);

    modulus_ = PlaceDu(new QLabel(this), kModulus, 10, 93, 188, 18);
    modulus_->setWordWrap(true);
    modulus_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* ok = PlaceDu(new QPushButton(TableText(string_id::kOk), this), 1, 92, 113, 50, 14);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CVelocityCalculatorDlg::accept);
    auto* cancel = PlaceDu(new QPushButton(TableText(string_id::kCancel), this), 2, 148, 113, 50, 14);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto changed = [this] {
        ReadControls();
        ShowResult();
    };
    connect(material_, &QComboBox::currentIndexChanged, this, changed);
    for (QLineEdit* edit : {diameter_, wall_, sdr_}) connect(edit, &QLineEdit::textChanged, this, changed);
    connect(wallRadio_, &QRadioButton::toggled, this, changed);
}

void CVelocityCalculatorDlg::ReadControls() {
    logic_.material = material_->currentIndex();
    logic_.diameterText = diameter_->text().toStdString();
    logic_.wallText = wall_->text().toStdString();
    logic_.sdrText = sdr_->text().toStdString();
    logic_.wallEntry = wallRadio_->isChecked() ? WallEntry::Thickness : WallEntry::Sdr;
}

void CVelocityCalculatorDlg::ShowResult() {
    wall_->setEnabled(logic_.wallEntry == WallEntry::Thickness);
    sdr_->setEnabled(logic_.wallEntry == WallEntry::Sdr);
    result_->setText(Q(logic_.VelocityText()));
    modulus_->setText(Q(logic_.ModulusText()));
}

void CVelocityCalculatorDlg::accept() {
    ReadControls();
    std::string message;
    if (!logic_.Compute(velocity_, message)) {
        prompt_.Ask(message, PromptIcon::Warning, PromptButtons::Ok);
        return;  // stays open until the entries give a velocity
    }
    QDialog::accept();
}

bool RunVelocityCalculatorDialog(QWidget* parent, const CVexlanDoc& doc, int segment, IPrompt& prompt, int lengthUnit,
                                 int timeUnit, float& metresPerSecond) {
    velocity::MaterialList list;
    std::string error;
    if (!velocity::LoadMaterialList(velocity::DefaultMaterialListPath(), list, error)) {
        const std::string text = FormatString(string_id::kMsgNoMaterialList, error.c_str());
        prompt.Ask(text, PromptIcon::Warning, PromptButtons::Ok);
        return false;
    }
    VelocityCalculatorLogic logic(std::move(list), lengthUnit, timeUnit);
    const DocSegment s = doc.GetSegment(segment);
    logic.StartFrom(CVexlanDoc::MaterialDisplayName(s.material), s.diameter);
    CVelocityCalculatorDlg dialog(std::move(logic), prompt, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    metresPerSecond = float(dialog.velocity());
    return true;
}

}  // namespace vexlan
